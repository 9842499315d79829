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
#include <QTemporaryDir>
#include <QTimer>
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

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(folder);
    QEventLoop loop;
    QObject::connect(&program, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    program.start(folder + "/Corvane", {"/g=\"lab.mit:weekly.txt\""});
    ASSERT_TRUE(program.waitForStarted(5000));
    loop.exec(); // the peer answers while this waits
    const qint64 took = clock.elapsed();
    if (program.state() != QProcess::NotRunning) {
        program.kill();
        program.waitForFinished(2000);
        FAIL() << "the program did not end by itself; stderr: " << program.readAllStandardError().toStdString();
    }

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

} // namespace
