// The main window's menu bar, the help and support entries, the options entry and the about box.
#include "assistants/frmOptions.h"
#include "console/frmAbout.h"
#include "console/mainform.h"
#include "console/vendor.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

class Menus : public ::testing::Test {
protected:
    void SetUp() override { t.setSetting("STARTUP", "0"); }
    TestProgram t;
};

TEST_F(Menus, TheMenuBarHoldsEveryEntryInItsOrderWithoutShortcutKeys)
{
    t.start();
    QStringList tree;
    for (QAction* top : t.main().menuBar()->actions()) {
        tree << top->menu()->objectName() + " " + top->text();
        for (QAction* entry : top->menu()->actions()) {
            tree << "  " + entry->objectName() + (entry->isSeparator() ? QString(" -") : " " + entry->text());
            EXPECT_TRUE(entry->shortcut().isEmpty()) << entry->objectName().toStdString();
        }
    }
    EXPECT_EQ(tree, (QStringList{"filemenu &File",
                                 "  mnuWizard Message &Wizard...",
                                 "  filesep4 -",
                                 "  mnuSaveMess &Save Message...",
                                 "  mnuOpenMess &Open Message...",
                                 "  filesep -",
                                 "  Exit E&xit",
                                 "mnuMessage &Message",
                                 "  mnuSend Send &Now",
                                 "  mnuPreview &Preview",
                                 "  filesep2 -",
                                 "  mnuSchedule &Schedule",
                                 "menuEdit &Edit",
                                 "  menuOptions &Options",
                                 "menuGroups &Group(s)",
                                 "  menuManually &Edit Group File as Text...",
                                 "  menuAdvancedGroup &Advanced Group Creation",
                                 "help &Help",
                                 "  menuHelp &Help files...",
                                 "  mnuEmailTech &E-Mail Tech Support...",
                                 "  helpsep -",
                                 "  Aboutmenu &About"}));
}

TEST_F(Menus, HelpSupportAndOptionsEntries)
{
    t.setSetting("PREFIXSTATUS", "0");
    t.start();
    forms::mainform& m = t.main();
    m.menuHelp->trigger();
    EXPECT_EQ(t.browser->opened, QStringList{t.folder() + "/HelpFiles/UserGuide.pdf"});

    m.mnuEmailTech->trigger();
    const ShownBox& box = t.dialogs->shown.back();
    EXPECT_EQ(box.title, "Corvane - E-Mail Information");
    EXPECT_EQ(box.icon, MsgIcon::Information);
    EXPECT_EQ(box.text,
              "If you have any type of query, problem, bug or comments and suggestions then please email:   " +
                  vendor::SupportAddress + "    " + vendor::SupportThanks);

    t.program().module1().TemplateText = "New default text";
    m.menuOptions->trigger();
    forms::frmOptions& o = t.options();
    EXPECT_TRUE(o.isVisible());
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(o.txtTemplate->text(), "New default text");
    EXPECT_TRUE(o.optPrefixOFF->isChecked());
    EXPECT_FALSE(o.txtPrefix->isEnabled());
    EXPECT_TRUE(o.optLogMsgON->isChecked());
    EXPECT_FALSE(o.optLogMsgOFF->isChecked());
}

TEST_F(Menus, AUserGuideThatCannotBeReadIsNamedNotHandedToTheDesktop)
{
    t.start();
    const QString guide = t.path("HelpFiles/UserGuide.pdf");
    QFile::remove(guide);
    t.main().menuHelp->trigger();
    ASSERT_TRUE(QDir().mkpath(guide)); // a folder in its place
    t.main().menuHelp->trigger();
    ASSERT_TRUE(QDir().rmdir(guide));
    ASSERT_EQ(::mkfifo(QFile::encodeName(guide).constData(), 0644), 0); // would wait for a writer for ever
    t.main().menuHelp->trigger();
    EXPECT_TRUE(t.browser->opened.isEmpty());
    const QString text =
        "The User Guide " + guide + " could not be read (%1).  Please re-install Corvane to restore it.";
    EXPECT_EQ(t.dialogs->texts(), QStringList({text.arg("No such file or directory"), text.arg("Is a directory"),
                                               text.arg("it is not a regular file")}));
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
}

TEST_F(Menus, TheGroupEntriesOpenTheEditorAfreshAndTheGenerator)
{
    t.start();
    t.write("Groups/LAB.mit", "PC1\r\n");
    forms::mainform& m = t.main();
    m.menuManually->trigger();
    forms::frmEdit& edit = t.program().frmEdit();
    EXPECT_FALSE(m.isVisible());
    ASSERT_TRUE(edit.isVisible());
    ASSERT_TRUE(edit.fileGroups->selectFile("LAB.mit"));
    emit edit.fileGroups->itemClicked(edit.fileGroups->currentItem());
    edit.butOpen->click();
    ASSERT_EQ(edit.txtFile->text(), "PC1\r\n");
    edit.txtFile->setText("PC1\r\nPC2\r\n");
    ASSERT_EQ(t.program().module1().GroupFileModified, 1);
    t.dialogs->answer(MsgAnswer::Yes); // leave without saving
    edit.butCloseForm->click();
    ASSERT_TRUE(m.isVisible());

    // The next entry shows the file list again, whatever was open when the editor was left.
    m.menuManually->trigger();
    EXPECT_EQ(edit.txtFile->text(), "");
    EXPECT_EQ(edit.lblFileInfo->text(), "");
    EXPECT_FALSE(edit.frameText->isEnabled());
    EXPECT_TRUE(edit.frameFiles->isEnabled());
    EXPECT_FALSE(edit.butSave->isEnabled());
    EXPECT_FALSE(edit.mnuPaste->isEnabled());
    EXPECT_EQ(t.program().module1().GroupFileModified, 0);
    edit.butCloseForm->click();

    m.menuAdvancedGroup->trigger();
    EXPECT_FALSE(m.isVisible());
    ASSERT_TRUE(t.program().frmNumeric().isVisible());
    t.program().frmNumeric().close();
    EXPECT_TRUE(m.isVisible());
}

TEST_F(Menus, TheAboutBoxShowsTheMessengerStateTheSystemAndTheBuild)
{
    const std::pair<std::optional<int>, QString> cases[] = {{1, "Stopped"}, {4, "Running"}, {std::nullopt, ""}};
    for (const auto& [state, shown] : cases) {
        TestProgram p;
        p.setSetting("STARTUP", "0");
        p.system->version = {true, 2, 5, 1};
        p.start();
        if (state)
            p.services->states["Messenger"] = *state;
        p.main().Aboutmenu->trigger();
        forms::frmAbout& about = p.program().frmAbout();
        EXPECT_TRUE(about.isVisible());
        EXPECT_EQ(about.lblStatus->text(), shown);
        EXPECT_EQ(about.Label5->text(), "OS: WinXP");
        EXPECT_EQ(about.Label8->text(), "Build: 8.0");
        EXPECT_EQ(about.Label7->text(), "For Technical Support or queries (suggestions, bugs etc) please email:    " +
                                            vendor::SupportAddress);

        emit about.linkDevelop->linkActivated(vendor::WebPage);
        EXPECT_EQ(p.browser->opened, QStringList{vendor::WebPage});
        p.main().hide();
        about.aboutbutOK->click();
        EXPECT_FALSE(about.isVisible());
        EXPECT_TRUE(p.main().isVisible());
    }

    // A system without a version word is named by its own name.
    t.start();
    t.main().Aboutmenu->trigger();
    EXPECT_EQ(t.program().frmAbout().Label5->text(), "OS: " + t.system->osName);
}
