// The hosts-file tab on the real main window, against real files.
#include "assistants/frmOptions.h"
#include "assistants/frmWizard.h"
#include "console/mainform.h"
#include "console/program.h"
#include "groups/locatehost.h"
#include "tests/support/smalldisk.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTextCursor>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

class HostsTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
        hosts = t.path(QStringLiteral("hosts"));
        t.options().Label2->setText(hosts);
    }
    forms::mainform& m() { return t.main(); }
    void press(Qt::Key key = Qt::Key_Right, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(m().tab3Text1, &event);
    }
    // Load, Close, Save, Refresh Host, and whether the box can be edited.
    std::string state()
    {
        std::string s;
        for (QWidget* w : std::initializer_list<QWidget*>{m().tab3butbrowse, m().tab3butClose, m().tab3butsave,
                                                          m().tab3butreload, m().tab3Text1})
            s += w->isEnabled() ? '1' : '0';
        return s;
    }
    TestProgram t;
    QString hosts;
};

namespace {

// A POSIX ACL as the system stores it (version 2; tag, rights, id): the owner and user 4242 may
// write the file, the group (and the mask) only read it, others nothing.
const QByteArray acl = QByteArray::fromHex("02000000"
                                           "01000600ffffffff"
                                           "0200060092100000"
                                           "04000400ffffffff"
                                           "10000400ffffffff"
                                           "20000000ffffffff");

QByteArray attribute(const QString& path, const char* name)
{
    QByteArray value(256, '\0');
    const ssize_t size = ::getxattr(QFile::encodeName(path).constData(), name, value.data(), value.size());
    return size < 0 ? QByteArray() : value.left(size);
}

} // namespace

TEST_F(HostsTab, ButtonsFollowLoadKeySaveRefreshCloseAndTabSwitch)
{
    t.write(QStringLiteral("hosts"), "a\nb\n");
    EXPECT_EQ(state(), "10000");
    m().tab3butbrowse->click();
    EXPECT_EQ(state(), "01001");
    EXPECT_EQ(m().tab3Text1->text(), "a\r\nb\r\n");
    EXPECT_EQ(m().tab3pathlbl->text(), hosts);
    press();
    EXPECT_EQ(state(), "01101") << "an arrow key counts as an edit";
    m().tab3butsave->click();
    EXPECT_EQ(state(), "01011");
    EXPECT_TRUE(m().tab3lbl1->text().startsWith("Important: Your new changes will not be LIVE"));
    EXPECT_EQ(m().panelText(1), "Status: Hosts file Saved");

    m().tab3butClose->click();
    EXPECT_EQ(state(), "10010") << "Close leaves Refresh Host as the save left it";
    EXPECT_EQ(m().tab3Text1->text(), "Click Load...");
    EXPECT_EQ(m().tab3pathlbl->text(), "/");
    m().tab3butbrowse->click();
    m().SSTab1->setCurrentIndex(3);
    EXPECT_EQ(state(), "10010") << "leaving the tab closes the file";
    EXPECT_EQ(m().tab3pathlbl->text(), "/");

    m().tab3butreload->click();
    EXPECT_EQ(t.nameCache->count, 1);
    EXPECT_EQ(state(), "10000");
    EXPECT_TRUE(m().tab3lbl1->text().isEmpty());
    EXPECT_EQ(m().panelText(1),
              "Status: The network table on this machine has been Refreshed with the new information");
}

