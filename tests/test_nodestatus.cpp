// The delivery-status window and the node-diagnosis window, driven as the operator drives them.
#include "console/frmNodeDetail.h"
#include "console/frmNodeStatus.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QScreen>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

struct Target {
    const char* name;
    const char* status;
    const char* result;
};

const char* kOk = "Winsock Communication Successfull";
const char* kNoConnect = "Winsock Failed to Connect to Client";
const char* kNoPing = "No reply to PING";
const char* kComms = "Service or Comms Error";
const char* kDomain = "The message to DOMAIN failed";
const char* kSent = "The message was successfully sent";

} // namespace

class NodeStatus : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
        t.main().hide();
    }
    Module1& m1() { return t.program().module1(); }
    void targets(std::initializer_list<Target> list, const char* mode = "NUVOCLIENT")
    {
        m1().ServiceName = QString::fromLatin1(mode);
        int i = 0;
        for (const Target& target : list) {
            m1().TargetNames[i] = QString::fromLatin1(target.name);
            m1().TargetStatus[i] = QString::fromLatin1(target.status);
            m1().TargetResult[i] = QString::fromLatin1(target.result);
            ++i;
        }
        m1().TargetCount = static_cast<std::int16_t>(i);
        m1().LogType = QStringLiteral("GROUP");
        m1().LogTarget = QStringLiteral("Sales (Group)");
        m1().CurrentMessage = QStringLiteral("Fire drill at noon");
    }
    forms::frmNodeStatus& status()
    {
        forms::frmNodeStatus& window = t.program().frmNodeStatus();
        window.show();
        return window;
    }
    int picture(int row) { return status().ListView1->item(row)->data(Qt::UserRole + 1).toInt(); }
    forms::frmNodeDetail& diagnose(int row)
    {
        forms::frmNodeStatus& window = status();
        window.ListView1->setCurrentRow(row);
        window.ListView1_DblClick();
        return t.program().frmNodeDetail();
    }
    QStringList causes(forms::frmNodeDetail& d)
    {
        QStringList shown;
        for (QLabel* line : {d.lblReas1, d.lblReas2, d.lblReas3, d.lblReas4})
            if (!line->isHidden())
                shown << line->text();
        return shown;
    }
    int records() { return t.read(QStringLiteral("Logs/sent.Log")).count("[LOG_BEGIN]"); }
    TestProgram t;
};

TEST_F(NodeStatus, AllFailedShowsTheAdviceOfTheModeBeforeTheCounts)
{
    targets({{"PC1", "Fail", kNoConnect}, {"PC2", "Fail", kNoPing}});
    forms::frmNodeStatus& w = t.program().frmNodeStatus();
    ASSERT_EQ(t.dialogs->texts().size(), 1);
    EXPECT_EQ(t.dialogs->last()->text,
              "All targets failed to receive your message.  You may wish to check your that your clients have the Nuvo "
              "Client program installed and running.\r\n\r\nRead the Help Files on how to do this.  If the clients are "
              "not running Nuvo Client then you will not be able to send out messages to them via the Nuvo Client "
              "service.\r\n\r\nTry double clicking the Nodes in the Distribution Status window for further possible "
              "solutions.");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Information);
    EXPECT_EQ(w.windowTitle(), "Message Delivery Status - [Nuvo Client]");
    EXPECT_EQ(w.lblPass->text(), "Passed: 0");
    EXPECT_EQ(w.lblFail->text(), "Failed: 2");
    EXPECT_TRUE(w.butSave->isEnabled());
    EXPECT_EQ(picture(0), 2);
    EXPECT_EQ(picture(1), 3);
}

TEST_F(NodeStatus, MessengerAdviceNamesTheService)
{
    targets({{"PC1", "Fail", kComms}, {"CORP (Domain)", "Fail", kDomain}, {"PC3", "Fail", kNoPing}}, "MESSENGER");
    forms::frmNodeStatus& w = status();
    ASSERT_EQ(t.dialogs->texts().size(), 1);
    EXPECT_TRUE(t.dialogs->last()->text.startsWith(
        "All targets failed to receive your message.  You may wish to check your that your windows MESSENGER SERVICE "
        "is ENABLED on this PC (and on the clients)\r\n\r\nRead the Help Files"));
    EXPECT_EQ(w.windowTitle(), "Message Delivery Status - [Windows Messenger Service]");
    EXPECT_EQ(w.ListView1->item(1)->text(), "CORP (Domain)");
    EXPECT_EQ(picture(0), 2);
    EXPECT_EQ(picture(1), 3);
}

