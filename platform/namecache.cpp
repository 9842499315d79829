#include "platform/namecache.h"

#include "platform/servicestate.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace corvane {

namespace {

constexpr int kRunning = 4;

bool unitRuns(const QString& unit)
{
    return SystemdServices().currentState(QString(), unit) == kRunning;
}

// nscd keeps its socket only while it runs; a system without systemd has no unit to ask.
bool nscdRuns()
{
    if (unitRuns(QStringLiteral("nscd")) || unitRuns(QStringLiteral("unscd")))
        return true;
    for (const char* socket : {"/run/nscd/socket", "/var/run/nscd/socket"}) {
        if (QFileInfo(QLatin1String(socket)).exists())
            return true;
    }
    return false;
}

INameCache::Refresh startDetached(const QString& name, const QStringList& arguments, QString* error)
{
    const QString program = QStandardPaths::findExecutable(name);
    qint64 pid = 0;
    if (!program.isEmpty() && QProcess::startDetached(program, arguments, QStringLiteral("/"), &pid))
        return INameCache::Refresh::Started;
    if (error)
        *error = (program.isEmpty() ? QStringLiteral("the program %1 was not found")
                                    : QStringLiteral("the program %1 could not be started"))
                     .arg(name);
    return INameCache::Refresh::Failed;
}

} // namespace

INameCache::Refresh LinuxNameCache::refresh(QString* error)
{
    if (unitRuns(QStringLiteral("systemd-resolved")))
        return startDetached(QStringLiteral("resolvectl"), {QStringLiteral("flush-caches")}, error);
    if (nscdRuns())
        return startDetached(QStringLiteral("nscd"), {QStringLiteral("-i"), QStringLiteral("hosts")}, error);
    return Refresh::NothingToRefresh;
}

} // namespace corvane
