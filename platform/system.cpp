#include "platform/system.h"

#include <QByteArray>
#include <QSysInfo>
#include <cstdio>
#include <cstdlib>
#include <sys/utsname.h>
#include <unistd.h>

namespace corvane {

OsVersionRecord LinuxSystemInfo::versionRecord()
{
    // A platform id that is none of the Windows families: the version word is empty.
    return {true, 0x4C, 0, 0};
}

QString LinuxSystemInfo::systemName()
{
    // The distribution's pretty name (os-release), then the kernel and its release.
    struct utsname u {};
    const QString kernel =
        uname(&u) == 0 ? QString::fromLatin1(u.sysname) + QLatin1Char(' ') + QString::fromLatin1(u.release) : QString();
    const QString distribution = QSysInfo::prettyProductName();
    // Without an os-release file the pretty name is the kernel's own.
    if (distribution.isEmpty() || distribution == kernel)
        return kernel;
    return kernel.isEmpty() ? distribution : distribution + QStringLiteral(", ") + kernel;
}

QString LinuxSystemInfo::windowsDirectory()
{
    return QStringLiteral("/etc");
}

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
