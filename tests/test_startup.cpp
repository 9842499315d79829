// Start-up in its order, the status line and the way out.
#include "assistants/frmOptions.h"
#include "console/frmSplash.h"
#include "console/mainform.h"
#include "engine/textfile.h"
#include "engine/transfer.h"
#include "tests/support/testprogram.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QProcess>
#include <QTabBar>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

class StartUp : public ::testing::Test {
protected:
    void SetUp() override { t.setSetting("STARTUP", "0"); }
    QStringList logLines() { return splitTextLines(t.read(QStringLiteral("errorlog.log"))); }
    TestProgram t;
};

TEST_F(StartUp, TheMainWindowOpensWithItsTitleTabsAndIdleStatus)
{
    t.start();
    forms::mainform& main = t.main();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.windowTitle(), "Corvane Server v8.0");
    ASSERT_EQ(main.SSTab1->count(), 5);
    const QStringList tabs{"Create Message", "Group Management", "Hosts File", "Distribution Logs", "Client Options"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(main.SSTab1->tabText(i), tabs[i]);
    main.Timer1->setInterval(5);
    EXPECT_TRUE(waitFor([&] { return main.panelText(1) == "Status: Idle"; }));
    EXPECT_EQ(t.program().module1().GroupsPath, t.folder() + "/Groups/");
    EXPECT_EQ(t.program().module1().SocketFile, t.folder() + "/socket.txt");
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(StartUp, BootLinesAreLoggedInOrderOnlyWithErrorLogOn)
{
    t.start();
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("] *** [BOOT] Corvane Server v8.0 Loading")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("] [BOOT] Windows Version: " + t.system->osName)) << lines[1].toStdString();

    TestProgram quiet;
    quiet.setSetting("STARTUP", "0");
    quiet.setSetting("ERRORLOG", "NO");
    quiet.start();
    EXPECT_TRUE(quiet.read(QStringLiteral("errorlog.log")).isEmpty());
}

TEST_F(StartUp, OldSystemsAreRefusedBeforeAnythingElse)
{
    const std::tuple<OsVersionRecord, const char*> systems[] = {
        {{true, 1, 4, 90}, "WindowsME"}, {{true, 1, 4, 10}, "Windows98"}, {{true, 1, 4, 0}, "Windows95"}};
    for (const auto& [record, name] : systems) {
        TestProgram old;
        old.setSetting("STARTUP", "1");
        old.system->version = record;
        old.start();
        ASSERT_EQ(old.end->count, 1) << name;
        ASSERT_NE(old.dialogs->last(), nullptr);
        EXPECT_EQ(old.dialogs->last()->text, QStringLiteral("Corvane does not support sending messages from a %1 "
                                                            "computer.  Corvane will now Quit.")
                                                 .arg(QLatin1String(name)));
        EXPECT_EQ(old.dialogs->last()->title, "Corvane - Information");
        EXPECT_EQ(old.dialogs->last()->icon, MsgIcon::Critical);
        const QByteArray log = old.read(QStringLiteral("errorlog.log"));
        EXPECT_TRUE(log.contains("*** [BOOT] Corvane Server v8.0 Loading"));
        EXPECT_FALSE(log.contains("Windows Version"));
        EXPECT_FALSE(old.program().frmSplashLoaded()) << "no splash after the refusal";
        EXPECT_FALSE(old.main().isVisible());
    }
}

TEST_F(StartUp, FirstRunTakesTheComputerNameAndOtherCasesStayAsTheyAre)
{
    t.setSetting("ALIAS", "FIRSTRUN");
    t.start();
    EXPECT_EQ(t.options().txtAlias->text(), "LABHOST");

    TestProgram lower;
    lower.setSetting("STARTUP", "0");
    lower.setSetting("ALIAS", "firstrun");
    lower.start();
    EXPECT_EQ(lower.options().txtAlias->text(), "firstrun");
}

