// The group text editor: opening a group as text, the cleaning save, its states and its failures.
#include "console/mainform.h"
#include "console/program.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"
#include "tests/support/testprogram.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {
QString tooLong(const char* line)
{
    return QStringLiteral(
               "Your node entered [%1] contains more then 14 Characters.  It will not be added to the Group.")
        .arg(QLatin1String(line));
}
QString invalid(const char* name, const char* shown)
{
    return QStringLiteral("One of your computer lines Entered [%1] has an Invalid Name (contains: %2).  Please alter "
                          "the text.")
        .arg(QLatin1String(name), QLatin1String(shown));
}
QString saved(int count)
{
    return QStringLiteral("[%1] Nodes Were Saved Into The Group: LAB.mit").arg(count);
}
QString duplicate(const char* name)
{
    return QStringLiteral("Duplicate Entry Found And Removed: %1.").arg(name);
}
QByteArray names(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += "N" + QByteArray::number(i) + "\r\n";
    return text;
}
} // namespace

class GroupEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
        t.write(QStringLiteral("Groups/LAB.mit"), "OLD1\r\nOLD2");
        ed().fileGroups->Refresh();
    }
    forms::frmEdit& ed() { return t.program().frmEdit(); }
    void openLab()
    {
        ASSERT_TRUE(ed().fileGroups->selectFile(QStringLiteral("LAB.mit")));
        emit ed().fileGroups->itemClicked(ed().fileGroups->currentItem());
        ed().butOpen->click();
    }
    // Which of the editor's commands are on, in a fixed order.
    std::vector<bool> commands()
    {
        forms::frmEdit& e = ed();
        return {e.frameFiles->isEnabled(), e.butCreate->isEnabled(), e.butOpen->isEnabled(),
                e.butClose->isEnabled(),   e.butSave->isEnabled(),   e.frameText->isEnabled(),
                e.butCopy->isEnabled(),    e.mnuCut->isEnabled(),    e.butCloseForm->isEnabled()};
    }
    TestProgram t;
};

TEST_F(GroupEditor, SaveCleansTheTextAndReportsInOrder)
{
    const QByteArray unchanged = "OLD1\r\nOLD2";
    const QByteArray full = names(6000);
    struct Case {
        const char* what;
        QByteArray text;
        QStringList boxes;
        QByteArray file; // the group file afterwards
    };
    const Case cases[] = {
        {"empty text", "", {saved(0)}, ""},
        {"blank lines, no final break", "\r\n\r\npc1\r\n\r\n\r\npc2", {saved(2)}, "PC1\r\nPC2\r\n"},
        {"14 and 15 characters",
         "abcdefghijklmn\r\nabcdefghijklmno\r\nX",
         {tooLong("abcdefghijklmno"), saved(2)},
         "ABCDEFGHIJKLMN\r\nX\r\n"},
        {"a blank inside, after an over-long line",
         "PC 1\r\nabcdefghijklmnop\r\nPC?",
         {tooLong("abcdefghijklmnop"), invalid("PC 1", "A SPACE")},
         unchanged},
        {"a quote", "ok\r\npc\"1", {invalid("PC\"1", "QUOTATION MARKS")}, unchanged},
        {"duplicates keep the last",
         "pc1\r\nPC1\r\nA\r\nB\r\nA\r\n",
         {duplicate("PC1"), duplicate("A"), saved(3)},
         "PC1\r\nB\r\nA\r\n"},
        {"the marker's look-alike", "a\r\nnull-1\r\nNull-1\r\nb", {saved(2)}, "A\r\nB\r\n"},
        {"6000 names, an empty and an over-long line",
         full + "\r\nabcdefghijklmnop",
         {tooLong("abcdefghijklmnop"), saved(6000)},
         full},
        {"6001 names",
         full + "LAST",
         {QStringLiteral("You are only allowed [6000] Nodes per group file.  We suggest "
                         "you create another group file for ease of use.")},
         unchanged},
    };
    for (const Case& c : cases) {
        t.write(QStringLiteral("Groups/LAB.mit"), unchanged);
        openLab();
        ed().txtFile->setText(QString::fromLatin1(c.text));
        t.dialogs->shown.clear();
        ed().butSave->click();
        EXPECT_EQ(t.dialogs->texts(), c.boxes) << c.what;
        EXPECT_EQ(t.read(QStringLiteral("Groups/LAB.mit")), c.file) << c.what;
        EXPECT_EQ(t.read(QStringLiteral("Logs/Checkit.log")), c.text + "\r\n") << c.what;
        const bool done = c.boxes.last().startsWith('[');
        EXPECT_EQ(ed().txtFile->text(), done ? QString() : QString::fromLatin1(c.text)) << c.what;
        EXPECT_EQ(t.program().module1().GroupFileModified, done ? 0 : 1) << c.what;
        EXPECT_EQ(ed().butClose->isEnabled(), !done) << c.what;
        EXPECT_TRUE(ed().lblFileInfo->text().isEmpty()) << c.what;
        if (done)
            ed().butClose->click();
    }
    EXPECT_EQ(t.dialogs->shown.back().title, "Corvane - Information");
    EXPECT_EQ(t.program().module1().CheckitLogWritten, 1);
}

