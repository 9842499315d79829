// Whole distributions through Send Now, to Nuvo clients listening on loopback addresses: the
// interactive road through the review, progress and status windows, and the unattended one.
#include "console/frmNodeStatus.h"
#include "console/frmProgress.h"
#include "console/frmReview.h"
#include "console/mainform.h"
#include "console/program.h"
#include "platform/files.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>

using namespace corvane;
using namespace corvane::test;

class Distribution : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.setSetting(QStringLiteral("PORT"), QString::number(peer.port()));
    }
    void start()
    {
        t.start();
        m = &t.main();
        m1 = &t.program().module1();
        t.dialogs->shown.clear();
    }
    void group(const QString& name, const QByteArray& bytes)
    {
        t.addGroup(name, bytes);
        selectOption(m->tab1opt1);
        ASSERT_TRUE(t.clickGroup(name));
    }
    int records() const { return QString::fromLatin1(t.read(QStringLiteral("Logs/sent.Log"))).count("[LOG_BEGIN]"); }
    QString errorLog() const { return QString::fromLatin1(t.read(QStringLiteral("errorlog.log"))); }
    std::vector<QString> results(const std::vector<QString>& list) const
    {
        return {list.begin(), list.begin() + m1->TargetCount};
    }

    FakeNuvo peer;
    TestProgram t;
    forms::mainform* m = nullptr;
    Module1* m1 = nullptr;
};

TEST_F(Distribution, InteractiveGroupSendRunsThroughEveryWindow)
{
    FakeNuvo second(QStringLiteral("127.0.0.2"), peer.port());
    FakeNuvo third(QStringLiteral("127.0.0.3"), peer.port());
    third.setScript(FakeNuvo::refuse());
    start();
    group(QStringLiteral("OFFICE.mit"), "127.0.0.1\r\n127.0.0.2\r\n127.0.0.3\r\n");
    m->messtext->setText(QStringLiteral("Fire drill\r\nat three"));
    m->show();

    m->tab1butSend->click();
    ASSERT_TRUE(t.program().frmReviewLoaded());
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(peer.connections(), 0) << "nothing goes before the operator confirms";

    // The bar, as the progress window shows it when each delivery starts.
    struct Step {
        double bar;
        QString node, amount, caption;
        int delivered;
    };
    std::vector<Step> steps;
    forms::frmProgress& progress = t.program().frmProgress();
    QObject::connect(progress.Prog1, &QProgressBar::valueChanged, [&] {
        steps.push_back({progress.value(), progress.lblNode->text(), progress.lblAmount->text(), progress.windowTitle(),
                         peer.connections() + second.connections() + third.connections()});
    });
    EXPECT_FALSE(progress.windowFlags() & Qt::WindowCloseButtonHint) << "the operator cannot close it";
    t.program().frmReview().butSend->click();

    EXPECT_FALSE(t.program().frmReviewLoaded());
    EXPECT_FALSE(t.program().frmProgressLoaded()) << "the progress window is unloaded at the end";
    ASSERT_EQ(steps.size(), 4u);
    const double expected[] = {100.0 / 3, 200.0 / 3, 100, 0};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(steps[i].bar, expected[i], 0.01) << i;
        EXPECT_EQ(steps[i].delivered, i) << "the bar moves before the node's delivery";
        EXPECT_EQ(steps[i].amount, QStringLiteral("Node %1 of 3").arg(i + 1));
        EXPECT_EQ(steps[i].caption, steps[i].amount);
        EXPECT_EQ(steps[i].node, QStringLiteral("127.0.0.%1").arg(i + 1));
    }
    EXPECT_EQ(steps[3].bar, 0);

    EXPECT_EQ(m1->TargetCount, 3);
    EXPECT_EQ(results(m1->TargetStatus), (std::vector<QString>{"Pass", "Pass", "Fail"}));
    EXPECT_EQ(results(m1->TargetResult),
              (std::vector<QString>{"Winsock Communication Successfull", "Winsock Communication Successfull",
                                    "Winsock Failed to Connect to Client"}));
    EXPECT_EQ(m1->LogType, "GROUP");
    EXPECT_EQ(m1->LogTarget, "OFFICE (Group)");
    EXPECT_EQ(m1->CurrentMessage, "Fire drill\r\nat three");
    ASSERT_EQ(peer.sessions().size(), 1);
    EXPECT_TRUE(peer.sessions()[0].file.contains("Fire drill\r\nat three\r\n"));
    EXPECT_TRUE(errorLog().contains(QStringLiteral("[MESS] Group Target: OFFICE.mit [3][NUVOCLIENT]")));

    ASSERT_TRUE(t.program().frmNodeStatusLoaded());
    forms::frmNodeStatus& status = t.program().frmNodeStatus();
    EXPECT_TRUE(status.isVisible());
    EXPECT_FALSE(m->isVisible()) << "the status window brings the main window back";
    EXPECT_EQ(records(), 0);

    status.butClose->click();
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_EQ(records(), 1);
    const QString log = QString::fromLatin1(t.read(QStringLiteral("Logs/sent.Log")));
    EXPECT_TRUE(log.contains(QStringLiteral("Type=GROUP\r\nTarget=OFFICE (GROUP)\r\nPass=2\r\nFail=1\r\n")));
}