TEST_F(NodeStatus, AdviceOnlyForTwoOrMoreFailuresWithoutAPass)
{
    targets({{"PC1", "Fail", kNoPing}});
    EXPECT_EQ(status().lblFail->text(), "Failed: 1");
    EXPECT_TRUE(status().butSave->isEnabled());
    t.program().unloadFrmNodeStatus();

    targets({{"PC1", "Pass", kOk}, {"PC2", "Fail", kNoPing}, {"PC3", "Fail", kNoConnect}});
    EXPECT_EQ(status().lblPass->text(), "Passed: 1");
    EXPECT_EQ(status().lblFail->text(), "Failed: 2");
    EXPECT_EQ(picture(0), 1);
    t.program().unloadFrmNodeStatus();

    targets({{"PC1", "Pass", kOk}, {"PC2", "Pass", kOk}});
    EXPECT_EQ(status().lblFail->text(), "Failed: 0");
    EXPECT_FALSE(status().butSave->isEnabled());
    t.program().unloadFrmNodeStatus();

    targets({});
    EXPECT_EQ(status().ListView1->count(), 0);
    EXPECT_EQ(status().lblPass->text(), "Passed: 0");
    EXPECT_FALSE(status().butSave->isEnabled());
    EXPECT_TRUE(t.dialogs->texts().isEmpty());
    EXPECT_EQ(m1().PassedCount, 0);
}

TEST_F(NodeStatus, LoadingDeletesTheClientMessageFileEvenUnshown)
{
    t.write(QStringLiteral("socket.txt"), "CLI_HEADLINE=x\r\n");
    targets({{"PC1", "Pass", kOk}, {"PC2", "Fail", kNoPing}});
    forms::frmNodeStatus& w = t.program().frmNodeStatus();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(QFile::exists(t.path("socket.txt")));
    EXPECT_EQ(m1().PassedCount, 1);
    EXPECT_EQ(m1().FailedCount, 1);
    // The unattended run writes the record itself and unloads the window.
    w.WriteSentLogRecord();
    t.program().unloadFrmNodeStatus();
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_EQ(records(), 1);
}

