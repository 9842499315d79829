#include "platform/programrun.h"
#include "platform/eventwait.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>
#include <vector>

namespace corvane {

namespace {

// How long a killed program may take to be gone.
constexpr int kKilledMs = 2000;

} // namespace

ProgramRun runProgram(const QString& program, const QList<QByteArray>& arguments, const ProgramRunOptions& options)
{
    ProgramRun result;
    const QString path = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        result.why = QStringLiteral("the program %1 was not found").arg(program);
        return result;
    }
    QProcess process;
    process.setProgram(path);
    QStringList shown;
    for (const QByteArray& argument : arguments)
        shown << QFile::decodeName(argument);
    process.setArguments(shown);
    // QProcess would hand the arguments over in UTF-8; some are in another code page, so the child
    // starts the program with the bytes itself.
    QList<QByteArray> argv = {QFile::encodeName(path)};
    argv += arguments;
    std::vector<char*> pointers;
    for (QByteArray& argument : argv)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    process.setChildProcessModifier([&pointers] { ::execv(pointers[0], pointers.data()); });
    if (!options.folder.isEmpty())
        process.setWorkingDirectory(options.folder);
    process.setProcessChannelMode(options.mergeErrors ? QProcess::MergedChannels : QProcess::SeparateChannels);

    bool over = false;
    QObject::connect(&process, &QProcess::started, [&] {
        result.started = true;
        if (!options.input.isEmpty())
            process.write(options.input);
        process.closeWriteChannel();
    });
    QObject::connect(&process, &QProcess::finished, [&over] { over = true; });
    QObject::connect(&process, &QProcess::errorOccurred, [&over](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            over = true;
    });
    process.start(QIODevice::ReadWrite);
    const QEventLoop::ProcessEventsFlags flags =
        options.holdInput ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents;
    if (!waitInEventLoop([&over] { return over; }, options.timeoutMs, flags)) {
        process.kill();
        waitInEventLoop([&process] { return process.state() == QProcess::NotRunning; }, kKilledMs, flags);
        result.why = QStringLiteral("%1 did not answer").arg(program);
        return result;
    }
    if (!result.started) {
        result.why = program + QStringLiteral(": ") + process.errorString();
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = result.finished ? process.exitCode() : -1;
    result.output = process.readAllStandardOutput();
    if (!options.mergeErrors)
        result.errors = process.readAllStandardError();
    if (!result.finished)
        result.why = QStringLiteral("%1 was ended").arg(program);
    return result;
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramRunOptions& options)
{
    QList<QByteArray> bytes;
    for (const QString& argument : arguments)
        bytes << QFile::encodeName(argument);
    return runProgram(program, bytes, options);
}

} // namespace corvane
