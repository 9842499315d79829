// The distribution-logs tab and the message-detail window on the real main window, from real logs.
#include "console/frmMsg.h"
#include "console/frmNodeStatus.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QHeaderView>
#include <QScreen>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray record(const char* type, const char* target, const QByteArray& pass, const QByteArray& fail,
                  const QByteArray& message = "Hello")
{
    return "\r\n[LOG_BEGIN]\r\nDate=14/03/2026\r\nTime=09:05:07\r\nType=" + QByteArray(type) + "\r\nTarget=" + target +
           "\r\nPass=" + pass + "\r\nFail=" + fail + "\r\n[Message_Start]\r\n" + message +
           "\r\n[Message_End]\r\nSentViaIP=NO\r\nService=NUVOCLIENT\r\n";
}

} // namespace

class LogsTab : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
        t.start();
    }
    forms::mainform& m() { return t.main(); }
    // Shows the logs tab afresh, as the operator's switch to it does.
    void showLogs()
    {
        m().SSTab1->setCurrentIndex(0);
        m().SSTab1->setCurrentIndex(3);
    }
    QStringList column(QTreeWidget* list, int c)
    {
        QStringList texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(c);
        return texts;
    }
    void doubleClick(int line)
    {
        QTreeWidgetItem* item = m().ListView5->topLevelItem(line);
        m().ListView5->setCurrentItem(item);
        emit m().ListView5->itemDoubleClicked(item, 0);
    }
    TestProgram t;
};

TEST_F(LogsTab, SentLogNewestFirstWithIconsTotalsAndDetail)
{
    t.write("Logs/sent.Log", record("GROUP", "SALES (GROUP)", "3", "2") + record("SINGLE", "PC07", "1", "0") +
                                 record("DOMAIN", "WORK (DOMAIN)", "0", "1", "Line one\r\nLine two"));
    showLogs();
    ASSERT_TRUE(m().ListView5->isEnabled());
    EXPECT_EQ(column(m().ListView5, 0), QStringList({"DOMAIN", "SINGLE", "GROUP"}));
    EXPECT_EQ(column(m().ListView5, 6), QStringList({"1", "1", "5"}));
    for (int line = 0; line < 3; ++line) {
        EXPECT_EQ(m().ListView5->topLevelItem(line)->data(0, Qt::UserRole).toInt(), 4 - line);
        EXPECT_FALSE(m().ListView5->topLevelItem(line)->icon(0).pixmap(16).isNull());
    }

    doubleClick(0);
    forms::frmMsg& detail = t.program().frmMsg();
    EXPECT_TRUE(detail.isVisible());
    EXPECT_EQ(detail.lblType->text(), "Domain");
    EXPECT_EQ(detail.txtMsg->text(), "Line one\r\nLine two\r\n");
    EXPECT_EQ(detail.lblMessMode->text(), "NUVOCLIENT");
    doubleClick(2);
    EXPECT_EQ(&t.program().frmMsg(), &detail) << "a second double-click refills the open window";
    EXPECT_EQ(detail.lblType->text(), "Group");
    EXPECT_EQ(detail.lblTo->text(), "SALES (GROUP)");
    EXPECT_EQ(detail.lblTotal->text(), "5");
    detail.butMsgClose->click();
    EXPECT_FALSE(t.program().frmMsgLoaded());
}

TEST_F(LogsTab, DamagedAndOverlongSentLogsShowWhatTheyCan)
{
    t.write("Logs/sent.Log", QByteArray());
    showLogs();
    EXPECT_FALSE(m().ListView5->isEnabled());
    EXPECT_EQ(m().ListView5->topLevelItemCount(), 0);

    const QByteArray torn = record("GROUP", "CUT", "1", "1").left(60);
    t.write("Logs/sent.Log", record("SINGLE", "A", "1", "0") + record("SINGLE", "NAN", "x", "0") +
                                 record("SINGLE", "B", "2", "") + record("SINGLE", "C", "0", "1") + torn);
    showLogs();
    EXPECT_EQ(column(m().ListView5, 3), QStringList({"C", "A"}));

    // Over 1 MB: the log is read in blocks of 1 MB, and one record's last CR LF is cut by a block's end.
    QByteArray many;
    qsizetype lastEnd = 0;
    for (int i = 0; i < 8000; ++i) {
        many += record("SINGLE", QByteArray::number(i).constData(), "1", "0");
        if (many.size() <= (1 << 20) + 1)
            lastEnd = many.size();
    }
    many.insert(many.indexOf("Hello"), QByteArray((1 << 20) + 1 - lastEnd, 'x'));
    t.write("Logs/sent.Log", many);
    showLogs();
    QStringList newest;
    for (int i = 7999; i >= 6000; --i)
        newest << QString::number(i);
    EXPECT_EQ(column(m().ListView5, 3), newest);
}

