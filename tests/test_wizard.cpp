// The message wizard, driven through its own buttons on the real windows: both roads end to end, the
// time-out minutes, and its Close command.
#include "assistants/frmOptions.h"
#include "assistants/frmWizard.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

class Wizard : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.start();
        t.addGroup("SALES.mit", "PC1\r\nPC2\r\n");
        t.main().butWizard->click();
    }
    forms::frmWizard& w() { return t.program().frmWizard(); }
    void next() { w().butFwd->click(); }
    void back() { w().butBack->click(); }
    std::vector<int> visibleFrames()
    {
        std::vector<int> steps;
        for (int i = 0; i < 8; ++i)
            if (w().frmStep[i]->isVisibleTo(&w()))
                steps.push_back(i);
        return steps;
    }
    TestProgram t;
};

TEST_F(Wizard, NuvoClientWithAGroupAndAnHtmlPageFillsTheMainWindow)
{
    forms::mainform& m = t.main();
    EXPECT_FALSE(m.isVisible());
    ASSERT_TRUE(w().isVisible());
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 1 of 8");
    EXPECT_EQ(w().lblQuestion->text(), " Welcome to the Corvane Wizard!");
    EXPECT_TRUE(w().txtDetail->text().startsWith("The Corvane wizard will guide you through the stages of creating a "
                                                 "message to send to your client PCs.\r\n\r\nThe steps vary"));
    EXPECT_FALSE(w().butBack->isEnabled());

    next(); // the delivery mode: the Nuvo client is chosen already
    next();
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 3 of 8");
    EXPECT_EQ(visibleFrames(), std::vector<int>{2});
    EXPECT_FALSE(w().optDomain->isEnabled());
    w().optGroup->click();
    ASSERT_TRUE(w().FileGroupDir->selectFile("SALES.mit"));
    next();
    w().txtHeadline->setText("Printer outage");
    w().txtTitle->setText("IT Department");
    next();
    w().chkDate->click();
    w().txtFrom->setText("Helpdesk");
    next();
    w().butAdd->click();
    w().butAdd->click();
    EXPECT_EQ(w().lblMessShow->text(), "The message will Show for [7] minutes.");
    next();
    w().optHTML->click();
    EXPECT_TRUE(w().butBrowse->isEnabled());
    t.dialogs->chooseFile("/srv/notices/outage.html");
    w().butBrowse->click();
    EXPECT_EQ(t.dialogs->shown.back().title, "Select a HTML File to import...");
    next();

    // A page leaves nothing to type: the format step stays on the screen under "Finish".
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 8 of 8");
    EXPECT_EQ(w().butFwd->text(), "Finish");
    EXPECT_EQ(visibleFrames(), std::vector<int>{6});
    EXPECT_EQ(w().lblQuestion->text(), "(Q): What type of message format do you want to send?");
    next();

    EXPECT_FALSE(w().isVisible());
    EXPECT_TRUE(m.isVisible());
    const ShownBox& box = t.dialogs->shown.back();
    EXPECT_EQ(box.title, "Corvane - Wizard Completed");
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(box.text, "The message wizard is now complete.  All the information has been entered into Corvane to "
                        "send your message distribution.\r\n\r\nClick the Send Now button to begin sending your "
                        "message!");
    EXPECT_TRUE(m.optWinsock->isChecked());
    EXPECT_TRUE(m.tab1opt1->isChecked());
    EXPECT_EQ(t.program().module1().SelectedGroupFile, "SALES.mit");
    EXPECT_EQ(m.lblGroupNodesCtr->text(), "2 Nodes");
    EXPECT_EQ(m.txtMainHeadline->text(), "Printer outage");
    EXPECT_EQ(m.txtWintitle->text(), "IT Department");
    EXPECT_FALSE(m.chkDate->isChecked());
    EXPECT_EQ(t.program().module1().ShowDate, "NO");
    EXPECT_TRUE(m.chkTime->isChecked());
    EXPECT_EQ(t.options().txtAlias->text(), "Helpdesk");
    EXPECT_TRUE(m.chkTimeOut->isChecked());
    EXPECT_EQ(t.program().module1().TimeOutMinutes, 7);
    EXPECT_EQ(m.lblMinutesDisplay->text(), "Show Message for [7] minutes.");
    EXPECT_TRUE(m.optHTML->isChecked());
    EXPECT_EQ(m.txtPathtoHTML->text(), "/srv/notices/outage.html");
    EXPECT_EQ(m.messtext->text(), "<A HTML file will be used as the message to send>\r\n\r\n/srv/notices/outage.html");
    EXPECT_TRUE(m.tab1butSend->isEnabled());

    // Finish only hides the wizard: the next showing starts again at the welcome, Single Computer chosen.
    m.butWizard->click();
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 1 of 8");
    EXPECT_EQ(visibleFrames(), std::vector<int>{0});
    EXPECT_EQ(w().butFwd->text(), "Next...");
    EXPECT_TRUE(w().optSingle->isChecked());
    EXPECT_TRUE(w().optHTML->isChecked()) << "the format is kept";
}

