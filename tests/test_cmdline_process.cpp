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
#include <memory>
#include <tuple>
#include <vector>

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

// A program folder whose settings name the client port.
void prepareProgramFolder(const QString& folder, quint16 port)
{
    copyProgramFolder(folder);
    ASSERT_TRUE(QFile::exists(folder + "/Corvane"));
    QStringList settings = splitTextLines(readFile(folder + "/Corvane.ini"));
    ASSERT_EQ(settings.size(), 21);
    for (QString& line : settings) {
        if (line.startsWith("PORT="))
            line = "PORT=" + QString::number(port);
    }
    writeFile(folder + "/Corvane.ini", crlfLines(settings));
}

QByteArray scheduleFile(const QByteArray& message)
{
    return "SCH_HEADLINE=Maintenance\r\nSCH_TITLE=IT Notice\r\nSCH_DATE=ENABLED\r\nSCH_TIME=ENABLED\r\n"
           "SCH_FROM=HELPDESK\r\nSCH_SERVICE=NUVOCLIENT\r\nSCH_FILENAME=DISABLED\r\nSCH_TIMEOUT=DISABLED\r\n" +
           message + "\r\n";
}

// Starts the program in the folder with each command line, all at once, and lets events run (the
// peers answer meanwhile) until every one has ended, at most 30 s. False when one did not end by itself.
// A box of a run answers itself after answerAfterMs, when given.
bool runUnattended(const QString& folder, const QList<QStringList>& commandLines,
                   std::vector<std::unique_ptr<QProcess>>& programs, int answerAfterMs = 0)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    if (answerAfterMs > 0)
        env.insert("CORVANE_UNATTENDED_ANSWER_MS", QString::number(answerAfterMs));
    QEventLoop loop;
    int running = 0;
    for (const QStringList& arguments : commandLines) {
        auto& program = programs.emplace_back(std::make_unique<QProcess>());
        program->setProcessEnvironment(env);
        program->setWorkingDirectory(folder);
        QObject::connect(program.get(), &QProcess::finished, &loop, [&] {
            if (--running == 0)
                loop.quit();
        });
        program->start(folder + "/Corvane", arguments);
        if (!program->waitForStarted(5000))
            return false;
        ++running;
    }
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    bool ended = true;
    for (auto& program : programs) {
        if (program->state() != QProcess::NotRunning) {
            ended = false;
            ADD_FAILURE() << "the program did not end by itself; stderr: "
                          << program->readAllStandardError().toStdString();
            program->kill();
            program->waitForFinished(2000);
        }
    }
    return ended;
}

TEST(CommandLineProcess, AScheduledGroupRunDeliversLogsAndEndsByItself)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    FakeNuvo peer;
    prepareProgramFolder(folder, peer.port());
    const QByteArray settingsBefore = readFile(folder + "/Corvane.ini");
    writeFile(folder + "/Groups/lab.mit", "127.0.0.1\r\n");
    writeFile(folder + "/Schedule/weekly.txt", scheduleFile("Backup tonight"));

    std::vector<std::unique_ptr<QProcess>> programs;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(runUnattended(folder, {{"/g=\"lab.mit:weekly.txt\""}}, programs));
    const qint64 took = clock.elapsed();
    QProcess& program = *programs[0];

    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_GE(took, 4500) << "the program ends 5000 ms after the distribution";
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

