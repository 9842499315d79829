// The "Client Options" tab: the delivery modes with their service check, the message format, the
// client window options and the time-out minutes.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const char* const messengerKey = "SYSTEM\\CurrentControlSet\\Services\\Messenger";
constexpr std::uint32_t localMachine = 0x80000002;
const QString placeholder = QStringLiteral("<A HTML file will be used as the message to send>");

QColor textColour(QRadioButton* option)
{
    return option->palette().color(QPalette::WindowText);
}

} // namespace

class ClientOptions : public ::testing::Test {
protected:
    void SetUp() override { t.setSetting("STARTUP", "0"); }
    std::uint32_t messengerStart()
    {
        std::uint32_t value = 0;
        EXPECT_TRUE(t.program().platform().registry->dword(localMachine, messengerKey, "Start", value));
        return value;
    }
    void setMessengerStart(std::uint32_t value)
    {
        IRegistry& registry = *t.program().platform().registry;
        int handle = 0;
        ASSERT_EQ(registry.openKey(localMachine, messengerKey, handle), 0);
        ASSERT_EQ(registry.setDword(handle, "Start", value), 0);
        registry.closeKey(handle);
    }
    int serviceBoxes() const
    {
        int n = 0;
        for (const ShownBox& box : t.dialogs->shown)
            n += box.title == QLatin1String("Corvane - Service") ? 1 : 0;
        return n;
    }
    std::vector<QWidget*> clientControls(forms::mainform& m)
    {
        return {m.frmNuvoOpt,      m.frmNuvofor, m.frmNuvotime, m.lblWinTitle,       m.txtWintitle, m.lblMainHeadline,
                m.txtMainHeadline, m.chkDate,    m.chkTime,     m.optPlain,          m.optHTML,     m.lblHTML,
                m.txtPathtoHTML,   m.butBrowse,  m.chkTimeOut,  m.lblMinutesDisplay, m.butPlusMin,  m.butMinusMin};
    }
    TestProgram t;
};

TEST_F(ClientOptions, AStoppedMessengerServiceIsSetToStartAutomaticallyEachTimeTheModeIsChosen)
{
    t.services->states["Messenger"] = 1;
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    forms::mainform& m = t.main();
    ASSERT_EQ(serviceBoxes(), 1) << "the mode chosen at start-up checks the service too";
    const ShownBox* box = nullptr;
    for (const ShownBox& b : t.dialogs->shown)
        if (b.title == QLatin1String("Corvane - Service"))
            box = &b;
    EXPECT_EQ(box->icon, MsgIcon::Information);
    EXPECT_TRUE(box->text.startsWith("The (MESSENGER) service on this PC is not running.  Corvane requires"));
    EXPECT_TRUE(box->text.endsWith("please restart your PC for the settings to take effect."));
    EXPECT_EQ(messengerStart(), 2u);

    setMessengerStart(3);
    selectOption(m.optWinsock);
    selectOption(m.optMessenger);
    EXPECT_EQ(serviceBoxes(), 2);
    EXPECT_EQ(messengerStart(), 2u);

    // A running service, and one whose state cannot be read, are left alone.
    for (std::optional<int> state : {std::optional<int>(4), std::optional<int>()}) {
        setMessengerStart(3);
        if (state)
            t.services->states["Messenger"] = *state;
        else
            t.services->states.erase("Messenger");
        selectOption(m.optMessenger);
        EXPECT_EQ(serviceBoxes(), 2);
        EXPECT_EQ(messengerStart(), 3u);
    }
}