TEST_F(Distribution, EveryLineIsANodeAsItWasRead)
{
    start();
    group(QStringLiteral("MIXED.mit"), "localhost\r\n\r\n127.0.0.1\r\n");
    m->messtext->setText(QStringLiteral("hello"));
    m->tab1butSend->click();
    t.program().frmReview().butSend->click();

    EXPECT_EQ(m1->TargetCount, 3);
    EXPECT_EQ(results(m1->TargetNames), (std::vector<QString>{"LOCALHOST", "", "127.0.0.1"}));
    EXPECT_EQ(results(m1->TargetStatus), (std::vector<QString>{"Pass", "Fail", "Pass"}));
    EXPECT_EQ(m1->TargetResult[1], "No reply to PING");
    EXPECT_EQ(m1->GroupLines[0], "localhost") << "the line is kept as read";
    // The connection goes to the address that answered the echo.
    EXPECT_EQ(t.tcp->connectedTo, (QStringList{QStringLiteral("127.0.0.1:%1").arg(peer.port()),
                                               QStringLiteral("127.0.0.1:%1").arg(peer.port())}));
    EXPECT_EQ(peer.connections(), 2);
}

TEST_F(Distribution, AComputerIsDeliveredAsTypedAndListedUpperCased)
{
    start();
    selectOption(m->tab1opt2);
    m->tab1sendcpu->setText(QStringLiteral("localhost"));
    m->messtext->setText(QStringLiteral("hi"));
    m->show();
    m->tab1butSend->click();

    EXPECT_EQ(t.tcp->connectedTo, QStringList{QStringLiteral("127.0.0.1:%1").arg(peer.port())});
    EXPECT_EQ(m1->TargetCount, 1);
    EXPECT_EQ(m1->TargetNames[0], "LOCALHOST");
    EXPECT_EQ(m1->TargetStatus[0], "Pass");
    EXPECT_EQ(m1->LogType, "SINGLE");
    EXPECT_EQ(m1->LogTarget, "LOCALHOST");
    EXPECT_TRUE(errorLog().contains(QStringLiteral("[MESS] Single Target: LOCALHOST[NUVOCLIENT]")));
    EXPECT_FALSE(m->isVisible());
    EXPECT_FALSE(t.program().frmProgressLoaded());
    EXPECT_TRUE(t.program().frmNodeStatus().isVisible());
    EXPECT_TRUE(t.tray->texts.isEmpty()) << "an interactive run leaves the tray alone";
}

