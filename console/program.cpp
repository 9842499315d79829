#include "console/program.h"

#include "assistants/frmOptions.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "groups/locatehost.h"

namespace corvane {

Program::Program(QString programFolder, Platform platform, QStringList arguments)
    : programFolder_(std::move(programFolder)), platform_(std::move(platform)), arguments_(std::move(arguments))
{
    module1_ = std::make_unique<Module1>(programFolder_, platform_, *this);
    general_ = std::make_unique<General>(*module1_);
    wintell_ = std::make_unique<WINtell>(*module1_);
    module2_ = std::make_unique<Module2>(*module1_);
    locateHost_ = std::make_unique<LocateHost>(*module1_, *wintell_);
}

Program::~Program()
{
    // Windows go before the state they read.
    splash_.reset();
    options_.reset();
    main_.reset();
}

template <class W> W& Program::window(std::unique_ptr<W>& slot)
{
    if (!slot) {
        // The window is reachable while its load runs, as the load's own steps may reach it.
        slot.reset(new W(*this));
        slot->Form_Load();
    }
    return *slot;
}

void Program::start() { mainform(); }

forms::mainform& Program::mainform() { return window(main_); }
forms::frmOptions& Program::frmOptions() { return window(options_); }
forms::frmSplash& Program::frmSplash() { return window(splash_); }

void Program::unloadFrmSplash()
{
    if (splash_) {
        splash_->hide();
        splash_.release()->deleteLater();
    }
}

QString Program::aliasText() { return frmOptions().txtAlias->text(); }
QString Program::prefixText() { return frmOptions().txtPrefix->text(); }
QString Program::hostsPathLabel() { return frmOptions().Label2->text(); }
bool Program::splashTicked() { return frmOptions().chkStartup->isChecked(); }
QString Program::winTitleText() { return mainform().txtWintitle->text(); }

} // namespace corvane