TEST_F(ClientOptions, MessengerModeDisablesTheClientControlsAndFixesTheAlias)
{
    t.setSetting("ALIAS", "Helpdesk");
    t.start();
    forms::mainform& m = t.main();
    Module1& m1 = t.program().module1();
    EXPECT_EQ(t.options().txtAlias->text(), "Helpdesk");
    selectOption(m.optHTML);
    m.messtext->setText("typed by the operator");

    selectOption(m.optMessenger);
    EXPECT_EQ(m1.ServiceName, "MESSENGER");
    EXPECT_EQ(m1.ClientMode, 0);
    EXPECT_EQ(m.panelText(2), "Message Mode: Windows Messenger");
    EXPECT_EQ(m.panelText(1), "Status: Message Mode Altered to Windows Messenger Service");
    EXPECT_EQ(textColour(m.optMessenger), QColor(0, 0, 255));
    EXPECT_EQ(textColour(m.optWinsock), QColor(0, 0, 0));
    EXPECT_TRUE(m.optPlain->isChecked());
    EXPECT_EQ(m.messtext->text(), m1.TemplateText);
    EXPECT_FALSE(m1.TemplateText.isEmpty());
    EXPECT_TRUE(m.messtext->isEnabled());
    EXPECT_EQ(m.tab1Frame1->title(), "Message");
    for (QWidget* control : clientControls(m))
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_FALSE(t.options().txtAlias->isEnabled());
    EXPECT_FALSE(t.options().butDefault->isEnabled());
    EXPECT_EQ(t.options().txtAlias->text(), "LABHOST");
    EXPECT_FALSE(m.tab1opt3->isEnabled()) << "DOMAIN_ENABLE=0 withholds the Domain target in this handler";

    // Back to the client: the alias may be typed again and keeps the computer's name.
    selectOption(m.optWinsock);
    EXPECT_TRUE(t.options().txtAlias->isEnabled());
    EXPECT_TRUE(t.options().butDefault->isEnabled());
    EXPECT_EQ(t.options().txtAlias->text(), "LABHOST");
}

TEST_F(ClientOptions, TheDomainTargetFollowsTheModeAndItsSwitch)
{
    t.setSetting("DOMAIN_ENABLE", "1");
    t.start();
    forms::mainform& m = t.main();
    selectOption(m.optMessenger);
    EXPECT_TRUE(m.tab1opt3->isEnabled());
    selectOption(m.tab1opt3);
    selectOption(m.optWinsock);
    EXPECT_FALSE(m.tab1opt3->isEnabled());
    EXPECT_TRUE(m.tab1opt2->isChecked());

    TestProgram other;
    other.setSetting("STARTUP", "0");
    other.setSetting("DOMAIN_ENABLE", "0");
    other.start();
    selectOption(other.main().optWinsock);
    EXPECT_FALSE(other.main().tab1opt3->isEnabled());
    EXPECT_TRUE(other.main().tab1opt2->isChecked());
}

TEST_F(ClientOptions, ClientModeEnablesItsControlsButLeavesThePathToTheFormat)
{
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    forms::mainform& m = t.main();
    Module1& m1 = t.program().module1();
    selectOption(m.optWinsock);
    EXPECT_EQ(m1.ServiceName, "NUVOCLIENT");
    EXPECT_EQ(m1.ClientMode, 1);
    EXPECT_EQ(m.panelText(2), "Message Mode: Nuvo Client");
    EXPECT_EQ(m.panelText(1), "Status: Message Mode Altered to Nuvo Client");
    EXPECT_EQ(textColour(m.optWinsock), QColor(0, 0, 255));
    EXPECT_EQ(textColour(m.optMessenger), QColor(0, 0, 0));
    for (QWidget* control : clientControls(m)) {
        const bool expected =
            control != m.txtPathtoHTML && control != m.butBrowse && control != m.butPlusMin && control != m.butMinusMin;
        EXPECT_EQ(control->isEnabled(), expected) << control->objectName().toStdString();
    }

    setTicked(m.chkTimeOut, true);
    selectOption(m.optMessenger);
    selectOption(m.optWinsock);
    EXPECT_TRUE(m.butPlusMin->isEnabled());
    EXPECT_TRUE(m.butMinusMin->isEnabled());
}

TEST_F(ClientOptions, HtmlFormatShowsThePlaceholderAndThenTheBrowsedPage)
{
    t.start();
    forms::mainform& m = t.main();
    Module1& m1 = t.program().module1();
    selectOption(m.optHTML);
    EXPECT_EQ(m.messtext->text(), placeholder);
    EXPECT_FALSE(m.messtext->isEnabled());
    EXPECT_FALSE(m.tab1butclear->isEnabled());
    EXPECT_FALSE(m.mnuSaveMess->isEnabled());
    EXPECT_FALSE(m.mnuOpenMess->isEnabled());
    EXPECT_TRUE(m.txtPathtoHTML->isEnabled());
    EXPECT_TRUE(m.butBrowse->isEnabled());
    EXPECT_EQ(m.tab1Frame1->title(), "Message - <HTML File>");

    m.butBrowse->click(); // cancelled
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->kind, "openFileName");
    EXPECT_EQ(t.dialogs->last()->title, "Select a HTML File to import...");
    EXPECT_EQ(t.dialogs->last()->text, "HTML Files (*.htm*)");
    EXPECT_EQ(m.messtext->text(), placeholder);
    EXPECT_EQ(m.txtPathtoHTML->text(), "");

    const QString page = t.path("Messages/notice.html");
    t.dialogs->chooseFile(page);
    m.butBrowse->click();
    EXPECT_EQ(m1.HtmlPath, page);
    EXPECT_EQ(m.txtPathtoHTML->text(), page);
    EXPECT_EQ(m.messtext->text(), placeholder + "\r\n\r\n" + page);

    // A tab switch writes the placeholder and the path again.
    m.messtext->setText("changed");
    m.SSTab1->setCurrentIndex(4);
    EXPECT_EQ(m.messtext->text(), placeholder + "\r\n\r\n" + page);

    selectOption(m.optPlain);
    EXPECT_EQ(m.messtext->text(), m1.TemplateText);
    EXPECT_TRUE(m.messtext->isEnabled());
    EXPECT_TRUE(m.mnuSaveMess->isEnabled());
    EXPECT_TRUE(m.tab1butclear->isEnabled());
    EXPECT_FALSE(m.txtPathtoHTML->isEnabled());
    EXPECT_EQ(m.txtPathtoHTML->text(), page);
}