TEST_F(Distribution, MessengerDomainAndGroupRecordTheirTargets)
{
    t.setSetting(QStringLiteral("SERVICE"), QStringLiteral("MESSENGER"));
    t.setSetting(QStringLiteral("DOMAIN_ENABLE"), QStringLiteral("1"));
    start();
    selectOption(m->tab1opt3);
    m->messtext->setText(QString(128, QLatin1Char('m')));
    m->tab1sendcpu->setText(QStringLiteral("Workgroup"));
    m->tab1butSend->click();
    ASSERT_EQ(t.messenger->calls.size(), 1);
    EXPECT_EQ(t.messenger->calls[0].to(), "Workgroup*");
    EXPECT_EQ(m1->TargetNames[0], "WORKGROUP (Domain)");
    EXPECT_EQ(m1->TargetStatus[0], "Pass");
    EXPECT_EQ(m1->LogType, "DOMAIN");
    EXPECT_EQ(m1->LogTarget, "WORKGROUP (Domain)");
    EXPECT_TRUE(errorLog().contains(QStringLiteral("[MESS] DOMAIN Target: WORKGROUP[MESSENGER]")));
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("socket.txt")))) << "no client file in Messenger mode";
    t.program().frmNodeStatus().butClose->click();

    group(QStringLiteral("SALES.mit"), "127.0.0.1\r\n127.0.0.2\r\n");
    m->messtext->setText(QStringLiteral("quarterly"));
    m->tab1butSend->click();
    t.program().frmReview().butSend->click();
    EXPECT_EQ(m1->LogTarget, "SALES (Group)");
    EXPECT_TRUE(errorLog().contains(QStringLiteral("[MESS] Group Target: SALES.mit [2][MESSENGER]")));
    t.program().frmNodeStatus().butClose->click();

    // With logging off the record's target stays the last logged one.
    m1->LogMessages = 0;
    selectOption(m->tab1opt2);
    m->tab1sendcpu->setText(QStringLiteral("127.0.0.1"));
    m->tab1butSend->click();
    EXPECT_EQ(m1->TargetNames[0], "127.0.0.1");
    EXPECT_EQ(m1->LogType, "GROUP");
    EXPECT_EQ(m1->LogTarget, "SALES (Group)");
}

TEST_F(Distribution, AMissingHtmlPageStopsBeforeAnyNode)
{
    start();
    selectOption(m->optHTML);
    m->txtPathtoHTML->setText(t.path(QStringLiteral("Messages/nowhere.htm")));
    selectOption(m->tab1opt2);
    m->tab1sendcpu->setText(QStringLiteral("127.0.0.1"));
    m->show();
    m->tab1butSend->click();
    EXPECT_EQ(peer.connections(), 0);
    EXPECT_EQ(m1->SendCancelled, "YES");
    EXPECT_EQ(m1->TargetCount, 0);
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(t.program().frmProgress().isVisible());
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    ASSERT_EQ(t.dialogs->shown.size(), 1u) << "only the writer's own box";
}

// Every run that sends from socket.txt claims it: a shared lock on the program folder, which
// another run holds through its own descriptor (flock locks belong to the open file, not the process).
TEST_F(Distribution, TheClientFileIsClaimedAndKeptWhileAnotherRunClaimsIt)
{
    start();
    m1->WriteClientMessageFile(m1->SocketFile);
    ASSERT_TRUE(QFile::exists(m1->SocketFile));
    const FileDescriptor other(::open(QFile::encodeName(t.folder()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    EXPECT_FALSE(lockFile(other.get(), LOCK_EX | LOCK_NB)) << "the writer claims what it wrote";
    ASSERT_TRUE(lockFile(other.get(), LOCK_SH));
    m1->RemoveClientMessageFile();
    EXPECT_TRUE(QFile::exists(m1->SocketFile)) << "another run still sends from it";
}

class UnattendedDistribution : public Distribution {
protected:
    void startUnattended()
    {
        start();
        m1->CmdLineMode = 1;
        m->hide();
    }
};

TEST_F(UnattendedDistribution, GroupRunCountsInTheTrayLogsAndArmsTheEnd)
{
    FakeNuvo second(QStringLiteral("127.0.0.2"), peer.port());
    startUnattended();
    group(QStringLiteral("night.mit"), "127.0.0.1\r\n127.0.0.2\r\n");
    m->messtext->setText(QStringLiteral("Backups tonight"));
    m->tab1butSend_Click();

    EXPECT_EQ(peer.connections() + second.connections(), 2);
    EXPECT_EQ(t.tray->texts, (QStringList{"Node 1 of 2", "Node 2 of 2"}));
    EXPECT_FALSE(t.program().frmReviewLoaded());
    EXPECT_FALSE(t.program().frmProgressLoaded());
    EXPECT_FALSE(t.program().frmNodeStatusLoaded()) << "loaded for its counts, then unloaded";
    EXPECT_FALSE(m->isVisible());
    EXPECT_EQ(m1->PassedCount, 2);
    EXPECT_EQ(records(), 1);
    EXPECT_TRUE(QString::fromLatin1(t.read(QStringLiteral("Logs/sent.Log")))
                    .contains(QStringLiteral("Target=NIGHT (GROUP)\r\nPass=2\r\nFail=0\r\n")));
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("socket.txt"))));
    EXPECT_TRUE(t.dialogs->shown.empty());

    ASSERT_TRUE(m->AutoKillTimer->isActive());
    EXPECT_EQ(m->AutoKillTimer->interval(), 5000);
    m->AutoKillTimer->setInterval(20);
    m->AutoKillTimer->start();
    EXPECT_TRUE(waitFor([&] { return t.end->count > 0; }));
    EXPECT_EQ(t.end->count, 1);
    EXPECT_FALSE(m->AutoKillTimer->isActive());
}

