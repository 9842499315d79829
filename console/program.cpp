#include "console/program.h"

#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "assistants/frmWizard.h"
#include "console/frmAbout.h"
#include "console/frmMsg.h"
#include "console/frmNodeDetail.h"
#include "console/frmNodeStatus.h"
#include "console/frmProgress.h"
#include "console/frmReview.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "console/placement.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"
#include "groups/groupfiles.h"
#include "groups/locatehost.h"

#include <QRegularExpression>
#include <cstdio>
#include <functional>

namespace corvane {

// The boxes of a run nobody watches are shown as ever, but each first tells the error log (with
// ERRORLOG=YES) and standard error what it says, then answers itself after a while, so the run goes
// on to its end and whoever reads the log or the task's mail later learns what it said.
class UnattendedDialogs : public IDialogs {
public:
    UnattendedDialogs(std::unique_ptr<IDialogs> shown, std::function<bool()> unattended, Module1& m1)
        : shown_(std::move(shown)), unattended_(std::move(unattended)), m1_(m1)
    {
    }
    MsgAnswer msgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override
    {
        prepare(title, text);
        return shown_->msgBox(text, buttons, icon, title);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        prepare(title, prompt);
        return shown_->inputBox(prompt, title, defaultText);
    }
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override
    {
        prepare(title, folder);
        return shown_->openFileName(title, folder, filter);
    }
    QString saveFileName(const QString& title, const QString& folder, const QString& filter) override
    {
        prepare(title, folder);
        return shown_->saveFileName(title, folder, filter);
    }
    void answerAfter(int milliseconds) override { answerAfter_ = milliseconds; }
    bool answeredItself() const override { return shown_->answeredItself(); }

private:
    void prepare(const QString& title, const QString& text)
    {
        if (!unattended_()) {
            shown_->answerAfter(0);
            return;
        }
        // One line, whatever line breaks the box's text holds.
        static const QRegularExpression breaks(QStringLiteral("[\\r\\n]+"));
        const QString line = QStringLiteral("[SCHEDULE] Unattended box: ") + title + QStringLiteral(": ") +
                             QString(text).replace(breaks, QStringLiteral(" "));
        m1_.LogIfEnabled(line);
        std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        shown_->answerAfter(answerAfter_);
    }

