// The small services: version words, service states, the registry path rules and the error log.
#include "console/program.h"
#include "engine/general.h"
#include "tests/support/testprogram.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/utsname.h>

using namespace corvane;
using namespace corvane::test;

class EngineBasics : public ::testing::Test {
protected:
    void SetUp() override { t.create(); }
    QString osName(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, bool ok = true)
    {
        t.system->version = {ok, platform, major, minor};
        return t.program().wintell().GetOSName();
    }
    TestProgram t;
};

TEST_F(EngineBasics, VersionWordsFollowTheVersionTable)
{
    EXPECT_EQ(osName(0, 9, 9), "32s");
    EXPECT_EQ(osName(1, 4, 0), "95");
    EXPECT_EQ(osName(1, 4, 10), "98");
    EXPECT_EQ(osName(1, 4, 3), "98");
    EXPECT_EQ(osName(1, 4, 90), "ME");
    EXPECT_EQ(osName(2, 3, 0), "NT3");
    EXPECT_EQ(osName(2, 3, 1), "NT3.1");
    EXPECT_EQ(osName(2, 3, 5), "NT3.5");
    EXPECT_EQ(osName(2, 3, 51), "NT3.51");
    EXPECT_EQ(osName(2, 3, 2), "");
    EXPECT_EQ(osName(2, 4, 7), "NT 4");
    EXPECT_EQ(osName(2, 5, 0), "Win2000");
    EXPECT_EQ(osName(2, 5, 1), "WinXP");
    EXPECT_EQ(osName(2, 5, 2), "");
    EXPECT_EQ(osName(2, 6, 0), "");
    EXPECT_EQ(osName(2, 10, 0), "");
    EXPECT_EQ(osName(3, 4, 0), "");
    EXPECT_EQ(osName(2, 5, 1, false), "") << "a failed call names no version";
}

TEST_F(EngineBasics, ThisSystemsOwnRecordNamesNoVersionSoItIsNamedByItsOwnName)
{
    LinuxSystemInfo own;
    t.system->version = own.versionRecord();
    EXPECT_EQ(t.program().wintell().GetOSName(), "");
    EXPECT_EQ(t.program().wintell().SystemName(), t.system->osName);
    t.system->version = {true, 2, 4, 0};
    EXPECT_EQ(t.program().wintell().SystemName(), "NT 4");

    utsname u{};
    ASSERT_EQ(uname(&u), 0);
    EXPECT_TRUE(own.systemName().endsWith(QStringLiteral("Linux ") + QLatin1String(u.release)))
        << own.systemName().toStdString();
}

TEST_F(EngineBasics, ServiceStatesFollowTheStateTable)
{
    const char* expected[] = {
        "", "Stopped", "Start Pending", "Stop Pending", "Running", "Coninue Pending", "Pause Pending", "Paused", ""};
    for (int state = 0; state <= 8; ++state) {
        t.services->states[QStringLiteral("Messenger")] = state;
        EXPECT_EQ(t.program().module2().GetServiceState({}, QStringLiteral("Messenger")), expected[state]) << state;
    }
    EXPECT_EQ(t.program().module2().GetServiceState({}, QStringLiteral("NoSuchService")), "");
    EXPECT_EQ(t.program().module2().GetServiceState(QStringLiteral("faraway"), QStringLiteral("Messenger")), "");
}

