// The hosts-file tab on the real main window, against real files.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <gtest/gtest.h>
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
    void press(Qt::Key key = Qt::Key_Right)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
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

TEST_F(HostsTab, SaveKeepsTheLineEndsAndOneFinalBreak)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"127.0.0.1 localhost\n10.0.0.7 pc7\n", "127.0.0.1 localhost\n10.0.0.7 pc7\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\nb", "a\nb\n"},
        {"a\n\n\n", "a\n"},
    };
    for (const auto& [before, after] : cases) {
        t.write(QStringLiteral("hosts"), before);
        QFile::setPermissions(hosts, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
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
