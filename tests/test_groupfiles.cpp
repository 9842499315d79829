// Creating groups, the length rule of computer names and the reset of the group tab.
#include "console/mainform.h"
#include "console/program.h"
#include "groups/frmEdit.h"
#include "groups/groupfiles.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

class GroupFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
    }
    forms::mainform& main() { return t.main(); }
    QStringList listed(const QListWidget* list) const
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    QStringList groupFiles() const { return QDir(t.path("Groups")).entryList({QStringLiteral("*.mit")}, QDir::Files); }
    // Puts the tab into the state of an open, changed group, as the tab's own handlers would leave it.
    void dirtyTheTab()
    {
        forms::mainform& m = main();
        m.List1->addItem(QStringLiteral("PC1"));
        m.List1->setEnabled(true);
        m.tab2lblselgroup->setText(QStringLiteral("OLD"));
        m.tab2frame3->setTitle(QStringLiteral("Nodes In OLD"));
        for (QPushButton* b : {m.tab2butdeletegroup, m.tab2butRenameGroup, m.tab2butClose, m.tab2butAddCPU,
                               m.tab2butDelCPU, m.tab2butSave})
            b->setEnabled(true);
        m.tab2butAddGroup->setEnabled(false);
        m.tab2filelist->setEnabled(false);
        m.tab2discpu->setText(QStringLiteral("PC1"));
        m.cpunumberslbl->setText(QStringLiteral("1"));
        t.program().module1().NodeCount = 1;
        t.program().module1().GroupDirty = 1;
    }
    TestProgram t;
};

TEST_F(GroupFiles, CreateMakesAnEmptyUpperCasedGroupListedEverywhereAndResetsTheTab)
{
    dirtyTheTab();
    t.dialogs->type(QStringLiteral("sales"));
    runClick(main().tab2butAddGroup);

    ASSERT_TRUE(QFile::exists(t.path("Groups/SALES.mit")));
    EXPECT_EQ(QFileInfo(t.path("Groups/SALES.mit")).size(), 0);
    EXPECT_EQ(t.program().module1().NewGroupName, "SALES");
    ASSERT_FALSE(t.dialogs->shown.empty());
    EXPECT_EQ(t.dialogs->shown.front().kind, "inputBox");
    EXPECT_EQ(t.dialogs->shown.front().text, "Enter a Group Name:");
    EXPECT_EQ(t.dialogs->shown.front().title, "Create Group");
    EXPECT_EQ(t.dialogs->texts().size(), 0) << "no message box on success";

    forms::mainform& m = main();
    EXPECT_TRUE(listed(m.tab1filelist).contains("SALES.mit"));
    EXPECT_TRUE(listed(m.tab2filelist).contains("SALES.mit"));
    ASSERT_TRUE(t.program().frmEditLoaded()) << "the reset loads the editor hidden";
    EXPECT_FALSE(t.program().frmEdit().isVisible());
    EXPECT_TRUE(listed(t.program().frmEdit().fileGroups).contains("SALES.mit"));

    EXPECT_EQ(m.List1->count(), 0);
    EXPECT_FALSE(m.List1->isEnabled());
    EXPECT_EQ(m.tab2lblselgroup->text(), "none...");
    EXPECT_EQ(m.tab2frame3->title(), "Computers");
    EXPECT_EQ(m.tab2discpu->text(), "Select a Group");
    EXPECT_EQ(m.cpunumberslbl->text(), "0");
    EXPECT_EQ(t.program().module1().NodeCount, 0);
    EXPECT_EQ(t.program().module1().GroupDirty, 0);
    for (QPushButton* b :
         {m.tab2butdeletegroup, m.tab2butRenameGroup, m.tab2butClose, m.tab2butAddCPU, m.tab2butDelCPU, m.tab2butSave})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(m.tab2butAddGroup->isEnabled());
    EXPECT_TRUE(m.tab2filelist->isEnabled());
}

