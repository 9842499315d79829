// The group tab on the real window: opening, adding, removing, saving, closing, renaming and deleting
// groups, with real files in the program folder.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

class GroupTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
    }
    forms::mainform& m() { return t.main(); }
    Module1& m1() { return t.program().module1(); }

    // The operator clicks the group in the tab's list.
    void open(const QString& file)
    {
        m().tab2filelist->Refresh();
        ASSERT_TRUE(m().tab2filelist->selectFile(file)) << file.toStdString();
        emit m().tab2filelist->itemClicked(m().tab2filelist->currentItem());
    }
    void selectRow(int row)
    {
        m().List1->setCurrentRow(row);
        emit m().List1->itemClicked(m().List1->currentItem());
    }
    void add(const QString& typed)
    {
        t.dialogs->type(typed);
        m().tab2butAddCPU->click();
    }
    QStringList rows()
    {
        QStringList names;
        for (int i = 0; i < m().List1->count(); ++i)
            names << m().List1->item(i)->text();
        return names;
    }
    // The tab at a glance: which controls are enabled (1) or not (0), then its texts.
    QString state()
    {
        QString s;
        for (QWidget* w : std::initializer_list<QWidget*>{m().tab2filelist, m().tab2butAddGroup, m().tab2butdeletegroup,
                                                         m().tab2butRenameGroup, m().tab2butClose, m().tab2butAddCPU,
                                                         m().tab2butDelCPU, m().tab2butSave, m().List1})
            s += w->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return s + QStringLiteral(" %1|%2|%3|%4|%5")
                       .arg(m().tab2lblselgroup->text(), m().tab2frame3->title(), m().tab2discpu->text(),
                            m().cpunumberslbl->text(), rows().join(QLatin1Char(',')));
    }
    int boxesSaying(const QString& text) const { return int(t.dialogs->texts().filter(text).size()); }

    TestProgram t;
};