TEST_F(NodeStatus, DiagnosisFollowsModeStatusAndPingAnswer)
{
    targets({{"pc1", "Fail", kNoConnect}, {"PC2", "Fail", kNoPing}, {"PC3", "Pass", kOk}});
    m1().ClientPort = 9125;
    forms::frmNodeDetail& d = diagnose(0);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.lblNode->text(), "PC1");
    EXPECT_EQ(d.lblStatus->text(), "Fail");
    EXPECT_EQ(d.lblStatus->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(d.lblPing->text(), "Yes");
    EXPECT_EQ(d.lblPrevious->text(), "No, not failed before.");
    EXPECT_EQ(causes(d), QStringList({"[1] The Nuvo Client program is not running (On the client).",
                                      "[2] Nuvo Client must be listening on TCP PORT: 9125",
                                      "[3] TCP PORT: 9125 must be open and not blocked by a firewall (On this PC or "
                                      "the Client).",
                                      "[4] The computer is logged off (No user is accessing a desktop)."}));

    diagnose(1);
    EXPECT_EQ(d.lblPing->text(), "No");
    EXPECT_TRUE(d.lblReason->text().startsWith("Corvane could not see the Node on your network"));
    EXPECT_EQ(causes(d).size(), 3);
    EXPECT_EQ(causes(d).first(), "[1] The client computer is switched off (Or in a shutdown state).");

    diagnose(2);
    EXPECT_EQ(d.lblReason->text(), "No action to take.  Message was received by client");
    EXPECT_TRUE(causes(d).isEmpty());
    EXPECT_EQ(d.lblStatus->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(NodeStatus, MessengerDiagnosisOfAComputerAndADomain)
{
    targets({{"PC1", "Fail", kComms}, {"CORP (Domain)", "Fail", kDomain}, {"PC3", "Pass", kSent}}, "MESSENGER");
    forms::frmNodeDetail& d = diagnose(0);
    EXPECT_EQ(d.lblPing->text(), "Yes");
    EXPECT_EQ(causes(d),
              QStringList({"[1] The Messenger Service is not running.", "[2] NetBIOS over TCP/IP may not be enabled.",
                           "[3] Your Alias may not be equal to your computername.",
                           "[4] You may have a firewall disabling messages."}));
    diagnose(1);
    EXPECT_EQ(d.lblPing->text(), "Not Applicable");
    EXPECT_EQ(
        d.lblReason->text(),
        "Corvane could not distribute this message to the DOMAIN.  Corvane could not give specific information on "
        "the error.  However it may be...");
    EXPECT_EQ(causes(d),
              QStringList({"[1] The Messenger Service is not running.", "[2] NetBIOS over TCP/IP may not be enabled.",
                           "[3] Your DOMAIN name was not found on this network."}));
    diagnose(2);
    EXPECT_EQ(d.lblPing->text(), "Yes");
}

TEST_F(NodeStatus, EarlierFailuresEndAtTheColonLineAndMatchWithCase)
{
    t.write(QStringLiteral("Logs/FailNodes.Log"), "PC7:2\r\n\r\nPC7:5\r\npc7:3\r\n:\r\nPC7:9\r\n");
    targets({{"PC7", "Fail", kNoPing}, {"PC8", "Fail", kNoPing}});
    EXPECT_EQ(diagnose(0).lblPrevious->text(), "Yes [5] Occasions.");
    EXPECT_EQ(diagnose(1).lblPrevious->text(), "No, not failed before.");
}

TEST_F(NodeStatus, AnUnreadableFailedNodesLogIsNamedNotTakenForNoFailures)
{
    ASSERT_TRUE(QDir().mkpath(t.path("Logs/FailNodes.Log"))); // unreadable even by root
    targets({{"PC7", "Fail", kNoPing}});
    EXPECT_EQ(diagnose(0).lblPrevious->text(), "Unknown");
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->text, "The failed-nodes log " + t.path("Logs/FailNodes.Log") +
                                           " could not be read (Is a directory).  Whether this node has "
                                           "failed before is not known.");
}

TEST_F(NodeStatus, NothingSelectedDiagnosesNothing)
{
    targets({{"PC1", "Fail", kNoPing}});
    status().ListView1->clearSelection();
    status().ListView1_DblClick();
    EXPECT_FALSE(t.program().frmNodeDetailLoaded());
}

TEST_F(NodeStatus, UserGuideOpensAfterItsBoxAndCloseUnloads)
{
    targets({{"PC1", "Fail", kNoPing}});
    forms::frmNodeDetail& d = diagnose(0);
    runClick(d.butUserGuide);
    EXPECT_EQ(t.dialogs->last()->text, "Corvane will load up the User Guide.  Look at the Troubleshooting section of "
                                       "the document to find solutions to your problems.");
    EXPECT_EQ(t.browser->opened, QStringList({t.path("HelpFiles/UserGuide.pdf")}));
    runClick(d.butClose);
    EXPECT_FALSE(t.program().frmNodeDetailLoaded());
    EXPECT_TRUE(t.program().frmNodeStatusLoaded()) << "the status window stays";
}

// Beside the status window, both whole on the screen, and never over the status window's buttons
// (here the screen is too narrow for the pair side by side); and gone with the status window, never
// left in front of nothing.
TEST_F(NodeStatus, TheDiagnosisOpensBesideTheStatusWindowAndClosesWithIt)
{
    targets({{"PC1", "Fail", kNoPing}});
    forms::frmNodeStatus& window = status();
    const QRect screen = window.screen()->availableGeometry();
    forms::frmNodeDetail& d = diagnose(0);
    ASSERT_GT(window.frameGeometry().width() + d.frameGeometry().width(), screen.width());
    for (const QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&d)})
        EXPECT_TRUE(screen.contains(w->frameGeometry())) << w->objectName().toStdString();
    for (const QPushButton* button : {window.butSave, window.butClose})
        EXPECT_FALSE(d.frameGeometry().intersects(QRect(button->mapToGlobal(QPoint()), button->size())))
            << button->text().toStdString();

    runClick(window.butClose);
    EXPECT_FALSE(t.program().frmNodeDetailLoaded());
    EXPECT_TRUE(t.main().isVisible());
}

