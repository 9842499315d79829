// The keyboard: Enter and Escape as the windows' buttons, and the splash that a key closes, here and
// on a real X display with a window manager.
#include "console/frmAbout.h"
#include "console/frmMsg.h"
#include "console/frmNodeDetail.h"
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
#include <algorithm>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// The key as the window system hands it over: to the control with the focus, or to the window.
void press(QWidget& window, int key)
{
    QWidget* to = window.focusWidget() ? window.focusWidget() : &window;
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &event);
}

bool waitFor(const std::function<bool()>& done, int milliseconds = 10000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        pump(20);
    return done();
}

// The window of that name while it is shown.
QWidget* shown(const QString& window)
{
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](QWidget* w) { return w->objectName() == window && w->isVisible(); });
    return found == all.end() ? nullptr : *found;
}

// Opens the window as the operator does.
QWidget* open(TestProgram& t, const QString& window)
{
    if (window == QLatin1String("frmAbout"))
        t.main().Aboutmenu->trigger();
    if (window == QLatin1String("frmWizard"))
        t.main().butWizard_Click();
    if (window == QLatin1String("frmReview")) {
        t.addGroup(QStringLiteral("LAB.mit"), "127.0.0.1\r\n");
        selectOption(t.main().tab1opt1);
        t.main().messtext->setText(QStringLiteral("hello"));
        t.clickGroup(QStringLiteral("LAB.mit"));
        t.main().tab1butSend->click();
    }
    if (window == QLatin1String("frmNodeDetail"))
        t.program().frmNodeDetail().show();
    if (window == QLatin1String("frmMsg"))
        t.program().frmMsg().show();
    return shown(window);
}

} // namespace

TEST(Keyboard, EnterPressesTheDefaultButtonAndEscapeCancelsOrCloses)
{
    const QString cancelled = QStringLiteral("Your message to the group was cancelled!.");
    const struct {
        const char* window;
        const char* focus; // the control that has the focus, or the window's first
        QList<int> keys;
        QStringList boxes;
    } cases[] = {
        {"frmAbout", nullptr, {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}, {}}, // OK, never the link
        {"frmAbout", nullptr, {Qt::Key_Escape}, {}},
        {"frmReview", "txtMess", {Qt::Key_Escape}, {cancelled}},
        {"frmReview", "butSend", {Qt::Key_Tab, Qt::Key_Enter}, {cancelled}}, // a focused button presses itself
        {"frmNodeDetail", nullptr, {Qt::Key_Escape}, {}},
        {"frmMsg", "txtMsg", {Qt::Key_Escape}, {}},
        {"frmWizard", nullptr, {Qt::Key_Escape}, {}}, // its Close command
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.window) + " " + std::to_string(c.keys.last()));
        TestProgram t;
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.setSetting(QStringLiteral("SERVICE"), QStringLiteral("MESSENGER"));
        t.start();
        QWidget* window = open(t, QLatin1String(c.window));
        ASSERT_NE(window, nullptr);
        t.dialogs->shown.clear();
        if (c.focus)
            window->findChild<QWidget*>(QLatin1String(c.focus))->setFocus();
        for (const int key : c.keys)
            press(*window, key);
        EXPECT_EQ(shown(QLatin1String(c.window)), nullptr);
        EXPECT_TRUE(t.main().isVisible());
        EXPECT_EQ(t.dialogs->texts(), c.boxes);
        EXPECT_TRUE(t.messenger->calls.empty() && t.browser->opened.isEmpty());
    }

    // The wizard's Enter is Next, from its read-only help text too.
    TestProgram t;
    t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
    t.start();
    QWidget* wizard = open(t, QStringLiteral("frmWizard"));
    ASSERT_NE(wizard, nullptr);
    wizard->findChild<QWidget*>(QStringLiteral("txtDetail"))->setFocus();
    press(*wizard, Qt::Key_Return);
    EXPECT_EQ(wizard->windowTitle(), "Corvane Wizard - Step 2 of 8");
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
