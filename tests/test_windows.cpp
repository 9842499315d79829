// Where windows open: on the screen, centred on the main window or on the screen, wide enough for
// their title, in front of the window that opened them; the main window back where it was. Boxes
// belong to the window in front and show their whole title.
#include "assistants/frmOptions.h"
#include "console/frmNodeDetail.h"
#include "console/frmNodeStatus.h"
#include "console/frmReview.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "console/placement.h"
#include "console/program.h"
#include "console/qtdialogs.h"
#include "tests/support/testprogram.h"
#include "tests/support/xdisplay.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
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

TEST(Windows, StayInFrontOfTheWindowThatOpenedThem)
{
    TestProgram t;
    t.setSetting("STARTUP", "0");
    t.start();
    forms::mainform& m = t.main();
    const auto keptAbove = [](QWidget& w) { return w.windowHandle()->transientParent(); };

    // Opened from the main window, the review stays above it while the main window takes no input.
    forms::frmReview& review = t.program().frmReview();
    review.show();
    EXPECT_EQ(keptAbove(review), m.windowHandle());
    EXPECT_EQ(keptAbove(m), nullptr);
    EXPECT_EQ(t.program().frontWindow(), &review);

    // While the main window is hidden, a window stays above the one in front.
    review.hide();
    m.hide();
    forms::frmNodeStatus& status = t.program().frmNodeStatus();
    status.show();
    EXPECT_EQ(keptAbove(status), nullptr);
    forms::frmNodeDetail& detail = t.program().frmNodeDetail();
    detail.show();
    EXPECT_EQ(keptAbove(detail), status.windowHandle());
    // Shown again behind it, the status window is not made to stay above its own detail.
    status.hide();
    status.show();
    EXPECT_EQ(keptAbove(status), nullptr);
    // The splash closes by itself, so no box is given to it.
    t.program().frmSplash().show();
    EXPECT_EQ(t.program().frontWindow(), &status);
}

TEST(Windows, BoxesBelongToTheWindowInFrontShowTheirTitleAndCanAnswerThemselves)
{
    TestProgram t;
    t.setSetting("STARTUP", "0");
    t.start();
    forms::frmReview& review = t.program().frmReview();
    review.show();
    QtDialogs boxes;
    boxes.setFrontWindow([&t] { return t.program().frontWindow(); });
    boxes.answerAfter(200);
    const QString title = QStringLiteral("Add Computer *With Prefix: WORKSTATION-LAB-*");

    struct Seen {
        QWidget* owner = nullptr;
        int width = 0;
        int titleWidth = 0;
    };
    const auto look = [](Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            if (QWidget* box = QApplication::activeModalWidget())
                seen = {box->parentWidget(), box->width(), titleWidth(box)};
        });
    };
    Seen message;
    look(message);
    EXPECT_EQ(boxes.msgBox(QStringLiteral("Sure?"), MsgButtons::YesNo, MsgIcon::None, title), MsgAnswer::Yes);
    Seen input;
    look(input);
    EXPECT_EQ(boxes.inputBox(QStringLiteral("Enter a Computer Name:"), title, QStringLiteral("PC1")), QString());
    for (const Seen& seen : {message, input}) {
        EXPECT_EQ(seen.owner, &review);
        EXPECT_GE(seen.width, seen.titleWidth);
    }

    // A name pasted with its line break stays on one line, as in every one-line box.
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        auto* name = box->findChild<QLineEdit*>();
        name->end(false);
        name->insert(QStringLiteral("\r\nLAB\n"));
        box->accept();
    });
    EXPECT_EQ(boxes.inputBox(QStringLiteral("Enter a Computer Name:"), title, QStringLiteral("PC1")), "PC1  LAB ");
}

// The advice box holds the status window unshown while its list is laid out.
TEST(Windows, AfterTheAdviceBoxTheStatusWindowShowsWholeNames)
{
    TestProgram t;
    t.setSetting("STARTUP", "0");
    t.pending.dialogs = std::make_unique<QtDialogs>();
    t.dialogs = nullptr;
    t.start();
    Module1& m1 = t.program().module1();
    m1.ServiceName = QStringLiteral("NUVOCLIENT");
    for (int i = 0; i < 2; ++i) {
        m1.TargetNames[i] = QStringLiteral("127.0.57.%1").arg(i + 1);
        m1.TargetStatus[i] = QStringLiteral("Fail");
        m1.TargetResult[i] = QStringLiteral("Winsock Failed to Connect to Client");
    }
    m1.TargetCount = 2;
    t.main().hide();
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->defaultButton()->click();
    });
    t.program().showStatusWindow();
    pump(50);
    // Each entry has its whole cell, wide enough for an address: sized to its text while the
    // window was unshown, "127.0.57.1" read "127.0.5...".
    QListWidget* list = t.program().frmNodeStatus().ListView1;
    for (int row = 0; row < 2; ++row)
        EXPECT_EQ(list->visualRect(list->model()->index(row, 0)).size(), list->gridSize());
}

namespace {

// What xprop says, on the display this process was given.
QString xprop(const QStringList& arguments)
{
    QProcess run;
    run.start("xprop", arguments);
    run.waitForFinished(5000);
    return QString::fromLatin1(run.readAllStandardOutput());
}

} // namespace

// On a real X display with a window manager: a click on the main window's title while the review
// is open leaves the review above it. The test runs itself again on a display of its own (Xvfb with
// openbox) and skips where they are not installed.
TEST(Windows, OnAnXDisplayTheReviewStaysAboveTheMainWindow)
{
    if (onOwnXDisplay()) {
        TestProgram t;
        t.setSetting("STARTUP", "0");
        t.start();
        const QString main = "0x" + QString::number(t.main().winId(), 16);
        forms::frmReview& review = t.program().frmReview();
        review.show();
        const QString above = "0x" + QString::number(review.winId(), 16);
        const auto stacking = [] { return xprop({"-root", "_NET_CLIENT_LIST_STACKING"}); };
        ASSERT_TRUE(waitFor([&] { return stacking().contains(above); }));
        EXPECT_TRUE(xprop({"-id", above, "WM_TRANSIENT_FOR"}).contains(main));
        // What a click on its title asks of the window manager.
        t.main().raise();
        t.main().activateWindow();
        waitFor([&] { return xprop({"-root", "_NET_ACTIVE_WINDOW"}).contains(main); });
        EXPECT_GT(stacking().indexOf(above), stacking().indexOf(main)) << stacking().toStdString();
        return;
    }
    if (const QString missing = runOnOwnXDisplay({QStringLiteral("xprop")}); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
}