    std::unique_ptr<IDialogs> shown_;
    std::function<bool()> unattended_;
    Module1& m1_;
    int answerAfter_ = Program::kUnattendedAnswerMs;
};

Program::Program(QString programFolder, Platform platform, QStringList arguments)
    : programFolder_(std::move(programFolder)), platform_(std::move(platform)), arguments_(std::move(arguments))
{
    module1_ = std::make_unique<Module1>(programFolder_, platform_, *this);
    if (platform_.dialogs)
        platform_.dialogs = std::make_unique<UnattendedDialogs>(
            std::move(platform_.dialogs), [this] { return unattended(); }, *module1_);
    general_ = std::make_unique<General>(*module1_);
    wintell_ = std::make_unique<WINtell>(*module1_);
    module2_ = std::make_unique<Module2>(*module1_);
    locateHost_ = std::make_unique<LocateHost>(*module1_, *wintell_);
    module_ = std::make_unique<Module>(*module1_);
    netSend_ = std::make_unique<NetSend>(*module1_, *module_);
    module1_->Delivery = netSend_.get();
    groupGeneral_ = std::make_unique<GroupGeneral>(*this);
    placer_ = std::make_unique<WindowPlacer>([this]() -> QWidget* { return main_.get(); });
}

Program::~Program()
{
    // Windows go before the state they read.
    msg_.reset();
    numeric_.reset();
    about_.reset();
    edit_.reset();
    nodeDetail_.reset();
    nodeStatus_.reset();
    schedule_.reset();
    wizard_.reset();
    progress_.reset();
    review_.reset();
    splash_.reset();
    options_.reset();
    main_.reset();
}

template <class W> W& Program::window(std::unique_ptr<W>& slot, Opening opening)
{
    if (!slot) {
        // The window is reachable while its load runs, as the load's own steps may reach it.
        slot.reset(new W(*this));
        placer_->watch(slot.get(), opening);
        slot->Form_Load();
    }
    return *slot;
}

template <class W> W& Program::window(std::unique_ptr<W>& slot)
{
    return window(slot, Opening::Centred);
}

void Program::start()
{
    mainform();
    startUpOver_ = true;
}

bool Program::unattended() const
{
    // The settings are read (and their box may come) before the command line switches the mode on.
    return module1_->CmdLineMode == 1 || (!startUpOver_ && !commandLine().trimmed().isEmpty());
}

QWidget* Program::frontWindow() const
{
    return placer_->frontWindow();
}

// A window may be unloaded from inside one of its own handlers, so it goes once that handler is over.
template <class W> void Program::unload(std::unique_ptr<W>& slot)
{
    if (slot) {
        slot->hide();
        slot.release()->deleteLater();
    }
}

forms::mainform& Program::mainform()
{
    return window(main_);
}
forms::frmOptions& Program::frmOptions()
{
    return window(options_);
}
forms::frmSplash& Program::frmSplash()
{
    return window(splash_);
}

void Program::unloadFrmSplash()
{
    unload(splash_);
}

// --- the logs tab's message detail ---
forms::frmMsg& Program::frmMsg()
{
    return window(msg_);
}
void Program::unloadFrmMsg()
{
    unload(msg_);
}

// --- group files and the group text editor ---
forms::frmEdit& Program::frmEdit()
{
    return window(edit_);
}
forms::frmNumeric& Program::frmNumeric()
{
    return window(numeric_);
}
void Program::unloadFrmNumeric()
{
    unload(numeric_);
}

// --- delivery status and node diagnosis ---
forms::frmNodeStatus& Program::frmNodeStatus()
{
    return window(nodeStatus_);
}
forms::frmNodeDetail& Program::frmNodeDetail()
{
    // Beside the status window, whose node list and buttons it would otherwise hide.
    return window(nodeDetail_, Opening::Beside);
}

void Program::unloadFrmNodeStatus()
{
    // A diagnosis belongs to its status window: left open, it would stay in front of a window that
    // is gone, and behind the main window that comes back.
    unloadFrmNodeDetail();
    unload(nodeStatus_);
}

void Program::unloadFrmNodeDetail()
{
    unload(nodeDetail_);
}

// --- the message wizard and the administrator's target switches ---
forms::frmWizard& Program::frmWizard()
{
    return window(wizard_);
}
void Program::unloadFrmWizard()
{
    unload(wizard_);
}

// --- the about box ---
forms::frmAbout& Program::frmAbout()
{
    return window(about_);
}

// --- scheduled distributions ---
forms::frmSchedule& Program::frmSchedule()
{
    return window(schedule_);
}

namespace {
QRadioButton* mainTarget(forms::mainform& main, IConsole::Target target)
{
    switch (target) {
    case IConsole::Target::Group: return main.tab1opt1;
    case IConsole::Target::Computer: return main.tab1opt2;
    case IConsole::Target::Domain: return main.tab1opt3;
    }
    return nullptr;
}

QRadioButton* wizardTarget(forms::frmWizard& wizard, IConsole::Target target)
{
    switch (target) {
    case IConsole::Target::Group: return wizard.optGroup;
    case IConsole::Target::Computer: return wizard.optSingle;
    case IConsole::Target::Domain: return wizard.optDomain;
    }
    return nullptr;
}
} // namespace

void Program::enableMainTarget(Target target, bool enabled)
{
    mainTarget(mainform(), target)->setEnabled(enabled);
}
void Program::enableWizardTarget(Target target, bool enabled)
{
    wizardTarget(frmWizard(), target)->setEnabled(enabled);
}
void Program::selectMainTarget(Target target)
{
    selectOption(mainTarget(mainform(), target));
}
void Program::selectWizardTarget(Target target)
{
    selectOption(wizardTarget(frmWizard(), target));
}
void Program::setTabAvailable(int tab, bool available)
{
    mainform().SSTab1->setTabEnabled(tab, available);
}
void Program::disableGroupsMenu()
{
    mainform().menuGroups->setEnabled(false);
    mainform().menuGroups->menuAction()->setEnabled(false);
}
void Program::enableAliasEditing(bool enabled)
{
    forms::frmOptions& options = frmOptions();
    options.txtAlias->setEnabled(enabled);
    options.butDefault->setEnabled(enabled);
}

// --- send tab: review and progress windows ---
forms::frmReview& Program::frmReview()
{
    return window(review_);
}
forms::frmProgress& Program::frmProgress()
{
    return window(progress_);
}

void Program::unloadFrmReview()
{
    unload(review_);
}

void Program::unloadFrmProgress()
{
    unload(progress_);
}

// --- distribution ---
QString Program::messageText()
{
    return mainform().messtext->text();
}
QString Program::targetBoxText()
{
    return mainform().tab1sendcpu->text();
}
void Program::showMainWindow()
{
    mainform().show();
}
void Program::setProgressCaption(const QString& text)
{
    frmProgress().setWindowTitle(text);
}
void Program::setProgressNode(const QString& text)
{
    frmProgress().lblNode->setText(text);
}
void Program::setProgressAmount(const QString& text)
{
    frmProgress().lblAmount->setText(text);
}
double Program::progressValue()
{
    return frmProgress().value();
}
void Program::setProgressValue(double value)
{
    frmProgress().setValue(value);
}
void Program::repaintProgress()
{
    frmProgress().Refresh();
}
void Program::hideProgressWindow()
{
    if (progress_)
        progress_->hide();
}
void Program::unloadProgressWindow()
{
    unloadFrmProgress();
}
void Program::showStatusWindow()
{
    forms::frmNodeStatus& status = frmNodeStatus();
    status.show();
    status.activateWindow();
    status.raise();
}
void Program::loadStatusWindowHidden()
{
    frmNodeStatus();
}
bool Program::statusWindowLoaded()
{
    return frmNodeStatusLoaded();
}
void Program::unloadStatusWindow()
{
    unloadFrmNodeStatus();
}
void Program::writeSentLogRecord()
{
    frmNodeStatus().WriteSentLogRecord();
}
void Program::startAutoKillTimer()
{
    mainform().AutoKillTimer->start();
}

// --- client transfer ---
QString Program::headlineText()
{
    return mainform().txtMainHeadline->text();
}
bool Program::htmlChosen()
{
    return mainform().optHTML->isChecked();
}
QString Program::htmlPathText()
{
    return mainform().txtPathtoHTML->text();
}
bool Program::timeOutTicked()
{
    return mainform().chkTimeOut->isChecked();
}
QString Program::progressNodeText()
{
    return frmProgressLoaded() ? frmProgress().lblNode->text() : QString();
}

QString Program::aliasText()
{
    return frmOptions().txtAlias->text();
}
QString Program::prefixText()
{
    return frmOptions().txtPrefix->text();
}
QString Program::hostsPathLabel()
{
    return frmOptions().Label2->text();
}
bool Program::splashTicked()
{
    return frmOptions().chkStartup->isChecked();
}
QString Program::winTitleText()
{
    return mainform().txtWintitle->text();
}

} // namespace corvane
