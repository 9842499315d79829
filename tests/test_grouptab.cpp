// The group tab on the real window, with real group files in the program folder.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QApplication>
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
    QByteArray group(const char* name) { return t.read(QStringLiteral("Groups/") + QLatin1String(name)); }
    void open(const char* file)
    {
        m().tab2filelist->Refresh();
        ASSERT_TRUE(m().tab2filelist->selectFile(QLatin1String(file)));
        emit m().tab2filelist->itemClicked(m().tab2filelist->currentItem());
    }
    void removeRow(int row)
    {
        m().List1->setCurrentRow(row);
        emit m().List1->itemClicked(m().List1->currentItem());
        yes(m().tab2butDelCPU);
    }
    void type(const char* typed, QPushButton* button)
    {
        t.dialogs->type(QString::fromUtf8(typed));
        button->click();
    }
    void add(const char* typed) { type(typed, m().tab2butAddCPU); }
    void yes(QPushButton* button)
    {
        t.dialogs->answer(MsgAnswer::Yes);
        button->click();
    }
    QString lastBox() const { return t.dialogs->last()->text; }
    // Which controls are enabled, then the labels and the rows.
    QString state()
    {
        QString s;
        for (QWidget* w : std::initializer_list<QWidget*>{m().tab2filelist, m().tab2butAddGroup, m().tab2butdeletegroup,
                                                          m().tab2butRenameGroup, m().tab2butClose, m().tab2butAddCPU,
                                                          m().tab2butDelCPU, m().tab2butSave, m().List1})
            s += QLatin1Char(w->isEnabled() ? '1' : '0');
        for (int i = 0; i < m().List1->count(); ++i)
            s += QLatin1Char(i ? ',' : '|') + m().List1->item(i)->text();
        return s + QStringLiteral(" %1|%2|%3|%4")
                       .arg(m().tab2lblselgroup->text(), m().tab2frame3->title(), m().tab2discpu->text(),
                            m().cpunumberslbl->text());
    }
    const QString closed = QStringLiteral("110000000 none...|Computers|Select a Group|0");
    TestProgram t;
};

TEST_F(GroupTab, AddChecksTheNameInOrder)
{
    struct Case {
        const char *file, *prefix, *typed, *refusal, *rows;
    };
    const char* invalid =
        "Computer Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).  Please enter a different";
    const Case cases[] = {
        {"", "lab-", "pc1", nullptr, "LAB-PC1"},
        {"", "lab-", "abcdefghij", nullptr, "LAB-ABCDEFGHIJ"},
        {"", "lab-", "abcdefghijk", "Your node entered [LAB-ABCDEFGHIJK] contains more then 14 Characters.", ""},
        {"PC1\r\n", nullptr, "pc1", "Computer Entered already Exists in Group.", "PC1"},
        {"pc1\r\n", nullptr, "pc1", nullptr, "pc1,PC1"},
        {"", nullptr, "pc 1", invalid, ""},
        {"", nullptr, "pc\"1", invalid, ""},
        {"", nullptr, "pcΩ1", invalid, ""}, // a group file cannot hold it
        {"ABCDEFGHIJKLMNOP\r\n", nullptr, "abcdefghijklmnop", "Computer Entered already", "ABCDEFGHIJKLMNOP"},
        {"", nullptr, "abc*defghijklmnop", invalid, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        t.write(QStringLiteral("Groups/G.mit"), c.file);
        m().tab2butClose_Click(); // answered Yes
        open("G.mit");
        selectOption(c.prefix ? t.options().optPrefixON : t.options().optPrefixOFF);
        t.options().txtPrefix->setText(QLatin1String(c.prefix));
        const QString count = m().cpunumberslbl->text();
        const size_t before = t.dialogs->shown.size();
        add(c.typed);
        EXPECT_EQ(t.dialogs->shown[before].title, c.prefix ? "Add Computer *With Prefix: LAB-*" : "Add Computer");
        EXPECT_EQ(t.dialogs->shown.size(), before + (c.refusal ? 2 : 1));
        EXPECT_TRUE(!c.refusal || lastBox().startsWith(QLatin1String(c.refusal))) << lastBox().toStdString();
        EXPECT_EQ(m().cpunumberslbl->text().toInt(), count.toInt() + (c.refusal ? 0 : 1));
        // Refused or not, the group now counts as changed.
        const QString rows = *c.rows ? QStringLiteral("|") + QLatin1String(c.rows) : QString();
        EXPECT_TRUE(state().startsWith(QStringLiteral("001111011") + rows + ' ')) << state().toStdString();
    }

    t.write(QStringLiteral("Groups/G.mit"), QByteArray("PC\r\n").repeated(6000));
    m().tab2butClose_Click();
    open("G.mit");
    add("more");
    EXPECT_EQ(t.dialogs->typed.size(), 1u) << "no name is asked for";
    EXPECT_EQ(lastBox(), "You are only allowed [6000] Nodes per group file.  We suggest you create another group "
                         "file for ease of use.");
}

TEST_F(GroupTab, EveryCommandLeavesTheTabInItsState)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n\r\nB\r\n"); // the empty line is left out, nothing lost
    open("G.mit");
    EXPECT_EQ(state(), "101111001|A,B G|Nodes In G|Click Add...|2");
    removeRow(1);
    EXPECT_EQ(lastBox(), "Are you sure you wish to Delete B from the group?");
    EXPECT_EQ(state(), "101111011|A G|Nodes In G|Click Add...|1") << "a removal leaves the group list enabled";
    t.dialogs->answer(MsgAnswer::No);
    m().tab2butClose->click();
    add("c");
    add("a");
    // A tab switch closes the group as "Close" does; kept open, its list stays disabled.
    t.dialogs->answer(MsgAnswer::No);
    m().SSTab1->setCurrentIndex(1);
    EXPECT_EQ(lastBox(), "Close Group without saving?");
    EXPECT_EQ(state(), "001111010|A,C G|Nodes In G|Click Add...|2");
    yes(m().tab2butSave);
    EXPECT_EQ(group("G.mit"), "A\r\nC\r\n");
    EXPECT_EQ(state(), closed);
    EXPECT_EQ(m().panelText(1), "Status: Group file Saved!");

    open("G.mit");
    type("sales", m().tab2butRenameGroup);
    EXPECT_EQ(group("SALES.mit"), "A\r\nC\r\n");
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/G.mit"))));
    EXPECT_EQ(state(), closed);

    open("SALES.mit");
    removeRow(0);
    removeRow(0);
    EXPECT_EQ(state(), "101111011 SALES|Nodes In SALES|Click Add...|0");
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(m().List1->viewport(), &click);
    EXPECT_EQ(lastBox(), "You have no Nodes to select in this group!");
    yes(m().tab2butClose);
    EXPECT_EQ(m().panelText(1), "Status: Group SALES closed without Saving.");
    EXPECT_EQ(group("SALES.mit"), "A\r\nC\r\n");

    open("SALES.mit");
    yes(m().tab2butdeletegroup);
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/SALES.mit"))));
    EXPECT_EQ(state(), closed);
}