TEST_F(GroupFiles, CancelledOrEmptyAnswerCreatesNothingAndLeavesTheTabAlone)
{
    dirtyTheTab();
    runClick(main().tab2butAddGroup); // the scripted box is cancelled
    t.dialogs->type(QString());
    t.program().groupGeneral().CreateGroup();
    EXPECT_TRUE(groupFiles().isEmpty());
    EXPECT_EQ(main().tab2lblselgroup->text(), "OLD");
    EXPECT_EQ(t.program().module1().GroupDirty, 1);
    EXPECT_TRUE(t.dialogs->texts().isEmpty());
}

TEST_F(GroupFiles, AnExistingGroupIsRefusedAndKeepsItsComputers)
{
    t.write(QStringLiteral("Groups/SALES.mit"), "PC1\r\nPC2\r\n");
    t.write(QStringLiteral("Groups/lab.MIT"), "X\r\n");
    for (const char* typed : {"sales", "SALES", "Lab"}) {
        t.dialogs->type(QString::fromLatin1(typed));
        t.program().groupGeneral().CreateGroup();
        ASSERT_NE(t.dialogs->last(), nullptr);
        EXPECT_EQ(t.dialogs->last()->kind, "msgBox") << typed;
        EXPECT_TRUE(t.dialogs->last()->text.contains("already exists")) << typed;
    }
    EXPECT_EQ(t.read(QStringLiteral("Groups/SALES.mit")), QByteArray("PC1\r\nPC2\r\n"));
    EXPECT_EQ(t.read(QStringLiteral("Groups/lab.MIT")), QByteArray("X\r\n"));
    EXPECT_EQ(groupFiles().size(), 2);
}

TEST_F(GroupFiles, NamesThatCannotNameAFileAreRefusedWithABox)
{
    for (const char* bad : {"a/b", "..", ".", "x\\y", "c:d", "q?", "s*", "<p>", "p|q", "say\"hi\""}) {
        dirtyTheTab();
        const size_t before = t.dialogs->shown.size();
        t.dialogs->type(QString::fromLatin1(bad));
        t.program().groupGeneral().CreateGroup();
        ASSERT_EQ(t.dialogs->shown.size(), before + 2) << bad;
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - Error Input") << bad;
        EXPECT_EQ(main().tab2lblselgroup->text(), "OLD") << "a refused name does not reset the tab: " << bad;
    }
    EXPECT_TRUE(QDir(t.path("Groups")).entryList(QDir::Files | QDir::NoDotAndDotDot).filter(".mit").isEmpty());
    EXPECT_FALSE(QFile::exists(t.path("a/b.mit")));
    EXPECT_FALSE(QFile::exists(t.path("Groups/...mit")));

    // A name that merely holds ".." is an ordinary name, as it is to the scheduler and its run.
    t.dialogs->type(QStringLiteral("lab..1"));
    t.program().groupGeneral().CreateGroup();
    EXPECT_TRUE(QFile::exists(t.path("Groups/LAB..1.mit")));
}

TEST_F(GroupFiles, AMissingGroupsFolderIsReported)
{
    ASSERT_TRUE(QDir(t.path("Groups")).removeRecursively());
    t.dialogs->type(QStringLiteral("sales"));
    t.program().groupGeneral().CreateGroup();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    EXPECT_FALSE(QDir(t.path("Groups")).exists()) << "nothing creates the folder";
}

TEST_F(GroupFiles, NodeNamesOfFourteenCharactersPassAndFifteenFail)
{
    EXPECT_FALSE(GroupGeneral::IsNodeNameTooLong(QString()));
    EXPECT_FALSE(GroupGeneral::IsNodeNameTooLong(QStringLiteral("ABCDEFGHIJKLMN")));
    EXPECT_TRUE(GroupGeneral::IsNodeNameTooLong(QStringLiteral("ABCDEFGHIJKLMNO")));
    EXPECT_FALSE(GroupGeneral::IsNodeNameTooLong(QStringLiteral("LAB-") + QStringLiteral("0123456789")));
    EXPECT_TRUE(GroupGeneral::IsNodeNameTooLong(QStringLiteral("LAB-") + QStringLiteral("01234567890")));
    EXPECT_TRUE(GroupGeneral::IsNodeNameTooLong(QStringLiteral("PC 1          ."))) << "spaces count";
}
