// The unattended run: the command line and the schedule file fill the main window and send, to Nuvo
// clients on loopback addresses, then the program ends by itself; failures end it through the
// failure tail, refusals leave it open for an operator who answers their box.
#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "console/frmNodeStatus.h"
#include "console/frmReview.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/fakedelivery.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QFile>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QString kFailure = QStringLiteral("There was an error during the Command Line/Scheduler running process.  Please "
                                        "check you file names for groups and messages are correct and available.");
const QString kFailureLog =
    QStringLiteral("[SCHEDULE] Error during Scheduler command line process: (Routine COMMERROR)");

QByteArray scheduleFile(const QByteArray& service, const QByteArray& page, const QByteArray& timeOut,
                        const QByteArray& message)
{
    return "SCH_HEADLINE=Maintenance\r\nSCH_TITLE=IT Notice\r\nSCH_DATE=ENABLED\r\nSCH_TIME=DISABLED\r\n"
           "SCH_FROM=HELPDESK\r\nSCH_SERVICE=" +
           service + "\r\nSCH_FILENAME=" + page + "\r\nSCH_TIMEOUT=" + timeOut + "\r\n" + message;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override { t.setSetting(QStringLiteral("PORT"), QString::number(peer.port())); }
    void run(const QString& commandLine)
    {
        t.start({commandLine});
        m = &t.main();
        m1 = &t.program().module1();
    }
    QString errorLog() const { return QString::fromLatin1(t.read(QStringLiteral("errorlog.log"))); }
    void expectFailureTail()
    {
        ASSERT_FALSE(t.dialogs->shown.empty());
        EXPECT_EQ(t.dialogs->last()->text, kFailure);
        EXPECT_EQ(t.dialogs->last()->title, "Corvane - Critical Error");
        EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
        EXPECT_TRUE(errorLog().contains(kFailureLog));
        EXPECT_FALSE(t.tray->visible);
        EXPECT_EQ(t.end->count, 1);
        EXPECT_FALSE(m->AutoKillTimer->isActive());
    }
    void expectLeftOpen()
    {
        EXPECT_EQ(t.end->count, 0);
        EXPECT_FALSE(m->AutoKillTimer->isActive());
        EXPECT_TRUE(m->isVisible());
        EXPECT_FALSE(errorLog().contains(kFailureLog));
    }

    FakeNuvo peer;
    TestProgram t;
    forms::mainform* m = nullptr;
    Module1* m1 = nullptr;
};

TEST_F(CommandLine, AGroupRunFromUpperCaseFilesSendsAndEndsTheProgram)
{
    t.write(QStringLiteral("Groups/LAB.mit"), "127.0.0.1\r\n");
    t.write(QStringLiteral("Schedule/WEEKLY.txt"),
            scheduleFile("NUVOCLIENT", "DISABLED", "7.5", "Server down\r\nback at five\r\n"));
    run(QStringLiteral("  /G=\"LAB.MIT:WEEKLY.TXT\"  "));

    EXPECT_TRUE(t.dialogs->shown.empty()) << t.dialogs->texts().join(" | ").toStdString();
    EXPECT_TRUE(errorLog().contains("[BOOT] Command Line Options Used: /g=\"lab.mit:weekly.txt\""));
    EXPECT_TRUE(t.tray->visible);
    EXPECT_EQ(t.tray->tip(), "Corvane - Scheduled Distribution");
    EXPECT_EQ(t.tray->texts, QStringList({"Node 1 of 1"}));
    EXPECT_EQ(m1->CmdGroup, "lab.mit");
    EXPECT_EQ(m1->SelectedGroupFile, "LAB.mit");
    EXPECT_TRUE(m->tab1opt1->isChecked());

    // The fields, by position.
    EXPECT_EQ(m->txtMainHeadline->text(), "Maintenance");
    EXPECT_EQ(m->txtWintitle->text(), "IT Notice");
    EXPECT_TRUE(m->chkDate->isChecked());
    EXPECT_FALSE(m->chkTime->isChecked());
    EXPECT_EQ(t.options().txtAlias->text(), "HELPDESK");
    EXPECT_TRUE(m->optWinsock->isChecked());
    EXPECT_TRUE(m->optPlain->isChecked());
    EXPECT_TRUE(m->chkTimeOut->isChecked());
    EXPECT_EQ(m1->TimeOutMinutes, 8); // a half goes to the even number
    EXPECT_EQ(m1->CmdMessage, "Server down\r\nback at five\r\n");
    EXPECT_EQ(m->messtext->text(), m1->CmdMessage);

    // Delivered without review, progress or status windows, logged, and the message file gone.
    ASSERT_EQ(peer.connections(), 1);
    EXPECT_TRUE(peer.sessions()[0].complete);
    EXPECT_TRUE(peer.sessions()[0].file.contains("Server down\r\nback at five"));
    EXPECT_FALSE(m->isVisible());
    EXPECT_FALSE(QFile::exists(t.path("socket.txt")));
    const QString sent = QString::fromLatin1(t.read(QStringLiteral("Logs/sent.Log")));
    EXPECT_EQ(sent.count("[LOG_BEGIN]"), 1);
    EXPECT_TRUE(sent.contains("Target=LAB (GROUP)\r\n")) << sent.toStdString();

    // The program ends by itself, 5000 ms after the distribution.
    ASSERT_TRUE(m->AutoKillTimer->isActive());
    EXPECT_EQ(m->AutoKillTimer->interval(), 5000);
    EXPECT_EQ(t.end->count, 0);
    m->AutoKillTimer->setInterval(20);
    EXPECT_TRUE(waitFor([&] { return t.end->count > 0; }));
    EXPECT_EQ(t.end->count, 1);
    EXPECT_EQ(t.end->status, 0);
}