TEST_F(StartUp, OnNt4TheAliasIsAlwaysTheComputerName)
{
    t.setSetting("ALIAS", "Somebody Else");
    t.system->version = {true, 2, 4, 0};
    t.start();
    forms::frmOptions& options = t.options();
    EXPECT_EQ(options.txtAlias->text(), "LABHOST");
    EXPECT_FALSE(options.txtAlias->isEnabled());
    EXPECT_FALSE(options.butDefault->isEnabled());
    EXPECT_FALSE(options.Frame6->isEnabled());
    EXPECT_EQ(options.Frame6->title(), "Message Sent From (Disabled in NT4)");
    EXPECT_EQ(t.program().module1().WinVersion, "NT 4");
    EXPECT_TRUE(t.read(QStringLiteral("errorlog.log")).contains("[BOOT] Windows Version: NT 4\r\n"));
}

TEST_F(StartUp, ClientWindowOptionsComeFromTheSettings)
{
    t.setSetting("WIN_TITLE", "Facilities");
    t.setSetting("WIN_SHOWDATE", "NO");
    t.setSetting("WIN_TIMEOUT", "YES");
    t.setSetting("WIN_TIMEOUTMIN", "12");
    t.start();
    forms::mainform& main = t.main();
    EXPECT_EQ(main.txtWintitle->text(), "Facilities");
    EXPECT_FALSE(main.chkDate->isChecked());
    EXPECT_TRUE(main.chkTime->isChecked());
    EXPECT_TRUE(main.chkTimeOut->isChecked());
    EXPECT_EQ(main.lblMinutesDisplay->text(), "Show Message for [12] minutes.");
    EXPECT_TRUE(main.butPlusMin->isEnabled());
    EXPECT_EQ(t.program().module1().UseTimeOut, "YES");
}

TEST_F(StartUp, AnUnknownTimeOutSwitchLeavesTheBoxAndTheBoxDecides)
{
    t.setSetting("WIN_TIMEOUT", "maybe");
    t.start();
    EXPECT_FALSE(t.main().chkTimeOut->isChecked());
    EXPECT_EQ(t.program().module1().UseTimeOut, "NO");
    EXPECT_FALSE(t.main().lblMinutesDisplay->isVisibleTo(&t.main()));
    EXPECT_FALSE(t.main().butMinusMin->isEnabled());
}

TEST_F(StartUp, TheSplashHoldsTheMainWindowBackUntilItCloses)
{
    t.setSetting("STARTUP", "1");
    t.start();
    ASSERT_TRUE(t.program().frmSplashLoaded());
    EXPECT_FALSE(t.main().isVisible());
    EXPECT_TRUE(t.options().chkStartup->isChecked());
    t.program().frmSplash().startTimer->setInterval(5);
    EXPECT_TRUE(waitFor([&] { return !t.program().frmSplashLoaded(); }));
    EXPECT_TRUE(t.main().isVisible());
}

// Every other test shortens these; here they are as the program ships them.
TEST_F(StartUp, AFreshProgramHasItsShippedIntervals)
{
    t.setSetting("STARTUP", "1");
    t.start();
    ClientTransfer& link = t.program().module1().transfer();
    EXPECT_EQ(link.PacketTimer->interval(), 20000);
    EXPECT_EQ(link.MessageTimer->interval(), 25000);
    EXPECT_EQ(dynamic_cast<LinuxTcpClient&>(t.tcp->inner()).connectTimeoutMs, 20000);
    EXPECT_EQ(t.main().Timer1->interval(), 800);
    EXPECT_EQ(t.main().AutoKillTimer->interval(), 5000);
    ASSERT_TRUE(t.program().frmSplashLoaded());
    forms::frmSplash& splash = t.program().frmSplash();
    EXPECT_EQ(splash.startTimer->interval(), 500);
    for (int tick = 1; tick <= 4; ++tick)
        splash.startTimer_Timer();
    EXPECT_TRUE(t.program().frmSplashLoaded()) << "four ticks";
    splash.startTimer_Timer();
    EXPECT_FALSE(t.program().frmSplashLoaded()) << "the fifth tick closes it";
}