TEST_F(GroupTab, AddChecksTheNameInOrder)
{
    struct Case {
        const char* file;
        const char* prefix; // nullptr: the prefix option is off
        const char* typed;
        const char* refusal; // the one box's text starts so, or nullptr when the name is stored
        const char* stored;  // the group's names afterwards
    };
    const Case cases[] = {
        {"", "lab-", "pc1", nullptr, "LAB-PC1"},
        {"", "lab-", "abcdefghij", nullptr, "LAB-ABCDEFGHIJ"},
        {"", "lab-", "abcdefghijk", "Your node entered [LAB-ABCDEFGHIJK] contains more then 14 Characters.  It will "
                                    "not be added to the Group.",
         ""},
        {"", nullptr, "abcdefghijklmn", nullptr, "ABCDEFGHIJKLMN"},
        {"PC1\r\n", nullptr, "pc1", "Computer Entered already Exists in Group.", "PC1"},
        {"pc1\r\n", nullptr, "pc1", nullptr, "pc1,PC1"},
        {"", nullptr, "pc 1", "Computer Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).", ""},
        {"", nullptr, "pc\"1", "Computer Entered has an Invalid Name", ""},
        {"", nullptr, "a,b", "Computer Entered has an Invalid Name", ""},
        {"ABCDEFGHIJKLMNOP\r\n", nullptr, "abcdefghijklmnop", "Computer Entered already Exists", "ABCDEFGHIJKLMNOP"},
        {"", nullptr, "abc*defghijklmnop", "Computer Entered has an Invalid Name", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        t.write(QStringLiteral("Groups/G.mit"), c.file);
        m().tab2butClose_Click();
        open(QStringLiteral("G.mit"));
        m1().PrefixEnabled = c.prefix ? 1 : 0;
        t.options().txtPrefix->setText(QString::fromLatin1(c.prefix ? c.prefix : "NONE"));
        const int count = m1().NodeCount;
        const size_t before = t.dialogs->shown.size();
        add(QString::fromLatin1(c.typed));

        ASSERT_GT(t.dialogs->shown.size(), before);
        EXPECT_EQ(t.dialogs->shown[before].title,
                  c.prefix ? QStringLiteral("Add Computer *With Prefix: ") + QString::fromLatin1(c.prefix).toUpper() +
                                 QStringLiteral("*")
                           : QStringLiteral("Add Computer"));
        EXPECT_EQ(m1().GroupNodes.join(QLatin1Char(',')), QString::fromLatin1(c.stored));
        EXPECT_EQ(rows(), m1().GroupNodes);
        if (c.refusal) {
            ASSERT_EQ(t.dialogs->shown.size(), before + 2) << "one box only";
            EXPECT_TRUE(t.dialogs->last()->text.startsWith(QString::fromLatin1(c.refusal)));
            EXPECT_EQ(m().cpunumberslbl->text().toInt(), count);
        } else {
            EXPECT_EQ(t.dialogs->shown.size(), before + 1);
            EXPECT_EQ(m().cpunumberslbl->text().toInt(), count + 1);
            EXPECT_EQ(m().panelText(1), QStringLiteral("Status: ") + m1().GroupNodes.last() +
                                            QStringLiteral(" was added to the Group"));
        }
        // Refused or not, the group counts as changed.
        EXPECT_TRUE(m().tab2butSave->isEnabled());
        EXPECT_FALSE(m().tab2filelist->isEnabled());
        EXPECT_EQ(m1().GroupDirty, 1);
        t.dialogs->answer(MsgAnswer::Yes);
    }

    QByteArray full;
    for (int i = 0; i < 6000; ++i)
        full += "PC" + QByteArray::number(i) + "\r\n";
    t.write(QStringLiteral("Groups/G.mit"), full);
    m().tab2butClose_Click();
    open(QStringLiteral("G.mit"));
    const size_t before = t.dialogs->shown.size();
    add(QStringLiteral("more"));
    ASSERT_EQ(t.dialogs->shown.size(), before + 1) << "no name is asked for";
    EXPECT_EQ(t.dialogs->last()->text, "You are only allowed [6000] Nodes per group file.  We suggest you create "
                                       "another group file for ease of use.");
    EXPECT_EQ(m1().GroupDirty, 0);
}

TEST_F(GroupTab, EveryCommandLeavesTheTabInItsState)
{
    const QString closed = QStringLiteral("110000000 none...|Computers|Select a Group|0|");
    t.write(QStringLiteral("Groups/G.mit"), "A\r\nB\r\n");
    open(QStringLiteral("G.mit"));
    EXPECT_EQ(state(), "101111001 G|Nodes In G|Click Add...|2|A,B");
    selectRow(1);
    EXPECT_EQ(state(), "101111101 G|Nodes In G|B|2|A,B");

    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butDelCPU->click();
    EXPECT_EQ(t.dialogs->last()->text, "Are you sure you wish to Delete B from the group?");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Delete Computer");
    EXPECT_EQ(state(), "101111011 G|Nodes In G|Click Add...|1|A") << "a removal leaves the group list enabled";
    EXPECT_EQ(m().panelText(1), "Status: B has been removed from the Group");

    t.dialogs->answer(MsgAnswer::No);
    m().tab2butClose->click();
    EXPECT_EQ(t.dialogs->last()->text, "Close Group without saving?");
    add(QStringLiteral("c"));
    add(QStringLiteral("a"));
    EXPECT_EQ(state(), "001111011 G|Nodes In G|Click Add...|2|A,C");

    // A tab switch closes the group as "Close" does; kept open, its list stays disabled until "+".
    t.dialogs->answer(MsgAnswer::No);
    m().SSTab1->setCurrentIndex(1);
    EXPECT_EQ(t.dialogs->last()->text, "Close Group without saving?");
    EXPECT_EQ(state(), "001111010 G|Nodes In G|Click Add...|2|A,C");

    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butSave->click();
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information:");
    EXPECT_EQ(t.read(QStringLiteral("Groups/G.mit")), "A\r\nC\r\n");
    EXPECT_EQ(state(), closed);
    EXPECT_EQ(m().panelText(1), "Status: Group file Saved!");

    open(QStringLiteral("G.mit"));
    t.dialogs->type(QStringLiteral("sales"));
    m().tab2butRenameGroup->click();
    EXPECT_EQ(t.dialogs->last()->text, "Rename G to:");
    EXPECT_EQ(t.dialogs->last()->title, "Rename Group ");
    EXPECT_EQ(t.read(QStringLiteral("Groups/SALES.mit")), "A\r\nC\r\n");
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/G.mit"))));
    EXPECT_EQ(state(), closed);
    EXPECT_EQ(m().panelText(1), "Status: G.mit was Renamed");

    open(QStringLiteral("SALES.mit"));
    selectRow(0);
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butDelCPU->click();
    m().tab2butRenameGroup->click();
    EXPECT_EQ(t.dialogs->last()->text, "The File has been altered.  Please Save or Close the file before renaming.");
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butClose->click();
    EXPECT_EQ(state(), closed);
    EXPECT_EQ(m().panelText(1), "Status: Group SALES closed without Saving.");
    EXPECT_EQ(t.read(QStringLiteral("Groups/SALES.mit")), "A\r\nC\r\n");

    // Removing every computer leaves an empty list that answers a click, and an empty file.
    open(QStringLiteral("SALES.mit"));
    for (int i = 0; i < 2; ++i) {
        selectRow(0);
        t.dialogs->answer(MsgAnswer::Yes);
        m().tab2butDelCPU->click();
    }
    EXPECT_EQ(state(), "101111011 SALES|Nodes In SALES|Click Add...|0|");
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(m().List1->viewport(), &release);
    EXPECT_EQ(t.dialogs->last()->text, "You have no Nodes to select in this group!");
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butSave->click();
    EXPECT_EQ(t.read(QStringLiteral("Groups/SALES.mit")), "");

    open(QStringLiteral("SALES.mit"));
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butdeletegroup->click();
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Delete");
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/SALES.mit"))));
    EXPECT_EQ(state(), closed);
    EXPECT_EQ(m().panelText(1), "Status: Group Deleted");
}

TEST_F(GroupTab, EmptyLinesAreSkippedSoSaveKeepsEveryName)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n\r\nb\r\n\r\n\r\nC\r\n");
    open(QStringLiteral("G.mit"));
    EXPECT_EQ(rows(), QStringList({"A", "b", "C"}));
    EXPECT_EQ(m().cpunumberslbl->text(), "3");
    add(QStringLiteral("d"));
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butSave->click();
    EXPECT_EQ(t.read(QStringLiteral("Groups/G.mit")), "A\r\nb\r\nC\r\nD\r\n");
}