TEST_F(LogsTab, ADamagedRecordHidesOnlyItself)
{
    const QByteArray held =
        "[Message_End]\r\nx\r\n[Message_End]\r\nSentViaIP=NO\r\n[LOG_BEGIN]\r\nTime=2\r\n[Message_End]";
    const QByteArray a = record("SINGLE", "A", "1", "0", held);
    const QByteArray b = record("SINGLE", "B", "1", "0", "Hello world");
    const QByteArray c = record("GROUP", "C", "2", "1", "Line one\r\nLine two").mid(2);
    // What lies between two intact records: nothing (not even the empty line), a record cut short
    // in its header, in its message or after it, a run of NULs, a beginning without a date.
    const QByteArray damage[] = {"",
                                 b.left(40) + "\r\n",
                                 b.left(b.indexOf("world")) + "\r\n",
                                 b.left(b.indexOf("Service=")) + "\r\n",
                                 QByteArray(300, '\0') + "\r\n",
                                 "\r\n[LOG_BEGIN]\r\n[LOG_BEGIN]\r\nTime=1\r\n\r\n"};
    for (const QByteArray& between : damage) {
        t.write("Logs/sent.Log", a + between + c);
        showLogs();
        EXPECT_EQ(column(m().ListView5, 3), QStringList({"C", "A"})) << between.toStdString();
        ASSERT_EQ(m().SentLog.size(), 2u);
        EXPECT_EQ(m().SentLog[0].message, held + "\r\n");
        EXPECT_EQ(m().SentLog[1].message, "Line one\r\nLine two\r\n");
    }
}

TEST_F(LogsTab, RecordsTheProgramWroteReadBackWhateverCameBetween)
{
    forms::frmNodeStatus* writer = nullptr;
    const auto distribute = [&](const char* target, const QString& message) {
        t.program().module1().LogType = QStringLiteral("SINGLE");
        t.program().module1().LogTarget = QString::fromLatin1(target);
        t.program().module1().CurrentMessage = message;
        delete writer;
        writer = new forms::frmNodeStatus(t.program()); // one record per status window
        writer->WriteSentLogRecord();
    };
    const QStringList messages = {QStringLiteral("Quoting the log:\r\n[Message_End]\r\nSentViaIP=NO\r\nas it reads"),
                                  QStringLiteral("[Message_End]"), QStringLiteral("[LOG_BEGIN]\r\nback at 5")};
    distribute("pc1", messages[0]);
    const QByteArray whole = t.read("Logs/sent.Log");
    distribute("pc2", messages[1]);
    // A write cut short by a crash, and the NULs a crash can leave where a record was going.
    t.write("Logs/sent.Log", t.read("Logs/sent.Log") + whole.left(whole.size() / 2) + QByteArray(200, '\0'));
    distribute("pc3", messages[2]);
    delete writer;

    showLogs();
    EXPECT_EQ(column(m().ListView5, 3), QStringList({"PC3", "PC2", "PC1"}));
    for (int line = 0; line < 3; ++line) {
        doubleClick(line);
        EXPECT_EQ(t.program().frmMsg().txtMsg->text(), messages[2 - line] + "\r\n");
    }
}