TEST_F(ClientOptions, TimeOutMinutesAndTheirLabel)
{
    t.start();
    forms::mainform& m = t.main();
    Module1& m1 = t.program().module1();
    EXPECT_TRUE(m.lblMinutesDisplay->isHidden());
    setTicked(m.chkTimeOut, true);
    EXPECT_EQ(m1.UseTimeOut, "YES");
    EXPECT_FALSE(m.lblMinutesDisplay->isHidden());
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [5] minutes.");
    m.butPlusMin->click();
    EXPECT_EQ(m1.TimeOutMinutes, 6);
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [6] minutes.");
    for (int i = 0; i < 10; ++i)
        m.butMinusMin->click();
    EXPECT_EQ(m1.TimeOutMinutes, 1);
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [1] minutes.");

    m1.TimeOutMinutes = 32766;
    m.butPlusMin->click();
    m.butPlusMin->click();
    EXPECT_EQ(m1.TimeOutMinutes, 32767) << "the minutes stop at the top of their range";
    m1.TimeOutMinutes = -32768;
    m.butMinusMin->click();
    EXPECT_EQ(m1.TimeOutMinutes, 1);

    setTicked(m.chkTimeOut, false);
    EXPECT_EQ(m1.UseTimeOut, "NO");
    EXPECT_EQ(m1.TimeOutMinutes, 5);
    EXPECT_TRUE(m.lblMinutesDisplay->isHidden());
    EXPECT_FALSE(m.butPlusMin->isEnabled());
    EXPECT_FALSE(m.butMinusMin->isEnabled());
    setTicked(m.chkTimeOut, true);
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [5] minutes.");

    setTicked(m.chkDate, false);
    setTicked(m.chkTime, false);
    EXPECT_EQ(m1.ShowDate, "NO");
    EXPECT_EQ(m1.ShowTime, "NO");
    setTicked(m.chkDate, true);
    EXPECT_EQ(m1.ShowDate, "YES");
}

TEST_F(ClientOptions, TheLabelNamesTheMinutesThatWillBeSent)
{
    t.setSetting("WIN_TIMEOUTMIN", "12");
    t.start();
    forms::mainform& m = t.main();
    setTicked(m.chkTimeOut, true);
    EXPECT_EQ(t.program().module1().TimeOutMinutes, 12);
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [12] minutes.");
}

TEST_F(ClientOptions, TheDownloadPageOpensOnlyOnYes)
{
    t.start();
    forms::mainform& m = t.main();
    t.dialogs->answer(MsgAnswer::No);
    m.butClientDownload->click();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane Server - Nuvo Client Download");
    EXPECT_EQ(t.dialogs->last()->buttons, MsgButtons::YesNo);
    EXPECT_TRUE(t.dialogs->last()->text.contains("Client messages.\r\n\r\nClicking Yes will begin"));
    EXPECT_TRUE(t.browser->opened.isEmpty());

    t.dialogs->answer(MsgAnswer::Yes);
    m.butClientDownload->click();
    EXPECT_EQ(t.browser->opened, QStringList{forms::mainform::ClientDownloadAddress});

    // No browser could be started: the operator is told, and given the address to open by hand.
    t.browser->opens = false;
    t.dialogs->answer(MsgAnswer::Yes);
    m.butClientDownload->click();
    EXPECT_EQ(t.dialogs->last()->text, "Corvane could not start a web browser or document viewer to open:\r\n\r\n" +
                                           forms::mainform::ClientDownloadAddress + "\r\n\r\nPlease open it by hand.");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
}
