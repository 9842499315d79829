// The keyboard: Enter and Escape as the windows' buttons, and the splash that a key closes, here and
// on a real X display with a window manager.
#include "assistants/frmWizard.h"
#include "console/frmAbout.h"
#include "console/frmMsg.h"
#include "console/frmNodeDetail.h"
#include "console/frmReview.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// The key as the window system hands it over: to the control with the focus, or to the window.
void press(QWidget& window, int key, QWidget* focus = nullptr)
{
    if (focus)
        focus->setFocus();
    QWidget* to = focus ? focus : window.focusWidget() ? window.focusWidget() : &window;
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

bool waitFor(const std::function<bool()>& done, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        pump(20);
    return done();
}

forms::frmReview& openReview(TestProgram& t)
{
    t.addGroup(QStringLiteral("LAB.mit"), "127.0.0.1\r\n");
    selectOption(t.main().tab1opt1);
    t.main().messtext->setText(QStringLiteral("hello"));
    t.clickGroup(QStringLiteral("LAB.mit"));
    t.main().tab1butSend->click();
    return t.program().frmReview();
}

const QString kCancelled = QStringLiteral("Your message to the group was cancelled!.");

} // namespace

TEST(Keyboard, EnterPressesTheDefaultButtonAndEscapeCancelsOrCloses)
{
    struct Case {
        const char* name;
        std::function<QWidget&(TestProgram&)> open;
        int key;
        const char* focus; // a control to give the focus first, or none
        std::function<void(TestProgram&)> check;
    };
    const Case cases[] = {
        {"about box, Enter is OK and never the link",
         [](TestProgram& t) -> QWidget& {
             t.main().Aboutmenu->trigger();
             return t.program().frmAbout();
         },
         Qt::Key_Return, nullptr,
         [](TestProgram& t) {
             EXPECT_FALSE(t.program().frmAbout().isVisible());
             EXPECT_TRUE(t.main().isVisible());
             EXPECT_TRUE(t.browser->opened.isEmpty());
             EXPECT_EQ(t.program().frmAbout().linkDevelop->focusPolicy(), Qt::NoFocus);
         }},
        {"about box, Escape",
         [](TestProgram& t) -> QWidget& {
             t.main().Aboutmenu->trigger();
             return t.program().frmAbout();
         },
         Qt::Key_Escape, nullptr, [](TestProgram& t) { EXPECT_FALSE(t.program().frmAbout().isVisible()); }},
        {"review, Escape is Cancel", [](TestProgram& t) -> QWidget& { return openReview(t); }, Qt::Key_Escape,
         nullptr,
         [](TestProgram& t) {
             EXPECT_FALSE(t.program().frmReviewLoaded());
             EXPECT_EQ(t.dialogs->texts(), QStringList{kCancelled});
             EXPECT_TRUE(t.messenger->calls.empty());
         }},
        {"review, Enter on Cancel cancels", [](TestProgram& t) -> QWidget& { return openReview(t); }, Qt::Key_Enter,
         "butCancel",
         [](TestProgram& t) {
             EXPECT_EQ(t.dialogs->texts(), QStringList{kCancelled});
             EXPECT_TRUE(t.messenger->calls.empty());
         }},
        {"node diagnosis, Escape is Close",
         [](TestProgram& t) -> QWidget& {
             t.program().frmNodeDetail().show();
             return t.program().frmNodeDetail();
         },
         Qt::Key_Escape, nullptr, [](TestProgram& t) { EXPECT_FALSE(t.program().frmNodeDetailLoaded()); }},
        {"message detail, Escape is Close Detail",
         [](TestProgram& t) -> QWidget& {
             t.program().frmMsg().show();
             return t.program().frmMsg();
         },
         Qt::Key_Escape, "txtMsg", [](TestProgram& t) { EXPECT_FALSE(t.program().frmMsgLoaded()); }},
        {"wizard, Enter is Next",
         [](TestProgram& t) -> QWidget& {
             t.main().butWizard_Click();
             return t.program().frmWizard();
         },
         Qt::Key_Return, "txtDetail",
         [](TestProgram& t) {
             EXPECT_EQ(t.program().module1().WizardStep, 1);
             EXPECT_EQ(t.program().frmWizard().windowTitle(), "Corvane Wizard - Step 2 of 8");
         }},
        {"wizard, Escape is its Close command",
         [](TestProgram& t) -> QWidget& {
             t.main().butWizard_Click();
             return t.program().frmWizard();
         },
         Qt::Key_Escape, nullptr,
         [](TestProgram& t) {
             EXPECT_FALSE(t.program().frmWizardLoaded());
             EXPECT_TRUE(t.main().isVisible());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgram t;
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.setSetting(QStringLiteral("SERVICE"), QStringLiteral("MESSENGER"));
        t.start();
        QWidget& window = c.open(t);
        ASSERT_TRUE(window.isVisible());
        t.dialogs->shown.clear();
        press(window, c.key, c.focus ? window.findChild<QWidget*>(QLatin1String(c.focus)) : nullptr);
        c.check(t);
    }
}

TEST(Keyboard, TheSplashTakesTheFocusAndAKeyClosesIt)
{
    TestProgram t;
    t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("1"));
    t.start();
    forms::frmSplash& splash = t.program().frmSplash();
    splash.startTimer->setInterval(60000); // only the key closes it here
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == &splash; }));
    press(splash, Qt::Key_Space);
    EXPECT_FALSE(t.program().frmSplashLoaded());
    EXPECT_TRUE(t.main().isVisible());
}

