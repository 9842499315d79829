#pragma once
// The running program: its shared state, the operating system's services and every window. Each
// window exists once, is created (and loaded) on first use and is reached by its name.
#include "engine/console.h"
#include "engine/general.h"
#include "engine/module1.h"
#include "platform/platform.h"

#include <QStringList>
#include <memory>

namespace corvane {

class LocateHost;

namespace forms {
class mainform;
class frmOptions;
class frmSplash;
} // namespace forms

class Program : public IConsole {
public:
    // The program folder is where the executable stands; the arguments are the command line's words.
    Program(QString programFolder, Platform platform, QStringList arguments = {});
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Platform& platform() { return platform_; }
    Module1& module1() { return *module1_; }
    General& general() { return *general_; }
    WINtell& wintell() { return *wintell_; }
    Module2& module2() { return *module2_; }
    LocateHost& locateHost() { return *locateHost_; }

    // The command line as the program received it: its words joined by single blanks.
    QString commandLine() const { return arguments_.join(QLatin1Char(' ')); }

    // Starts the program: loading the main window performs the whole start-up.
    void start();

    forms::mainform& mainform();
    forms::frmOptions& frmOptions();
    forms::frmSplash& frmSplash();
    bool frmSplashLoaded() const { return splash_ != nullptr; }
    void unloadFrmSplash();

    // IConsole
    QString aliasText() override;
    QString prefixText() override;
    QString hostsPathLabel() override;
    bool splashTicked() override;
    QString winTitleText() override;

private:
    template <class W> W& window(std::unique_ptr<W>& slot);

    QString programFolder_;
    Platform platform_;
    QStringList arguments_;
    std::unique_ptr<Module1> module1_;
    std::unique_ptr<General> general_;
    std::unique_ptr<WINtell> wintell_;
    std::unique_ptr<Module2> module2_;
    std::unique_ptr<LocateHost> locateHost_;

    std::unique_ptr<forms::mainform> main_;
    std::unique_ptr<forms::frmOptions> options_;
    std::unique_ptr<forms::frmSplash> splash_;
};

} // namespace corvane
