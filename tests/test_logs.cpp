// The sent log's records and the merge of a distribution's failures into the failed-nodes log.
#include "console/frmNodeStatus.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

class Logs : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
        t.clock->time = QDateTime(QDate(2026, 3, 14), QTime(9, 5, 7));
    }
    Module1& m1() { return t.program().module1(); }
    void targets(const QList<QPair<QString, QString>>& list)
    {
        int i = 0;
        for (const auto& [name, status] : list) {
            m1().TargetNames[i] = name;
            m1().TargetStatus[i] = status;
            m1().TargetResult[i] = status == QLatin1String("Pass") ? QStringLiteral("Winsock Communication Successfull")
                                                                   : QStringLiteral("No reply to PING");
            ++i;
        }
        m1().TargetCount = static_cast<std::int16_t>(i);
    }
    // Merges this run's failures as "Save Failed Nodes" answered Yes does, and gives the log after it.
    QByteArray merge(const QByteArray* before)
    {
        if (before)
            t.write(QStringLiteral("Logs/FailNodes.Log"), *before);
        t.program().frmNodeStatus().MergeFailedNodes();
        return t.read(QStringLiteral("Logs/FailNodes.Log"));
    }
    QByteArray merge(const QByteArray& before) { return merge(&before); }
    TestProgram t;
};

TEST_F(Logs, RepeatedFailuresComeFirstThenNewOnesThenTheRest)
{
    targets({{"A", "Pass"}, {"B", "Fail"}, {"C", "Fail"}});
    EXPECT_EQ(merge("A:1\r\nB:2\r\n"), "B:3\r\nC:1\r\nA:1\r\n");
    EXPECT_EQ(m1().TargetStatus[1], "ENTERED");
    EXPECT_EQ(m1().TargetStatus[2], "ENTERED");
    EXPECT_EQ(m1().TargetStatus[0], "Pass");
}

TEST_F(Logs, APassedComputerKeepsItsCountAfterTheNewFailures)
{
    targets({{"A", "Pass"}, {"Z", "Fail"}});
    EXPECT_EQ(merge("A:4\r\n"), "Z:1\r\nA:4\r\n");
}

TEST_F(Logs, TheColonLineEndsTheListAndWhatFollowsIsDropped)
{
    targets({{"B", "Fail"}});
    EXPECT_EQ(merge("A:1\r\n:\r\nQ:7\r\nNOCOLON\r\n"), "B:1\r\nA:1\r\n");
}

TEST_F(Logs, ARunWithoutFailuresRewritesTheOldRecords)
{
    targets({{"A", "Pass"}});
    EXPECT_EQ(merge("A:1\r\nB:2\r\n\r\nC:12\r\n"), "A:1\r\nB:2\r\nC:12\r\n") << "an empty line has no name to keep";
}

TEST_F(Logs, CorruptLogsAreReportedAndLeftAsTheyWere)
{
    targets({{"A", "Fail"}});
    for (const QByteArray& bad : {QByteArray("A:1\r\nJUNK\r\n"), QByteArray("A:lots\r\n"), QByteArray("A:\r\n")}) {
        const size_t before = t.dialogs->shown.size();
        EXPECT_EQ(merge(bad), bad);
        ASSERT_EQ(t.dialogs->shown.size(), before + 1);
        EXPECT_EQ(t.dialogs->last()->text, "The FailNodes.log file is Invalid or Corrupt.  Please re-install Corvane");
        EXPECT_EQ(m1().TargetStatus[0], "Fail") << "a failed merge marks nothing";
    }
}

TEST_F(Logs, AMissingLogCountsAsEmpty)
{
    QFile::remove(t.path("Logs/FailNodes.Log"));
    targets({{"PC1", "Fail"}});
    EXPECT_EQ(merge(nullptr), "PC1:1\r\n");
    EXPECT_TRUE(t.dialogs->texts().isEmpty());
}

TEST_F(Logs, AComputerListedTwiceFailsOneDistributionNotTwo)
{
    targets({{"A", "Fail"}, {"B", "Fail"}, {"A", "Fail"}, {"B", "Fail"}});
    EXPECT_EQ(merge("A:2\r\n"), "A:3\r\nB:1\r\n");
}