TEST_F(LogsTab, ALogThatCannotBeReadIsNamedAndAMissingOneIsNot)
{
    showLogs();
    EXPECT_TRUE(t.dialogs->shown.empty()) << "neither log exists yet";

    // A folder in a log's place: a file that is there but cannot be read, even by root.
    for (const char* log : {"Logs/sent.Log", "Logs/FailNodes.Log"})
        ASSERT_TRUE(QDir().mkpath(t.path(log)));
    showLogs();
    EXPECT_EQ(t.dialogs->texts(),
              QStringList({"The sent log " + t.path("Logs/sent.Log") +
                               " could not be read (Is a directory).  The distributions it holds are not listed.",
                           "The failed-nodes log " + t.path("Logs/FailNodes.Log") +
                               " could not be read (Is a directory).  The nodes it holds are not listed."}));
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");

    // A FIFO in a log's place would hold the tab until something wrote to it.
    t.dialogs->shown.clear();
    for (const char* log : {"Logs/sent.Log", "Logs/FailNodes.Log"}) {
        ASSERT_TRUE(QDir().rmdir(t.path(log)));
        ASSERT_EQ(::mkfifo(QFile::encodeName(t.path(log)).constData(), 0644), 0);
    }
    showLogs();
    ASSERT_EQ(t.dialogs->shown.size(), 2u);
    EXPECT_TRUE(t.dialogs->last()->text.contains("(it is not a regular file)"));
}

TEST_F(LogsTab, ColumnsFitTheirContentsAndTheMessageShows)
{
    QByteArray sent;
    QByteArray failed;
    for (int i = 0; i < 2000; ++i) {
        sent += record("GROUP", "LAB-PC-" + QByteArray::number(i) + " (GROUP)", QByteArray::number(i), "12");
        failed += "127.0.57." + QByteArray::number(i % 256) + ':' + QByteArray::number(1 + i % 9) + "\r\n";
    }
    t.write("Logs/sent.Log", sent);
    t.write("Logs/FailNodes.Log", failed);
    // The window opens as wide as the logs' columns ask, where the screen is wide enough.
    const int wanted = m().sizeHint().width();
    m().show();
    EXPECT_EQ(m().width(), std::min(wanted, m().screen()->availableSize().width() * 9 / 10));
    m().resize(wanted, m().height());
    showLogs();
    for (QTreeWidget* list : {m().ListView5, m().ListView4}) {
        const int fitted = list == m().ListView5 ? 7 : 2;
        for (int c = 0; c < fitted; ++c) {
            int widest = list->header()->sectionSizeHint(c);
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                widest = std::max(widest, list->sizeHintForIndex(list->model()->index(row, c)).width());
            EXPECT_GE(list->columnWidth(c), widest) << list->objectName().toStdString() << " column " << c;
        }
    }
    EXPECT_LE(m().ListView4->header()->length(), m().ListView4->viewport()->width()) << "both columns in view";
    EXPECT_GE(m().ListView5->viewport()->width() - m().ListView5->header()->sectionViewportPosition(7), 150)
        << "the message shows";
}

TEST_F(LogsTab, FailedNodesByCountUpToTheColonLine)
{
    const struct {
        QByteArray log;
        QStringList nodes;
        QStringList counts;
    } cases[] = {
        {"A:2\r\nB:5\r\nC:2\r\nD:5\r\n:\r\nE:9\r\n", {"B", "D", "A", "C"}, {"5", "5", "2", "2"}},
        {"A:2\r\nNOCOLON\r\nX:lots\r\n\r\nB:3:old\r\nZ:0\r\n", {"B", "A"}, {"3", "2"}},
        {"A:0\r\nB:0\r\n", {}, {}},
        {":\r\nA:4\r\n", {}, {}},
    };
    for (const auto& c : cases) {
        t.write("Logs/FailNodes.Log", c.log);
        showLogs();
        EXPECT_EQ(column(m().ListView4, 0), c.nodes) << c.log.toStdString();
        EXPECT_EQ(column(m().ListView4, 1), c.counts) << c.log.toStdString();
        EXPECT_EQ(m().ListView4->isEnabled(), !c.nodes.isEmpty());
    }
}

TEST_F(LogsTab, ClearLogAsksFirst)
{
    t.write("Logs/FailNodes.Log", "A:2\r\n");
    showLogs();
    for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        t.dialogs->answer(answer);
        m().rptButClearLog->click();
        EXPECT_EQ(t.dialogs->last()->text, "Are you sure you want to erase the Failed Nodes log file?");
        EXPECT_EQ(t.dialogs->last()->title, "Corvane: Question");
        const bool kept = answer == MsgAnswer::No;
        EXPECT_EQ(t.read("Logs/FailNodes.Log"), kept ? "A:2\r\n" : "");
        EXPECT_EQ(m().ListView4->topLevelItemCount(), kept ? 1 : 0);
    }
}
