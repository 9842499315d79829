// The scheduler window: opening it for a target, its checks, the schedule file and the task it
// registers (with a recording task scheduler).
#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTableView>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(10, 30));

class Schedule : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.clock->time = kNow;
        t.write(QStringLiteral("Groups/SALES.mit"), "PC01\r\nPC02\r\nPC03\r\n");
        t.start();
        t.dialogs->shown.clear();
    }
    Module1& m1() { return t.program().module1(); }
    forms::mainform& main() { return t.main(); }
    forms::frmSchedule& scheduler() { return t.program().frmSchedule(); }

    // The message and client options of a plain-text Nuvo group send.
    void plainGroupMessage(const QString& text = QStringLiteral("Hello all\r\nServer restart at 5"))
    {
        main().messtext->setText(text);
        main().txtMainHeadline->setText(QStringLiteral("Maintenance"));
        main().txtWintitle->setText(QStringLiteral("IT Notice"));
        main().chkDate->setChecked(true);
        main().chkTime->setChecked(false);
        t.options().txtAlias->setText(QStringLiteral("HELPDESK"));
        main().optWinsock->setChecked(true);
        main().optPlain->setChecked(true);
        main().chkTimeOut->setChecked(true);
        m1().TimeOutMinutes = 5;
        main().tab1opt1->setChecked(true);
        m1().SelectedGroupFile = QStringLiteral("SALES.mit");
    }
    // Fills the scheduler and presses "Schedule Task", answering Yes to the question.
    void scheduleTask(const QString& name, const QString& hour = QStringLiteral("23"),
                      const QString& minute = QStringLiteral("59"))
    {
        scheduler().txtName->setText(name);
        scheduler().txtTimeH->setText(hour);
        scheduler().txtTimeM->setText(minute);
        t.dialogs->answer(MsgAnswer::Yes);
        scheduler().cmdNew_Click();
    }
    QStringList scheduleFolder() const { return QDir(t.path(QStringLiteral("Schedule"))).entryList(QDir::Files); }

    TestProgram t;
};

TEST_F(Schedule, OpeningFillsTheSchedulerAndHidesTheMainWindow)
{
    plainGroupMessage();
    ASSERT_TRUE(main().isVisible());
    main().butSchedule->setEnabled(true);
    main().butSchedule->click();
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_EQ(scheduler().windowTitle(), "Schedule Settings");
    EXPECT_TRUE(scheduler().isVisible());
    EXPECT_FALSE(main().isVisible());
    EXPECT_EQ(scheduler().lblType->text(), "Group");
    EXPECT_EQ(scheduler().lblTarget->text(), "SALES.MIT [3] Nodes");
    EXPECT_EQ(scheduler().txtMessage->text(), "Hello all\r\nServer restart at 5");
    EXPECT_EQ(scheduler().MonthView1->selectedDate(), kNow.date());
    EXPECT_EQ(m1().CurrentMessage, "Hello all\r\nServer restart at 5");
    EXPECT_EQ(scheduler().lblDate->text(), "Date: " + m1().DateText());

    scheduler().butCancel->click();
    EXPECT_FALSE(scheduler().isVisible());
    EXPECT_TRUE(main().isVisible());

    // The menu item opens it as well, with the task name emptied again.
    scheduler().txtName->setText(QStringLiteral("left over"));
    main().mnuSchedule->setEnabled(true);
    main().mnuSchedule->trigger();
    EXPECT_TRUE(scheduler().isVisible());
    EXPECT_TRUE(scheduler().txtName->text().isEmpty());
}

// The arrows and Page Up or Down choose a date as a click does; the calendar's return to today at
// the next opening is no choice of the operator's.
TEST_F(Schedule, ADateChosenWithTheKeysCountsAsAClick)
{
    plainGroupMessage();
    main().butSchedule_Click();
    QWidget* days = scheduler().MonthView1->findChild<QTableView*>();
    ASSERT_NE(days, nullptr);
    for (const int key : {Qt::Key_Right, Qt::Key_PageDown}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(days, &press);
    }
    EXPECT_EQ(m1().ScheduleDate.toStdString(), "9/1/2027");
    EXPECT_EQ(scheduler().lblDate->text(), "Date: 9/1/2027");

    scheduler().butCancel->click();
    main().butSchedule_Click();
    EXPECT_EQ(scheduler().MonthView1->selectedDate(), kNow.date());
    EXPECT_EQ(m1().ScheduleDate.toStdString(), "9/1/2027");
    EXPECT_EQ(scheduler().lblDate->text(), "Date: 9/1/2027");
}

