#pragma once
// The program-wide state and the window-free procedures shared by every part of the program.
#include "engine/console.h"
#include "platform/platform.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace corvane {

class Module1 {
public:
    Module1(QString programFolder, Platform& platform, IConsole& console);

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
    // The 21 settings lines as the writer puts them.
    QStringList SettingsLines();

    // --- the administrator's target switches ---
    void ApplyTargetSwitches();

    // --- file and path helpers ---
    static QString FileNameFromPath(const QString& path);

    std::int16_t FileNum = 0;

    // Paths.
    QString SettingsFile;
    QString TemplateFile;
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

    // Group editing.
    std::int16_t GroupDirty = 0;
    std::int16_t MaxNodesPerGroup = 6000;
    std::int16_t CheckitLogWritten = 0;

private:
    QString appPath_;
    Platform& platform_;
    IConsole& console_;
};

} // namespace corvane
