// Where windows open: on the screen, centred on the main window or on the screen, wide enough for
// their title; the main window back where it was.
#include "assistants/frmOptions.h"
#include "console/frmNodeStatus.h"
#include "console/frmProgress.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QScreen>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

TEST(Windows, OpenOnTheScreenCentredOnTheMainWindowOrTheScreen)
{
    TestProgram t;
    t.setSetting("STARTUP", "0");
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    forms::mainform& m = t.main();
    const QRect screen = m.screen()->availableGeometry();
    const auto onScreen = [&](QWidget& w) { return screen.contains(w.frameGeometry()); };
    EXPECT_TRUE(onScreen(m));

    m.move(screen.left() + 10, screen.top() + 20);
    forms::frmOptions& options = t.options();
    options.show();
    EXPECT_LE((options.frameGeometry().center() - m.frameGeometry().center()).manhattanLength(), 2)
        << "centred on the main window";
    EXPECT_TRUE(onScreen(options));
    options.hide();

    // A send hides the main window: its windows are centred on the screen, and the main window comes
    // back where the operator left it.
    const QPoint where = m.pos();
    m.hide();
    forms::frmProgress& progress = t.program().frmProgress();
    progress.show();
    EXPECT_LE((progress.frameGeometry().center() - screen.center()).manhattanLength(), 2);
    t.program().unloadFrmProgress();
    forms::frmNodeStatus& status = t.program().frmNodeStatus();
    status.show();
    EXPECT_TRUE(onScreen(status));
    EXPECT_GT(status.width(), status.fontMetrics().horizontalAdvance(status.windowTitle()))
        << "the whole title fits: " << status.windowTitle().toStdString();
    t.program().unloadFrmNodeStatus();
    m.show();
    EXPECT_EQ(m.pos(), where);
}
