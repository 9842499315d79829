#include "platform/platform.h"

namespace corvane {

Platform linuxPlatform(const QString& programFolder)
{
    Platform p;
    p.clock = std::make_unique<SystemClock>();
    p.system = std::make_unique<LinuxSystemInfo>();
    p.registry = std::make_unique<FileRegistry>(programFolder + QStringLiteral("/registry.dat"));
    p.services = std::make_unique<SystemdServices>();
    p.end = std::make_unique<ImmediateEnd>();
    p.browser = std::make_unique<DesktopBrowser>();
    p.tasks = std::make_unique<AtTaskAgent>();
    p.nameCache = std::make_unique<LinuxNameCache>();
    p.pinger = std::make_unique<LinuxPinger>();
    p.resolver = std::make_unique<LinuxResolver>();
    p.messenger = std::make_unique<SmbclientMessenger>();
    p.tcp = std::make_unique<LinuxTcpClient>(p.resolver.get());
    return p;
}

} // namespace corvane
