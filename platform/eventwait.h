#pragma once
// The one way the program waits while window events go on running.
#include <functional>

namespace corvane {

// Lets window events run until done() holds or timeoutMs have passed (no time limit when negative).
// It sleeps in the event loop and looks at done() again after every event; it never polls. True when
// done() holds.
bool waitInEventLoop(const std::function<bool()>& done, int timeoutMs = -1);

} // namespace corvane
