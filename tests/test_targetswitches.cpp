// The administrator's switches in Corvane.ini, applied at start-up and at every tab switch.
#include "assistants/frmOptions.h"
#include "assistants/frmWizard.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {
const QString allDisabled = QStringLiteral("Corvane - Admin Disabled All Targets!");
}

class TargetSwitches : public ::testing::Test {
protected:
    void SetUp() override { t.setSetting("STARTUP", "0"); }
    void configure(const char* service, const char* domain, const char* cpu, const char* group)
    {
        t.setSetting("SERVICE", service);
        t.setSetting("DOMAIN_ENABLE", domain);
        t.setSetting("ENABLE_CPUTARGET", cpu);
        t.setSetting("ENABLE_GROUPTARGET", group);
    }
    int allDisabledBoxes() const
    {
        int n = 0;
        for (const ShownBox& box : t.dialogs->shown)
            n += box.title == allDisabled ? 1 : 0;
        return n;
    }
    // Enabled and selected states, in the order Group, Computer, Domain, of both windows.
    std::vector<bool> enabled()
    {
        forms::mainform& m = t.main();
        forms::frmWizard& w = t.program().frmWizard();
        return {m.tab1opt1->isEnabled(), m.tab1opt2->isEnabled(),  m.tab1opt3->isEnabled(),
                w.optGroup->isEnabled(), w.optSingle->isEnabled(), w.optDomain->isEnabled()};
    }
    std::vector<bool> selected()
    {
        forms::mainform& m = t.main();
        forms::frmWizard& w = t.program().frmWizard();
        return {m.tab1opt1->isChecked(), m.tab1opt2->isChecked(),  m.tab1opt3->isChecked(),
                w.optGroup->isChecked(), w.optSingle->isChecked(), w.optDomain->isChecked()};
    }
    TestProgram t;
};

TEST_F(TargetSwitches, TheWizardIsCreatedHiddenWithItsTargetOptions)
{
    t.start();
    ASSERT_TRUE(t.program().frmWizardLoaded());
    forms::frmWizard& w = t.program().frmWizard();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.optGroup->text(), "Group");
    EXPECT_EQ(w.optSingle->text(), "Single Computer");
    EXPECT_EQ(w.optDomain->text(), "Domain (Messenger Service Only)");
}

TEST_F(TargetSwitches, MessengerWithEveryTargetOfferedEndsOnGroups)
{
    configure("MESSENGER", "0", "YES", "YES");
    t.start();
    EXPECT_EQ(enabled(), std::vector<bool>(6, true));
    EXPECT_EQ(selected(), (std::vector<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(allDisabledBoxes(), 0);
}

TEST_F(TargetSwitches, DomainIsChosenWhenTheOtherTargetsAreWithheld)
{
    configure("MESSENGER", "0", "NO", "NO");
    t.start();
    EXPECT_EQ(enabled(), (std::vector<bool>{false, false, true, false, false, true}));
    EXPECT_EQ(selected(), (std::vector<bool>{false, false, true, false, false, true}));
    EXPECT_EQ(allDisabledBoxes(), 0);
}

TEST_F(TargetSwitches, NoTargetLeftFallsBackToSingleComputersAtEveryTabSwitch)
{
    configure("MESSENGER", "1", "NO", "NO");
    t.start();
    ASSERT_EQ(allDisabledBoxes(), 1);
    const ShownBox& box = t.dialogs->shown.back();
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_EQ(box.text, "Your Administrator has disabled ALL valid targets using the Corvane.ini file.  Corvane will "
                        "now default to single PC targets because no targets are available.");
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, false, false, true, false}));
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, false, true, false}));

    t.main().SSTab1->setCurrentIndex(4);
    t.main().SSTab1->setCurrentIndex(0);
    EXPECT_EQ(allDisabledBoxes(), 3);
    EXPECT_EQ(selected(), (std::vector<bool>{false, true, false, false, true, false}));
}

