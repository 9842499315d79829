// "Schedule": hands the current message and target to the scheduler.
#include "console/mainform.h"

#include "assistants/frmSchedule.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <QSignalBlocker>

namespace corvane::forms {

void mainform::wireSchedule()
{
    connect(butSchedule, &QPushButton::clicked, this, [this] { butSchedule_Click(); });
    connect(mnuSchedule, &QAction::triggered, this, [this] { mnuSchedule_Click(); });
}

void mainform::mnuSchedule_Click()
{
    butSchedule_Click();
}

void mainform::butSchedule_Click()
{
    m1_.CurrentMessage = messtext->text();
    frmSchedule& scheduler = program_.frmSchedule();
    {
        // Today is where the calendar starts, not a date the operator chose.
        const QSignalBlocker quiet(scheduler.MonthView1);
        scheduler.MonthView1->setSelectedDate(m1_.platform().clock->now().date());
    }

    IDialogs& dialogs = m1_.dialogs();
    const auto refuse = [&](const char* text) {
        dialogs.msgBox(QLatin1String(text), MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane - Information"));
    };
    if (m1_.CurrentMessage.isEmpty()) {
        refuse("A Message is required!");
        return;
    }

    qsizetype groupLines = 0;
    if (tab1opt1->isChecked()) {
        if (m1_.SelectedGroupFile.isEmpty()) {
            refuse("You need to select a Group to send the message to.");
            return;
        }
        m1_.GetFreeFileNumber();
        const ReadResult group = readTextLines(m1_.GroupsPath + m1_.SelectedGroupFile);
        if (!group.ok) {
            dialogs.msgBox(QStringLiteral("The group file ") + m1_.SelectedGroupFile +
                               QStringLiteral(" could not be opened (") + group.error + QStringLiteral(")."),
                           MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - File Access Error"));
            return;
        }
        if (group.lines.isEmpty() || group.lines.last().isEmpty()) {
            refuse("There are No Computers in this group!");
            return;
        }
        groupLines = group.lines.size();
        m1_.ScheduleTargetKind = QStringLiteral("Group");
        m1_.ScheduleTargetName = m1_.SelectedGroupFile;
    } else if (tab1opt2->isChecked()) {
        if (tab1sendcpu->text().isEmpty()) {
            refuse("You need to enter a Computer to send the message to.");
            return;
        }
        m1_.ScheduleTargetKind = QStringLiteral("Single");
        m1_.ScheduleTargetName = tab1sendcpu->text();
    } else if (tab1opt3->isChecked()) {
        if (tab1sendcpu->text().isEmpty()) {
            refuse("You need to enter a Domain to send the message to.");
            return;
        }
        if (m1_.CurrentMessage.size() > 126) {
            dialogs.msgBox(
                QStringLiteral("Your Message to the Domain/Workgroup cannot be longer then 126 characters when "
                               "creating a scheduled distribution.  Please shorten your message or send the "
                               "message in sections to the Domain/Workgroup."),
                MsgButtons::Ok, MsgIcon::Information, QStringLiteral("Corvane - Error"));
            return;
        }
        m1_.ScheduleTargetKind = QStringLiteral("Domain");
        m1_.ScheduleTargetName = tab1sendcpu->text();
    } else {
        // No target chosen: nothing to schedule, rather than the target of an earlier opening.
        refuse("You need to select a Group, a Computer or a Domain to send the message to.");
        return;
    }

    scheduler.lblType->setText(m1_.ScheduleTargetKind);
    scheduler.lblTarget->setText(upperName(m1_.ScheduleTargetName));
    scheduler.txtMessage->setText(m1_.CurrentMessage);
    scheduler.txtName->clear();
    if (m1_.ScheduleTargetKind == QLatin1String("Group"))
        scheduler.lblTarget->setText(upperName(m1_.ScheduleTargetName) + QStringLiteral(" [") +
                                     QString::number(groupLines) + QStringLiteral("] Nodes"));

    hide();
    scheduler.show();
    scheduler.activateWindow();
    scheduler.txtName->setFocus();
}

} // namespace corvane::forms