// The systemd adapter asks a systemctl that is first on the path: this one prints the unit's file
// from its own folder, as "systemctl show" prints a unit, or what it prints for a unit it lacks.
TEST(ServiceStates, SystemdUnitStatesAreReadAsTheServiceStates)
{
    QTemporaryDir bin;
    const QString systemctl = bin.filePath(QStringLiteral("systemctl"));
    QFile script(systemctl);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n[ \"$1\" = show ] && [ \"$3\" = -- ] || exit 2\nf=\"$(dirname \"$0\")/$4\"\n"
                 "if [ -f \"$f\" ]; then cat \"$f\"; else printf 'LoadState=not-found\\nActiveState=inactive\\n"
                 "SubState=dead\\n'; fi\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    const auto restore = qScopeGuard([&] { qputenv("PATH", path); });

    TestProgram t;
    t.pending.services = std::make_unique<SystemdServices>();
    t.create();
    struct Case {
        const char* unit; // what systemctl shows for messenger.service; none: no such unit
        const char* state;
    };
    const Case cases[] = {
        {"LoadState=loaded\nActiveState=active\nSubState=running\n", "Running"},
        {"LoadState=loaded\nActiveState=reloading\nSubState=reload\n", "Running"},
        {"LoadState=loaded\nActiveState=inactive\nSubState=dead\n", "Stopped"},
        {"LoadState=loaded\nActiveState=failed\nSubState=failed\n", "Stopped"},
        {"LoadState=loaded\nActiveState=activating\nSubState=start\n", "Start Pending"},
        {"LoadState=loaded\nActiveState=deactivating\nSubState=stop-sigterm\n", "Stop Pending"},
        {"LoadState=loaded\nActiveState=maintenance\nSubState=dead\n", ""},
        {nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit ? c.unit : "no unit");
        QFile::remove(bin.filePath(QStringLiteral("messenger.service")));
        if (c.unit) {
            QFile unit(bin.filePath(QStringLiteral("messenger.service")));
            ASSERT_TRUE(unit.open(QIODevice::WriteOnly));
            unit.write(c.unit);
        }
        // The Windows name is found as the lower-case unit.
        EXPECT_EQ(t.program().module2().GetServiceState({}, QStringLiteral("Messenger")), c.state);
    }
    EXPECT_EQ(t.program().module2().GetServiceState(QStringLiteral("faraway"), QStringLiteral("Messenger")), "");
}

TEST_F(EngineBasics, RegistryRootsAreMatchedExactly)
{
    EXPECT_EQ(General::RegRootFromName(QStringLiteral("HKEY_CLASSES_ROOT")), 0x80000000u);
    EXPECT_EQ(General::RegRootFromName(QStringLiteral("HKEY_LOCAL_MACHINE")), 0x80000002u);
    EXPECT_EQ(General::RegRootFromName(QStringLiteral("HKEY_DYN_DATA")), 0x80000006u);
    EXPECT_EQ(General::RegRootFromName(QStringLiteral("HKEY_Local_Machine")), 0u);
    EXPECT_EQ(General::RegRootFromName(QStringLiteral("HKLM")), 0u);
}

TEST_F(EngineBasics, KeyPathSplitAndItsFormatBox)
{
    General& general = t.program().general();
    QString path = QStringLiteral("HKEY_LOCAL_MACHINE");
    std::uint32_t root = 1;
    general.RegSplitKeyPath(path, root);
    EXPECT_EQ(root, 0x80000002u);
    EXPECT_EQ(path, "");
    EXPECT_TRUE(t.dialogs->shown.empty());

    for (const QString& bad : {QStringLiteral("HKEY_LOCAL_MACHINE\\"), QStringLiteral("hkey_local_machine\\SYSTEM")}) {
        path = bad;
        root = 1;
        general.RegSplitKeyPath(path, root);
        EXPECT_EQ(root, 0u);
        ASSERT_NE(t.dialogs->last(), nullptr);
        EXPECT_EQ(t.dialogs->last()->text, "Incorrect Format:\n\n" + bad);
        EXPECT_EQ(t.dialogs->last()->title, "Corvane");
        EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::None);
    }

    const size_t boxes = t.dialogs->shown.size();
    path = QStringLiteral("HKEY_Local_Machine\\SYSTEM");
    general.RegSplitKeyPath(path, root);
    EXPECT_EQ(root, 0u);
    EXPECT_EQ(t.dialogs->shown.size(), boxes) << "a mixed-case root passes the format test silently";
}

TEST_F(EngineBasics, RegistryWriteReachesTheStoreOnlyForAnExistingKey)
{
    General& general = t.program().general();
    const QString messenger = QStringLiteral("SYSTEM\\CurrentControlSet\\Services\\Messenger");
    general.RegWriteDword(QStringLiteral("HKEY_LOCAL_MACHINE\\") + messenger, QStringLiteral("Start"), 2);
    std::uint32_t value = 0;
    ASSERT_TRUE(t.pending.registry == nullptr);
    IRegistry& registry = *t.program().platform().registry;
    ASSERT_TRUE(registry.dword(0x80000002u, messenger, QStringLiteral("Start"), value));
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(general.RegResult, 0);

    general.RegWriteDword(QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\NoSuchKey"), QStringLiteral("Start"), 2);
    EXPECT_NE(general.RegResult, 0);
    EXPECT_FALSE(registry.dword(0x80000002u, QStringLiteral("SYSTEM\\NoSuchKey"), QStringLiteral("Start"), value));

    const QByteArray before = t.read(QStringLiteral("registry.dat"));
    general.RegWriteDword(QStringLiteral("HKEY_Local_Machine\\") + messenger, QStringLiteral("Start"), 4);
    EXPECT_EQ(t.read(QStringLiteral("registry.dat")), before) << "root 0 writes nothing";
}

TEST_F(EngineBasics, ErrorLogAppendsDatedLinesInCallOrder)
{
    t.clock->time = QDateTime(QDate(2026, 3, 4), QTime(9, 8, 7));
    Module1& m1 = t.program().module1();
    m1.WriteErrorLog(QStringLiteral("[MESS] first"));
    m1.WriteErrorLog(QStringLiteral("[MESS] second"));
    const QString stamp = "[" + m1.DateText() + " - 09:08:07] ";
    EXPECT_EQ(t.read(QStringLiteral("errorlog.log")),
              (stamp + "[MESS] first\r\n" + stamp + "[MESS] second\r\n").toLatin1());
}

TEST_F(EngineBasics, AnUnwritableErrorLogLosesTheLineButNotTheProgram)
{
    QDir().mkdir(t.path(QStringLiteral("errorlog.log"))); // a folder where the log should be
    t.program().module1().WriteErrorLog(QStringLiteral("[BOOT] lost"));
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(EngineBasics, FileNumbersDifferForFilesOpenAtOnce)
{
    Module1& m1 = t.program().module1();
    m1.GetFreeFileNumber();
    const auto first = m1.FileNum;
    m1.GetFreeFileNumber();
    EXPECT_NE(first, m1.FileNum);
    EXPECT_GT(m1.FileNum, 0);
}
