// The distribution-logs tab and the message-detail window on the real main window, from real logs.
#include "console/frmMsg.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <gtest/gtest.h>

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