TEST_F(Logs, EveryRecordOfAFailedComputerIsCountedAndNoCountOverflows)
{
    const QString name = upperName(QStringLiteral("pc\u00ff\u00b5"));
    EXPECT_EQ(name, QStringLiteral("PC\u0178\u00b5")) << "a capital the code page lacks is not taken";
    struct Case {
        QString failed;
        QByteArray before;
        QByteArray after;
    };
    const std::vector<Case> cases = {
        {"A", "A:1\r\nB:3\r\nA:4\r\n", "A:2\r\nA:5\r\nB:3\r\n"},
        {"A", "A:9223372036854775807\r\n", "A:9223372036854775807\r\n"},
        {name, "PC\x9f\xb5:1\r\n", "PC\x9f\xb5:2\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before.toStdString());
        targets({{c.failed, "Fail"}});
        EXPECT_EQ(merge(c.before), c.after);
    }
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Logs, ANameTheLogCannotHoldIsLeftOutSoTheLogStaysReadable)
{
    targets({{"A:B", "Fail"}, {"", "Fail"}, {"C", "Fail"}});
    EXPECT_EQ(merge(QByteArray()), "C:1\r\n");
    targets({{"A:B", "Fail"}, {"C", "Fail"}});
    EXPECT_EQ(merge(nullptr), "C:2\r\n");
}

TEST_F(Logs, NamesMatchWithCaseAndCountsKeepTheirText)
{
    targets({{"PC7", "Fail"}});
    EXPECT_EQ(merge("pc7:3\r\nX:2:old\r\n"), "PC7:1\r\npc7:3\r\nX:2\r\n");
}

TEST_F(Logs, SentLogRecordLayout)
{
    m1().LogType = QStringLiteral("GROUP");
    m1().LogTarget = QStringLiteral("Sales (Group)");
    m1().PassedCount = 3;
    m1().FailedCount = 12;
    m1().CurrentMessage = QStringLiteral("Line one\r\nLine two");
    m1().SendAsIP = QStringLiteral("NO");
    m1().ServiceName = QStringLiteral("NUVOCLIENT");
    // The status window's own load counts again; the record writer is exercised on its own here.
    forms::frmNodeStatus window(t.program());
    window.WriteSentLogRecord();
    const QByteArray date = m1().DateText().toLatin1();
    const QByteArray record = "[LOG_BEGIN]\r\nDate=" + date +
                              "\r\nTime=09:05:07\r\nType=GROUP\r\nTarget=SALES (GROUP)\r\nPass=3\r\nFail=12\r\n"
                              "[Message_Start]\r\nLine one\r\nLine two\r\n[Message_End]\r\nSentViaIP=NO\r\n"
                              "Service=NUVOCLIENT\r\n";
    EXPECT_EQ(t.read(QStringLiteral("Logs/sent.Log")), "\r\n" + record);

    window.WriteSentLogRecord();
    EXPECT_EQ(t.read(QStringLiteral("Logs/sent.Log")), "\r\n" + record) << "one record per window";

    forms::frmNodeStatus next(t.program());
    m1().LogType = QStringLiteral("SINGLE");
    m1().LogTarget = QStringLiteral("pc9");
    next.WriteSentLogRecord();
    const QByteArray log = t.read(QStringLiteral("Logs/sent.Log"));
    EXPECT_TRUE(log.startsWith("\r\n" + record + "\r\n[LOG_BEGIN]\r\n"));
    EXPECT_TRUE(log.contains("Type=SINGLE\r\nTarget=PC9\r\n"));
}

TEST_F(Logs, ARecordThatDoesNotFitOnTheDiskIsTakenBackWhole)
{
    const QByteArray before = "\r\n[LOG_BEGIN]\r\nDate=1\r\n";
    t.write(QStringLiteral("Logs/sent.Log"), before);
    m1().CurrentMessage = QString(500, QLatin1Char('m'));
    forms::frmNodeStatus window(t.program());
    withFileSizeLimit(before.size() + 40, [&] { window.WriteSentLogRecord(); });

    EXPECT_EQ(t.read(QStringLiteral("Logs/sent.Log")), before);
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_TRUE(t.dialogs->last()->text.contains("this distribution is not recorded"));
}

TEST_F(Logs, AnUnwritableSentLogIsReported)
{
    // A folder standing where the log should be cannot take a record.
    ASSERT_TRUE(QDir(t.path("Logs")).mkpath(QStringLiteral("sent.Log")));
    forms::frmNodeStatus window(t.program());
    window.WriteSentLogRecord();
    ASSERT_NE(t.dialogs->last(), nullptr);
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    EXPECT_TRUE(QFileInfo(t.path("Logs/sent.Log")).isDir());

    // A FIFO would hold the window until something read it.
    ASSERT_TRUE(QDir(t.path("Logs")).rmdir(QStringLiteral("sent.Log")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(t.path("Logs/sent.Log")).constData(), 0644), 0);
    forms::frmNodeStatus again(t.program());
    again.WriteSentLogRecord();
    EXPECT_TRUE(t.dialogs->last()->text.contains("(it is not a regular file)"));
}