TEST_F(UnattendedDistribution, WithoutLoggingTheClientFileStaysAndTheEndIsArmed)
{
    t.setSetting(QStringLiteral("LOGMSGS"), QStringLiteral("0"));
    startUnattended();
    selectOption(m->tab1opt2);
    m->tab1sendcpu->setText(QStringLiteral("127.0.0.1"));
    m->messtext->setText(QStringLiteral("one"));
    m->tab1butSend_Click();
    EXPECT_EQ(peer.connections(), 1);
    EXPECT_TRUE(t.tray->texts.isEmpty()) << "a single computer does not count in the tray";
    EXPECT_EQ(records(), 0);
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("socket.txt"))));
    EXPECT_FALSE(t.program().frmNodeStatusLoaded());
    EXPECT_TRUE(m->AutoKillTimer->isActive());
}

TEST_F(UnattendedDistribution, ARefusalShowsTheMainWindowAndLeavesTheProgramOpen)
{
    startUnattended();
    m->messtext->setText(QString());
    m->tab1butSend_Click();
    EXPECT_EQ(t.dialogs->texts(), QStringList{"A Message is required!"});
    EXPECT_TRUE(m->isVisible()) << "an empty message of a schedule file leaves a window to work in";
    EXPECT_FALSE(m->AutoKillTimer->isActive());

    t.dialogs->shown.clear();
    m->hide();
    selectOption(m->tab1opt2);
    m->messtext->setText(QStringLiteral("one"));
    m->tab1butSend_Click();
    EXPECT_EQ(t.dialogs->texts(), QStringList{"You need to enter a Computer to send the message to."});
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(m->AutoKillTimer->isActive());
    EXPECT_EQ(peer.connections(), 0);

    t.dialogs->shown.clear();
    m->hide();
    group(QStringLiteral("blank.mit"), "127.0.0.1\r\n\r\n");
    m->tab1butSend_Click();
    EXPECT_EQ(t.dialogs->texts(), QStringList{"There are No Computers in this group!"});
    EXPECT_TRUE(m->isVisible());
    EXPECT_FALSE(m->AutoKillTimer->isActive());
}

TEST_F(UnattendedDistribution, AGroupFileThatCannotBeReadEndsInTheRunsFailure)
{
    startUnattended();
    group(QStringLiteral("gone.mit"), "127.0.0.1\r\n");
    QFile::remove(t.path(QStringLiteral("Groups/gone.mit")));
    m->messtext->setText(QStringLiteral("one"));
    m->tab1butSend_Click();
    EXPECT_TRUE(m1->CmdLineFailed);
    EXPECT_TRUE(t.dialogs->shown.empty()) << "the run's failure tail speaks for it";
    EXPECT_FALSE(m->AutoKillTimer->isActive());
    EXPECT_EQ(peer.connections(), 0);
}
