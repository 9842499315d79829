// Where windows open: on the screen, centred on the main window or on the screen (or beside the
// window that opened them), wide enough for their title, in front of the window that opened them,
// at the same place every time; the main window back where it was. Boxes belong to the window in
// front and show their whole title. The focus goes where input goes.
#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "console/frmAbout.h"
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
#include <QRegularExpression>
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

// Near any edge of the screen, a window centred on the main window is kept whole on the screen; a
// window opened beside another goes where the screen has room for it, moving the other aside where
// it must, and never over the other's buttons.
TEST(Windows, AFrameIsPlacedWholeOnTheScreenCentredOrBeside)
{
    const QRect screen(0, 0, 1366, 768);
    const struct {
        const char* where;
        QPoint main; // where the main window's frame of 900 x 600 stands, to centre on
        QPoint at;
    } centred[] = {
        {"left edge", {-700, 84}, {0, 234}},
        {"right edge", {1200, 84}, {866, 234}},
        {"top edge", {233, -500}, {433, 0}},
        {"bottom edge", {233, 700}, {433, 468}},
    };
    for (const auto& c : centred)
        EXPECT_EQ(framePosition({500, 300}, screen, QRect(c.main, QSize(900, 600))), c.at) << c.where;
    EXPECT_EQ(framePosition({1500, 900}, screen, QRect(233, 84, 900, 600)), QPoint(0, 0)) << "larger than the screen";

    const QRect bottomRight(560, 360, 230, 30); // the opener's buttons, in its frame
    const struct {
        const char* where;
        QRect opener;
        QSize frame;
        QRect keep;
        QPoint openerAt, at;
    } beside[] = {
        {"room on the right", {10, 100, 588, 311}, {500, 300}, {}, {10, 100}, {598, 100}},
        {"room on the left only", {700, 100, 588, 311}, {500, 300}, {}, {700, 100}, {200, 100}},
        {"low on the screen", {10, 600, 588, 150}, {500, 300}, {}, {10, 600}, {598, 468}},
        {"centred, room on neither side", {383, 184, 600, 400}, {560, 330}, {}, {206, 184}, {806, 184}},
        {"more room on the left", {500, 184, 600, 400}, {560, 330}, {}, {560, 184}, {0, 184}},
        {"wider than the screen", {283, 184, 800, 400}, {700, 420}, bottomRight, {566, 184}, {0, 184}},
        {"wider, buttons across", {283, 184, 800, 400}, {700, 420}, {10, 360, 780, 30}, {0, 184}, {666, 124}},
    };
    for (const auto& c : beside) {
        const PairPosition pair = besidePosition(c.frame, screen, c.opener, c.keep);
        EXPECT_EQ(pair.opener, c.openerAt) << c.where;
        EXPECT_EQ(pair.window, c.at) << c.where;
    }
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
    // Each entry has its whole cell, wide enough for an address: sized to its text while the
    // window was unshown, "127.0.57.1" read "127.0.5...".
    QListWidget* list = t.program().frmNodeStatus().ListView1;
    const auto whole = [list](int row) { return list->visualRect(list->model()->index(row, 0)).size(); };
    EXPECT_TRUE(waitFor([&] { return whole(0) == list->gridSize() && whole(1) == list->gridSize(); }))
        << whole(0).width() << " " << whole(1).width();
}

namespace {

QString xid(const QWidget& window)
{
    return "0x" + QString::number(window.winId(), 16);
}

// Where the window manager has put the window, once it has framed it and the program has learnt
// where it stands, as it has a moment later on a desktop: its inside and its frame.
struct Framed {
    QPoint inside;
    QPoint frame;
};
Framed framed(const QWidget& window)
{
    Framed at;
    EXPECT_TRUE(waitFor([&] {
        const QString info = outputOf("xwininfo", {"-id", xid(window)});
        const auto number = [&](const char* label) {
            const QRegularExpression line(QLatin1String(label) + QStringLiteral(":\\s+(-?\\d+)"));
            return line.match(info).captured(1).toInt();
        };
        at.inside = {number("Absolute upper-left X"), number("Absolute upper-left Y")};
        at.frame = at.inside - QPoint(number("Relative upper-left X"), number("Relative upper-left Y"));
        return info.contains("IsViewable") && at.frame != at.inside && window.geometry().topLeft() == at.inside &&
               window.frameGeometry().topLeft() == at.frame;
    })) << window.objectName().toStdString();
    return at;
}

} // namespace

