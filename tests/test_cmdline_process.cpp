// The unattended run as a scheduled task starts it: the real program, in its own process, from a
// command line, against a Nuvo client on loopback.
#include "engine/textfile.h"
#include "tests/support/fakenuvo.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// A program folder of its own: the built program and its installed files, without anything an
// earlier run left behind.
void copyProgramFolder(const QString& to)
{
    const QString from = QStringLiteral(CORVANE_PROGRAM_DIR);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = source.mid(from.size() + 1);
        if (relative.contains(QLatin1Char('/')) || relative == QLatin1String("errorlog.log") ||
            relative == QLatin1String("socket.txt"))
            continue;
        ASSERT_TRUE(QFile::copy(source, to + QLatin1Char('/') + relative)) << relative.toStdString();
    }
    for (const char* folder : {"Groups", "Messages", "Logs", "Schedule", "HelpFiles"})
        QDir(to).mkdir(QLatin1String(folder));
}

// The program's end as a script sees it.
struct Ended {
    bool byItself = false;
    int exitCode = -1;
    qint64 took = 0; // milliseconds
    QString standardError;
};

// Runs the program in its folder with a command line, as a scheduled task does, letting the peers
// answer meanwhile; a box of the run answers itself after answerAfterMs.
Ended runProgram(const QString& folder, const QString& commandLine, int answerAfterMs = 0)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (answerAfterMs > 0)
        env.insert("CORVANE_UNATTENDED_ANSWER_MS", QString::number(answerAfterMs));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    QEventLoop loop;
    QObject::connect(&program, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    program.start(folder + "/Corvane", {commandLine});
    Ended ended;
    if (!program.waitForStarted(5000))
        return ended;
    loop.exec(); // the peers answer while this waits
    ended.took = clock.elapsed();
    ended.byItself = program.state() == QProcess::NotRunning && program.exitStatus() == QProcess::NormalExit;
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished(2000);
    }
    ended.exitCode = program.exitCode();
    ended.standardError = QString::fromLocal8Bit(program.readAllStandardError());
    return ended;
}

TEST(CommandLineProcess, AScheduledGroupRunDeliversLogsAndEndsByItself)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    copyProgramFolder(folder);
    ASSERT_TRUE(QFile::exists(folder + "/Corvane"));

    FakeNuvo peer;
    QStringList settings = splitTextLines(readFile(folder + "/Corvane.ini"));
    ASSERT_EQ(settings.size(), 21);
    for (QString& line : settings) {
        if (line.startsWith("PORT="))
            line = "PORT=" + QString::number(peer.port());
    }
    writeFile(folder + "/Corvane.ini", crlfLines(settings));
    const QByteArray settingsBefore = readFile(folder + "/Corvane.ini");
    writeFile(folder + "/Groups/lab.mit", "127.0.0.1\r\n");
    writeFile(folder + "/Schedule/weekly.txt",
              "SCH_HEADLINE=Maintenance\r\nSCH_TITLE=IT Notice\r\nSCH_DATE=ENABLED\r\nSCH_TIME=ENABLED\r\n"
              "SCH_FROM=HELPDESK\r\nSCH_SERVICE=NUVOCLIENT\r\nSCH_FILENAME=DISABLED\r\nSCH_TIMEOUT=DISABLED\r\n"
              "Backup tonight\r\n");

    const Ended ended = runProgram(folder, "/g=\"lab.mit:weekly.txt\"");
    ASSERT_TRUE(ended.byItself) << "the program did not end by itself; stderr: " << ended.standardError.toStdString();
    EXPECT_EQ(ended.exitCode, 0);
    EXPECT_GE(ended.took, 4500) << "the program ends 5000 ms after the distribution";
    ASSERT_EQ(peer.connections(), 1);
    EXPECT_TRUE(peer.sessions()[0].complete);
    EXPECT_TRUE(peer.sessions()[0].file.contains("Backup tonight"));
    const QString sent = QString::fromLatin1(readFile(folder + "/Logs/sent.Log"));
    EXPECT_EQ(sent.count("[LOG_BEGIN]"), 1);
    EXPECT_TRUE(sent.contains("Target=LAB (GROUP)\r\n"));
    EXPECT_TRUE(sent.contains("Pass=1\r\nFail=0\r\n"));
    EXPECT_FALSE(QFile::exists(folder + "/socket.txt"));
    EXPECT_EQ(readFile(folder + "/Corvane.ini"), settingsBefore);
    const QString log = QString::fromLatin1(readFile(folder + "/errorlog.log"));
    EXPECT_TRUE(log.contains("[BOOT] Command Line Options Used: /g=\"lab.mit:weekly.txt\""));
    EXPECT_FALSE(log.contains("[SCHEDULE]"));
}

// Nobody answers the boxes of a scheduled run: each is shown, tells the error log and standard error
// what it says, and answers itself; the run goes on to its end, and one that fails says so in its
// exit status.
TEST(CommandLineProcess, BoxesOfARunNobodyWatchesAnswerThemselves)
{
    struct Case {
        const char* name;
        QByteArray settings; // replaces Corvane.ini when not empty
        QString commandLine;
        int exitCode;
        QStringList boxes; // the start of each box's line, in order
    };
    // Nodes that are there but never answer: nothing listens on this port.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress(QStringLiteral("127.0.0.1"))));
    const QByteArray port = QByteArray::number(closed.serverPort());
    closed.close();
    const std::vector<Case> cases = {
        {"every node silent",
         {},
         "/g=\"lab.mit:weekly.txt\"",
         0,
         {"Corvane - Information: All targets failed to receive your message."}},
        {"no settings, no schedule file",
         "\r\n",
         "/g=\"lab.mit:gone.txt\"",
         EXIT_FAILURE,
         {"Corvane - Information: The Corvane.ini file is missing or damaged",
          "Corvane - Critical Error: There was an error during the Command Line/Scheduler running process."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString folder = dir.path();
        copyProgramFolder(folder);
        QByteArray settings = readFile(folder + "/Corvane.ini").replace("PORT=9125", "PORT=" + port);
        writeFile(folder + "/Corvane.ini", c.settings.isEmpty() ? settings : c.settings);
        writeFile(folder + "/Groups/lab.mit", "127.0.0.5\r\n127.0.0.6\r\n127.0.0.7\r\n");
        writeFile(folder + "/Schedule/weekly.txt",
                  "SCH_HEADLINE=a\r\nSCH_TITLE=b\r\nSCH_DATE=DISABLED\r\nSCH_TIME=DISABLED\r\nSCH_FROM=c\r\n"
                  "SCH_SERVICE=NUVOCLIENT\r\nSCH_FILENAME=DISABLED\r\nSCH_TIMEOUT=DISABLED\r\nBackup tonight\r\n");

        const Ended ended = runProgram(folder, c.commandLine, 300);
        ASSERT_TRUE(ended.byItself) << "stderr: " << ended.standardError.toStdString();
        EXPECT_EQ(ended.exitCode, c.exitCode);
        const QString log = QString::fromLatin1(readFile(folder + "/errorlog.log"));
        qsizetype inLog = 0;
        qsizetype onStderr = 0;
        for (const QString& box : c.boxes) {
            const QString line = "[SCHEDULE] Unattended box: " + box;
            inLog = log.indexOf(line, inLog);
            onStderr = ended.standardError.indexOf(line, onStderr);
            EXPECT_GE(inLog, 0) << line.toStdString() << "\nlog: " << log.toStdString();
            EXPECT_GE(onStderr, 0) << line.toStdString() << "\nstderr: " << ended.standardError.toStdString();
        }
    }
}

} // namespace
