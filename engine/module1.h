#pragma once
// The program-wide state and the window-free procedures shared by every part of the program.
#include "engine/console.h"
#include "platform/platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace corvane {

class ClientTransfer;
class NetSend;

class Module1 {
public:
    Module1(QString programFolder, Platform& platform, IConsole& console);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    Platform& platform() { return platform_; }
    IConsole& console() { return console_; }
    IDialogs& dialogs() { return *platform_.dialogs; }
    // The folder that holds the executable; every data file lives beside it.
    const QString& AppPath() const { return appPath_; }

    // --- file handles and the error log ---
    void GetFreeFileNumber();
    void WriteErrorLog(const QString& text);
    // Writes the line only when the setting ERRORLOG=YES is on.
    void LogIfEnabled(const QString& text);
    QString DateText() const; // the system's short date form
    QString TimeText() const; // the system's time form, with seconds

    // --- settings and template ---
    void SaveIniSettings();
    void LoadTemplate();
    // The 21 settings lines, keys and values, in their positions.
    QStringList SettingsLines();

    // --- the administrator's target switches ---
    void ApplyTargetSwitches();

    // Opens a web address or a local document (the user guide) in the desktop's browser or viewer;
    // when none can be started, a box gives the address so that the operator can open it by hand.
    void OpenInBrowser(const QString& pathOrAddress);
    // The user guide, HelpFiles/UserGuide.pdf in the program folder; a guide that is not there or
    // cannot be read is named in a box rather than handed to a viewer that says nothing.
    void OpenUserGuide();
    // The box for a file that is there but cannot be read: "The <what> <path> could not be read
    // (<error>)." and what follows from it.
    void ReportUnreadable(const QString& what, const QString& path, const QString& error, const QString& consequence);

    // --- file and path helpers ---
    static QString FileNameFromPath(const QString& path);
    // True when the name can only name a file of its own folder (Groups, Schedule): it holds no "/"
    // or "\" and is neither "." nor "..". A name that merely holds ".." (Week..1) is an ordinary
    // name. The command line, the scheduler and the group editors all go by this one rule, so that a
    // name one of them accepts is never refused by another.
    static bool IsNameInFolder(const QString& name);

    std::int16_t FileNum = 0;

    // Paths.
    QString SettingsFile;
    QString TemplateFile;
    QString CheckitLogFile; // the group text editor's check file, \Logs\Checkit.log
    QString GroupsPath;
    QString MessagesPath;
    QString SocketFile;
    QString HostsPath;
    QString WindowsDir;

    // Environment.
    QString ComputerName;
    QString WinVersion;
    std::int16_t CmdLineMode = 0;
    QString TemplateText;

    // Settings, one per line of Corvane.ini. The values here are the defaults the reader keeps for
    // a line it cannot read.
    std::int16_t PrefixEnabled = 0;
    std::int16_t LogMessages = 1;
    std::int16_t DomainEnabled = 0;
    std::int16_t ShowSplash = 1;
    QString AliasName = QStringLiteral("FIRSTRUN");
    QString SendAsIP = QStringLiteral("NO");
    QString ServiceName = QStringLiteral("NUVOCLIENT");
    std::int16_t ClientPort = 9125;
    QString WinTitle = QStringLiteral("Corvane Message");
    QString ShowDate = QStringLiteral("YES");
    QString ShowTime = QStringLiteral("YES");
    QString UseTimeOut = QStringLiteral("NO");
    std::int16_t TimeOutMinutes = 5;
    QString EnableCpuTarget = QStringLiteral("YES");
    QString EnableGroupTarget = QStringLiteral("YES");
    QString EnableGroupManage = QStringLiteral("YES");
    QString EnableHostManage = QStringLiteral("YES");
    QString EnableFrom = QStringLiteral("YES");
    QString BootLog = QStringLiteral("YES");

    // Delivery mode: 1 with the Nuvo client, 0 with the Messenger service.
    std::int16_t ClientMode = 1;
    // The last file chosen in a file dialog: the HTML page of a client message.
    QString HtmlPath;

    // --- distribution ---
    // The results of the last distribution, one entry per target (indexes 0 to 6000).
    std::vector<QString> TargetNames = std::vector<QString>(6001);
    std::vector<QString> TargetStatus = std::vector<QString>(6001);
    std::vector<QString> TargetResult = std::vector<QString>(6001);
    std::int16_t TargetCount = 0;
    // Counted by the delivery-status window's load; the sent-log record reports them.
    std::int16_t PassedCount = 0;
    std::int16_t FailedCount = 0;
    QString LogType; // "GROUP", "SINGLE" or "DOMAIN"
    QString LogTarget;
    QString CurrentMessage;
    // The lines of the group file being sent (indexes 0 to 10000).
    std::vector<QString> GroupLines = std::vector<QString>(10001);
    QString SelectedGroupFile;
    // "YES" when the client message file writer found the HTML page missing and wrote nothing.
    QString SendCancelled = QStringLiteral("NO");
    // Sends the main window's message to every node of one target: "1" the chosen group file,
    // "2" the computer in the target box, "3" the domain or workgroup in the target box.
    void SendDistribution(const QString& kind);
    // True while a distribution or a preview runs. Their waits let window events run, and one
    // socket and one client message file serve them both: no other send may start meanwhile.
    bool SendRunning() const;
    // Shows the box that refuses a send while another runs, and says whether it did.
    bool RefuseWhileSending();
    // The refusals of a chosen group that cannot be read or holds more lines than the results can.
    QString GroupUnreadableText(const QString& error) const;
    QString GroupTooLargeText(qsizetype lines) const;
    // The per-node delivery the distribution calls; the program hands it over once it has made it.
    NetSend* Delivery = nullptr;
    bool Distributing = false; // between the start and the end of SendDistribution