TEST_F(GroupEditor, CommandsFollowTheFileListAndEditingStates)
{
    using V = std::vector<bool>;
    const V fileList{true, true, false, false, false, false, false, false, true};
    EXPECT_EQ(commands(), fileList);
    openLab();
    EXPECT_EQ(ed().txtFile->text(), "OLD1\r\nOLD2\r\n");
    EXPECT_EQ(commands(), (V{false, false, false, true, false, true, true, true, true}));
    ed().butClose->click();
    EXPECT_TRUE(t.dialogs->shown.empty()) << "no edits, no question";
    EXPECT_EQ(commands(), fileList);

    openLab();
    QGuiApplication::clipboard()->setText(QStringLiteral("stale"));
    ed().butCopy->click();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty()) << "nothing selected";
    ed().txtFile->selectAll();
    ed().butCut->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "OLD1\nOLD2\n");
    EXPECT_TRUE(ed().txtFile->text().isEmpty());
    EXPECT_TRUE(ed().butSave->isEnabled());
    QGuiApplication::clipboard()->setText(QStringLiteral("A\r\nB"));
    ed().mnuPaste->trigger();
    EXPECT_EQ(ed().txtFile->text(), "A\r\nB");

    t.dialogs->answer(MsgAnswer::No);
    ed().butClose->click();
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Question");
    EXPECT_TRUE(ed().butClose->isEnabled()) << "No keeps the edits";

    // A click while the save runs is ignored, not queued behind it.
    QTimer::singleShot(0, ed().butClose, &QPushButton::click);
    ed().butSave->click();
    EXPECT_EQ(t.dialogs->texts().last(), saved(2));
    EXPECT_EQ(t.dialogs->shown.size(), 2u);
    EXPECT_EQ(commands(), fileList);

    ed().show();
    t.main().hide();
    ed().butCloseForm->click();
    EXPECT_EQ(t.dialogs->shown.size(), 2u) << "after a save nothing is asked";
    EXPECT_FALSE(ed().isVisible());
    EXPECT_TRUE(t.main().isVisible());
}

TEST_F(GroupEditor, FilesThatCannotBeReadOrWrittenLeaveEverythingAsItWas)
{
    openLab();
    ed().txtFile->setText(QStringLiteral("pc9"));
    ASSERT_TRUE(QDir(t.path("Logs")).removeRecursively());
    ed().butSave->click();
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_TRUE(t.dialogs->last()->text.contains("Checkit.log"));
    ASSERT_TRUE(QDir().mkdir(t.path("Logs")));

    ASSERT_TRUE(QFile::remove(t.path("Groups/LAB.mit")));
    ed().butSave->click();
    ASSERT_EQ(t.dialogs->shown.size(), 2u);
    EXPECT_TRUE(t.dialogs->last()->text.contains("LAB.mit"));
    EXPECT_FALSE(QFile::exists(t.path("Groups/LAB.mit")));
    EXPECT_EQ(ed().txtFile->text(), "pc9");
    EXPECT_TRUE(ed().butSave->isEnabled());

    ed().butClose->click(); // the question takes its first button, Yes
    t.write(QStringLiteral("Groups/GONE.mit"), "X\r\n");
    ed().fileGroups->Refresh();
    ASSERT_TRUE(ed().fileGroups->selectFile(QStringLiteral("GONE.mit")));
    emit ed().fileGroups->itemClicked(ed().fileGroups->currentItem());
    QFile::remove(t.path("Groups/GONE.mit"));
    t.dialogs->shown.clear();
    ed().butOpen->click();
    EXPECT_EQ(t.dialogs->texts(), QStringList(3, QStringLiteral("The specified file error.(TXT IMPORT)")));
    EXPECT_FALSE(ed().butClose->isEnabled());
    EXPECT_TRUE(ed().frameFiles->isEnabled());
}

// The group tab refuses to replace a write-protected group; the editor and the generator do too,
// even for the administrator, and the file keeps its content and its mode.
TEST_F(GroupEditor, AWriteProtectedGroupIsKeptByTheEditorAndTheGenerator)
{
    const QString lab = t.path("Groups/LAB.mit");
    ASSERT_TRUE(QFile::setPermissions(lab, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    forms::frmNumeric& gen = t.program().frmNumeric();
    const std::pair<const char*, std::function<void()>> editors[] = {
        {"group text editor",
         [&] {
             openLab();
             ed().txtFile->setText(QStringLiteral("PC9"));
             ed().butSave->click();
         }},
        {"numbered-name generator",
         [&] {
             gen.opt2Numeric->click();
             gen.txt2Text->setText(QStringLiteral("1"));
             gen.Endtxt2Text->setText(QStringLiteral("2"));
             gen.butCalculate->click();
             t.dialogs->chooseFile(lab);
             gen.butSaveTo->click();
         }},
    };
    for (const auto& [editor, save] : editors) {
        t.dialogs->shown.clear();
        save();
        ASSERT_NE(t.dialogs->last(), nullptr) << editor;
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error") << editor;
        EXPECT_TRUE(t.dialogs->last()->text.contains("write-protected")) << editor;
        EXPECT_EQ(t.read("Groups/LAB.mit"), "OLD1\r\nOLD2") << editor;
        EXPECT_FALSE(QFile::permissions(lab) & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) << editor;
    }
}