TEST_F(GroupTab, SaveAndDeleteActOnTheOpenGroupAfterARefusedClick)
{
    t.write(QStringLiteral("Groups/ONE.mit"), "A\r\nB\r\n");
    t.write(QStringLiteral("Groups/TWO.mit"), "X\r\n");
    for (QPushButton* command : {m().tab2butSave, m().tab2butdeletegroup}) {
        open("ONE.mit");
        removeRow(0);
        open("TWO.mit");
        EXPECT_EQ(lastBox(), "The File has been altered.  Please Save or Close the file before renaming.");
        EXPECT_EQ(m().tab2filelist->fileName(), "ONE.mit") << "the open group is shown selected again";
        m().tab2filelist->selectFile(QStringLiteral("TWO.mit"));
        yes(command);
    }
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Groups/ONE.mit"))));
    EXPECT_EQ(group("TWO.mit"), "X\r\n");
}

TEST_F(GroupTab, ATooLargeFileIsRefusedOnceAndNothingStaysOpen)
{
    t.write(QStringLiteral("Groups/BIG.mit"), QByteArray("N\r\n").repeated(10002));
    open("BIG.mit");
    EXPECT_EQ(t.dialogs->texts(), QStringList{"The specified file is too large.(GROUP DISPLAY)"});
    EXPECT_EQ(state(), closed);
}

TEST_F(GroupTab, AWriteProtectedGroupIsNeitherSavedNorDeleted)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n");
    QFile::setPermissions(t.path(QStringLiteral("Groups/G.mit")), QFile::ReadOwner);
    open("G.mit");
    add("b");
    const QString changed = state();
    for (QPushButton* command : {m().tab2butSave, m().tab2butdeletegroup}) {
        yes(command);
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
        EXPECT_EQ(state(), changed);
    }
    EXPECT_EQ(group("G.mit"), "A\r\n");
    EXPECT_FALSE(QFile::permissions(t.path(QStringLiteral("Groups/G.mit"))) & QFile::WriteOwner);
}

TEST_F(GroupTab, RenameRefusesAnExistingOrImpossibleName)
{
    t.write(QStringLiteral("Groups/G.mit"), "A\r\n");
    t.write(QStringLiteral("Groups/Sales.mit"), "S\r\n");
    open("G.mit");
    for (const char* typed : {"sales", "a/b", ".."}) {
        type(typed, m().tab2butRenameGroup);
        EXPECT_EQ(t.dialogs->last()->kind, "msgBox") << typed;
    }
    EXPECT_EQ(m().tab2lblselgroup->text(), "G");
    EXPECT_EQ(group("G.mit"), "A\r\n");
    EXPECT_EQ(group("Sales.mit"), "S\r\n");

    open("Sales.mit"); // a group may take its own name in upper case
    type("sales", m().tab2butRenameGroup);
    EXPECT_EQ(group("SALES.mit"), "S\r\n");
}