TEST_F(Wizard, MessengerGoesFromTheTargetStraightToTheMessageAndBack)
{
    next();
    w().optMessenger->click();
    EXPECT_TRUE(w().lblMessNote->isEnabled());
    EXPECT_FALSE(w().lblNuvonote->isEnabled());
    next();
    ASSERT_TRUE(w().optDomain->isEnabled()) << "DOMAIN_ENABLE=0 offers the domain";
    w().optDomain->click();
    w().txtTarget->setText("WORKGRP");
    next();
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 8 of 8");
    EXPECT_EQ(visibleFrames(), std::vector<int>{7});
    EXPECT_EQ(w().butFwd->text(), "Finish");
    EXPECT_EQ(w().lblQuestion->text(), "(Q): What message text do you want to send?");

    back();
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 3 of 8");
    EXPECT_EQ(visibleFrames(), std::vector<int>{2});
    EXPECT_EQ(w().butFwd->text(), "Next...");
    // The target step applies the administrator's switches again, which end on the group target.
    EXPECT_TRUE(w().optGroup->isChecked());
    w().optDomain->click();
    w().txtTarget->setText("WORKGRP");
    next();
    w().txtMessage->setText("Server reboot at 18:00\r\nSave your work.");
    next();

    forms::mainform& m = t.main();
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(m.optMessenger->isChecked());
    EXPECT_TRUE(m.tab1opt3->isChecked());
    EXPECT_EQ(m.tab1sendcpu->text(), "WORKGRP");
    EXPECT_TRUE(m.optPlain->isChecked());
    EXPECT_EQ(m.messtext->text(), "Server reboot at 18:00\r\nSave your work.");
    EXPECT_EQ(t.dialogs->shown.back().title, "Corvane - Wizard Completed");
}

// Started from another tab, the wizard leaves the main window on "Create Message" with its target:
// the tab's own reset comes before the wizard's choices, not at the operator's next click.
TEST_F(Wizard, ItLeavesTheMainWindowOnTheCreateMessageTabWithItsChoices)
{
    forms::mainform& m = t.main();
    w().close();
    ASSERT_TRUE(waitFor([&] { return !t.program().frmWizardLoaded(); }));
    m.SSTab1->setCurrentIndex(2);
    m.mnuWizard->trigger();
    next();
    w().optMessenger->click();
    next();
    w().optSingle->click();
    w().txtTarget->setText("PC7");
    next();
    w().txtMessage->setText("Lunch is served");
    next();

    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.SSTab1->currentIndex(), 0);
    m.SSTab1->setCurrentIndex(0); // the operator's click on the tab changes nothing
    EXPECT_TRUE(m.tab1opt2->isChecked());
    EXPECT_EQ(m.tab1sendcpu->text(), "PC7");
    EXPECT_EQ(m.messtext->text(), "Lunch is served");
}

TEST_F(Wizard, TimeOutMinutesStopAtOneAndTheCloseCommandStartsAfresh)
{
    for (int i = 0; i < 5; ++i)
        next();
    ASSERT_EQ(visibleFrames(), std::vector<int>{5});
    for (int i = 0; i < 8; ++i)
        w().butMinus->click();
    EXPECT_EQ(w().lblMessShow->text(), "The message will Show for [1] minutes.");
    w().chkTimeOut->click();
    EXPECT_FALSE(w().butAdd->isEnabled());
    EXPECT_FALSE(w().butMinus->isEnabled());
    next();
    // Unticked, the main window still takes the wizard's minutes.
    EXPECT_FALSE(t.main().chkTimeOut->isChecked());
    EXPECT_EQ(t.program().module1().TimeOutMinutes, 1);
    back();
    EXPECT_EQ(w().lblMessShow->text(), "The message will Show until the user closes the message window.");

    w().txtHeadline->setText("kept until the window closes");
    w().close();
    EXPECT_TRUE(t.main().isVisible());
    EXPECT_TRUE(waitFor([&] { return !t.program().frmWizardLoaded(); }));
    t.main().butWizard->click();
    EXPECT_EQ(w().windowTitle(), "Corvane Wizard - Step 1 of 8");
    EXPECT_TRUE(w().txtHeadline->text().isEmpty());
    EXPECT_TRUE(w().chkTimeOut->isChecked());
}
