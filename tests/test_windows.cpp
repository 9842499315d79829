// Where windows open: on the screen, centred on the main window or on the screen, wide enough for
// their title; the main window back where it was.
#include "assistants/frmOptions.h"
#include "console/frmNodeStatus.h"
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
    m.move(screen.topLeft() + QPoint(10, 20));
    const QPoint where = m.pos();
    const auto centredOn = [](QWidget& w, QPoint centre) {
        EXPECT_LE((w.frameGeometry().center() - centre).manhattanLength(), 2) << w.objectName().toStdString();
    };
    t.options().show();
    centredOn(t.options(), m.frameGeometry().center());

    // A send hides the main window: the status window is centred on the screen, whole title and
    // all, and the main window comes back where the operator left it.
    m.hide();
    forms::frmNodeStatus& status = t.program().frmNodeStatus();
    status.show();
    centredOn(status, screen.center());
    EXPECT_TRUE(screen.contains(status.frameGeometry()));
    EXPECT_GT(status.width(), status.fontMetrics().horizontalAdvance(status.windowTitle()));
    m.show();
    EXPECT_EQ(m.pos(), where);
}