TEST_F(CommandLine, AnHtmlPageRunKeepsThePageAsTheMessage)
{
    t.write(QStringLiteral("Messages/notice.html"), "<html><body>Notice</body></html>");
    const QByteArray page = t.path(QStringLiteral("Messages/notice.html")).toLatin1();
    // The page path stands in upper case in the file; only the command line is lower-cased.
    t.write(QStringLiteral("Schedule/page.txt"), scheduleFile("NUVOCLIENT", page, "DISABLED", ""));
    run(QStringLiteral("/s=\"127.0.0.1:page.txt\""));

    EXPECT_TRUE(m->optHTML->isChecked());
    EXPECT_EQ(m->txtPathtoHTML->text(), QString::fromLatin1(page));
    EXPECT_EQ(m->messtext->text(), "<A HTML file will be used as the message to send>\r\n\r\n" + page);
    EXPECT_FALSE(m->chkTimeOut->isChecked());
    EXPECT_EQ(m1->CmdComputer, "127.0.0.1");
    EXPECT_EQ(m->tab1sendcpu->text(), "127.0.0.1");
    EXPECT_TRUE(m->tab1opt2->isChecked());
    ASSERT_EQ(peer.connections(), 1);
    EXPECT_TRUE(peer.sessions()[0].file.contains("<html><body>Notice</body></html>"));
    EXPECT_TRUE(m->AutoKillTimer->isActive());
    EXPECT_TRUE(t.tray->texts.isEmpty()) << "a single computer leaves the tray text alone";
}

TEST_F(CommandLine, AMessengerRunTakesTheMessageOnce)
{
    t.services->states[QStringLiteral("Messenger")] = 4; // running
    t.write(QStringLiteral("Schedule/msg.txt"), scheduleFile("MESSENGER", "DISABLED", "DISABLED", "Printers down\r\n"));
    // As a shell leaves it, without the quotes.
    run(QStringLiteral("/s=127.0.0.1:msg.txt"));
    EXPECT_EQ(m1->CmdComputer, "127.0.0.1");
    EXPECT_TRUE(m->optMessenger->isChecked());
    EXPECT_EQ(m->messtext->text(), "Printers down\r\n");
    ASSERT_EQ(t.messenger->calls.size(), 1);
    EXPECT_EQ(t.messenger->calls[0].message(), "Printers down\r\n");
    // The Messenger service sends from the computer: choosing it (after the alias line) sets the alias.
    EXPECT_EQ(t.messenger->calls[0].from(), "LABHOST");
    EXPECT_TRUE(m->AutoKillTimer->isActive());
}

