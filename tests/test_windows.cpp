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

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
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

// Waits, letting events run, until the check holds or five seconds have gone.
bool waitFor(const std::function<bool()>& check)
{
    for (int i = 0; i < 50 && !check(); ++i)
        pump(100);
    return check();
}

} // namespace

// On a real X display with a window manager: a click on the main window's title while the review
// is open leaves the review above it. The test runs itself again on a display of its own (Xvfb with
// openbox) and skips where they are not installed.
TEST(Windows, OnAnXDisplayTheReviewStaysAboveTheMainWindow)
{
    if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
        ASSERT_TRUE(waitFor([] { return xprop({"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id"); }));
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
    for (const char* tool : {"Xvfb", "openbox", "xprop"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    }
    int display = 60;
    while (QFile::exists(QString("/tmp/.X%1-lock").arg(display)) && display < 99)
        ++display;
    QProcess xvfb;
    xvfb.start("Xvfb", {":" + QString::number(display), "-screen", "0", "1366x768x24"});
    ASSERT_TRUE(waitFor([&] { return QFile::exists(QString("/tmp/.X11-unix/X%1").arg(display)); }));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", ":" + QString::number(display));
    QProcess openbox;
    openbox.setProcessEnvironment(env);
    openbox.start("openbox", {});
    QProcess self;
    env.insert("QT_QPA_PLATFORM", "xcb");
    self.setProcessEnvironment(env);
    self.start(QCoreApplication::applicationFilePath(),
               {"--gtest_filter=Windows.OnAnXDisplayTheReviewStaysAboveTheMainWindow"});
    self.waitForFinished(60000);
    // Asked to end, Xvfb takes its lock file away.
    openbox.terminate();
    openbox.waitForFinished(5000);
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    if (self.readAllStandardError().contains("Could not load the Qt platform plugin"))
        GTEST_SKIP() << "Qt's X11 platform is not installed";
    EXPECT_EQ(self.exitCode(), 0) << self.readAllStandardOutput().toStdString();
}
