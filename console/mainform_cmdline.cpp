// The unattended run that a scheduled task starts with a command line: the schedule file fills the
// window, the target is chosen and "Send Now" is pressed without an operator.
#include "console/mainform.h"

#include "assistants/frmOptions.h"
#include "assistants/frmSchedule.h"
#include "console/program.h"
#include "engine/textfile.h"

#include <cstdlib>

namespace corvane::forms {

namespace {

// The schedule file's list holds positions 0 to 5000.
constexpr qsizetype kMaxScheduleLines = 5001;

} // namespace

void mainform::CommandLineRun()
{
    const QString line = program_.commandLine().toLower().trimmed();
    m1_.CmdLineFailed = false;
    m1_.platform().tray->setVisible(true);

    // /g="<group file>:<task>.txt": the task file is the second piece, less its closing quote. A
    // shell that took the quotes away leaves none to drop.
    const QStringList pieces = line.split(QLatin1Char(':'));
    if (pieces.size() < 2) {
        CommandLineFailure();
        return;
    }
    QString taskFile = pieces[1];
    if (taskFile.endsWith(QLatin1Char('"')))
        taskFile.chop(1);
    if (!Module1::IsNameInFolder(taskFile)) {
        CommandLineFailure();
        return;
    }

    // Names on the command line arrive lower-cased; the files keep the case they were given.
    const QString scheduleFolder = m1_.AppPath() + QStringLiteral("/Schedule/");
    const QString scheduleName = frmSchedule::FindFileNoCase(scheduleFolder, taskFile);
    m1_.GetFreeFileNumber();
    const ReadResult schedule = scheduleName.isEmpty() ? ReadResult{} : readTextLines(scheduleFolder + scheduleName);
    if (!schedule.ok || schedule.lines.size() > kMaxScheduleLines) {
        CommandLineFailure();
        return;
    }
    QString value[8];
    for (int i = 0; i < 8; ++i) {
        if (i >= schedule.lines.size() || !keyValue(schedule.lines[i], value[i])) {
            CommandLineFailure();
            return;
        }
    }

    txtMainHeadline->setText(value[0]);
    txtWintitle->setText(value[1]);
    setTicked(chkDate, value[2] == QLatin1String("ENABLED"));
    setTicked(chkTime, value[3] == QLatin1String("ENABLED"));
    program_.frmOptions().txtAlias->setText(value[4]);
    selectOption(value[5] == QLatin1String("NUVOCLIENT") ? optWinsock : optMessenger);
    if (value[6] == QLatin1String("DISABLED")) {
        selectOption(optPlain);
    } else {
        selectOption(optHTML);
        txtPathtoHTML->setText(value[6]);
        showHtmlMessage();
    }
    if (value[7] == QLatin1String("DISABLED")) {
        setTicked(chkTimeOut, false);
    } else {
        setTicked(chkTimeOut, true);
        std::int16_t minutes = 0;
        if (!toInt16(value[7], minutes)) {
            CommandLineFailure();
            return;
        }
        m1_.TimeOutMinutes = minutes;
    }

    if (optPlain->isChecked() || optMessenger->isChecked()) {
        QString message;
        for (qsizetype i = 8; i < schedule.lines.size(); ++i)
            message += schedule.lines[i] + QStringLiteral("\r\n");
        if (message == QLatin1String("\r\n"))
            message.clear();
        m1_.CmdMessage = message;
        messtext->setText(m1_.CmdMessage);
    }

    // The target follows the slash, the kind letter, the equals sign and the opening quote.
    const QString& first = pieces[0];
    const QString kind = first.mid(1, 1);
    // A kind the scheduler never writes sends nothing, and a run left open with nobody at it would
    // never end: it fails like every other command line that cannot be run.
    const bool known = kind == QLatin1String("g") || kind == QLatin1String("s") || kind == QLatin1String("d");
    if (!known || first.size() < 4) {
        CommandLineFailure();
        return;
    }
    const QString target = first.mid(first.at(3) == QLatin1Char('"') ? 4 : 3);
    if (kind == QLatin1String("g")) {
        if (!Module1::IsNameInFolder(target)) {
            CommandLineFailure();
            return;
        }
        m1_.CmdGroup = target;
        const QString groupName = frmSchedule::FindFileNoCase(m1_.GroupsPath, m1_.CmdGroup);
        m1_.SelectedGroupFile = groupName.isEmpty() ? m1_.CmdGroup : groupName;
        selectOption(tab1opt1);
        tab1butSend_Click();
    } else if (kind == QLatin1String("s")) {
        m1_.CmdComputer = target;
        selectOption(tab1opt2);
        tab1sendcpu->setText(m1_.CmdComputer);
        tab1butSend_Click();
    } else {
        m1_.CmdDomain = target;
        selectOption(tab1opt3);
        tab1sendcpu->setText(m1_.CmdDomain);
        tab1butSend_Click();
    }

    if (m1_.CmdLineFailed) {
        CommandLineFailure();
        return;
    }
    // Nothing was sent (a refusal of "Send Now"): the program stays open, and the operator needs its
    // window to see the message and the fields. From here on the operator
    // sends, with the review and status windows, and the program stays until the operator's Exit.
    if (!AutoKillTimer->isActive()) {
        // A refusal that answered itself had nobody to read it, and nobody would take the window: a
        // program left open would wait for ever, so the run ends as a failed one.
        if (m1_.dialogs().answeredItself()) {
            CommandLineFailure();
            return;
        }
        m1_.CmdLineMode = 0;
        m1_.platform().tray->setVisible(false);
        show();
    }
}

void mainform::CommandLineFailure()
{
    m1_.dialogs().msgBox(QStringLiteral("There was an error during the Command Line/Scheduler running process.  Please "
                                        "check you file names for groups and messages are correct and available."),
                         MsgButtons::Ok, MsgIcon::Critical, QStringLiteral("Corvane - Critical Error"));
    m1_.LogIfEnabled(QStringLiteral("[SCHEDULE] Error during Scheduler command line process: (Routine COMMERROR)"));
    m1_.platform().tray->setVisible(false);
    m1_.platform().end->endNow(EXIT_FAILURE);
}

} // namespace corvane::forms
