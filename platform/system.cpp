#include "platform/system.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace corvane {

OsVersionRecord LinuxSystemInfo::versionRecord()
{
    // A platform id that is none of the Windows families: the version word is empty.
    return {true, 0x4C, 0, 0};
}

QString LinuxSystemInfo::windowsDirectory() { return QStringLiteral("/etc"); }

QString LinuxSystemInfo::computerName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name);
}

QString LinuxSystemInfo::userName()
{
    QByteArray user = qgetenv("USERNAME");
    if (user.isEmpty())
        user = qgetenv("USER");
    return QString::fromLocal8Bit(user);
}

void ImmediateEnd::endNow(int exitStatus)
{
    std::fflush(nullptr);
    std::_Exit(exitStatus);
}

} // namespace corvane
