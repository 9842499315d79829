#include "platform/eventwait.h"

#include <QCoreApplication>
#include <QTimer>
#include <optional>

namespace corvane {

bool waitInEventLoop(const std::function<bool()>& done, int timeoutMs, QEventLoop::ProcessEventsFlags flags)
{
    bool late = false;
    // No timer at all for a wait without a limit: the transfer waits so for every block.
    std::optional<QTimer> limit;
    if (timeoutMs >= 0) {
        limit.emplace();
        limit->setSingleShot(true);
        // A limit is a promise: the coarse kind may end the wait 5 % early.
        limit->setTimerType(Qt::PreciseTimer);
        QObject::connect(&*limit, &QTimer::timeout, [&late] { late = true; });
        limit->start(timeoutMs);
    }
    while (!done()) {
        if (late)
            return false;
        QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace corvane