TEST_F(Schedule, PlainNuvoGroupTaskWritesTheFileAndRegistersTheTask)
{
    plainGroupMessage();
    main().butSchedule_Click();
    scheduler().MonthView1->setSelectedDate(QDate(2027, 1, 8));
    scheduler().MonthView1_DateClick();
    EXPECT_EQ(m1().ScheduleDate.toStdString(), "8/1/2027");
    EXPECT_EQ(scheduler().lblDate->text(), "Date: 8/1/2027");
    scheduleTask(QStringLiteral("weekly"), QStringLiteral("7.9"), QStringLiteral("05"));

    EXPECT_EQ(t.read(QStringLiteral("Schedule/weekly.txt")), QByteArray("SCH_HEADLINE=Maintenance\r\n"
                                                                        "SCH_TITLE=IT Notice\r\n"
                                                                        "SCH_DATE=ENABLED\r\n"
                                                                        "SCH_TIME=DISABLED\r\n"
                                                                        "SCH_FROM=HELPDESK\r\n"
                                                                        "SCH_SERVICE=NUVOCLIENT\r\n"
                                                                        "SCH_FILENAME=DISABLED\r\n"
                                                                        "SCH_TIMEOUT=5\r\n"
                                                                        "Hello all\r\n"
                                                                        "Server restart at 5\r\n"));
    ASSERT_EQ(t.tasks->saved.size(), 1u);
    const ScheduledTask& task = t.tasks->saved[0];
    EXPECT_EQ(task.name, "Corvane - weekly");
    EXPECT_EQ(task.parameters, "/g=\"SALES.mit:weekly.txt\"");
    EXPECT_EQ(m1().TaskParameters, task.parameters);
    EXPECT_EQ(task.program, t.folder() + "/Corvane");
    EXPECT_EQ(task.workingFolder, t.folder());
    EXPECT_EQ(task.comment, "Corvane for Windows");
    EXPECT_EQ(task.flags, 0x2003u);
    EXPECT_EQ(task.startDate, QDate(2027, 1, 8));
    EXPECT_EQ(task.startTime, QTime(7, 5));
    EXPECT_EQ(task.account, "operator");

    ASSERT_GE(t.dialogs->shown.size(), 2u);
    EXPECT_EQ(t.dialogs->shown[0].text, "Are you sure you want to Schedule this Task?");
    EXPECT_EQ(t.dialogs->shown[0].title, "Corvane: Create Task");
    EXPECT_EQ(t.dialogs->shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(t.dialogs->last()->text, "Task Created Successfully");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Information");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Information);
    EXPECT_FALSE(scheduler().isVisible());
    EXPECT_TRUE(main().isVisible());

    // A second opening in the same run keeps the date clicked before.
    main().butSchedule_Click();
    scheduleTask(QStringLiteral("again"));
    ASSERT_EQ(t.tasks->saved.size(), 2u);
    EXPECT_EQ(t.tasks->saved[1].startDate, QDate(2027, 1, 8));
    EXPECT_EQ(scheduler().lblDate->text(), "Date: 8/1/2027");
}

TEST_F(Schedule, HtmlAndMessengerFilesAndTheirCommandLines)
{
    const QString page = t.path(QStringLiteral("Messages/notice.html"));
    t.write(QStringLiteral("Messages/notice.html"), "<html></html>");
    plainGroupMessage(QStringLiteral("<A HTML file will be used as the message to send>"));
    main().optHTML->setChecked(true);
    main().txtPathtoHTML->setText(page);
    main().chkDate->setChecked(false);
    main().chkTimeOut->setChecked(false);
    main().tab1opt2->setChecked(true);
    main().tab1sendcpu->setText(QStringLiteral("pc-07"));
    main().butSchedule_Click();
    EXPECT_EQ(scheduler().lblType->text(), "Single");
    EXPECT_EQ(scheduler().lblTarget->text(), "PC-07");
    scheduleTask(QStringLiteral("html page"));
    // With the Nuvo client an HTML page has no message lines.
    EXPECT_EQ(t.read(QStringLiteral("Schedule/html page.txt")),
              "SCH_HEADLINE=Maintenance\r\nSCH_TITLE=IT Notice\r\nSCH_DATE=DISABLED\r\nSCH_TIME=DISABLED\r\n"
              "SCH_FROM=HELPDESK\r\nSCH_SERVICE=NUVOCLIENT\r\nSCH_FILENAME=" +
                  page.toLatin1() + "\r\nSCH_TIMEOUT=DISABLED\r\n");
    ASSERT_EQ(t.tasks->saved.size(), 1u);
    EXPECT_EQ(t.tasks->saved[0].parameters, "/s=\"pc-07:html page.txt\"");
    // No date clicked in this run: the task starts today.
    EXPECT_EQ(t.tasks->saved[0].startDate, kNow.date());

    // The Messenger service always gets the message, and a domain gets its own switch.
    main().optMessenger->setChecked(true);
    main().optPlain->setChecked(true);
    main().messtext->setText(QStringLiteral("Printers down"));
    main().tab1opt3->setChecked(true);
    main().tab1sendcpu->setText(QStringLiteral("Office"));
    main().butSchedule_Click();
    EXPECT_EQ(scheduler().lblType->text(), "Domain");
    scheduleTask(QStringLiteral("dom"));
    EXPECT_EQ(t.read(QStringLiteral("Schedule/dom.txt")),
              "SCH_HEADLINE=Maintenance\r\nSCH_TITLE=IT Notice\r\nSCH_DATE=DISABLED\r\nSCH_TIME=DISABLED\r\n"
              "SCH_FROM=HELPDESK\r\nSCH_SERVICE=MESSENGER\r\nSCH_FILENAME=DISABLED\r\nSCH_TIMEOUT=DISABLED\r\n"
              "Printers down\r\n");
    ASSERT_EQ(t.tasks->saved.size(), 2u);
    EXPECT_EQ(t.tasks->saved[1].parameters, "/d=\"Office:dom.txt\"");
}

TEST_F(Schedule, OpeningRefusesWhatTheSendWouldRefuse)
{
    const auto refusedWith = [&](const QString& text) -> ShownBox {
        t.dialogs->shown.clear();
        main().butSchedule_Click();
        EXPECT_FALSE(scheduler().isVisible()) << text.toStdString();
        EXPECT_TRUE(main().isVisible()) << text.toStdString();
        EXPECT_EQ(t.dialogs->shown.size(), 1u) << text.toStdString();
        if (t.dialogs->shown.empty())
            return {};
        EXPECT_EQ(t.dialogs->shown[0].text, text);
        return t.dialogs->shown[0];
    };
    plainGroupMessage(QString());
    ShownBox box = refusedWith(QStringLiteral("A Message is required!"));
    EXPECT_EQ(box.title, "Corvane - Information");
    EXPECT_EQ(box.icon, MsgIcon::None);

    main().messtext->setText(QStringLiteral("hi"));
    m1().SelectedGroupFile.clear();
    refusedWith(QStringLiteral("You need to select a Group to send the message to."));
    t.write(QStringLiteral("Groups/HOLE.mit"), "PC01\r\n\r\n");
    m1().SelectedGroupFile = QStringLiteral("HOLE.mit");
    refusedWith(QStringLiteral("There are No Computers in this group!"));
    t.write(QStringLiteral("Groups/EMPTY.mit"), "");
    m1().SelectedGroupFile = QStringLiteral("EMPTY.mit");
    refusedWith(QStringLiteral("There are No Computers in this group!"));

    main().tab1opt2->setChecked(true);
    main().tab1sendcpu->clear();
    refusedWith(QStringLiteral("You need to enter a Computer to send the message to."));
    main().tab1opt3->setChecked(true);
    refusedWith(QStringLiteral("You need to enter a Domain to send the message to."));

    // A domain message: 126 characters (line breaks count) pass, 127 do not.
    main().tab1sendcpu->setText(QStringLiteral("OFFICE"));
    main().messtext->setText(QString(62, QLatin1Char('a')) + "\r\n" + QString(62, QLatin1Char('b')));
    t.dialogs->shown.clear();
    main().butSchedule_Click();
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_TRUE(scheduler().isVisible());
    scheduler().butCancel_Click();
    main().messtext->setText(QString(63, QLatin1Char('a')) + "\r\n" + QString(62, QLatin1Char('b')));
    box = refusedWith(QStringLiteral(
        "Your Message to the Domain/Workgroup cannot be longer then 126 characters when creating a scheduled "
        "distribution.  Please shorten your message or send the message in sections to the Domain/Workgroup."));
    EXPECT_EQ(box.title, "Corvane - Error");
    EXPECT_EQ(box.icon, MsgIcon::Information);
}

TEST_F(Schedule, TaskChecksStopBeforeAnythingIsWritten)
{
    plainGroupMessage();
    main().butSchedule_Click();
    const auto stoppedWith = [&](const QString& name, const QString& hour, const QString& minute, const QString& text,
                                 const QString& title, MsgIcon icon) {
        t.dialogs->shown.clear();
        t.dialogs->answers.clear();
        scheduler().txtName->setText(name);
        scheduler().txtTimeH->setText(hour);
        scheduler().txtTimeM->setText(minute);
        scheduler().cmdNew_Click();
        ASSERT_EQ(t.dialogs->shown.size(), 1u) << text.toStdString();
        EXPECT_EQ(t.dialogs->shown[0].text, text);
        EXPECT_EQ(t.dialogs->shown[0].title, title);
        EXPECT_EQ(t.dialogs->shown[0].icon, icon);
        EXPECT_TRUE(scheduler().isVisible());
        EXPECT_TRUE(scheduleFolder().isEmpty());
        EXPECT_TRUE(t.tasks->asked.isEmpty());
    };
    const QString required = QStringLiteral("Corvane - Input Required");
    const QString input = QStringLiteral("Corvane - Error Input");
    const QString format = QStringLiteral("  Format is 24hour clock, 00:00 to 23:59");
    stoppedWith("", "10", "00", "You must enter a name for the task!", required, MsgIcon::Exclamation);
    stoppedWith("n", "", "00", "You must enter a start hour for the task!", required, MsgIcon::Exclamation);
    stoppedWith("n", "10", "", "You must enter the start time in minutes for the task!", required,
                MsgIcon::Exclamation);
    stoppedWith("n", "24", "00", "Your value entered is too High for Hours." + format, input, MsgIcon::Exclamation);
    stoppedWith("n", "-1", "00", "Your value entered is too Low for Hours." + format, input, MsgIcon::Exclamation);
    stoppedWith("n", "12", "60", "Your value entered is too High for Minutes." + format, input, MsgIcon::Exclamation);
    stoppedWith("n", "12", "-1", "Your value entered is too Low for Minutes." + format, input, MsgIcon::Exclamation);
    stoppedWith("n", "-0.5", "00", "Your value entered is too Low for Hours." + format, input, MsgIcon::Exclamation);
    stoppedWith("n", "ten", "00", "Problem with input. Please check all your inputted details.", "Corvane",
                MsgIcon::Exclamation);
    // A start that has already passed today (the clock says 10:30).
    stoppedWith("n", "10", "29",
                "The date and time entered for the task have already passed.  Please enter a later "
                "date or time.",
                input, MsgIcon::Exclamation);

    // "No" to the question writes nothing either.
    t.dialogs->shown.clear();
    t.dialogs->answer(MsgAnswer::No);
    scheduler().txtName->setText("n");
    scheduler().txtTimeH->setText("23");
    scheduler().txtTimeM->setText("59");
    scheduler().cmdNew_Click();
    EXPECT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_TRUE(scheduleFolder().isEmpty());
    EXPECT_TRUE(t.tasks->asked.isEmpty());

    // A missing HTML page comes first.
    main().optHTML->setChecked(true);
    main().txtPathtoHTML->setText(t.path("Messages/gone.html"));
    stoppedWith("n", "23", "59",
                "Cannot Locate the HTML file selected: " + t.path("Messages/gone.html") +
                    ".  Please check the path is correct.",
                "Corvane - File Access Error", MsgIcon::Critical);
}

TEST_F(Schedule, TaskNamesThatCannotNameAFileAreRefused)
{
    plainGroupMessage();
    main().butSchedule_Click();
    for (const char* name : {"/", "\\", ".", "..", "-rf", "../escape", "a/b", "a\\b", "a:b", "say \"hi\""}) {
        t.dialogs->shown.clear();
        scheduleTask(QString::fromLatin1(name));
        ASSERT_FALSE(t.dialogs->shown.empty());
        EXPECT_EQ(t.dialogs->last()->text, "Problem with input. Please check all your inputted details.") << name;
        EXPECT_EQ(t.dialogs->last()->title, "Corvane");
        EXPECT_TRUE(scheduler().isVisible());
    }
    EXPECT_TRUE(scheduleFolder().isEmpty());
    EXPECT_FALSE(QFile::exists(t.path("escape.txt")));
    EXPECT_TRUE(t.tasks->saved.empty());
    EXPECT_TRUE(t.tasks->asked.isEmpty());

    // A target that the command line could not carry back is refused the same way.
    main().tab1opt2->setChecked(true);
    main().tab1sendcpu->setText(QStringLiteral("host:8080"));
    main().butSchedule_Click();
    scheduleTask(QStringLiteral("ok"));
    EXPECT_EQ(t.dialogs->last()->text, "Problem with input. Please check all your inputted details.");
    EXPECT_TRUE(scheduleFolder().isEmpty());
}

TEST_F(Schedule, AnExistingTaskIsRefusedAndKeepsItsFile)
{
    t.tasks->existing << QStringLiteral("corvane - WEEKLY");
    t.write(QStringLiteral("Schedule/weekly.txt"), "old content\r\n");
    plainGroupMessage();
    main().butSchedule_Click();
    scheduleTask(QStringLiteral("weekly"));
    EXPECT_EQ(t.dialogs->last()->text,
              "The task already exists or another error has occured. Please enter a new name.");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Exclamation);
    EXPECT_EQ(t.read(QStringLiteral("Schedule/weekly.txt")), "old content\r\n") << "the waiting task sends its own";
    EXPECT_TRUE(t.tasks->saved.empty());
    EXPECT_TRUE(scheduler().isVisible());

    // Another name then goes through; the same name in other letters replaces the same file.
    t.write(QStringLiteral("Schedule/Daily.txt"), "old\r\n");
    scheduleTask(QStringLiteral("DAILY"));
    EXPECT_EQ(t.dialogs->last()->text, "Task Created Successfully");
    EXPECT_TRUE(t.read(QStringLiteral("Schedule/Daily.txt")).startsWith("SCH_HEADLINE="));
    EXPECT_EQ(scheduleFolder(), QStringList({"Daily.txt", "weekly.txt"}));
    ASSERT_EQ(t.tasks->saved.size(), 1u);
    EXPECT_EQ(t.tasks->saved[0].parameters, "/g=\"SALES.mit:DAILY.txt\"");
}

TEST_F(Schedule, ARefusedRegistrationIsNotReportedAsCreated)
{
    t.tasks->refuseSave = true;
    plainGroupMessage();
    main().butSchedule_Click();
    scheduleTask(QStringLiteral("weekly"));
    EXPECT_TRUE(t.dialogs->last()->text.startsWith(
        "The task could not be registered with the system's task scheduler (refused by the scheduler)"));
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - Error");
    EXPECT_FALSE(t.dialogs->texts().contains("Task Created Successfully"));
    EXPECT_TRUE(scheduler().isVisible());

    // A missing Schedule folder is a problem with the input, and no task is asked for.
    t.tasks->refuseSave = false;
    QDir(t.path("Schedule")).removeRecursively();
    t.tasks->asked.clear();
    scheduleTask(QStringLiteral("weekly"));
    EXPECT_EQ(t.dialogs->last()->text, "Problem with input. Please check all your inputted details.");
    EXPECT_TRUE(t.tasks->asked.isEmpty());
}

} // namespace