// Typed entries go only after a Yes, however the file is left: its Close, another tab, the wizard
// (which turns the main window to the first tab). A key that changed nothing, or a save, leaves
// nothing to ask about.
TEST_F(HostsTab, EditsAreDroppedOnlyAfterTheOperatorSaysSo)
{
    enum Leave { Close, OtherTab, Wizard };
    enum Edit { ArrowOnly, Typed, TypedAndSaved };
    const struct {
        Leave leave;
        Edit edit;
        MsgAnswer answer;
        bool kept;
    } cases[] = {
        {Close, Typed, MsgAnswer::No, true},      {Close, Typed, MsgAnswer::Yes, false},
        {Close, ArrowOnly, MsgAnswer::No, false}, {Close, TypedAndSaved, MsgAnswer::No, false},
        {OtherTab, Typed, MsgAnswer::No, true},   {OtherTab, Typed, MsgAnswer::Yes, false},
        {Wizard, Typed, MsgAnswer::No, true},
    };
    const QString typed = QStringLiteral("a\r\n10.0.0.7 pc7\r\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "leave " << c.leave << ", edit " << c.edit);
        t.write(QStringLiteral("hosts"), "a\n");
        m().SSTab1->setCurrentIndex(2);
        m().tab3butbrowse->click();
        if (c.edit != ArrowOnly)
            m().tab3Text1->setText(typed);
        press();
        if (c.edit == TypedAndSaved)
            m().tab3butsave->click();
        t.dialogs->shown.clear();
        t.dialogs->answer(c.answer);
        if (c.leave == Close)
            m().tab3butClose->click();
        else if (c.leave == OtherTab)
            m().SSTab1->setCurrentIndex(1);
        else
            m().mnuWizard->trigger();

        if (c.edit == Typed) {
            ASSERT_EQ(t.dialogs->shown.size(), 1u);
            EXPECT_EQ(t.dialogs->last()->text, "Close the hosts file without saving your changes?");
            EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information:");
            EXPECT_EQ(t.dialogs->last()->buttons, MsgButtons::YesNo);
        } else {
            EXPECT_TRUE(t.dialogs->shown.empty());
        }
        t.dialogs->answers.clear();
        EXPECT_EQ(m().tab3Text1->text(), c.kept ? typed : "Click Load...");
        EXPECT_EQ(state(), c.kept ? "01101" : c.edit == TypedAndSaved ? "10010" : "10000");
        if (c.leave != Close) {
            EXPECT_EQ(m().SSTab1->currentIndex(), c.kept ? 2 : 1) << "kept edits keep their tab";
        }
        if (c.kept) {
            EXPECT_FALSE(t.program().frmWizard().isVisible());
            t.dialogs->answer(MsgAnswer::Yes);
            m().tab3butClose->click();
        }
        if (m().tab3butreload->isEnabled())
            m().tab3butreload->click();
    }
}

TEST_F(HostsTab, SaveKeepsTheLineEndsAndOneFinalBreak)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"127.0.0.1 localhost\n10.0.0.7 pc7\n", "127.0.0.1 localhost\n10.0.0.7 pc7\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\nb\n"},
        {"a\n\n\n", "a\n"},
        // Every other byte stays itself: A0 is a no-break space, and the second byte of the UTF-8 "à".
        {"10.0.0.8 caf\xc3\xa0\xa0\x81\x9d\r\n", "10.0.0.8 caf\xc3\xa0\xa0\x81\x9d\r\n"},
    };
    for (const auto& [before, after] : cases) {
        t.write(QStringLiteral("hosts"), before);
        QFile::setPermissions(hosts, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        // The ACL the user guide has the operator set, and an attribute of the operator's own; a file
        // system without them is saved without them.
        const QByteArray encoded = QFile::encodeName(hosts);
        const bool attributes =
            ::setxattr(encoded.constData(), "system.posix_acl_access", acl.constData(), acl.size(), 0) == 0 &&
            ::setxattr(encoded.constData(), "user.corvane", "kept", 4, 0) == 0;
        const bool root = ::geteuid() == 0; // only root can give the file away, and must keep its owner
        if (root) {
            ASSERT_EQ(::chown(QFile::encodeName(hosts).constData(), 4242, 4343), 0);
        }
        for (int round = 0; round < 2; ++round) {
            m().tab3butbrowse->click();
            press();
            m().tab3butsave->click();
            m().tab3butClose->click();
            EXPECT_EQ(t.read(QStringLiteral("hosts")), after) << before.toStdString() << " round " << round;
        }
        const QFileInfo info(hosts);
        EXPECT_EQ(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser),
                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        if (attributes) {
            EXPECT_EQ(attribute(hosts, "system.posix_acl_access"), acl);
            EXPECT_EQ(attribute(hosts, "user.corvane"), "kept");
        }
        if (root) {
            EXPECT_EQ(std::make_pair(info.ownerId(), info.groupId()), std::make_pair(4242u, 4343u));
        }
    }
}

TEST_F(HostsTab, FailuresKeepTheTextAndSayWhatToDo)
{
    m().tab3butbrowse->click();
    EXPECT_EQ(t.dialogs->last()->text, "Cannot Locate Hosts file.  Please check the default Path in Options.  Or "
                                       "the file maybe missing or currupt.  Please see your systems administrator.");
    EXPECT_TRUE(t.options().isVisible());
    EXPECT_EQ(state(), "10000");

    t.write(QStringLiteral("hosts"), "a\n");
    m().tab3butbrowse->click();
    m().tab3Text1->setText("a\r\nnew entry\r\n");
    press();
    // The file goes; a folder of its name cannot be written over.
    QFile::remove(hosts);
    QDir().mkdir(hosts);
    m().tab3butsave->click();
    EXPECT_TRUE(t.dialogs->last()->text.contains(hosts));
    EXPECT_TRUE(t.dialogs->last()->text.contains("Options"));
    EXPECT_EQ(state(), "01101");
    EXPECT_EQ(m().tab3Text1->text(), "a\r\nnew entry\r\n");

    QDir().rmdir(hosts);
    m().tab3butsave->click();
    EXPECT_EQ(t.read(QStringLiteral("hosts")), "a\nnew entry\n");
    t.nameCache->answer = INameCache::Refresh::Failed;
    m().tab3butreload->click();
    EXPECT_TRUE(t.dialogs->last()->text.contains(t.nameCache->failure));
    EXPECT_TRUE(m().tab3butreload->isEnabled()) << "a refresh that could not start can be tried again";
}

