// Scheduled tasks in the real `at` queue: registered, read back with `at -c`, run from their script
// against a stand-in program, then removed.
#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "console/mainform.h"
#include "console/program.h"
#include "platform/taskagent.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// Every task this test process registers starts with this, so that its jobs can be found and
// removed without touching those of a test running beside it.
const QString kTestPrefix = QStringLiteral("Corvane - zz-test-%1-").arg(getpid());

QByteArray run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
               int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(15000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

QStringList queuedJobs()
{
    QStringList jobs;
    for (const QByteArray& line : run(QStringLiteral("atq"), {}).split('\n')) {
        const QByteArray job = line.trimmed().split('\t').value(0).split(' ').value(0);
        if (!job.isEmpty())
            jobs << QString::fromLatin1(job);
    }
    return jobs;
}

QByteArray jobContent(const QString& job)
{
    return run(QStringLiteral("at"), {QStringLiteral("-c"), job});
}

void removeTestJobs()
{
    const QByteArray marker = AtTaskAgent::markerLine(kTestPrefix).chopped(1).toLocal8Bit();
    for (const QString& job : queuedJobs()) {
        if (jobContent(job).contains(marker))
            run(QStringLiteral("atrm"), {job});
    }
}

// A stand-in for the program: it writes the number of its arguments, each argument and its working
// folder into args.out.
void writeStandIn(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" \"$(pwd)\" > args.out\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class AtQueue : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("at")).isEmpty())
            return;
        // The queue takes jobs without the daemon, but it is what runs them.
        if (!QFile::exists(QStringLiteral("/run/atd.pid"))) {
            const QString atd = QStandardPaths::findExecutable(QStringLiteral("atd"), {"/usr/sbin", "/sbin"});
            if (!atd.isEmpty())
                QProcess::execute(atd, {});
        }
    }
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("at")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("atq")).isEmpty())
            GTEST_SKIP() << "the at package is not installed";
        int code = 0;
        run(QStringLiteral("atq"), {}, {}, &code);
        if (code != 0)
            GTEST_SKIP() << "the at queue cannot be read";
        // This user may be refused the queue (at.allow, at.deny).
        run(QStringLiteral("at"), {QStringLiteral("-M"), QStringLiteral("-t"), QStringLiteral("209912312359")},
            (AtTaskAgent::markerLine(kTestPrefix + QStringLiteral("probe")) + QStringLiteral("\n")).toLocal8Bit(),
            &code);
        removeTestJobs();
        if (code != 0)
            GTEST_SKIP() << "this user may not queue at jobs";
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS"})
            saved_.emplace_back(name, qgetenv(name));
    }
    void TearDown() override
    {
        removeTestJobs();
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

TEST_F(AtQueue, TheSchedulerRegistersAJobThatRunsTheProgramWithQuotedValues)
{
    QTemporaryDir runtime;
    qputenv("DISPLAY", ":77");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XAUTHORITY", "/home/op/.Xauth 'x'");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus");

    TestProgram t;
    t.pending.tasks = std::make_unique<AtTaskAgent>();
    t.tasks = nullptr;
    t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
    t.start();
    forms::mainform& main = t.main();
    forms::frmSchedule& scheduler = t.program().frmSchedule();
    writeStandIn(t.path(QStringLiteral("Corvane")));

    // Shell syntax in the target, the task name and the message.
    const QString name = QStringLiteral("zz-test-%1-win it's $(touch PWN1) `touch PWN2`; touch PWN3").arg(getpid());
    const QString target = QStringLiteral("pc'; touch PWN4; echo '$(touch PWN5)");
    main.messtext->setText(QStringLiteral("$(touch PWN6) `touch PWN7` 'quoted'"));
    main.optWinsock->setChecked(true);
    main.optPlain->setChecked(true);
    main.tab1opt2->setChecked(true);
    main.tab1sendcpu->setText(target);
    main.butSchedule_Click();
    ASSERT_TRUE(scheduler.isVisible());

    const QDate day = QDate::currentDate().addDays(400);
    scheduler.MonthView1->setSelectedDate(day);
    scheduler.MonthView1_DateClick();
    scheduler.txtName->setText(name);
    scheduler.txtTimeH->setText(QStringLiteral("12"));
    scheduler.txtTimeM->setText(QStringLiteral("34"));
    t.dialogs->answer(MsgAnswer::Yes);
    scheduler.cmdNew_Click();
    ASSERT_EQ(t.dialogs->last()->text, "Task Created Successfully");
    EXPECT_TRUE(QFile::exists(t.path("Schedule/" + name + ".txt")));

    AtTaskAgent agent;
    QStringList jobs;
    ASSERT_TRUE(agent.jobsNamed(QStringLiteral("Corvane - ") + name, jobs));
    ASSERT_EQ(jobs.size(), 1);
    // The job waits for its start.
    const QString queueLine = QString::fromLocal8Bit(run(QStringLiteral("atq"), {}))
                                  .split(QLatin1Char('\n'))
                                  .filter(QRegularExpression(QStringLiteral("^") + jobs[0] + QStringLiteral("\\s")))
                                  .value(0);
    EXPECT_TRUE(queueLine.contains(QStringLiteral("12:34:00 ") + QString::number(day.year())))
        << queueLine.toStdString();

    const QByteArray content = jobContent(jobs[0]);
    EXPECT_TRUE(content.contains("DISPLAY=':77'; export DISPLAY\n"));
    EXPECT_TRUE(content.contains("XAUTHORITY='/home/op/.Xauth '\\''x'\\'''; export XAUTHORITY\n"));
    EXPECT_TRUE(content.contains("DBUS_SESSION_BUS_ADDRESS='unix:path=/run/user/1000/bus'"));
    EXPECT_FALSE(content.contains("WAYLAND_DISPLAY="));
    EXPECT_FALSE(content.contains("PWN6")); // the message stays in the schedule file

    // Run the job as atd would: the program starts once, with the parameters as one argument.
    int code = -1;
    run(QStringLiteral("sh"), {}, content, &code);
    EXPECT_EQ(code, 0);
    const QByteArray args = t.read(QStringLiteral("args.out"));
    EXPECT_EQ(args, "1\n/s=\"" + target.toUtf8() + ":" + name.toUtf8() + ".txt\"\n" + t.folder().toUtf8() + "\n");
    for (int i = 1; i <= 7; ++i) {
        EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("PWN%1").arg(i)))) << i;
        EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("PWN%1").arg(i)))) << i;
    }

    // Once the operator's session is gone the job does not start the program.
    QFile::remove(t.path(QStringLiteral("args.out")));
    ASSERT_TRUE(runtime.remove());
    run(QStringLiteral("sh"), {}, content, &code);
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("args.out"))));

    // The name is taken while the job waits, in any letter case.
    t.dialogs->answer(MsgAnswer::Yes);
    scheduler.txtName->setText(name.toUpper());
    scheduler.cmdNew_Click();
    EXPECT_EQ(t.dialogs->last()->text,
              "The task already exists or another error has occured. Please enter a new name.");
    ASSERT_TRUE(agent.jobsNamed(QStringLiteral("Corvane - ") + name, jobs));
    EXPECT_EQ(jobs.size(), 1);
}

TEST_F(AtQueue, AStartThatHasPassedIsNotQueued)
{
    AtTaskAgent agent;
    ScheduledTask task;
    task.name = kTestPrefix + QStringLiteral("past");
    task.program = QStringLiteral("/bin/true");
    task.workingFolder = QDir::tempPath();
    task.startDate = QDate::currentDate().addDays(-1);
    task.startTime = QTime(12, 0);
    QString why;
    EXPECT_FALSE(agent.Save(task, &why));
    EXPECT_EQ(why, "the start time has already passed");
    QStringList jobs;
    ASSERT_TRUE(agent.jobsNamed(task.name, jobs));
    EXPECT_TRUE(jobs.isEmpty());
}

TEST(AtTaskAgentWithoutAt, AMissingSchedulerRefusesTheNewTask)
{
    AtTaskAgent agent;
    agent.atqProgram = QStringLiteral("/nonexistent/atq");
    QString why;
    EXPECT_FALSE(agent.NewWorkItem(QStringLiteral("Corvane - x"), &why));
    EXPECT_FALSE(why.isEmpty());
}

} // namespace