TEST(CommandLineProcess, TwoRunsInOneFolderEachSendTheirOwnMessageAndLogIt)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    FakeNuvo first(QStringLiteral("127.0.0.2"));
    FakeNuvo second(QStringLiteral("127.0.0.3"), first.port());
    ASSERT_TRUE(second.listening());
    // Slow clients keep both runs going at once, node after node.
    FakeNuvo::Script slow;
    slow.replyDelayMs = 100;
    first.setScript(slow);
    second.setScript(slow);
    prepareProgramFolder(folder, first.port());
    writeFile(folder + "/Groups/east.mit", QByteArray("127.0.0.2\r\n").repeated(4));
    writeFile(folder + "/Groups/west.mit", QByteArray("127.0.0.3\r\n").repeated(4));
    const QByteArray east = "Heating off in the east wing";
    const QByteArray west = "Fire drill in the west wing at noon";
    writeFile(folder + "/Schedule/east.txt", scheduleFile(east));
    writeFile(folder + "/Schedule/west.txt", scheduleFile(west));

    std::vector<std::unique_ptr<QProcess>> programs;
    ASSERT_TRUE(runUnattended(folder, {{"/g=\"east.mit:east.txt\""}, {"/g=\"west.mit:west.txt\""}}, programs));

    const QByteArray sent = readFile(folder + "/Logs/sent.Log");
    EXPECT_EQ(sent.count("[LOG_BEGIN]"), 2);
    for (const auto& [peer, target, message] :
         {std::tuple{&first, QByteArray("EAST"), east}, std::tuple{&second, QByteArray("WEST"), west}}) {
        SCOPED_TRACE(message.toStdString());
        ASSERT_EQ(peer->connections(), 4);
        for (const FakeNuvo::Session& session : peer->sessions()) {
            EXPECT_TRUE(session.complete);
            EXPECT_EQ(session.name, "socket.txt");
            EXPECT_EQ(session.size, session.file.size());
            // The schedule file's body, every line with its CR LF, is the message.
            EXPECT_TRUE(session.file.endsWith("CLI_TIMEOUT=DISABLED\r\n" + message + "\r\n\r\n"));
        }
        // The run's record, whole and in one piece.
        EXPECT_TRUE(sent.contains("Type=GROUP\r\nTarget=" + target +
                                  " (GROUP)\r\nPass=4\r\nFail=0\r\n"
                                  "[Message_Start]\r\n" +
                                  message +
                                  "\r\n\r\n[Message_End]\r\nSentViaIP=NO\r\n"
                                  "Service=NUVOCLIENT\r\n"))
            << sent.toStdString();
    }
    EXPECT_FALSE(QFile::exists(folder + "/socket.txt")) << "the last run out removes it";
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
        {"a group without computers: nobody takes the window",
         {},
         "/g=\"none.mit:weekly.txt\"",
         EXIT_FAILURE,
         {"Corvane - Information: There are No Computers in this group!",
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
        writeFile(folder + "/Groups/none.mit", "");
        writeFile(folder + "/Schedule/weekly.txt",
                  "SCH_HEADLINE=a\r\nSCH_TITLE=b\r\nSCH_DATE=DISABLED\r\nSCH_TIME=DISABLED\r\nSCH_FROM=c\r\n"
                  "SCH_SERVICE=NUVOCLIENT\r\nSCH_FILENAME=DISABLED\r\nSCH_TIMEOUT=DISABLED\r\nBackup tonight\r\n");

        std::vector<std::unique_ptr<QProcess>> programs;
        ASSERT_TRUE(runUnattended(folder, {{c.commandLine}}, programs, 300));
        EXPECT_EQ(programs[0]->exitCode(), c.exitCode);
        const QString standardError = QString::fromLocal8Bit(programs[0]->readAllStandardError());
        const QString log = QString::fromLatin1(readFile(folder + "/errorlog.log"));
        qsizetype inLog = 0;
        qsizetype onStderr = 0;
        for (const QString& box : c.boxes) {
            const QString line = "[SCHEDULE] Unattended box: " + box;
            inLog = log.indexOf(line, inLog);
            onStderr = standardError.indexOf(line, onStderr);
            EXPECT_GE(inLog, 0) << line.toStdString() << "\nlog: " << log.toStdString();
            EXPECT_GE(onStderr, 0) << line.toStdString() << "\nstderr: " << standardError.toStdString();
        }
    }
}

} // namespace