TEST_F(NodeStatus, CloseStatusWritesOneRecordAndReturnsToTheMainWindow)
{
    targets({{"PC1", "Pass", kOk}, {"PC2", "Fail", kNoPing}});
    runClick(status().butClose);
    EXPECT_EQ(records(), 1);
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_FALSE(t.program().frmProgressLoaded());
    EXPECT_TRUE(t.main().isVisible());
    EXPECT_TRUE(t.read(QStringLiteral("Logs/FailNodes.Log")).isEmpty());
}

TEST_F(NodeStatus, SaveAnsweredNoWritesNothingAndStaysThenCloseWritesOnce)
{
    targets({{"PC1", "Fail", kNoPing}});
    t.dialogs->answer(MsgAnswer::No);
    runClick(status().butSave);
    EXPECT_EQ(t.dialogs->last()->text, "Are you sure you want to add the Failed Nodes to the log?");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane: Question");
    EXPECT_EQ(t.dialogs->last()->buttons, MsgButtons::YesNo);
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::None);
    ASSERT_TRUE(t.program().frmNodeStatusLoaded());
    EXPECT_TRUE(t.program().frmNodeStatus().isVisible());
    EXPECT_FALSE(t.main().isVisible());
    EXPECT_FALSE(QFile::exists(t.path("Logs/sent.Log")));
    EXPECT_FALSE(QFile::exists(t.path("Logs/FailNodes.Log")));

    runClick(status().butClose);
    EXPECT_EQ(records(), 1);
    EXPECT_TRUE(t.main().isVisible());
}

TEST_F(NodeStatus, SaveAnsweredYesMergesWritesTheRecordAndReturns)
{
    t.write(QStringLiteral("Logs/FailNodes.Log"), "PC1:2\r\n");
    targets({{"PC1", "Fail", kNoPing}, {"PC2", "Pass", kOk}});
    t.dialogs->answer(MsgAnswer::Yes);
    runClick(status().butSave);
    EXPECT_EQ(t.read(QStringLiteral("Logs/FailNodes.Log")), QByteArray("PC1:3\r\n"));
    EXPECT_EQ(records(), 1);
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_TRUE(t.main().isVisible());
}

TEST_F(NodeStatus, ACorruptFailedNodesLogKeepsTheWindowOpenAndWritesNothing)
{
    t.write(QStringLiteral("Logs/FailNodes.Log"), "PC1:2\r\nGARBAGE\r\n");
    targets({{"PC1", "Fail", kNoPing}});
    t.dialogs->answer(MsgAnswer::Yes);
    runClick(status().butSave);
    EXPECT_EQ(t.dialogs->last()->text, "The FailNodes.log file is Invalid or Corrupt.  Please re-install Corvane");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
    EXPECT_EQ(t.read(QStringLiteral("Logs/FailNodes.Log")), QByteArray("PC1:2\r\nGARBAGE\r\n"));
    EXPECT_FALSE(QFile::exists(t.path("Logs/sent.Log")));
    EXPECT_TRUE(t.program().frmNodeStatusLoaded());
    EXPECT_EQ(m1().TargetStatus[0], "Fail");
    runClick(status().butClose);
    EXPECT_EQ(records(), 1);
}

TEST_F(NodeStatus, WithoutMessageLoggingNeitherButtonWritesARecord)
{
    m1().LogMessages = 0;
    targets({{"PC1", "Fail", kNoPing}});
    t.dialogs->answer(MsgAnswer::Yes);
    runClick(status().butSave);
    EXPECT_EQ(t.read(QStringLiteral("Logs/FailNodes.Log")), QByteArray("PC1:1\r\n"));
    targets({{"PC1", "Fail", kNoPing}});
    runClick(status().butClose);
    EXPECT_FALSE(QFile::exists(t.path("Logs/sent.Log")));
}
