#pragma once
// Checks that need a real window system: the test runs itself again as a child on an X display of
// its own, with a window manager, so that focus and stacking are decided as on a desktop.
#include <QString>
#include <QStringList>

namespace corvane::test {

// True in the child that runOnOwnXDisplay started.
bool onOwnXDisplay();

// Runs the current test again in a child process on an X display of its own (Xvfb at 1366x768 with
// openbox managing it) and fails the test when the child fails. Returns why it could not run, for a
// skip: Xvfb, openbox, one of the named tools or Qt's X11 platform missing.
QString runOnOwnXDisplay(const QStringList& tools = {});

} // namespace corvane::test
