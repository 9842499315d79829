#pragma once
// The running program: its shared state, the operating system's services and every window. Each
// window exists once, is created (and loaded) on first use and is reached by its name.
#include "engine/console.h"
#include "engine/general.h"
#include "engine/module.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "platform/platform.h"

#include <QStringList>
#include <memory>

namespace corvane {

class LocateHost;
class UnattendedDialogs;
class WindowPlacer;
enum class Opening;
class GroupGeneral;

namespace forms {
class mainform;
class frmOptions;
class frmSplash;
class frmReview;
class frmProgress;
class frmWizard;
class frmSchedule;
class frmNodeStatus;
class frmNodeDetail;
class frmEdit;
class frmMsg;
class frmNumeric;
class frmAbout;
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
    // --- delivery ---
    Module& module() { return *module_; }
    NetSend& netSend() { return *netSend_; }
    LocateHost& locateHost() { return *locateHost_; }

    // The command line as the program received it: its words joined by single blanks.
    QString commandLine() const { return arguments_.join(QLatin1Char(' ')); }

    // Starts the program: loading the main window performs the whole start-up.
    void start();

    // Nobody is there to answer a box: the run a command line started, from the first step of the
    // start-up (before the command line is read at its step 11) until it ends or hands the program
    // to the operator.
    bool unattended() const;
    // How long a box of an unattended run waits before it answers itself.
    static constexpr int kUnattendedAnswerMs = 60000;
    // The window in front, which a box opened now belongs to; none while no window is shown.
    QWidget* frontWindow() const;

    forms::mainform& mainform();
    forms::frmOptions& frmOptions();
    forms::frmSplash& frmSplash();
    bool frmSplashLoaded() const { return splash_ != nullptr; }
    void unloadFrmSplash();

    // --- delivery status and node diagnosis ---
    forms::frmNodeStatus& frmNodeStatus();
    bool frmNodeStatusLoaded() const { return nodeStatus_ != nullptr; }
    void unloadFrmNodeStatus();
    forms::frmNodeDetail& frmNodeDetail();
    bool frmNodeDetailLoaded() const { return nodeDetail_ != nullptr; }
    void unloadFrmNodeDetail();

    // --- the logs tab's message detail ---
    forms::frmMsg& frmMsg();
    bool frmMsgLoaded() const { return msg_ != nullptr; }
    void unloadFrmMsg();

    // --- group files and the group text editor ---
    GroupGeneral& groupGeneral() { return *groupGeneral_; }
    forms::frmEdit& frmEdit();
    bool frmEditLoaded() const { return edit_ != nullptr; }
    forms::frmNumeric& frmNumeric();
    bool frmNumericLoaded() const { return numeric_ != nullptr; }
    void unloadFrmNumeric();

    // --- send tab: review and progress windows ---
    forms::frmReview& frmReview();
    bool frmReviewLoaded() const { return review_ != nullptr; }
    void unloadFrmReview();
    forms::frmProgress& frmProgress();
    bool frmProgressLoaded() const { return progress_ != nullptr; }
    void unloadFrmProgress();

    // IConsole
    QString aliasText() override;
    QString prefixText() override;
    QString hostsPathLabel() override;
    bool splashTicked() override;
    QString winTitleText() override;
    // --- distribution ---
    QString messageText() override;
    QString targetBoxText() override;
    void showMainWindow() override;
    void setProgressCaption(const QString& text) override;
    void setProgressNode(const QString& text) override;
    void setProgressAmount(const QString& text) override;
    double progressValue() override;
    void setProgressValue(double value) override;
    void repaintProgress() override;
    void hideProgressWindow() override;
    void unloadProgressWindow() override;
    void showStatusWindow() override;
    void loadStatusWindowHidden() override;
    bool statusWindowLoaded() override;
    void unloadStatusWindow() override;
    void writeSentLogRecord() override;
    void startAutoKillTimer() override;

    // --- the message wizard and the administrator's target switches ---
    forms::frmWizard& frmWizard();
    bool frmWizardLoaded() const { return wizard_ != nullptr; }
    // The wizard's Close command unloads it: its next showing loads it afresh.
    void unloadFrmWizard();

    // --- the about box ---
    forms::frmAbout& frmAbout();

    // --- scheduled distributions ---
    forms::frmSchedule& frmSchedule();
    bool frmScheduleLoaded() const { return schedule_ != nullptr; }
    void enableMainTarget(Target target, bool enabled) override;
    void enableWizardTarget(Target target, bool enabled) override;
    void selectMainTarget(Target target) override;
    void selectWizardTarget(Target target) override;
    void setTabAvailable(int tab, bool available) override;
    void disableGroupsMenu() override;
    void enableAliasEditing(bool enabled) override;
    // --- client transfer ---
    QString headlineText() override;
    bool htmlChosen() override;
    QString htmlPathText() override;
    bool timeOutTicked() override;
    QString progressNodeText() override;

private:
    template <class W> W& window(std::unique_ptr<W>& slot, Opening opening);
    template <class W> W& window(std::unique_ptr<W>& slot);
    template <class W> void unload(std::unique_ptr<W>& slot);

    QString programFolder_;
    Platform platform_;
    QStringList arguments_;
    bool startUpOver_ = false;
    std::unique_ptr<Module1> module1_;
    std::unique_ptr<General> general_;
    std::unique_ptr<WINtell> wintell_;
    std::unique_ptr<Module2> module2_;
    std::unique_ptr<LocateHost> locateHost_;
    std::unique_ptr<Module> module_;
    std::unique_ptr<NetSend> netSend_;
    std::unique_ptr<WindowPlacer> placer_;

    std::unique_ptr<forms::mainform> main_;
    std::unique_ptr<forms::frmOptions> options_;
    std::unique_ptr<forms::frmSplash> splash_;
    std::unique_ptr<forms::frmReview> review_;
    std::unique_ptr<forms::frmProgress> progress_;
    std::unique_ptr<forms::frmWizard> wizard_;
    std::unique_ptr<forms::frmSchedule> schedule_;
    std::unique_ptr<forms::frmNodeStatus> nodeStatus_;
    std::unique_ptr<forms::frmNodeDetail> nodeDetail_;
    std::unique_ptr<GroupGeneral> groupGeneral_;
    std::unique_ptr<forms::frmEdit> edit_;
    std::unique_ptr<forms::frmMsg> msg_;
    std::unique_ptr<forms::frmNumeric> numeric_;
    std::unique_ptr<forms::frmAbout> about_;
};

} // namespace corvane