// Under a window manager the window system decides who has the keyboard: the splash and the about
// box each take it when shown, and a key typed on the display reaches them. The check runs itself
// again as a child on a display of its own; without Xvfb, openbox and xdotool it is skipped.
TEST(Keyboard, OnARealDisplayTheSplashAndTheAboutBoxTakeTheKeyboard)
{
    if (qEnvironmentVariableIsSet("CORVANE_X_CHILD")) {
        const auto typeKey = [](const char* key) {
            EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)}), 0);
        };
        TestProgram t;
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("1"));
        t.start();
        forms::frmSplash& splash = t.program().frmSplash();
        splash.startTimer->setInterval(60000);
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == &splash; }));
        typeKey("space");
        ASSERT_TRUE(waitFor([&] { return !t.program().frmSplashLoaded(); }));
        EXPECT_TRUE(t.main().isVisible());

        t.main().Aboutmenu->trigger();
        forms::frmAbout& about = t.program().frmAbout();
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == about.aboutbutOK; }));
        typeKey("Return");
        EXPECT_TRUE(waitFor([&] { return !about.isVisible(); }));
        EXPECT_TRUE(t.browser->opened.isEmpty());
        return;
    }

    for (const char* tool : {"Xvfb", "openbox", "xdotool"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            GTEST_SKIP() << tool << " is not installed";
    }
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqxcb.so")))
        GTEST_SKIP() << "Qt's X11 platform is not installed";

    QProcess xvfb;
    xvfb.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                        QStringLiteral("0"), QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"),
                                        QStringLiteral("tcp")});
    ASSERT_TRUE(xvfb.waitForReadyRead(20000)) << "Xvfb did not start";
    const QString display = QLatin1Char(':') + QString::fromLatin1(xvfb.readAllStandardOutput().trimmed());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);

    // openbox runs its start-up command once it manages the display.
    const QTemporaryDir scratch;
    const QString ready = scratch.path() + QStringLiteral("/managed");
    QProcess openbox;
    openbox.setProcessEnvironment(env);
    openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                                              QStringLiteral("touch ") + ready});
    const bool managed = waitFor([&] { return QFile::exists(ready); }, 20000);

    QProcess child;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CORVANE_X_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=Keyboard.OnARealDisplayTheSplashAndTheAboutBoxTakeTheKeyboard")});
    const bool finished = managed && child.waitForFinished(60000);
    const QByteArray output = child.readAll();
    for (QProcess* p : {&child, &openbox, &xvfb}) {
        p->terminate();
        if (!p->waitForFinished(5000))
            p->kill();
        p->waitForFinished(5000);
    }
    ASSERT_TRUE(managed) << "openbox did not start on " << display.toStdString();
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
}
