#pragma once
// The operating system's services, as one program sees them. The program owns one of these; a test
// builds one from doubles.
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "platform/messenger.h"
#include "platform/namecache.h"
#include "platform/network.h"
#include "platform/registry.h"
#include "platform/servicestate.h"
#include "platform/system.h"
#include "platform/taskagent.h"

#include <memory>

namespace corvane {

struct Platform {
    std::unique_ptr<IDialogs> dialogs;
    std::unique_ptr<IClock> clock;
    std::unique_ptr<ISystemInfo> system;
    std::unique_ptr<IRegistry> registry;
    std::unique_ptr<IServiceManager> services;
    std::unique_ptr<IProgramEnd> end;
    std::unique_ptr<IBrowser> browser;
    std::unique_ptr<ITrayIcon> tray;
    std::unique_ptr<ITaskAgent> tasks;     // the system's task scheduler
    std::unique_ptr<INameCache> nameCache; // refreshed after the hosts file is saved
    // --- delivery: echo, names, the messaging call, the client socket ---
    std::unique_ptr<IPinger> pinger;
    std::unique_ptr<IResolver> resolver;
    std::unique_ptr<IMessenger> messenger;
    // The one client socket, tcpServer. It looks names up through `resolver`, which is therefore
    // declared before it and outlives it.
    std::unique_ptr<ITcpClient> tcp;
};

// The Linux services that need no window system. Dialogs and the tray icon are added by the caller.
// The registry store is the file "registry.dat" in the program folder.
Platform linuxPlatform(const QString& programFolder);

} // namespace corvane
