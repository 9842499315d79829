// The keyboard: Enter and Escape as the windows' buttons, and the splash that a key closes, here and
// on a real X display with a window manager.
#include "console/frmAbout.h"
#include "console/frmMsg.h"
#include "console/frmNodeDetail.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"
#include "tests/support/xdisplay.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
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

// The window of that name while it is shown.
QWidget* shown(const QString& window)
{
    const QWidgetList all = QApplication::topLevelWidgets();
    const auto found =
        std::find_if(all.begin(), all.end(), [&](QWidget* w) { return w->objectName() == window && w->isVisible(); });
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

// Under a window manager the window system decides who has the keyboard: the splash and the about
// box each take it when shown, and a key typed on the display reaches them. The check runs itself
// again as a child on a display of its own; without Xvfb, openbox and xdotool it is skipped.
TEST(Keyboard, OnARealDisplayTheSplashAndTheAboutBoxTakeTheKeyboard)
{
    if (onOwnXDisplay()) {
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

    if (const QString missing = runOnOwnXDisplay({QStringLiteral("xdotool")}); !missing.isEmpty())
        GTEST_SKIP() << missing.toStdString();
}
