#pragma once
// The state of a system service, as the service control manager numbers it (1 stopped .. 7 paused).
#include <QString>
#include <optional>

namespace corvane {

class IServiceManager {
public:
    virtual ~IServiceManager() = default;
    // The current state number, or nothing when the manager, the service or its status cannot be had.
    virtual std::optional<int> currentState(const QString& computer, const QString& service) = 0;
};

// systemd: the unit of that name (also tried in lower case); a unit that does not exist gives nothing.
class SystemdServices : public IServiceManager {
public:
    std::optional<int> currentState(const QString& computer, const QString& service) override;
};

} // namespace corvane