// On a real X display with a window manager, the review holds the main window: it stays above it,
// and a click on the main window's title or body hands the focus to the review, where Enter and
// Escape work. The test runs itself again on a display of its own (Xvfb with openbox) and skips where they
// are not installed.
TEST(Windows, OnAnXDisplayTheReviewKeepsTheFocusAndStaysAboveTheMainWindow)
{
    if (onOwnXDisplay()) {
        TestProgram t;
        t.setSetting("STARTUP", "0");
        t.start();
        forms::mainform& m = t.main();
        forms::frmReview& review = t.program().frmReview();
        review.show();
        const QString main = xid(m);
        const QString above = xid(review);
        const auto stacking = [] { return outputOf("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"}); };
        ASSERT_TRUE(waitFor([&] { return stacking().contains(above); }));
        EXPECT_TRUE(outputOf("xprop", {"-id", above, "WM_TRANSIENT_FOR"}).contains(main));

        // Another program has the focus; the operator clicks the main window's title, then its body,
        // which the window manager activates itself.
        QWidget other;
        other.setWindowTitle(QStringLiteral("Another program"));
        other.setGeometry(10, 30, 160, 80); // in a corner, clear of the places clicked
        const Framed at = framed(m);
        // The body is clicked near its lower left corner, clear of the review, which is centred on it.
        const QPoint clicks[] = {{at.inside.x() + m.width() / 2, (at.frame.y() + at.inside.y()) / 2},
                                 at.inside + QPoint(8, m.height() - 8)};
        ASSERT_GT(framed(review).frame.x(), clicks[1].x()) << "the review covers the place clicked";
        for (const QPoint& click : clicks) {
            other.show();
            other.activateWindow();
            ASSERT_TRUE(waitFor([&] { return QGuiApplication::focusWindow() == other.windowHandle(); }));
            EXPECT_EQ(QProcess::execute("xdotool", {"mousemove", QString::number(click.x()), QString::number(click.y()),
                                                    "click", "1"}),
                      0);
            EXPECT_TRUE(waitFor([&] { return QGuiApplication::focusWindow() == review.windowHandle(); }))
                << click.y() << " " << outputOf("xprop", {"-root", "_NET_ACTIVE_WINDOW"}).toStdString();
            EXPECT_GT(stacking().indexOf(above), stacking().indexOf(main)) << stacking().toStdString();
        }
        EXPECT_EQ(QProcess::execute("xdotool", {"key", "Escape"}), 0);
        EXPECT_TRUE(waitFor([&] { return !t.program().frmReviewLoaded(); }));
        EXPECT_EQ(t.dialogs->texts(), QStringList{"Your message to the group was cancelled!."});
        return;
    }
    if (const QString missing = runOnOwnXDisplay({"xprop", "xwininfo", "xdotool"}); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
}

// Under a window manager, a window opened again stands where it stood the first time, frame and
// all, and the main window comes back where it was.
TEST(Windows, OnAnXDisplayAWindowOpenedAgainStandsWhereItStoodTheFirstTime)
{
    if (onOwnXDisplay()) {
        TestProgram t;
        t.setSetting("STARTUP", "0");
        t.start();
        forms::mainform& m = t.main();
        m.messtext->setText(QStringLiteral("hello"));
        selectOption(m.tab1opt2);
        m.tab1sendcpu->setText(QStringLiteral("PC1"));
        const Framed mainAt = framed(m);
        // The about box, centred on the main window; the scheduler, on the screen while the main
        // window is hidden. Each closes with its button.
        const std::tuple<std::function<void()>, std::function<QWidget&()>, const char*> windows[] = {
            {[&] { m.Aboutmenu->trigger(); }, [&]() -> QWidget& { return t.program().frmAbout(); }, "aboutbutOK"},
            {[&] { m.butSchedule_Click(); }, [&]() -> QWidget& { return t.program().frmSchedule(); }, "butCancel"},
        };
        for (const auto& [open, window, button] : windows) {
            SCOPED_TRACE(button);
            open();
            QWidget& first = window();
            const Framed at = framed(first);
            first.findChild<QPushButton*>(button)->click();
            ASSERT_TRUE(waitFor([&] { return !first.isVisible() && m.isVisible(); }));
            // Within a pixel or two: a window whose contents changed its size is centred afresh.
            open();
            const Framed again = framed(window());
            EXPECT_LE((again.frame - at.frame).manhattanLength(), 2);
            EXPECT_EQ(again.inside - again.frame, at.inside - at.frame);
            window().findChild<QPushButton*>(button)->click();
            EXPECT_EQ(framed(m).inside, mainAt.inside);
        }
        return;
    }
    if (const QString missing = runOnOwnXDisplay({"xwininfo"}); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
}
