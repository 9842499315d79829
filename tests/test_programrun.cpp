// The platform's helper programs are waited for in the event loop: the windows go on working while
// systemctl, at or smbclient takes its time, and one that takes too long is ended at its limit.
#include "engine/netsend.h"
#include "platform/messenger.h"
#include "platform/programrun.h"
#include "platform/servicestate.h"
#include "platform/taskagent.h"
#include "tests/support/testprogram.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace corvane;
using namespace corvane::test;

TEST(ProgramRun, SlowProgramsLetTheEventLoopRun)
{
    QTemporaryDir bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
    const auto slow = [&](const QString& name, const QByteArray& body) {
        return writeScript(bin.filePath(name), "sleep 0.5\n" + body);
    };
    slow("systemctl", "printf 'LoadState=loaded\\nActiveState=active\\nSubState=running\\n'\n");
    slow("smbclient", "cat > /dev/null\n");
    SmbclientMessenger messenger;
    messenger.testparm = slow("testparm", "echo CP850\n");
    AtTaskAgent tasks;
    tasks.atqProgram = slow("atq", "");

    struct Case {
        const char* what;
        std::function<bool()> run;
    };
    const Case cases[] = {
        {"systemctl", [] { return SystemdServices().currentState({}, "messenger") == 4; }},
        {"testparm and smbclient",
         [&] {
             return messenger.NetMessageBufferSend(NetSend::MessageBuffer("PC"), NetSend::MessageBuffer("A"),
                                                   NetSend::MessageBuffer("x"), 3, "127.0.0.1") == 0;
         }},
        {"atq", [&] { return tasks.NewWorkItem("Corvane - x"); }},
        {"a program ended at its limit",
         [] {
             ProgramRunOptions options;
             options.timeoutMs = 300;
             const ProgramRun run = runProgram("sh", QStringList{"-c", "exec sleep 30"}, options);
             return run.started && !run.finished && !run.why.isEmpty();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
        timer.start(20);
        QElapsedTimer clock;
        clock.start();
        EXPECT_TRUE(c.run());
        EXPECT_GE(clock.elapsed(), 250);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_GE(ticks, clock.elapsed() / 20 / 3) << "the timer fired while the program ran";
    }
    // at takes the folder it is started in as the job's.
    ProgramRunOptions inFolder;
    inFolder.folder = bin.path();
    EXPECT_EQ(runProgram("pwd", QStringList{}, inFolder).output.trimmed(), QFile::encodeName(bin.path()));
}
