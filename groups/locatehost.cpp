#include "groups/locatehost.h"

#include "engine/general.h"
#include "engine/module1.h"
#include "platform/files.h"

namespace corvane {

void LocateHost::LocateHostsFile()
{
    m1_.WinVersion = wintell_.GetOSName();
    m1_.GetFreeFileNumber();
    // A configured path that opens always wins, whatever the system; a FIFO or a device is no hosts
    // file, and opening one could hold the start for ever.
    if (hostsFileOpens(m1_.HostsPath))
        return;
    const QString& v = m1_.WinVersion;
    if (v == QLatin1String("Win2000") || v == QLatin1String("WinXP") || v == QLatin1String("NT 4"))
        m1_.HostsPath = m1_.WindowsDir + QStringLiteral("/system32/drivers/etc/hosts");
    else if (v == QLatin1String("ME") || v == QLatin1String("98") || v == QLatin1String("95"))
        m1_.HostsPath = m1_.WindowsDir + QStringLiteral("/hosts.sam");
}

} // namespace corvane