TEST_F(StartUp, ACommandLineMeansAnUnattendedRunAndIsLogged)
{
    t.create({"/G=\"LAB.mit:Weekly.txt\""});
    t.program().start();
    EXPECT_EQ(t.program().module1().CmdLineMode, 1);
    EXPECT_TRUE(t.read(QStringLiteral("errorlog.log"))
                    .contains("[BOOT] Command Line Options Used: /g=\"lab.mit:weekly.txt\"\r\n"));
}

class StatusLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.start();
    }
    TestProgram t;
};

TEST_F(StatusLine, ATextStaysForItsTicksThenFallsBackToIdle)
{
    forms::mainform& main = t.main();
    main.SetStatus(5, QStringLiteral("Group Saved"));
    EXPECT_EQ(main.panelText(1), "Status: Group Saved");
    EXPECT_TRUE(main.Timer1->isActive());
    for (int tick = 1; tick < 5; ++tick)
        main.Timer1_Timer();
    EXPECT_EQ(main.panelText(1), "Status: Group Saved");
    main.Timer1_Timer();
    EXPECT_EQ(main.panelText(1), "Status: Idle");
    EXPECT_FALSE(main.Timer1->isActive());
}

TEST_F(StatusLine, ANewTextStartsTheCountAgain)
{
    forms::mainform& main = t.main();
    main.SetStatus(3, QStringLiteral("first"));
    main.Timer1_Timer();
    main.Timer1_Timer();
    main.SetStatus(3, QStringLiteral("second"));
    main.Timer1_Timer();
    main.Timer1_Timer();
    EXPECT_EQ(main.panelText(1), "Status: second");
    main.Timer1_Timer();
    EXPECT_EQ(main.panelText(1), "Status: Idle");
}

TEST_F(StatusLine, ACountThatIsNeverReachedKeepsTheTextAndTheTimer)
{
    forms::mainform& main = t.main();
    for (int ticks : {0, -2, 10001}) {
        main.SetStatus(ticks, QStringLiteral("stuck"));
        for (int i = 0; i < 10050; ++i)
            main.Timer1_Timer();
        EXPECT_EQ(main.panelText(1), "Status: stuck") << ticks;
        EXPECT_TRUE(main.Timer1->isActive());
        EXPECT_LE(main.StatusTickCount, 10000);
    }
}

TEST_F(StatusLine, TheTimerRunsTheCountOnTheEventLoop)
{
    forms::mainform& main = t.main();
    main.Timer1->setInterval(10);
    QStringList seen; // the status as each tick leaves it
    const QObject watching;
    QObject::connect(main.Timer1, &QTimer::timeout, &watching, [&] { seen << main.panelText(1); });
    main.SetStatus(3, QStringLiteral("Hosts file Saved"));
    EXPECT_TRUE(waitFor([&] { return main.panelText(1) == "Status: Idle"; }));
    EXPECT_EQ(seen, QStringList({"Status: Hosts file Saved", "Status: Hosts file Saved", "Status: Idle"}));
}

class ExitCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting("STARTUP", "0");
        t.start();
    }
    TestProgram t;
};

TEST_F(ExitCommand, NoChangesNothing)
{
    const QByteArray settings = t.read(QStringLiteral("Corvane.ini"));
    const QByteArray log = t.read(QStringLiteral("errorlog.log"));
    t.main().txtWintitle->setText(QStringLiteral("Changed"));
    t.dialogs->answer(MsgAnswer::No);
    t.main().butExitMain->click();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->text, "Are you sure you wish to quit Corvane ?");
    EXPECT_EQ(t.dialogs->last()->title, "Exit Corvane:");
    EXPECT_EQ(t.dialogs->last()->buttons, MsgButtons::YesNo);
    EXPECT_EQ(t.end->count, 0);
    EXPECT_EQ(t.read(QStringLiteral("Corvane.ini")), settings);
    EXPECT_EQ(t.read(QStringLiteral("errorlog.log")), log);
}