    // --- group editing ---
    std::int16_t GroupDirty = 0;
    std::int16_t MaxNodesPerGroup = 6000;
    std::int16_t CheckitLogWritten = 0;
    QString NewGroupName;
    // Computers of the group open on the group tab.
    std::int16_t NodeCount = 0;
    // The names of the group open on the group tab, in file order (at most 10001 lines).
    QStringList GroupNodes;
    // The open group's file name, with its ".mit" ending, and its display name (without it).
    QString EditGroupFile;
    QString EditGroupName;
    // The entry of GroupNodes selected in the tab's computer list.
    std::int16_t SelectedNodeIndex = 0;
    QString NewComputerName; // typed for "+"
    QString RenameGroupTo;   // typed for "Rename", upper-cased

    // --- group text editor ---
    // The editor's text holds edits that are not saved.
    std::int16_t GroupFileModified = 0;
    // The work lists of a save (at most 10001 entries each): the lines read back from the check file,
    // later the entries with their duplicate marks; the names upper-cased; the names to write.
    QStringList CheckLines;
    QStringList CheckLinesUpper;
    QStringList CheckLinesOut;

    // --- numbered computer-name generator ---
    // A section of the generator is set to Numeric.
    std::int16_t NumericChosen = 0;
    std::int32_t RangeStart1 = 0;
    std::int32_t RangeStart2 = 0;
    std::int32_t RangeStart3 = 0;
    std::int32_t RangeEnd1 = 0;
    std::int32_t RangeEnd2 = 0;
    std::int32_t RangeEnd3 = 0;
    // The names of the last calculation, in order (never more than MaxNodesPerGroup).
    QStringList NodeNames;
    // A save into an existing group: its lines, then the new names.
    QStringList GroupMergeLines;
    // --- the message wizard ---
    std::int16_t WizardStep = 0; // the screen shown, 0 (welcome) to 8 (finished)
    // The wizard's own copy of the time-out minutes, handed to TimeOutMinutes at the format step.
    std::int16_t WizardTimeoutMinutes = 5;

    // --- schedule and command line ---
    QString ScheduleTargetKind; // "Group", "Single" or "Domain"
    QString ScheduleTargetName; // the group file name, or the computer or domain as typed
    // The date last clicked in the scheduler's calendar, day/month/year without leading zeros;
    // empty until the first click in this run.
    QString ScheduleDate;
    QString TaskParameters; // the command line the scheduled task starts the program with
    QString ScheduleFile;
    // The target and message of an unattended run, as its command line and schedule file give them.
    QString CmdGroup;
    QString CmdComputer;
    QString CmdDomain;
    QString CmdMessage;
    // Set by any step of an unattended run that fails where it arises and cannot go on: the run
    // then ends in its failure tail instead of waiting for an operator who is not there.
    bool CmdLineFailed = false;

    // --- client transfer ---
    // Writes the client message file from the outgoing message's fields. A missing HTML page shows
    // its box, sets SendCancelled to "YES" and writes nothing; a file that cannot be written ends
    // the program.
    void WriteClientMessageFile(const QString& path);
    // Runs the transfer of the client message file on the connected socket; true when the whole
    // file was sent. It sends the message this program wrote last, as it wrote it, whatever another
    // copy of the program has done to the file since; without one it reads SocketFile.
    bool TransferMessageFile(ITcpClient& socket);
    // Sends the file's bytes in blocks of 2048; false when the connection was found closed.
    bool SendFileChunks(const QByteArray& file, ITcpClient& socket);
    // Every copy of the program started in this folder shares the one client message file. A run
    // claims it from writing it until its end, and the file is removed only when no other run
    // holds a claim. The claim is a lock the system drops with the process, so a killed run
    // leaves none behind.
    void ReleaseClientMessageFile();
    void RemoveClientMessageFile();
    // True for an existing file that is not hidden; a name with "*" or "?" counts when a file in
    // its folder matches it (without regard to case).
    static bool FileExists(const QString& path);
    // The client socket tcpServer, the two transfer timers and their handlers.
    ClientTransfer& transfer();

    // The status text of the last delivery.
    QString DeliveryStatus;
    // Transfer flags shared with the socket and timer handlers.
    std::uint8_t PacketState = 0; // answer to the transfer request: 2 waiting, 1 granted, 0 refused
    std::uint8_t PendState = 0;   // answer to the file offer: 2 waiting, 0 denied, else go on
    bool SendBusy = false;        // a send is under way until the socket reports it complete
    bool PeerKicked = false;      // the client sent "kickH#"

private:
    QString appPath_;
    Platform& platform_;
    IConsole& console_;
    std::shared_ptr<ClientTransfer> clientTransfer_; // made on first use
    // The claim on the client message file (a shared lock on the program folder), and the message
    // as this run wrote it; nothing while no run holds one.
    int messageClaim_ = -1;
    std::optional<QByteArray> clientMessage_;
};

} // namespace corvane