TEST_F(TargetSwitches, ClientModeWithEveryTargetWithheldDisablesThemAll)
{
    configure("NUVOCLIENT", "0", "NO", "NO");
    t.start();
    EXPECT_EQ(enabled(), std::vector<bool>(6, false));
    EXPECT_EQ(allDisabledBoxes(), 0);

    TestProgram again;
    again.setSetting("STARTUP", "0");
    again.setSetting("DOMAIN_ENABLE", "1");
    again.setSetting("ENABLE_CPUTARGET", "NO");
    again.setSetting("ENABLE_GROUPTARGET", "NO");
    again.start();
    ASSERT_FALSE(again.dialogs->shown.empty());
    EXPECT_EQ(again.dialogs->shown.back().title, allDisabled)
        << "the box comes although the mode alone withholds the Domain target";
    EXPECT_TRUE(again.main().tab1opt2->isChecked());
}

TEST_F(TargetSwitches, SwitchesInOtherCaseChangeNothing)
{
    configure("NUVOCLIENT", "0", "yes", "yes");
    t.setSetting("ENABLE_GROUPMANAGE", "no");
    t.setSetting("ENABLE_FROM", "No");
    t.start();
    forms::mainform& m = t.main();
    // The client mode's own choice stands: Computer, with Group still offered as built.
    EXPECT_TRUE(m.tab1opt2->isChecked());
    EXPECT_FALSE(m.tab1opt1->isChecked());
    EXPECT_TRUE(m.tab1opt1->isEnabled());
    EXPECT_TRUE(m.SSTab1->isTabEnabled(1));
    EXPECT_TRUE(m.menuGroups->menuAction()->isEnabled());
    EXPECT_TRUE(t.options().txtAlias->isEnabled());
}

TEST_F(TargetSwitches, AHandPickedTargetIsReplacedAtTheNextTabSwitch)
{
    t.start();
    forms::mainform& m = t.main();
    ASSERT_TRUE(m.tab1opt1->isChecked());
    selectOption(m.tab1opt2);
    m.SSTab1->setCurrentIndex(3);
    EXPECT_TRUE(m.tab1opt1->isChecked());
    EXPECT_FALSE(m.tab1opt2->isChecked());
}

TEST_F(TargetSwitches, ManagementTabsAndTheGroupsMenuCanBeWithheld)
{
    t.setSetting("ENABLE_GROUPMANAGE", "NO");
    t.setSetting("ENABLE_HOSTMANAGE", "NO");
    t.start();
    forms::mainform& m = t.main();
    EXPECT_FALSE(m.SSTab1->isTabEnabled(1));
    EXPECT_FALSE(m.SSTab1->isTabEnabled(2));
    EXPECT_TRUE(m.SSTab1->isTabEnabled(3));
    EXPECT_FALSE(m.menuGroups->menuAction()->isEnabled());
    EXPECT_EQ(m.SSTab1->tabText(1), "Group Management") << "the tab keeps its place";

    TestProgram open;
    open.setSetting("STARTUP", "0");
    open.start();
    EXPECT_TRUE(open.main().SSTab1->isTabEnabled(1));
    EXPECT_TRUE(open.main().SSTab1->isTabEnabled(2));
    EXPECT_TRUE(open.main().menuGroups->menuAction()->isEnabled());
}

TEST_F(TargetSwitches, AWithheldAliasCannotBeEditedButIsStillSent)
{
    t.setSetting("ENABLE_FROM", "NO");
    t.setSetting("ALIAS", "Helpdesk");
    t.start();
    EXPECT_FALSE(t.options().txtAlias->isEnabled());
    EXPECT_FALSE(t.options().butDefault->isEnabled());
    EXPECT_EQ(t.program().aliasText(), "Helpdesk");

    // The client mode's handler enables the box; the next tab switch withholds it again.
    selectOption(t.main().optWinsock);
    EXPECT_TRUE(t.options().txtAlias->isEnabled());
    t.main().SSTab1->setCurrentIndex(4);
    EXPECT_FALSE(t.options().txtAlias->isEnabled());
}

TEST_F(TargetSwitches, ATabSwitchForgetsTheChosenGroup)
{
    t.start();
    t.program().module1().SelectedGroupFile = "SALES.mit";
    t.main().SSTab1->setCurrentIndex(4);
    EXPECT_EQ(t.program().module1().SelectedGroupFile, "");
}