TEST_F(CommandLine, FailuresEndTheProgramThroughTheFailureTail)
{
    struct Case {
        const char* name;
        QString commandLine;
        QByteArray schedule; // written as Schedule/x.txt when not empty
    };
    const QByteArray good = scheduleFile("NUVOCLIENT", "DISABLED", "DISABLED", "hello\r\n");
    QByteArray tooLong = good;
    for (int i = 0; i < 5000; ++i)
        tooLong += "line\r\n";
    const std::vector<Case> cases = {
        {"missing schedule file", "/g=\"lab.mit:gone.txt\"", {}},
        {"letters as time-out", "/g=\"lab.mit:x.txt\"", scheduleFile("NUVOCLIENT", "DISABLED", "five", "hi\r\n")},
        {"time-out beyond 16 bits", "/g=\"lab.mit:x.txt\"", scheduleFile("NUVOCLIENT", "DISABLED", "40000", "hi\r\n")},
        {"no colon", "/g=\"lab.mit\"", good},
        {"a key line without =", "/g=\"lab.mit:x.txt\"", QByteArray(good).replace("SCH_TIME=DISABLED", "SCH_TIME")},
        {"fewer than eight lines", "/g=\"lab.mit:x.txt\"", "SCH_HEADLINE=a\r\nSCH_TITLE=b\r\n"},
        {"more lines than the list holds", "/g=\"lab.mit:x.txt\"", tooLong},
        {"a short first piece", "/g=:x.txt\"", good},
        {"a kind the scheduler never writes", "/q=\"lab.mit:x.txt\"", good},
        {"no kind at all", "x:x.txt", good},
        {"a group file that is not there", "/g=\"nothere.mit:x.txt\"", good},
        {"a group outside the Groups folder", "/g=\"../outside.mit:x.txt\"", good},
        // Refusals of Send Now whose box nobody answered: nobody would take the window either.
        {"an empty message", "/g=\"lab.mit:x.txt\"", scheduleFile("NUVOCLIENT", "DISABLED", "DISABLED", "")},
        {"a group without computers", "/g=\"none.mit:x.txt\"", good},
        {"a missing page", "/s=\"127.0.0.1:x.txt\"", scheduleFile("NUVOCLIENT", "/nowhere/page.htm", "DISABLED", "")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestProgram one;
        one.setSetting(QStringLiteral("PORT"), QString::number(peer.port()));
        one.write(QStringLiteral("Groups/lab.mit"), "127.0.0.1\r\n");
        one.write(QStringLiteral("outside.mit"), "127.0.0.1\r\n");
        one.write(QStringLiteral("Groups/none.mit"), "");
        one.dialogs->nobodyThere = true;
        if (!c.schedule.isEmpty())
            one.write(QStringLiteral("Schedule/x.txt"), c.schedule);
        one.start({c.commandLine});
        ASSERT_FALSE(one.dialogs->shown.empty());
        EXPECT_EQ(one.dialogs->last()->text, kFailure);
        EXPECT_EQ(one.dialogs->last()->title, "Corvane - Critical Error");
        EXPECT_EQ(one.dialogs->last()->icon, MsgIcon::Critical);
        EXPECT_TRUE(QString::fromLatin1(one.read("errorlog.log")).contains(kFailureLog));
        EXPECT_FALSE(one.tray->visible);
        EXPECT_EQ(one.end->count, 1);
        EXPECT_EQ(one.end->status, EXIT_FAILURE);
        EXPECT_FALSE(one.main().AutoKillTimer->isActive());
        // Nobody is there: the box answers itself after 60 s.
        EXPECT_EQ(one.dialogs->last()->answerAfter, 60000);
    }
    EXPECT_EQ(peer.connections(), 0);
}

TEST_F(CommandLine, AClientThatAnswersBadlyFailsOnlyItsNodeAndTheRunEndsByItself)
{
    FakeNuvo bad(QStringLiteral("127.0.0.2"), peer.port());
    FakeNuvo third(QStringLiteral("127.0.0.3"), peer.port());
    ASSERT_TRUE(bad.listening() && third.listening());
    bad.setScript(FakeNuvo::reply("Received:PACKET:abc"));
    t.write(QStringLiteral("Groups/lab.mit"), "127.0.0.1\r\n127.0.0.2\r\n127.0.0.3\r\n");
    t.write(QStringLiteral("Schedule/x.txt"), scheduleFile("NUVOCLIENT", "DISABLED", "DISABLED", "hello\r\n"));
    run(QStringLiteral("/g=\"lab.mit:x.txt\""));

    EXPECT_TRUE(t.dialogs->shown.empty()) << t.dialogs->texts().join(" | ").toStdString();
    EXPECT_TRUE(peer.sessions().value(0).complete);
    EXPECT_TRUE(third.sessions().value(0).complete);
    EXPECT_EQ(m1->TargetStatus[1], "Fail");
    EXPECT_TRUE(errorLog().contains("[WINSOCK] DataArrival Error: Received:PACKET:abc"));
    const QString sent = QString::fromLatin1(t.read(QStringLiteral("Logs/sent.Log")));
    EXPECT_TRUE(sent.contains("Pass=2\r\nFail=1\r\n")) << sent.toStdString();
    EXPECT_TRUE(m->AutoKillTimer->isActive());
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(CommandLine, RefusalsLeaveTheProgramOpenWithItsWindow)
{
    // A plain schedule file of exactly eight lines: an empty message.
    t.write(QStringLiteral("Groups/lab.mit"), "127.0.0.1\r\n");
    t.write(QStringLiteral("Schedule/empty.txt"), scheduleFile("NUVOCLIENT", "DISABLED", "DISABLED", ""));
    run(QStringLiteral("/g=\"lab.mit:empty.txt\""));
    ASSERT_EQ(t.dialogs->texts(), QStringList({"A Message is required!"}));
    EXPECT_EQ(t.dialogs->last()->answerAfter, 60000);
    EXPECT_TRUE(m->messtext->text().isEmpty());
    expectLeftOpen();
    EXPECT_EQ(peer.connections(), 0);

    // The window is the operator's now: the next send is an interactive one, with its review and
    // status windows, and the program stays open after it.
    EXPECT_EQ(m1->CmdLineMode, 0);
    m->messtext->setText(QStringLiteral("Typed by the operator"));
    m->tab1butSend_Click();
    ASSERT_TRUE(t.program().frmReviewLoaded());
    t.program().frmReview().butSend_Click();
    EXPECT_EQ(peer.connections(), 1);
    EXPECT_TRUE(t.program().frmNodeStatusLoaded() && t.program().frmNodeStatus().isVisible());
    EXPECT_FALSE(m->AutoKillTimer->isActive());
    // Its boxes wait for the operator.
    t.dialogs->answer(MsgAnswer::No);
    m->Exit_Click();
    EXPECT_EQ(t.dialogs->last()->answerAfter, 0);
}

TEST_F(CommandLine, OneEmptyMessageLineIsAnEmptyMessage)
{
    t.write(QStringLiteral("Groups/lab.mit"), "127.0.0.1\r\n");
    t.write(QStringLiteral("Schedule/blank.txt"), scheduleFile("NUVOCLIENT", "DISABLED", "DISABLED", "\r\n"));
    run(QStringLiteral("/g=\"lab.mit:blank.txt\""));
    EXPECT_EQ(m1->CmdMessage, "");
    EXPECT_EQ(t.dialogs->texts(), QStringList({"A Message is required!"}));
    expectLeftOpen();
}

TEST_F(CommandLine, WhatTheSchedulerWritesTheRunReadsBack)
{
    // Scheduled in one run of the program...
    TestProgram a;
    a.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
    a.clock->time = QDateTime(QDate(2026, 12, 8), QTime(9, 0));
    // Names holding ".." are ordinary names to the scheduler and to the run alike.
    a.write(QStringLiteral("Groups/Lab..1.mit"), "127.0.0.1\r\n");
    a.start();
    forms::mainform& am = a.main();
    am.messtext->setText(QStringLiteral("Line one\r\nLine two"));
    am.txtMainHeadline->setText(QStringLiteral("Head\r\nline"));
    am.txtWintitle->setText(QStringLiteral("Win"));
    am.chkDate->setChecked(false);
    am.chkTime->setChecked(true);
    a.options().txtAlias->setText(QStringLiteral("OPS"));
    am.optWinsock->setChecked(true);
    am.optPlain->setChecked(true);
    am.chkTimeOut->setChecked(true);
    a.program().module1().TimeOutMinutes = 12;
    am.tab1opt1->setChecked(true);
    a.program().module1().SelectedGroupFile = QStringLiteral("Lab..1.mit");
    am.butSchedule_Click();
    forms::frmSchedule& scheduler = a.program().frmSchedule();
    scheduler.txtName->setText(QStringLiteral("Night..Run"));
    scheduler.txtTimeH->setText(QStringLiteral("22"));
    scheduler.txtTimeM->setText(QStringLiteral("0"));
    a.dialogs->answer(MsgAnswer::Yes);
    scheduler.cmdNew_Click();
    ASSERT_EQ(a.tasks->saved.size(), 1u);

    // ... and run by its task in another.
    t.write(QStringLiteral("Groups/Lab..1.mit"), "127.0.0.1\r\n");
    t.write(QStringLiteral("Schedule/Night..Run.txt"), a.read(QStringLiteral("Schedule/Night..Run.txt")));
    run(a.tasks->saved[0].parameters);
    EXPECT_TRUE(t.dialogs->shown.empty()) << t.dialogs->texts().join(" | ").toStdString();
    EXPECT_EQ(m->txtMainHeadline->text(), "Head  line") << "a line break became a space";
    EXPECT_EQ(m->txtWintitle->text(), "Win");
    EXPECT_FALSE(m->chkDate->isChecked());
    EXPECT_TRUE(m->chkTime->isChecked());
    EXPECT_EQ(t.options().txtAlias->text(), "OPS");
    EXPECT_EQ(m1->TimeOutMinutes, 12);
    EXPECT_EQ(m1->SelectedGroupFile, "Lab..1.mit");
    EXPECT_EQ(m->messtext->text(), "Line one\r\nLine two\r\n");
    ASSERT_EQ(peer.connections(), 1);
    EXPECT_TRUE(peer.sessions()[0].file.contains("Line one\r\nLine two"));
    EXPECT_TRUE(m->AutoKillTimer->isActive());
}

} // namespace
