#include "assistants/frmSchedule.h"

#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <cmath>

namespace corvane::forms {

namespace {

const QString kProblem = QStringLiteral("Problem with input. Please check all your inputted details.");

// The whole part (rounded down) of the number the text holds; false for a text that is no number.
bool wholePart(const QString& text, double& value)
{
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return false;
    value = std::floor(number);
    return true;
}

} // namespace

frmSchedule::frmSchedule(Program& program) : program_(program), m1_(program.module1())
{
    setObjectName(QStringLiteral("frmSchedule"));
    setWindowTitle(QStringLiteral("Schedule Settings"));

    Frame1 = named(new QGroupBox(QStringLiteral("Date:"), this), "Frame1");
    MonthView1 =
        named(new QCalendarWidget(Frame1), "MonthView1", QStringLiteral("Select the date of the message distribution"));
    lblDate = named(new QLabel(QStringLiteral("Date:"), Frame1), "lblDate");
    connect(MonthView1, &QCalendarWidget::clicked, this, [this](QDate) { MonthView1_DateClick(); });
    // A date chosen with the keys (the arrows, Page Up and Down, Home and End), and Enter on a date,
    // choose it as a click does: the task is set for the date the calendar shows chosen.
    connect(MonthView1, &QCalendarWidget::selectionChanged, this, [this] { MonthView1_DateClick(); });
    connect(MonthView1, &QCalendarWidget::activated, this, [this](QDate) { MonthView1_DateClick(); });
    auto* dateLayout = new QVBoxLayout(Frame1);
    dateLayout->addWidget(MonthView1);
    dateLayout->addWidget(lblDate);

    Frame2 = named(new QGroupBox(QStringLiteral("Time:"), this), "Frame2");
    txtTimeH = named(new QLineEdit(QStringLiteral("00"), Frame2), "txtTimeH",
                     QStringLiteral("Set the HOUR of your distribution (format is 24hr 00:00 to 23:59"));
    Label1 = named(new QLabel(QStringLiteral(":"), Frame2), "Label1");
    txtTimeM = named(new QLineEdit(QStringLiteral("00"), Frame2), "txtTimeM",
                     QStringLiteral("Set the MINUTES of your distribution (format is 24hr 00:00 to 23:59"));
    Label2 = named(new QLabel(QStringLiteral("Time format is 24 hour clock.  ie 00:00 to 23:59."), Frame2), "Label2");
    auto* timeLayout = new QGridLayout(Frame2);
    timeLayout->addWidget(txtTimeH, 0, 0);
    timeLayout->addWidget(Label1, 0, 1);
    timeLayout->addWidget(txtTimeM, 0, 2);
    timeLayout->addWidget(Label2, 1, 0, 1, 3);

    Frame3 = named(new QGroupBox(QStringLiteral("Task Details:"), this), "Frame3");
    txtName = named(new QLineEdit(Frame3), "txtName", QStringLiteral("Enter a unique task name here"));
    lblType = named(new QLabel(Frame3), "lblType");
    lblTarget = named(new QLabel(Frame3), "lblTarget");
    auto* taskLayout = new QGridLayout(Frame3);
    taskLayout->addWidget(new QLabel(QStringLiteral("Name:"), Frame3), 0, 0);
    taskLayout->addWidget(txtName, 0, 1);
    taskLayout->addWidget(new QLabel(QStringLiteral("Type:"), Frame3), 1, 0);
    taskLayout->addWidget(lblType, 1, 1);
    taskLayout->addWidget(new QLabel(QStringLiteral("Target:"), Frame3), 2, 0);
    taskLayout->addWidget(lblTarget, 2, 1);

    Frame4 = named(new QGroupBox(QStringLiteral("Message:"), this), "Frame4");
    txtMessage = named(new MultiLineBox(Frame4), "txtMessage");
    auto* messageLayout = new QVBoxLayout(Frame4);
    messageLayout->addWidget(txtMessage);

    butCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "butCancel");
    cmdNew = named(new QPushButton(QStringLiteral("Schedule Task"), this), "cmdNew");
    connect(butCancel, &QPushButton::clicked, this, [this] { butCancel_Click(); });
    connect(cmdNew, &QPushButton::clicked, this, [this] { cmdNew_Click(); });

