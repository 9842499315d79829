#pragma once
// The one way the platform runs a helper program (smbclient, testparm, systemctl, at) and waits for
// it: in the event loop, so that the windows go on working however long the program takes.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace corvane {

struct ProgramRun {
    bool started = false;
    bool finished = false; // ended by itself within the limit, not by a signal
    int exitCode = -1;
    QByteArray output; // standard output, with standard error in it when merged
    QByteArray errors; // standard error, when not merged
    QString why;       // why it did not start or did not finish

    bool succeeded() const { return finished && exitCode == 0; }
};

struct ProgramRunOptions {
    QByteArray input;         // its standard input, closed after it
    int timeoutMs = 10000;    // a program still running then is killed
    bool mergeErrors = false; // standard error into output
    QString folder;           // its working folder; none: the program's own
    // Clicks and keys wait until the program has answered: a handler that runs a program (a
    // scheduled task's queueing, a service check) is never run again over itself meanwhile.
    bool holdInput = false;
};

// Runs the program (a path, or a name looked up on PATH) with these arguments, byte for byte and
// never through a shell, and lets window events run until it ends or its time is up.
ProgramRun runProgram(const QString& program, const QList<QByteArray>& arguments,
                      const ProgramRunOptions& options = {});
ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramRunOptions& options = {});

} // namespace corvane
