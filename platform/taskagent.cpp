#include "platform/taskagent.h"

#include "platform/programrun.h"

#include <QDateTime>

namespace corvane {

namespace {

constexpr int kCommandWaitMs = 15000;

struct CommandResult {
    bool ok = false;
    QByteArray out;
    QString error;
};

CommandResult runCommand(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                         const QString& folder = {})
{
    CommandResult result;
    ProgramRunOptions options;
    options.input = input;
    options.timeoutMs = kCommandWaitMs;
    options.holdInput = true;
    options.folder = folder;
    const ProgramRun run = runProgram(program, arguments, options);
    if (!run.finished) {
        result.error = run.why;
        return result;
    }
    result.out = run.output;
    if (run.exitCode != 0) {
        const QString err = QString::fromLocal8Bit(run.errors).trimmed();
        result.error = err.isEmpty() ? program + QStringLiteral(" failed") : err;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

const QStringList& AtTaskAgent::sessionVariables()
{
    static const QStringList names = {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                      QStringLiteral("XAUTHORITY"), QStringLiteral("XDG_RUNTIME_DIR"),
                                      QStringLiteral("DBUS_SESSION_BUS_ADDRESS")};
    return names;
}

QString AtTaskAgent::shellQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString AtTaskAgent::markerLine(const QString& name)
{
    return QStringLiteral(": corvane-task ") + shellQuote(name);
}

QString AtTaskAgent::jobScript(const ScheduledTask& task, const QProcessEnvironment& session)
{
    QString script = markerLine(task.name) + QLatin1Char('\n');
    if (!task.comment.isEmpty())
        script += QStringLiteral(": comment ") + shellQuote(task.comment) + QLatin1Char('\n');
    for (const QString& name : sessionVariables()) {
        if (session.contains(name))
            script += name + QLatin1Char('=') + shellQuote(session.value(name)) + QStringLiteral("; export ") + name +
                      QLatin1Char('\n');
    }
    // A task for the operator's session does not run once that session is gone.
    const QString runtime = session.value(QStringLiteral("XDG_RUNTIME_DIR"));
    if ((task.flags & kTaskRunOnlyIfLoggedOn) && !runtime.isEmpty())
        script += QStringLiteral("[ -d ") + shellQuote(runtime) + QStringLiteral(" ] || exit 0\n");
    script += QStringLiteral("cd ") + shellQuote(task.workingFolder) + QStringLiteral(" || exit 1\n");
    script += QStringLiteral("exec ") + shellQuote(task.program) + QLatin1Char(' ') + shellQuote(task.parameters) +
              QLatin1Char('\n');
    return script;
}

bool AtTaskAgent::jobsNamed(const QString& name, QStringList& jobs, QString* error) const
{
    jobs.clear();
    const CommandResult queue = runCommand(atqProgram, {});
    if (!queue.ok) {
        if (error)
            *error = queue.error;
        return false;
    }
    const QByteArray wanted = (QLatin1Char('\n') + markerLine(name) + QLatin1Char('\n')).toLower().toLocal8Bit();
    for (const QByteArray& line : queue.out.split('\n')) {
        const QByteArray job = line.trimmed().split('\t').value(0).split(' ').value(0);
        if (job.isEmpty())
            continue;
        // A job that ended since the queue was read is no longer there to compare.
        const CommandResult content = runCommand(atProgram, {QStringLiteral("-c"), QString::fromLatin1(job)});
        if (content.ok && (QByteArray("\n") + content.out).toLower().contains(wanted))
            jobs << QString::fromLatin1(job);
    }
    return true;
}

bool AtTaskAgent::NewWorkItem(const QString& name, QString* error)
{
    QStringList jobs;
    if (!jobsNamed(name, jobs, error))
        return false;
    if (!jobs.isEmpty()) {
        if (error)
            *error = QStringLiteral("a task named \"%1\" is already waiting (job %2)").arg(name, jobs.join(", "));
        return false;
    }
    return true;
}

bool AtTaskAgent::Save(const ScheduledTask& task, QString* error)
{
    const auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    for (const QString* value : {&task.name, &task.program, &task.parameters, &task.workingFolder, &task.comment}) {
        if (value->contains(QChar(0)))
            return fail(QStringLiteral("a value of the task holds a NUL character"));
    }
    const QDate date = task.startDate.isValid() ? task.startDate : QDate::currentDate();
    const QTime time(task.startTime.hour(), task.startTime.minute());
    const QDateTime start(date, time);
    if (!task.startTime.isValid() || !start.isValid())
        return fail(QStringLiteral("the start time is not valid"));
    // A start in the past would run at once.
    if (start.addSecs(60) <= QDateTime::currentDateTime())
        return fail(QStringLiteral("the start time has already passed"));
    QStringList jobs;
    QString why;
    if (!jobsNamed(task.name, jobs, &why))
        return fail(why);
    if (!jobs.isEmpty())
        return fail(QStringLiteral("a task named \"%1\" is already waiting").arg(task.name));

    const QString script = jobScript(task, QProcessEnvironment::systemEnvironment());
    const CommandResult queued = runCommand(
        atProgram, {QStringLiteral("-M"), QStringLiteral("-t"), start.toString(QStringLiteral("yyyyMMddhhmm"))},
        script.toLocal8Bit(), task.workingFolder);
    if (!queued.ok)
        return fail(queued.error);
    return true;
}

} // namespace corvane
