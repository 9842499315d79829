#include "engine/module1.h"

#include "engine/textfile.h"

#include <QLocale>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>

namespace corvane {

Module1::Module1(QString programFolder, Platform& platform, IConsole& console)
    : appPath_(std::move(programFolder)), platform_(platform), console_(console)
{
    SettingsFile = appPath_ + QStringLiteral("/Corvane.ini");
    TemplateFile = appPath_ + QStringLiteral("/template.dat");
    CheckitLogFile = appPath_ + QStringLiteral("/Logs/Checkit.log");
}

void Module1::GetFreeFileNumber()
{
    // Numbers go round 1..511; no caller keeps that many files open at once.
    FileNum = static_cast<std::int16_t>(FileNum % 511 + 1);
}

QString Module1::DateText() const
{
    return QLocale::system().toString(platform_.clock->now().date(), QLocale::ShortFormat);
}

QString Module1::TimeText() const
{
    return platform_.clock->now().time().toString(QStringLiteral("HH:mm:ss"));
}

void Module1::WriteErrorLog(const QString& text)
{
    GetFreeFileNumber();
    const QString line =
        QStringLiteral("[") + DateText() + QStringLiteral(" - ") + TimeText() + QStringLiteral("] ") + text;
    // A log that cannot be written loses its line; the program goes on.
    appendToFile(appPath_ + QStringLiteral("/errorlog.log"), toAnsi(line) + kCrLf);
}

void Module1::OpenInBrowser(const QString& pathOrAddress)
{
    if (platform_.browser->open(pathOrAddress))
        return;
    dialogs().msgBox(QStringLiteral("Corvane could not start a web browser or document viewer to open:\r\n\r\n") +
                         pathOrAddress + QStringLiteral("\r\n\r\nPlease open it by hand."),
                     MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Information"));
}

void Module1::OpenUserGuide()
{
    const QString guide = appPath_ + QStringLiteral("/HelpFiles/UserGuide.pdf");
    if (!openRegularFile(guide, O_RDONLY).isOpen()) {
        ReportUnreadable(QStringLiteral("User Guide"), guide, fileErrorText(errno),
                         QStringLiteral("Please re-install Corvane to restore it."));
        return;
    }
    OpenInBrowser(guide);
}

void Module1::ReportUnreadable(const QString& what, const QString& path, const QString& error,
                               const QString& consequence)
{
    dialogs().msgBox(QStringLiteral("The ") + what + QLatin1Char(' ') + path + QStringLiteral(" could not be read (") +
                         error + QStringLiteral(").  ") + consequence,
                     MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
}

void Module1::LogIfEnabled(const QString& text)
{
    if (BootLog == QLatin1String("YES"))
        WriteErrorLog(text);
}

QStringList Module1::SettingsLines()
{
    return {
        QStringLiteral("HOSTPATH=") + HostsPath,
        QStringLiteral("PREFIXSTATUS=") + QString::number(PrefixEnabled),
        QStringLiteral("PREFIX=") + (PrefixEnabled == 1 ? console_.prefixText() : QStringLiteral("NONE")),
        QStringLiteral("LOGMSGS=") + QString::number(LogMessages),
        QStringLiteral("DOMAIN_ENABLE=") + QString::number(DomainEnabled),
        QStringLiteral("STARTUP=") + QString::number(ShowSplash),
        QStringLiteral("ALIAS=") + console_.aliasText(),
        QStringLiteral("SENDASIP=") + SendAsIP,
        QStringLiteral("SERVICE=") + ServiceName,
        QStringLiteral("PORT=") + QString::number(ClientPort),
        QStringLiteral("WIN_TITLE=") + console_.winTitleText(),
        QStringLiteral("WIN_SHOWDATE=") + ShowDate,
        QStringLiteral("WIN_SHOWTIME=") + ShowTime,
        QStringLiteral("WIN_TIMEOUT=") + UseTimeOut,
        QStringLiteral("WIN_TIMEOUTMIN=") + QString::number(TimeOutMinutes),
        QStringLiteral("ENABLE_CPUTARGET=") + EnableCpuTarget,
        QStringLiteral("ENABLE_GROUPTARGET=") + EnableGroupTarget,
        QStringLiteral("ENABLE_GROUPMANAGE=") + EnableGroupManage,
        QStringLiteral("ENABLE_HOSTMANAGE=") + EnableHostManage,
        QStringLiteral("ENABLE_FROM=") + EnableFrom,
        QStringLiteral("ERRORLOG=") + BootLog,
    };
}

void Module1::SaveIniSettings()
{
    ShowSplash = console_.splashTicked() ? 1 : 0;
    if (PrefixEnabled == 1) {
        static const QString refused = QStringLiteral("*'\" /\\[]:;|<>+=,?");
        for (const QChar c : console_.prefixText()) {
            if (refused.contains(c)) {
                dialogs().msgBox(QStringLiteral("Prefix Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).  "
                                                "Please enter a different prefix."),
                                 MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane - Information"));
                return;
            }
        }
    }
    HostsPath = console_.hostsPathLabel();
    GetFreeFileNumber();
    // Written whole and atomically: a failure leaves the old file as it was.
    if (!writeWholeFile(SettingsFile, keyLines(SettingsLines()))) {
        dialogs().msgBox(QStringLiteral("The Corvane.ini file is Invalid or Corrupt.  Please re-install Corvane"),
                         MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Information"));
        platform_.end->endNow(EXIT_FAILURE);
    }
}

void Module1::LoadTemplate()
{
    GetFreeFileNumber();
    const ReadResult read = readTextLines(TemplateFile);
    if (!read.ok) {
        TemplateText.clear();
        dialogs().msgBox(QStringLiteral("The template.dat file could not be read (") + read.error +
                             QStringLiteral(").  Corvane will start with an empty message template."),
                         MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
        return;
    }
    QString text;
    for (const QString& line : read.lines)
        text += line + QStringLiteral("\r\n");
    TemplateText = text == QLatin1String("\r\n") ? QString() : text;
}

bool Module1::IsNameInFolder(const QString& name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && name != QLatin1String(".") &&
           name != QLatin1String("..");
}

QString Module1::FileNameFromPath(const QString& path)
{
    const qsizetype at = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (at < 0)
        return {}; // a path with no folder part names no file
    return path.mid(at + 1);
}

} // namespace corvane
