#pragma once
// The one way the program waits while window events go on running.
#include <QEventLoop>
#include <functional>

namespace corvane {

// Lets window events run until done() holds or timeoutMs have passed (no time limit when negative).
// It sleeps in the event loop and looks at done() again after every event; it never polls. True when
// done() holds. With QEventLoop::ExcludeUserInputEvents the windows are still drawn and the timers
// still run, while clicks and keys wait, in order, until the wait is over.
bool waitInEventLoop(const std::function<bool()>& done, int timeoutMs = -1,
                     QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

} // namespace corvane
