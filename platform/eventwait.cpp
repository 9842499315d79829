#include "platform/eventwait.h"

#include <QCoreApplication>
#include <QTimer>

namespace corvane {

bool waitInEventLoop(const std::function<bool()>& done, int timeoutMs)
{
    bool late = false;
    QTimer limit;
    if (timeoutMs >= 0) {
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, [&late] { late = true; });
        limit.start(timeoutMs);
    }
    while (!done()) {
        if (late)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace corvane
