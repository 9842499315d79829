#pragma once
// The computer's cache of names and addresses, which must forget its answers for the hosts file's
// changes to be seen at once.
#include <QString>

namespace corvane {

class INameCache {
public:
    enum class Refresh {
        Started,          // the cache's flush command is on its way; nothing waits for it
        NothingToRefresh, // no cache runs: every lookup reads the hosts file afresh
        Failed,           // a cache runs but its flush command could not be started
    };
    virtual ~INameCache() = default;
    // Starts the flush of the cache that runs here, detached. With Failed, `error` says why.
    virtual Refresh refresh(QString* error = nullptr) = 0;
};

// systemd-resolved (`resolvectl flush-caches`) where it runs, else nscd (`nscd -i hosts`).
class LinuxNameCache : public INameCache {
public:
    Refresh refresh(QString* error = nullptr) override;
};

} // namespace corvane