TEST_F(HostsTab, ShiftEnterIsALineBreakAndTheLayoutStaysAsItIs)
{
    t.write(QStringLiteral("hosts"), "ab\n");
    m().show();
    m().SSTab1->setCurrentIndex(2);
    m().Timer1->setInterval(5);
    m().tab3butbrowse->click();
    EXPECT_TRUE(waitFor([&] { return m().panelText(1) == "Status: Idle"; }));
    const auto layout = [&] {
        QList<QRect> places;
        for (QWidget* w : std::initializer_list<QWidget*>{m().tab3frame3, m().tab3frame2, m().tab3frame1,
                                                          m().tab3butreload, m().tab3Text1})
            places << w->geometry();
        return places;
    };
    const QList<QRect> loaded = layout();
    QTextCursor cursor = m().tab3Text1->textCursor();
    cursor.setPosition(1);
    m().tab3Text1->setTextCursor(cursor);
    press(Qt::Key_Return, Qt::ShiftModifier);
    m().tab3butsave->click();
    // The layout follows the note's text in more than one round of events, until the note has the
    // height its text needs.
    QLabel* note = m().tab3lbl1;
    EXPECT_TRUE(waitFor([&] { return note->height() >= note->heightForWidth(note->width()); }));
    EXPECT_EQ(t.read(QStringLiteral("hosts")), "a\nb\n");
    EXPECT_EQ(layout(), loaded) << "the note fits the column as it is";
    EXPECT_LT(m().tab3lbl1->geometry().bottom(), m().tab3butreload->geometry().top())
        << "the note asks for a click on Refresh Host below it";
}

TEST_F(HostsTab, OnlyARegularFileOfAHostsFileSizeLoads)
{
    const QString fifo = t.path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QFile large(hosts);
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(16 * 1024 * 1024 + 1)); // sparse: no disk used
    large.close();
    const std::pair<QString, const char*> cases[] = {
        {fifo, "Cannot Locate Hosts file."},
        {QStringLiteral("/dev/zero"), "Cannot Locate Hosts file."},
        {hosts, " is larger than 16 MB"},
    };
    for (const auto& [path, box] : cases) {
        t.program().module1().HostsPath = path;
        t.program().locateHost().LocateHostsFile(); // neither waits for a writer nor reads for ever
        t.options().Label2->setText(path);
        m().tab3butbrowse->click();
        EXPECT_TRUE(t.dialogs->last()->text.contains(box)) << path.toStdString();
        EXPECT_EQ(state(), "10000");
    }
}

// How each way of saving keeps the file whole is the file unit's to show (test_files); here the box
// names what helps.
TEST_F(HostsTab, AFailedSaveNamesWhatHelps)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a file system takes root";
    const QByteArray old = "127.0.0.1 localhost\n";
    // The hosts file's disk is full, or the file is mounted read-only over its folder's entry.
    for (const auto& [mountPoint, advice] :
         {std::pair{false, "free some space"}, std::pair{true, "It is mounted read-only over its folder"}}) {
        SmallDisk disk(t.path(QStringLiteral("disk")));
        if (!disk.mounted())
            GTEST_SKIP() << "no tmpfs to mount";
        const QString source = disk.path() + QStringLiteral("/hosts");
        t.write(QStringLiteral("disk/hosts"), old);
        t.write(QStringLiteral("hosts"), "");
        ASSERT_TRUE(!mountPoint || disk.bind(source, hosts, true));
        if (!mountPoint)
            disk.fill();
        t.options().Label2->setText(mountPoint ? hosts : source);
        m().tab3butbrowse->click();
        m().tab3Text1->setText(QString::fromLatin1(old) + QString(8000, QLatin1Char('x')));
        press();
        m().tab3butsave->click();
        EXPECT_TRUE(t.dialogs->last()->text.contains("It is left as it was")) << advice;
        EXPECT_TRUE(t.dialogs->last()->text.contains(advice)) << t.dialogs->last()->text.toStdString();
        EXPECT_TRUE(m().tab3butsave->isEnabled()) << "a failed save can be tried again";
        m().tab3butClose->click();
    }
}