TEST_F(GroupTab, SaveAndDeleteActOnTheOpenGroupAfterARefusedClick)
{
    t.write(QStringLiteral("Groups/ONE.mit"), "A\r\nB\r\n");
    t.write(QStringLiteral("Groups/TWO.mit"), "X\r\n");
    const auto removeFirstThenClickTwo = [this] {
        open(QStringLiteral("ONE.mit"));
        selectRow(0);
        t.dialogs->answer(MsgAnswer::Yes);
        m().tab2butDelCPU->click();
        open(QStringLiteral("TWO.mit"));
        EXPECT_EQ(t.dialogs->last()->text,
                  "The File has been altered.  Please Save or Close the file before renaming.");
        EXPECT_EQ(m().tab2filelist->fileName(), "ONE.mit") << "the open group is shown selected again";
        EXPECT_EQ(m().tab2lblselgroup->text(), "ONE");
    };
    removeFirstThenClickTwo();
    EXPECT_EQ(rows(), QStringList{"B"});
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butSave->click();
    EXPECT_EQ(t.read(QStringLiteral("Groups/ONE.mit")), "B\r\n");
    EXPECT_EQ(t.read(QStringLiteral("Groups/TWO.mit")), "X\r\n");

    removeFirstThenClickTwo();
    m().tab2filelist->selectFile(QStringLiteral("TWO.mit")); // shown selected, yet not open
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butdeletegroup->click();
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/ONE.mit"))));
    EXPECT_EQ(t.read(QStringLiteral("Groups/TWO.mit")), "X\r\n");
}

TEST_F(GroupTab, ATooLargeFileIsRefusedOnceAndNothingStaysOpen)
{
    t.write(QStringLiteral("Groups/SMALL.mit"), "A\r\n");
    QByteArray lines;
    for (int i = 0; i < 10002; ++i)
        lines += "N" + QByteArray::number(i) + "\r\n";
    t.write(QStringLiteral("Groups/BIG.mit"), lines);
    open(QStringLiteral("SMALL.mit"));
    open(QStringLiteral("BIG.mit"));
    EXPECT_EQ(boxesSaying(QStringLiteral("The specified file is too large.(GROUP DISPLAY)")), 1);
    EXPECT_EQ(state(), "110000000 none...|Computers|Select a Group|0|");
    EXPECT_TRUE(m1().GroupNodes.isEmpty());
}

TEST_F(GroupTab, AWriteProtectedGroupIsNeitherSavedNorDeleted)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n");
    QFile::setPermissions(t.path(QStringLiteral("Groups/G.mit")), QFile::ReadOwner | QFile::ReadGroup);
    open(QStringLiteral("G.mit"));
    add(QStringLiteral("b"));
    const QString changed = state();
    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butSave->click();
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    EXPECT_TRUE(t.dialogs->last()->text.contains("write-protected"));
    EXPECT_EQ(state(), changed);
    EXPECT_EQ(m1().GroupDirty, 1);

    t.dialogs->answer(MsgAnswer::Yes);
    m().tab2butdeletegroup->click();
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    EXPECT_EQ(state(), changed);
    EXPECT_EQ(t.read(QStringLiteral("Groups/G.mit")), "A\r\n");
}

TEST_F(GroupTab, RenameRefusesAnExistingOrImpossibleName)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n");
    t.write(QStringLiteral("Groups/Sales.mit"), "S\r\n");
    open(QStringLiteral("G.mit"));
    for (const char* typed : {"sales", "SALES", "a/b", ".."}) {
        t.dialogs->type(QString::fromLatin1(typed));
        m().tab2butRenameGroup->click();
        EXPECT_EQ(t.dialogs->last()->kind, "msgBox") << typed;
        EXPECT_EQ(m().tab2lblselgroup->text(), "G") << "the group stays open: " << typed;
    }
    EXPECT_EQ(t.read(QStringLiteral("Groups/G.mit")), "A\r\n");
    EXPECT_EQ(t.read(QStringLiteral("Groups/Sales.mit")), "S\r\n");
    EXPECT_EQ(QDir(t.path(QStringLiteral("Groups"))).entryList(QDir::Files).size(), 2);

    // A group may take its own name in upper case.
    open(QStringLiteral("Sales.mit"));
    t.dialogs->type(QStringLiteral("sales"));
    m().tab2butRenameGroup->click();
    EXPECT_EQ(t.read(QStringLiteral("Groups/SALES.mit")), "S\r\n");
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/Sales.mit"))));
}