TEST_F(ExitCommand, YesWritesTheSettingsLogsAndEnds)
{
    t.main().txtWintitle->setText(QStringLiteral("Changed"));
    t.write(QStringLiteral("Logs/Checkit.log"), "check");
    t.dialogs->answer(MsgAnswer::Yes);
    t.main().Exit->trigger();
    EXPECT_EQ(t.end->count, 1);
    EXPECT_EQ(splitTextLines(t.read(QStringLiteral("Corvane.ini")))[10], "WIN_TITLE=Changed");
    EXPECT_TRUE(splitTextLines(t.read(QStringLiteral("errorlog.log")))
                    .last()
                    .endsWith("] [EXIT] Corvane Closed via Exit Button"));
    EXPECT_TRUE(QFile::exists(t.path(QStringLiteral("Logs/Checkit.log")))) << "not written in this run";
}

TEST_F(ExitCommand, TheGroupEditorsCheckFileGoesWhenThisRunWroteIt)
{
    t.write(QStringLiteral("Logs/Checkit.log"), "check");
    t.program().module1().CheckitLogWritten = 1;
    t.dialogs->answer(MsgAnswer::Yes);
    t.main().Exit_Click();
    EXPECT_FALSE(QFile::exists(t.path(QStringLiteral("Logs/Checkit.log"))));
}

TEST_F(ExitCommand, TheWindowManagersCloseIsRefused)
{
    QCloseEvent event;
    QCoreApplication::sendEvent(&t.main(), &event); // not spontaneous: code may still close
    QWidget& main = t.main();
    main.show();
    EXPECT_FALSE(main.windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST(ProgramEnd, TheRealEndStopsTheProcessAtOnce)
{
    EXPECT_EXIT(ImmediateEnd().endNow(), ::testing::ExitedWithCode(0), "");
}

// The real program, started headless in a copy of the built program folder.
TEST(RealProgram, StartsHeadlessAndWritesItsBootLines)
{
    QTemporaryDir dir;
    const QString from = QStringLiteral(CORVANE_PROGRAM_DIR);
    ASSERT_TRUE(QFile::exists(from + "/Corvane"));
    for (const char* name : {"Corvane", "Corvane.ini", "template.dat", "registry.dat"})
        ASSERT_TRUE(QFile::copy(from + "/" + name, dir.path() + "/" + name)) << name;
    for (const char* folder : {"Groups", "Messages", "Logs", "Schedule", "HelpFiles"})
        QDir(dir.path()).mkdir(QLatin1String(folder));
    QStringList lines = splitTextLines([&] {
        QFile f(dir.path() + "/Corvane.ini");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }());
    lines[5] = "STARTUP=0";
    lines[20] = "ERRORLOG=YES";
    ASSERT_TRUE(writeWholeFile(dir.path() + "/Corvane.ini", crlfLines(lines)));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(QDir::tempPath()); // the program folder is where the executable is
    program.start(dir.path() + "/Corvane", {});
    ASSERT_TRUE(program.waitForStarted(5000));
    QByteArray log;
    for (int i = 0; i < 100 && !log.contains("Windows Version"); ++i) {
        program.waitForFinished(100);
        QFile f(dir.path() + "/errorlog.log");
        if (f.open(QIODevice::ReadOnly))
            log = f.readAll();
    }
    EXPECT_EQ(program.state(), QProcess::Running) << "it waits for the operator";
    program.kill();
    program.waitForFinished(5000);
    EXPECT_TRUE(log.contains("] *** [BOOT] Corvane Server v8.0 Loading\r\n"));
    EXPECT_TRUE(log.contains("] [BOOT] Windows Version: " + toAnsi(LinuxSystemInfo().systemName()) + "\r\n"))
        << log.toStdString();
}
