#pragma once
// The main window: the start-up window of the program and the operator's console.
#include "console/controls.h"
#include "engine/logreaders.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

// A multi-line text box that gives and takes CR LF line breaks, as the system's texts expect.
class MultiLineBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit MultiLineBox(QWidget* parent = nullptr);
    QString text() const;
    void setText(const QString& text);
};

// The display time-out's minutes a step up and a step down: up stops at the top of the 16-bit number
// that the settings and client files hold, down never goes below one minute.
std::int16_t oneMinuteMore(std::int16_t minutes);
std::int16_t oneMinuteLess(std::int16_t minutes);

class mainform : public QMainWindow {
    Q_OBJECT
public:
    explicit mainform(Program& program);
    ~mainform() override;

    // --- start-up, status line and exit ---
    void Form_Load();
    void SetStatus(int ticks, const QString& text);
    void Timer1_Timer();
    void Exit_Click();
    void butExitMain_Click();
    QString GetWindowsDir();
    static QString TrimAtNull(const QString& text);
    void LoadIniSettings();
    QString panelText(int panel) const; // the status bar's panels, 1 and 2

    // --- unattended command-line run (the end of start-up) ---
    void CommandLineRun();
    // The failure tail of an unattended run: the box, the log line, and the end of the program.
    void CommandLineFailure();

    // --- scheduled distributions ---
    void butSchedule_Click();
    void mnuSchedule_Click();

    std::int16_t StatusTicks = 0;
    std::int16_t StatusTickCount = 0;

    // --- delivery mode, message format and client options ---
    void optMessenger_Click();
    void optWinsock_Click();
    void optPlain_Click();
    void optHTML_Click();
    void chkDate_Click();
    void chkTime_Click();
    void chkTimeOut_Click();
    void butPlusMin_Click();
    void butMinusMin_Click();
    void butBrowse_Click();
    void butClientDownload_Click();
    // The message box while an HTML page is the message: the placeholder, two line breaks, the path.
    void showHtmlMessage();
    // lblMinutesDisplay names the minutes in TimeOutMinutes.
    void showMinutes();
    // Where "Download Setup File" sends the operator for the Nuvo client's setup file.
    static const QString ClientDownloadAddress;

    // --- preview and message files ---
    void butTest_Click();
    void mnuPreview_Click();
    void mnuOpenMess_Click();
    void mnuSaveMess_Click();
    static bool FileExists(const QString& path);

    // --- tab switches ---
    void SSTab1_Click(int PreviousTab);

    // --- send tab ---
    void tab1opt1_Click();
    void tab1opt2_Click();
    void tab1opt3_Click();
    void messtext_Change();
    void tab1butSend_Click();
    void mnuSend_Click();
    void tab1butclear_Click();
    void tab1filelist_Click();
    // The six send commands: the buttons Send Now, Preview, Schedule and their menu items.
    void enableSendCommands(bool enabled);
    void drawDomainCounter();
    // Ends the program once an unattended distribution is over.
    void AutoKillTimer_Timer();
    QTimer* AutoKillTimer = nullptr;

    // --- menus, help and the about box ---
    void butWizard_Click();
    void mnuWizard_Click();
    void menuAdvancedGroup_Click();
    void menuManually_Click();
    void menuOptions_Click();
    void menuHelp_Click();
    void mnuEmailTech_Click();
    void Aboutmenu_Click();
    QMenu* filemenu = nullptr;
    QAction* mnuWizard = nullptr;
    QAction* mnuSaveMess = nullptr;
    QAction* mnuOpenMess = nullptr;
    QAction* Exit = nullptr;
    QMenu* mnuMessage = nullptr;
    QAction* mnuSend = nullptr;
    QAction* mnuPreview = nullptr;
    QAction* mnuSchedule = nullptr;
    QMenu* menuEdit = nullptr;
    QAction* menuOptions = nullptr;
    QMenu* menuGroups = nullptr;
    QAction* menuManually = nullptr;
    QAction* menuAdvancedGroup = nullptr;
    QMenu* help = nullptr;
    QAction* menuHelp = nullptr;
    QAction* mnuEmailTech = nullptr;
    QAction* Aboutmenu = nullptr;

    // --- the window's frame ---
    QTabWidget* SSTab1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;
    QTimer* Timer1 = nullptr;
    QPushButton* butExitMain = nullptr;

    // --- "Create Message" tab ---
    QGroupBox* tab1Frame1 = nullptr;
    MultiLineBox* messtext = nullptr;
    QPushButton* tab1butSend = nullptr;
    QPushButton* tab1butclear = nullptr;
    QPushButton* butTest = nullptr;
    QPushButton* butSchedule = nullptr;
    QPushButton* butWizard = nullptr;
    QGroupBox* tab1frame2 = nullptr;
    QRadioButton* tab1opt1 = nullptr;
    QRadioButton* tab1opt2 = nullptr;
    QRadioButton* tab1opt3 = nullptr;
    QLabel* tab1lblgroup = nullptr;
    FileListBox* tab1filelist = nullptr;
    QLabel* lblGroupNodesCtr = nullptr;
    QLabel* tab1lblcpu = nullptr;
    QLineEdit* tab1sendcpu = nullptr;