    auto* left = new QVBoxLayout;
    left->addWidget(Frame1);
    left->addWidget(Frame2);
    auto* right = new QVBoxLayout;
    right->addWidget(Frame3);
    right->addWidget(Frame4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdNew);
    buttons->addWidget(butCancel);
    right->addLayout(buttons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
}

void frmSchedule::Form_Load()
{
    lblDate->setText(QStringLiteral("Date: ") + m1_.DateText());
    removeCloseCommand(this);
}

void frmSchedule::MonthView1_DateClick()
{
    const QDate date = MonthView1->selectedDate();
    m1_.ScheduleDate = QStringLiteral("%1/%2/%3").arg(date.day()).arg(date.month()).arg(date.year());
    lblDate->setText(QStringLiteral("Date: ") + m1_.ScheduleDate);
}

bool frmSchedule::FileExists(const QString& path)
{
    return Module1::FileExists(path);
}

bool frmSchedule::UsableTaskName(const QString& name)
{
    if (name.isEmpty() || !Module1::IsNameInFolder(name) || name.startsWith(QLatin1Char('-')))
        return false;
    for (const QChar c : name) {
        if (c == QLatin1Char(':') || c == QLatin1Char('"') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

bool frmSchedule::BuildTaskParameters()
{
    QString switchText;
    if (m1_.ScheduleTargetKind == QLatin1String("Group"))
        switchText = QStringLiteral("/g=");
    else if (m1_.ScheduleTargetKind == QLatin1String("Single"))
        switchText = QStringLiteral("/s=");
    else if (m1_.ScheduleTargetKind == QLatin1String("Domain"))
        switchText = QStringLiteral("/d=");
    // The command line is split at ":" and closed by a double quote; a name holding either could
    // not be read back.
    const auto carried = [](const QString& text) {
        return !text.contains(QLatin1Char(':')) && !text.contains(QLatin1Char('"'));
    };
    if (switchText.isEmpty() || !carried(m1_.ScheduleTargetName) || !carried(txtName->text()))
        return false;
    m1_.TaskParameters = switchText + QLatin1Char('"') + m1_.ScheduleTargetName + QLatin1Char(':') + txtName->text() +
                         QStringLiteral(".txt\"");
    return true;
}

QByteArray frmSchedule::scheduleFileBytes()
{
    mainform& main = program_.mainform();
    const auto enabled = [](QCheckBox* box) {
        return box->isChecked() ? QStringLiteral("ENABLED") : QStringLiteral("DISABLED");
    };
    QStringList lines;
    lines << QStringLiteral("SCH_HEADLINE=") + main.txtMainHeadline->text()
          << QStringLiteral("SCH_TITLE=") + main.txtWintitle->text()
          << QStringLiteral("SCH_DATE=") + enabled(main.chkDate) << QStringLiteral("SCH_TIME=") + enabled(main.chkTime)
          << QStringLiteral("SCH_FROM=") + program_.frmOptions().txtAlias->text()
          << QStringLiteral("SCH_SERVICE=") +
                 (main.optWinsock->isChecked() ? QStringLiteral("NUVOCLIENT") : QStringLiteral("MESSENGER"))
          << QStringLiteral("SCH_FILENAME=") +
                 (main.optHTML->isChecked() ? main.txtPathtoHTML->text() : QStringLiteral("DISABLED"))
          << QStringLiteral("SCH_TIMEOUT=") +
                 (main.chkTimeOut->isChecked() ? QString::number(m1_.TimeOutMinutes) : QStringLiteral("DISABLED"));
    QByteArray bytes = keyLines(lines);
    if (main.optMessenger->isChecked() || main.optPlain->isChecked())
        bytes += toAnsi(txtMessage->text()) + kCrLf;
    return bytes;
}

void frmSchedule::cmdNew_Click()
{
    mainform& main = program_.mainform();
    IDialogs& dialogs = m1_.dialogs();
    const auto problem = [&] { dialogs.msgBox(kProblem, MsgButtons::Ok, MsgIcon::Exclamation); };

    if (main.optHTML->isChecked() && !FileExists(main.txtPathtoHTML->text())) {
        dialogs.msgBox(QStringLiteral("Cannot Locate the HTML file selected: ") + main.txtPathtoHTML->text() +
                           QStringLiteral(".  Please check the path is correct."),
                       MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
        return;
    }

    const auto required = [&](QLineEdit* box, const char* text) {
        if (!box->text().isEmpty())
            return true;
        dialogs.msgBox(QLatin1String(text), MsgButtons::Ok, MsgIcon::Exclamation,
                       QStringLiteral("Corvane - Input Required"));
        return false;
    };
    if (!required(txtName, "You must enter a name for the task!") ||
        !required(txtTimeH, "You must enter a start hour for the task!") ||
        !required(txtTimeM, "You must enter the start time in minutes for the task!"))
        return;

    const auto range = [&](const char* text) {
        dialogs.msgBox(QLatin1String(text), MsgButtons::Ok, MsgIcon::Exclamation,
                       QStringLiteral("Corvane - Error Input"));
    };
    double hour = 0;
    if (!wholePart(txtTimeH->text(), hour)) {
        problem();
        return;
    }
    if (hour > 23) {
        range("Your value entered is too High for Hours.  Format is 24hour clock, 00:00 to 23:59");
        return;
    }
    if (hour < 0) {
        range("Your value entered is too Low for Hours.  Format is 24hour clock, 00:00 to 23:59");
        return;
    }
    double minute = 0;
    if (!wholePart(txtTimeM->text(), minute)) {
        problem();
        return;
    }
    if (minute > 59) {
        range("Your value entered is too High for Minutes.  Format is 24hour clock, 00:00 to 23:59");
        return;
    }
    if (minute < 0) {
        range("Your value entered is too Low for Minutes.  Format is 24hour clock, 00:00 to 23:59");
        return;
    }

    // The start: the date last clicked in this run, else today.
    const QDateTime now = m1_.platform().clock->now();
    QDate day = QDate::fromString(m1_.ScheduleDate, QStringLiteral("d/M/yyyy"));
    if (!day.isValid())
        day = now.date();
    const QTime time(static_cast<int>(hour), static_cast<int>(minute));
    // A task whose start has passed would never run as asked for.
    if (QDateTime(day, time).addSecs(60) <= now) {
        range("The date and time entered for the task have already passed.  Please enter a later date or time.");
        return;
    }

    if (dialogs.msgBox(QStringLiteral("Are you sure you want to Schedule this Task?"), MsgButtons::YesNo, MsgIcon::None,
                       QStringLiteral("Corvane: Create Task")) != MsgAnswer::Yes)
        return;

    const QString program = m1_.AppPath() + QStringLiteral("/Corvane");
    const QString folder = m1_.AppPath();
    if (!UsableTaskName(txtName->text()) || !BuildTaskParameters()) {
        problem();
        return;
    }

    // A schedule file of the same name in another letter case is the same task's: it is replaced,
    // as the command line finds schedule files without regard to case.
    const QString scheduleFolder = m1_.AppPath() + QStringLiteral("/Schedule/");
    if (!QFileInfo(scheduleFolder).isDir()) {
        problem();
        return;
    }
    QString fileName = FindFileNoCase(scheduleFolder, txtName->text() + QStringLiteral(".txt"));
    if (fileName.isEmpty())
        fileName = txtName->text() + QStringLiteral(".txt");
    m1_.ScheduleFile = scheduleFolder + fileName;

    // A task of this name still waiting sends its own schedule file when it runs: the file is written
    // only once the name is known to be free.
    const QString taskName = QStringLiteral("Corvane - ") + txtName->text();
    ITaskAgent* agent = m1_.platform().tasks.get();
    if (!agent || !agent->NewWorkItem(taskName)) {
        dialogs.msgBox(QStringLiteral("The task already exists or another error has occured. Please enter a new name."),
                       MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    m1_.GetFreeFileNumber();
    if (!writeWholeFile(m1_.ScheduleFile, scheduleFileBytes())) {
        problem();
        return;
    }

    ScheduledTask task;
    task.name = taskName;
    task.program = program;
    task.parameters = m1_.TaskParameters;
    task.workingFolder = folder;
    task.comment = QStringLiteral("Corvane for Windows");
    task.flags = kTaskInteractive | kTaskDeleteWhenDone | kTaskRunOnlyIfLoggedOn;
    task.startDate = day;
    task.startTime = time;
    task.account = m1_.platform().system->userName();
    QString why;
    if (!agent->Save(task, &why)) {
        dialogs.msgBox(QStringLiteral("The task could not be registered with the system's task scheduler (") + why +
                           QStringLiteral(").  Please check the details and try again."),
                       MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Error"));
        return;
    }

    dialogs.msgBox(QStringLiteral("Task Created Successfully"), MsgButtons::Ok, MsgIcon::Information,
                   QStringLiteral("Corvane - Information"));
    butCancel_Click();
}

void frmSchedule::butCancel_Click()
{
    hide();
    mainform& main = program_.mainform();
    main.show();
    main.activateWindow();
    main.setFocus();
}

QString frmSchedule::FindFileNoCase(const QString& folder, const QString& name)
{
    if (name.isEmpty())
        return {};
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (names.contains(name))
        return name;
    for (const QString& entry : names) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

} // namespace corvane::forms