    // --- "Group Management" tab ---
    void tab2filelist_Click();
    void List1_Click();
    void tab2butAddGroup_Click();
    void tab2butAddCPU_Click();
    void tab2butDelCPU_Click();
    void tab2butSave_Click();
    // Closes the open group; the tab switch and the numbered-name generator call it too.
    void tab2butClose_Click();
    void tab2butdeletegroup_Click();
    void tab2butRenameGroup_Click();
    void AddComputerToGroup();
    void RemoveComputerFromGroup();
    void RenameGroupFile();
    QGroupBox* tab2frame1 = nullptr;
    FileListBox* tab2filelist = nullptr;
    QGroupBox* tab2frame2 = nullptr;
    QPushButton* tab2butAddGroup = nullptr;
    QPushButton* tab2butdeletegroup = nullptr;
    QPushButton* tab2butRenameGroup = nullptr;
    QLabel* tab2lblselgroup = nullptr;
    QGroupBox* tab2frame3 = nullptr;
    ClickListBox* List1 = nullptr;
    QPushButton* tab2butAddCPU = nullptr;
    QPushButton* tab2butDelCPU = nullptr;
    QLabel* tab2lbl10 = nullptr;
    QLabel* cpunumberslbl = nullptr;
    QLabel* tab2discpu = nullptr;
    QPushButton* tab2butSave = nullptr;
    QPushButton* tab2butClose = nullptr;

    // --- "Hosts File" tab ---
    void tab3butbrowse_Click();
    void tab3Text1_KeyDown(int KeyCode, int Shift);
    void tab3butsave_Click();
    void tab3butClose_Click();
    void tab3butreload_Click();
    QGroupBox* tab3frame3 = nullptr;
    QPushButton* tab3butbrowse = nullptr;
    QPushButton* tab3butClose = nullptr;
    QPushButton* tab3butsave = nullptr;
    QGroupBox* tab3frame2 = nullptr;
    QLabel* tab3pathlbl = nullptr;
    QPushButton* tab3butreload = nullptr;
    QGroupBox* tab3frame1 = nullptr;
    MultiLineBox* tab3Text1 = nullptr;
    QLabel* tab3lbl1 = nullptr;
    // The file Load read, which Save writes, whatever the options dialog names meanwhile.
    QString LoadedHostsPath;

    // --- "Distribution Logs" tab ---
    void LoadSentLog();
    void LoadFailNodesLog();
    void FillFailedNodesByCount(int lines, qint64 largest);
    void ListView5_DblClick();
    void ShowSentLogRecord();
    void rptButClearLog_Click();
    // The lists' pictures: 1 a failed node, 2 a group, 3 a single computer, 4 a domain.
    QIcon ImageList1(int picture) const;
    static constexpr int kMaxSentLogRecords = 2000;
    static constexpr int kMaxFailLogLines = 5001;
    std::vector<SentLogEntry> SentLog;    // oldest first
    std::vector<FailedNodeEntry> FailLog; // in file order
    QGroupBox* tab4frame1 = nullptr;      // "Sent Message Logs"
    QTreeWidget* ListView5 = nullptr;
    QGroupBox* tab4frame2 = nullptr; // "Previously Failed Nodes"
    QTreeWidget* ListView4 = nullptr;
    QPushButton* rptButClearLog = nullptr;

    // --- "Client Options" tab ---
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optMessenger = nullptr;
    QRadioButton* optWinsock = nullptr;
    QPushButton* butClientDownload = nullptr;
    QGroupBox* frmNuvoOpt = nullptr;
    QLabel* lblWinTitle = nullptr;
    QLineEdit* txtWintitle = nullptr;
    QLabel* lblMainHeadline = nullptr;
    QLineEdit* txtMainHeadline = nullptr;
    QCheckBox* chkDate = nullptr;
    QCheckBox* chkTime = nullptr;
    QGroupBox* frmNuvofor = nullptr;
    QRadioButton* optPlain = nullptr;
    QRadioButton* optHTML = nullptr;
    QLabel* lblHTML = nullptr;
    QLineEdit* txtPathtoHTML = nullptr;
    QPushButton* butBrowse = nullptr;
    QGroupBox* frmNuvotime = nullptr;
    QCheckBox* chkTimeOut = nullptr;
    QLabel* lblMinutesDisplay = nullptr;
    QPushButton* butPlusMin = nullptr;
    QPushButton* butMinusMin = nullptr;

private:
    // A window of the program opens beside the main window, or in its place, and takes the focus.
    static void bringUp(QWidget& window);
    // The time-out label and buttons as the time-out box stands.
    void showTimeOutState();
    void buildMenus();
    QWidget* buildCreateMessageTab();
    QWidget* buildGroupTab();
    // The group tab's computer list rebuilt from the open group's names, one row each.
    void showGroupNodes();
    // Tells the operator that a group file operation failed; the tab stays as it was.
    void groupFileFailure(const QString& text);
    QWidget* buildHostsTab();
    QWidget* buildLogsTab();
    QWidget* buildClientOptionsTab();
    void wirePreviewMenus();
    void wireTabs();
    void wireSchedule();

    Program& program_;
    Module1& m1_;
    QByteArray hostsLineEnd_ = "\n"; // the line end of the hosts file as loaded
    QString hostsKeptText_;          // the box's text as last loaded or saved: what Close may drop unasked
    QIcon images_[5];
};

} // namespace corvane::forms
