// The client message file and the transfer to a Nuvo client, against a real client on loopback.
#include "assistants/frmOptions.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "engine/textfile.h"
#include "engine/transfer.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QByteArray kRequest = "Request#:PACKET";

// A started program whose client port is the fake client's, with the transfer timers shortened.
class Transfer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(peer.listening());
        t.setSetting("STARTUP", "0");
        t.setSetting("PORT", QString::number(peer.port()));
        t.clock->time = QDateTime(QDate(2026, 3, 4), QTime(13, 5, 6));
        t.start();
        m1 = &t.program().module1();
        m1->transfer().PacketTimer->setInterval(400);
        m1->transfer().MessageTimer->setInterval(800);
        t.program().setProgressNode("NODE7");
    }

    // Sends these bytes as the client message file to the peer.
    bool deliverFile(const QByteArray& file)
    {
        t.write("socket.txt", file);
        return t.program().netSend().DeliverMessage(peer.host(), "unused", "SINGLE");
    }

    // The error log's texts, without their date and time.
    QStringList logTexts()
    {
        QStringList texts;
        for (const QString& line : splitTextLines(t.read("errorlog.log"))) {
            if (line.contains("[WINSOCK]"))
                texts << line.mid(line.indexOf("] ") + 2);
        }
        return texts;
    }

    QStringList boxTitles()
    {
        QStringList titles;
        for (const ShownBox& box : t.dialogs->shown)
            titles << box.title;
        return titles;
    }

    FakeNuvo peer;
    TestProgram t;
    Module1* m1 = nullptr;
};

QByteArray fileOf(int size)
{
    QByteArray bytes(size, 'x');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

} // namespace

// --- the client message file ---

TEST_F(Transfer, PlainMessageFileHasSevenKeyLinesThenTheMessage)
{
    t.main().txtMainHeadline->setText("Staff notice");
    t.main().txtWintitle->setText("Corvane Message");
    t.options().txtAlias->setText("ADMIN");
    t.main().optPlain->setChecked(true);
    t.main().chkTimeOut->setChecked(false);
    m1->ShowDate = "YES";
    m1->ShowTime = "YES";
    m1->CurrentMessage = "Line one\r\nLine two";
    m1->WriteClientMessageFile(m1->SocketFile);
    const QByteArray expected =
        "CLI_HEADLINE=Staff notice\r\nCLI_WIN_TITLE=Corvane Message\r\nCLI_DATE=" + m1->DateText().toLatin1() +
        "\r\nCLI_TIME=13:05:06\r\nCLI_FROM=ADMIN\r\n"
        "CLI_TYPE=PLAIN\r\nCLI_TIMEOUT=DISABLED\r\nLine one\r\nLine two\r\n";
    EXPECT_EQ(t.read("socket.txt"), expected);
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Transfer, HtmlMessageFileCarriesThePageAndOneMoreLineEnd)
{
    t.write("page.htm", "<p>one</p>\n<p>two</p>");
    t.main().txtMainHeadline->setText("H");
    t.main().txtWintitle->setText("W");
    t.options().txtAlias->setText("OPS");
    t.main().optHTML->setChecked(true);
    t.main().txtPathtoHTML->setText(t.path("page.htm"));
    t.main().chkTimeOut->setChecked(true);
    m1->TimeOutMinutes = 12;
    m1->ShowDate = "NO";
    m1->ShowTime = "NO";
    m1->WriteClientMessageFile(m1->SocketFile);
    EXPECT_EQ(t.read("socket.txt"), QByteArray("CLI_HEADLINE=H\r\nCLI_WIN_TITLE=W\r\nCLI_DATE=DISABLED\r\n"
                                               "CLI_TIME=DISABLED\r\nCLI_FROM=OPS\r\nCLI_TYPE=HTML\r\n"
                                               "CLI_TIMEOUT=12\r\n<p>one</p>\r\n<p>two</p>\r\n\r\n"));
}

TEST_F(Transfer, MissingHtmlPageCancelsTheSendAndWritesNothing)
{
    t.main().optHTML->setChecked(true);
    t.main().txtPathtoHTML->setText(t.path("gone.htm"));
    m1->SendCancelled = "NO";
    m1->WriteClientMessageFile(m1->SocketFile);
    EXPECT_EQ(m1->SendCancelled, "YES");
    EXPECT_FALSE(QFile::exists(m1->SocketFile));
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_EQ(t.dialogs->last()->text,
              "Cannot Locate the HTML file selected: " + t.path("gone.htm") + ".  Please check the path is correct.");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane - File Access Error");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
}

TEST_F(Transfer, UnwritableMessageFileEndsTheProgram)
{
    m1->CurrentMessage = "x";
    m1->WriteClientMessageFile(t.path("no/such/folder/socket.txt"));
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_EQ(t.dialogs->last()->text, "The socket.txt file is Invalid or Corrupt.  Please delete it and make sure "
                                       "your logged on with Administrator privalages.");
    EXPECT_EQ(t.end->count, 1);
}

TEST_F(Transfer, FileExistsCountsFilesAndWildcardMatchesOnly)
{
    t.write("Groups/LAB.mit", "PC1\r\n");
    t.write("Groups/.hidden.mit", "PC1\r\n");
    EXPECT_TRUE(Module1::FileExists(t.path("Groups/LAB.mit")));
    EXPECT_FALSE(Module1::FileExists(t.path("Groups")));
    EXPECT_FALSE(Module1::FileExists(t.path("Groups/.hidden.mit")));
    EXPECT_FALSE(Module1::FileExists(t.path("Groups/none.mit")));
    EXPECT_FALSE(Module1::FileExists(""));
    EXPECT_TRUE(Module1::FileExists(t.path("Groups/*.MIT")));
    EXPECT_TRUE(Module1::FileExists(t.path("Groups/L?B.mit")));
    EXPECT_FALSE(Module1::FileExists(t.path("Groups/*.xyz")));
    EXPECT_EQ(Module1::FileNameFromPath("C:\\a/b\\socket.txt"), "socket.txt");
    EXPECT_EQ(Module1::FileNameFromPath("socket.txt"), "");
}

// --- the protocol ---

TEST_F(Transfer, GrantedTransferSendsRequestNameSizeAndTheFileInBlocks)
{
    const QByteArray file = fileOf(4096);
    EXPECT_TRUE(deliverFile(file));
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Communication Successfull");
    ASSERT_EQ(t.tcp->sent.size(), 5);
    EXPECT_EQ(t.tcp->sent[0], kRequest);
    EXPECT_EQ(t.tcp->sent[1], "File~~~#:name~#:socket.txt");
    EXPECT_EQ(t.tcp->sent[2], "File~~~#:size~#:4096");
    EXPECT_EQ(t.tcp->sent[3], file.left(2048));
    EXPECT_EQ(t.tcp->sent[4], file.mid(2048));
    ASSERT_EQ(peer.connections(), 1);
    ASSERT_TRUE(waitFor([&] { return peer.sessions()[0].closedByProgram; }));
    const FakeNuvo::Session& s = peer.sessions()[0];
    EXPECT_EQ(s.received, kRequest + "File~~~#:name~#:socket.txtFile~~~#:size~#:4096" + file);
    EXPECT_TRUE(s.complete);
    EXPECT_TRUE(s.closedByProgram);
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_FALSE(m1->transfer().MessageTimer->isActive());
    EXPECT_FALSE(m1->transfer().PacketTimer->isActive());
    // Ended in order, with what is left of the message timer's time as the most it may take.
    ASSERT_EQ(t.tcp->finishes.size(), 1);
    EXPECT_TRUE(t.tcp->finishes[0] > 0 && t.tcp->finishes[0] <= 800) << t.tcp->finishes[0];
}

TEST_F(Transfer, OneByteOverTwoBlocksGoesAsAThirdBlockOfOne)
{
    const QByteArray file = fileOf(4097);
    EXPECT_TRUE(deliverFile(file));
    ASSERT_EQ(t.tcp->sent.size(), 6);
    EXPECT_EQ(t.tcp->sent[3].size(), 2048);
    EXPECT_EQ(t.tcp->sent[4].size(), 2048);
    EXPECT_EQ(t.tcp->sent[5], file.right(1));
    ASSERT_TRUE(waitFor([&] { return peer.sessions()[0].complete; }));
    EXPECT_EQ(peer.sessions()[0].file, file);
}

TEST_F(Transfer, TextFromMailReachesTheClientInTheWesternCodePage)
{
    t.main().txtMainHeadline->setText(QStringLiteral("Caf\u00e9 \u2013 today"));
    m1->CurrentMessage = QStringLiteral("Lunch 5 \u20ac \u201cfree\u201d \u03a9");
    m1->WriteClientMessageFile(m1->SocketFile);
    const QByteArray written = t.read("socket.txt");
    EXPECT_TRUE(written.startsWith("CLI_HEADLINE=Caf\xe9 \x96 today\r\n"));
    EXPECT_TRUE(written.endsWith("\r\nLunch 5 \x80 \x93"
                                 "free\x94 ?\r\n"))
        << "what the code page lacks is a ?";
    EXPECT_EQ(splitTextLines(written).last(), QStringLiteral("Lunch 5 \u20ac \u201cfree\u201d ?"));
    EXPECT_TRUE(t.program().netSend().DeliverMessage("127.0.0.1", m1->CurrentMessage, "SINGLE"));
    ASSERT_TRUE(waitFor([&] { return peer.sessions()[0].complete; }));
    EXPECT_EQ(peer.sessions()[0].file, written);
}

TEST_F(Transfer, RealMessageFileArrivesWholeAtTheClient)
{
    t.main().txtMainHeadline->setText("Fire drill");
    m1->CurrentMessage = "Leave by the east stairs.";
    m1->WriteClientMessageFile(m1->SocketFile);
    const QByteArray written = t.read("socket.txt");
    EXPECT_TRUE(t.program().netSend().DeliverMessage("127.0.0.1", m1->CurrentMessage, "SINGLE"));
    ASSERT_TRUE(waitFor([&] { return peer.sessions()[0].complete; }));
    EXPECT_EQ(peer.sessions()[0].name, "socket.txt");
    EXPECT_EQ(peer.sessions()[0].size, written.size());
    EXPECT_EQ(peer.sessions()[0].file, written);
}

TEST_F(Transfer, ALargePageReachesEveryClientThatStaysByteForByteHoweverItAnswers)
{
    m1->transfer().MessageTimer->setInterval(25000);
    QByteArray page;
    for (int i = 0; page.size() < 1200000; ++i)
        page += "<p>Step " + QByteArray::number(i) + " of the evacuation plan.</p>\n";
    t.write("plan.htm", page);
    t.main().optHTML->setChecked(true);
    t.main().txtPathtoHTML->setText(t.path("plan.htm"));
    // Clients that answer every block as they read it: a little at a time, so that each answer
    // comes on its own, or much at a time, so that a few hundred come in one arrival.
    FakeNuvo dribbling(QStringLiteral("127.0.0.2"), peer.port());
    FakeNuvo bunching(QStringLiteral("127.0.0.3"), peer.port());
    FakeNuvo resetting(QStringLiteral("127.0.0.4"), peer.port());
    dribbling.setScript(FakeNuvo::answersEveryBlock(4096));
    bunching.setScript(FakeNuvo::answersEveryBlock(512 * 1024));
    FakeNuvo::Script resets;
    resets.closeAfterFileBytes = 300000;
    resets.reset = true;
    resetting.setScript(resets);
    t.write("Groups/PLAN.mit", "127.0.0.1\r\n127.0.0.2\r\n127.0.0.3\r\n127.0.0.4\r\n");
    m1->SelectedGroupFile = "PLAN.mit";
    m1->SendDistribution("1");

    EXPECT_EQ(std::vector<QString>(m1->TargetStatus.begin(), m1->TargetStatus.begin() + 4),
              (std::vector<QString>{"Pass", "Pass", "Pass", "Fail"}));
    EXPECT_EQ(m1->TargetResult[3], "Winsock Failed to Connect to Client");
    EXPECT_TRUE(logTexts().contains("[WINSOCK] File transfer failed. Lost peer connection: 127.0.0.4"));
    const QList<const FakeNuvo*> stayed = {&peer, &dribbling, &bunching};
    ASSERT_TRUE(waitFor([&] {
        return std::all_of(stayed.begin(), stayed.end(), [](const FakeNuvo* c) {
            return c->sessions().value(0).complete && c->sessions().value(0).closedByProgram;
        });
    }));
    const QByteArray body = QByteArray(page).replace("\n", "\r\n") + "\r\n";
    for (const FakeNuvo* client : stayed) {
        const FakeNuvo::Session& s = client->sessions().value(0);
        EXPECT_TRUE(s.file.size() == s.size && s.file.endsWith(body)) << client->host().toStdString();
    }
    EXPECT_LT(resetting.sessions().value(0).file.size(), body.size());
}

// A page of about 500 KB, as an HTML message makes it.
QByteArray pageOf500Kb()
{
    QByteArray page;
    for (int i = 0; page.size() < 500 * 1024; ++i)
        page += "<p>Line " + QByteArray::number(i) + " of the notice.</p>\r\n";
    return page;
}

// A node passes once the client's system has taken the whole file, not once this computer's has.
TEST_F(Transfer, SlowReadersPassOnlyOnceTheirSystemHasTakenEveryByte)
{
    m1->transfer().MessageTimer->setInterval(25000);
    const QByteArray page = pageOf500Kb();
    t.write("socket.txt", page);
    for (int i = 0; i < 3; ++i) {
        FakeNuvo slow(QStringLiteral("127.0.0.%1").arg(2 + i), peer.port(), 4096);
        ASSERT_TRUE(slow.listening());
        slow.setScript(FakeNuvo::slowReader(2048));
        const int before = static_cast<int>(t.tcp->sent.size());
        EXPECT_TRUE(t.program().netSend().DeliverMessage(slow.host(), "unused", "SINGLE")) << i;
        qint64 sent = 0;
        for (int k = before; k < t.tcp->sent.size(); ++k)
            sent += t.tcp->sent[k].size();
        EXPECT_EQ(slow.taken(0), sent) << "at Pass the client's system holds every byte: " << i;
        ASSERT_TRUE(waitFor([&] { return slow.sessions()[0].complete; }));
        EXPECT_TRUE(slow.sessions()[0].file == page) << i;
    }
}

TEST_F(Transfer, AClientTooSlowForTheLimitFailsItsNodeAndTheNextPasses)
{
    m1->transfer().MessageTimer->setInterval(1500);
    t.write("page.htm", pageOf500Kb());
    t.main().optHTML->setChecked(true);
    t.main().txtPathtoHTML->setText(t.path("page.htm"));
    FakeNuvo slow(QStringLiteral("127.0.0.2"), peer.port(), 4096);
    slow.setScript(FakeNuvo::slowReader(64)); // about 32 KB a second: 16 s for the page
    t.write("Groups/TWO.mit", "127.0.0.2\r\n127.0.0.1\r\n");
    m1->SelectedGroupFile = "TWO.mit";
    m1->SendDistribution("1");
    EXPECT_EQ(m1->TargetStatus[0], "Fail");
    EXPECT_EQ(m1->TargetResult[0], "Winsock Failed to Connect to Client");
    EXPECT_TRUE(logTexts().contains("[WINSOCK] File transfer failed. Lost peer connection: 127.0.0.2"));
    EXPECT_EQ(m1->TargetStatus[1], "Pass");
    EXPECT_TRUE(waitFor([&] { return peer.sessions().value(0).complete; }));
}

TEST_F(Transfer, RefusedRequestShowsPacketDiniedAndFails)
{
    peer.setScript(FakeNuvo::refuse());
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Failed to Connect to Client");
    EXPECT_EQ(boxTitles(), QStringList{"Packet Dinied"});
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Critical);
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_EQ(t.tcp->sent, QList<QByteArray>{kRequest});
}

TEST_F(Transfer, SilentClientTimesOutThroughThePacketTimer)
{
    peer.setScript(FakeNuvo::silent());
    // (The processor time of this wait, bench_delivery measures.)
    QElapsedTimer stopwatch;
    stopwatch.start();
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_GE(stopwatch.elapsed(), 380);
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Failed to Connect to Client");
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] Winsock Communication Error [PacketTimer]: NODE7"});
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Transfer, NoAnswerToTheOfferEndsThroughTheMessageTimerAsALostConnection)
{
    peer.setScript(FakeNuvo::noOfferReply());
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(logTexts(), (QStringList{"[WINSOCK] Winsock Communication Error [Message Timer]: NODE7",
                                       "[WINSOCK] File transfer failed. Lost peer connection: NODE7"}));
    EXPECT_EQ(m1->PendState, 1);
    EXPECT_FALSE(m1->PeerKicked);
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Transfer, PendTwoKeepsTheTransferWaitingUntilTheMessageTimer)
{
    FakeNuvo::Script s;
    s.offerReply = QByteArray("Received:PEND~#:2");
    peer.setScript(s);
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(logTexts().size(), 2);
    EXPECT_EQ(t.tcp->sent.size(), 3); // no block went out
}

TEST_F(Transfer, DeniedFileShowsFileTransferErrorAndTheDeliveryClosesTheSocket)
{
    peer.setScript(FakeNuvo::denyFile());
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Failed to Connect to Client");
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_EQ(t.dialogs->last()->text, "File transfer was denied by the server.");
    EXPECT_EQ(t.dialogs->last()->title, "File Transfer Error");
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_EQ(t.tcp->State(), ITcpClient::Closed);
    EXPECT_TRUE(waitFor([&] { return peer.sessions()[0].closedByProgram; }));
}

TEST_F(Transfer, KickedClientThatClosesGivesTheKickedOffLine)
{
    FakeNuvo::Script s;
    s.closeAfterFileBytes = 1;
    s.beforeClose = "Received:kickH#";
    peer.setScript(s);
    EXPECT_FALSE(deliverFile(fileOf(200000)));
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] File transfer failed. You was kicked off the server: NODE7"});
    EXPECT_FALSE(m1->PeerKicked);
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Transfer, ClientClosingMidFileGivesTheLostConnectionLine)
{
    FakeNuvo::Script s;
    s.closeAfterFileBytes = 1000;
    peer.setScript(s);
    EXPECT_FALSE(deliverFile(fileOf(200000)));
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] File transfer failed. Lost peer connection: NODE7"});
}

TEST_F(Transfer, ClientClosingRightAfterTheGrantFailsWithoutWaitingForTheTimers)
{
    FakeNuvo::Script s;
    s.closeAfterRequestReply = true;
    peer.setScript(s);
    EXPECT_FALSE(deliverFile("abc"));
    // No timer's line: the closed connection ended the wait. (How soon, bench_delivery measures.)
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] File transfer failed. Lost peer connection: NODE7"});
}

TEST_F(Transfer, DeniedDuringTheRequestShowsUnableToConnectThenThePacketTimerEndsIt)
{
    peer.setScript(FakeNuvo::denied());
    EXPECT_FALSE(deliverFile("abc"));
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_EQ(t.dialogs->last()->text, "The server denied access to connect.");
    EXPECT_EQ(t.dialogs->last()->title, "Unable to connect");
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] Winsock Communication Error [PacketTimer]: NODE7"});
}

TEST_F(Transfer, RepliesMatchWithoutRegardToCaseAndOthersAreIgnored)
{
    peer.setScripts({FakeNuvo::reply("received:packet:0"), FakeNuvo::reply("Xeceived:PACKET:1"),
                     FakeNuvo::reply("Received:ACCEPT:1"), FakeNuvo::reply("ok Received:PACKET:1")});
    EXPECT_TRUE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc")) << "text before a later Received makes the whole reply no reply";
    EXPECT_TRUE(t.dialogs->shown.empty());
}

// A client may write a reply in pieces, with pauses between them; what it leaves cut short when it
// closes is no reply, but a whole number counts. Nothing of it ends the program.
TEST_F(Transfer, SplitRepliesAreJoinedBeforeTheyAreRead)
{
    m1->transfer().PacketTimer->setInterval(3000);
    m1->transfer().MessageTimer->setInterval(6000);
    const auto split = [](FakeNuvo::Script s, int at, int pauseMs) {
        s.splitAt = at;
        s.splitPauseMs = pauseMs;
        return s;
    };
    FakeNuvo::Script offersTwentyFive;
    offersTwentyFive.offerReply = QByteArray("Received:PEND~#:25");
    FakeNuvo::Script noValue = FakeNuvo::reply("Received:PACKET:");
    noValue.closeAfterRequestReply = true;
    FakeNuvo::Script deniesAndGoes = FakeNuvo::denyFile();
    deniesAndGoes.closeAfterOfferReply = true;
    const struct {
        const char* what;
        FakeNuvo::Script script; // every reply it sends is cut so
        bool delivered;
        QStringList boxes = {};
        QStringList logged = {};
    } cases[] = {
        {"Rece + ived:PACKET:0, a second apart", split(FakeNuvo::reply("Received:PACKET:0"), 4, 1000), true},
        {"Received:PA + CKET:0, a second apart", split(FakeNuvo::reply("Received:PACKET:0"), 11, 1000), true},
        {"Received:PACKET: + 0, a second apart", split(FakeNuvo::reply("Received:PACKET:0"), 16, 1000), true},
        // "Received:PEND~#:2" alone would keep the transfer waiting.
        {"Received:PEND~#:2 + 5", split(offersTwentyFive, 17, 30), true},
        {"Received:PACKET:- + 1", split(FakeNuvo::refuse(), 17, 30), false, {"Packet Dinied"}},
        {"Received:PACKET:, then the close",
         noValue,
         false,
         {},
         {"[WINSOCK] File transfer failed. Lost peer connection: NODE7"}},
        {"Received:PEND~#:0, then the close", deniesAndGoes, false, {"File Transfer Error"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        peer.setScript(c.script);
        QFile::remove(t.path("errorlog.log"));
        t.dialogs->shown.clear();
        EXPECT_EQ(deliverFile("abc"), c.delivered);
        if (c.delivered) {
            EXPECT_EQ(peer.sessions().last().file, "abc");
        }
        EXPECT_EQ(boxTitles(), c.boxes);
        EXPECT_EQ(logTexts(), c.logged);
    }
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(Transfer, APartOfAReplyLeftAtTheEndOfAConnectionIsNotReadAgainstTheNext)
{
    FakeNuvo::Script leavesAPart;
    leavesAPart.offerReply = QByteArray("Received:PEND~#:1Rece");
    FakeNuvo::Script endsIt = FakeNuvo::reply("ived:PACKET:-1");
    peer.setScripts({leavesAPart, endsIt});
    EXPECT_TRUE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc"));
    // Read on its own, the second client's text is no reply: no refusal, only the time-out.
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] Winsock Communication Error [PacketTimer]: NODE7"});
}

TEST_F(Transfer, JoinedRepliesAreEachReadOnceAndAKickBelongsToItsNodeAlone)
{
    FakeNuvo::Script kickedThenGranted = FakeNuvo::reply("Received:kickH#Received:PACKET:1");
    FakeNuvo::Script kickedThenGone = kickedThenGranted;
    kickedThenGone.closeAfterFileBytes = 1;
    FakeNuvo::Script gone;
    gone.closeAfterFileBytes = 1;
    FakeNuvo::Script twoRefusals = FakeNuvo::reply("Received:PACKET:-1Received:PACKET:-1");
    peer.setScripts({kickedThenGone, kickedThenGranted, gone, twoRefusals});
    EXPECT_FALSE(deliverFile(fileOf(200000)));
    EXPECT_TRUE(deliverFile("abc"));
    EXPECT_FALSE(m1->PeerKicked);
    EXPECT_FALSE(deliverFile(fileOf(200000)));
    EXPECT_EQ(logTexts(), (QStringList{"[WINSOCK] File transfer failed. You was kicked off the server: NODE7",
                                       "[WINSOCK] File transfer failed. Lost peer connection: NODE7"}));
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(boxTitles(), (QStringList{"Packet Dinied", "Packet Dinied"}));
}

TEST_F(Transfer, AClientThatClosesOrResetsBeforeAnsweringFailsAtOnce)
{
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "closed");
        FakeNuvo::Script s = FakeNuvo::silent();
        s.closeAfterRequestReply = true;
        s.reset = reset;
        peer.setScript(s);
        QFile::remove(t.path("errorlog.log"));
        EXPECT_FALSE(deliverFile("abc"));
        // Not the request time-out: the lost connection ended the wait.
        EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] File transfer failed. Lost peer connection: NODE7"});
    }
}

TEST_F(Transfer, UnattendedRunsLogTheClientsRefusalsInsteadOfWaitingOnABox)
{
    struct Case {
        FakeNuvo::Script script;
        QString logged;
    };
    const std::vector<Case> cases = {
        {FakeNuvo::refuse(), "[WINSOCK] Packet Dinied (The packet size your requesting has been denied by the "
                             "server. The packet size is now set to optimum size. When ready please click on 'Start "
                             "Transfer' once again.): NODE7"},
        {FakeNuvo::denyFile(), "[WINSOCK] File Transfer Error (File transfer was denied by the server.): NODE7"},
        {FakeNuvo::denied(), "[WINSOCK] Unable to connect (The server denied access to connect.): NODE7"},
        {FakeNuvo::reply("Received:PACKET:abc"),
         "[WINSOCK] Corvane - Winsock Error (Corvane Encountered Errors With Incomming Winsock Data.): NODE7"},
    };
    m1->CmdLineMode = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged.toStdString());
        peer.setScript(c.script);
        QFile::remove(t.path("errorlog.log"));
        EXPECT_FALSE(deliverFile("abc"));
        EXPECT_EQ(logTexts().value(0), c.logged);
    }
    EXPECT_TRUE(t.dialogs->shown.empty());
    EXPECT_EQ(t.end->count, 0);
}

TEST_F(Transfer, UnparsableReplyShowsTheWinsockErrorLogsAndEndsTheProgram)
{
    // No value, and none can follow once the next reply has begun.
    peer.setScript(FakeNuvo::reply("Received:PACKET:Received:accept"));
    EXPECT_FALSE(deliverFile("abc"));
    ASSERT_GE(t.dialogs->shown.size(), 1u);
    const ShownBox& box = t.dialogs->shown.front();
    EXPECT_EQ(box.title, "Corvane - Winsock Error");
    EXPECT_EQ(box.icon, MsgIcon::Critical);
    EXPECT_TRUE(box.text.startsWith("Corvane Encountered Errors With Incomming Winsock Data.  If this message occurs "
                                    "again then please enable Error Logging to track down the problem (See help "
                                    "file INI section)."));
    EXPECT_TRUE(box.text.endsWith("Corvane Server will now close."));
    EXPECT_EQ(logTexts().value(0), "[WINSOCK] DataArrival Error: Received:PACKET:");
    EXPECT_EQ(t.end->count, 1);
}

TEST_F(Transfer, OutOfRangeAndNonNumericValuesAreUnparsable)
{
    peer.setScripts({FakeNuvo::reply("Received:PACKET:40000"), FakeNuvo::reply("Received:PACKET:abc")});
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc"));
    FakeNuvo::Script badPend;
    badPend.offerReply = QByteArray("Received:PEND~#:256");
    peer.setScript(badPend);
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_EQ(t.end->count, 3);
}

TEST_F(Transfer, AFloodIsNotReadBeyondTheLimitAndTheRequestTimesOut)
{
    // Well-formed replies count too: the grant at the end of a run of kicks is never read.
    for (const QByteArray& flood : {QByteArray(300000, 'R') + "Rec", "Received:PACKET:" + QByteArray(1 << 20, ' '),
                                    QByteArray("Received:kickH#").repeated(1000) + "Received:PACKET:1"}) {
        SCOPED_TRACE(flood.left(20).toStdString());
        FakeNuvo::Script s = FakeNuvo::silent();
        s.onConnect = flood;
        peer.setScript(s);
        QFile::remove(t.path("errorlog.log"));
        EXPECT_FALSE(deliverFile("abc"));
        EXPECT_EQ(logTexts(), QStringList{"[WINSOCK] Winsock Communication Error [PacketTimer]: NODE7"});
        EXPECT_TRUE(peer.sessions().last().closedByProgram);
    }
    EXPECT_EQ(t.end->count, 0);
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Transfer, ConnectionRefusedFailsTheNode)
{
    // An address of the loopback range that no test listens on: the port is closed there.
    t.write("socket.txt", "abc");
    EXPECT_FALSE(t.program().netSend().DeliverMessage("127.0.0.254", "unused", "SINGLE"));
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Failed to Connect to Client");
    EXPECT_TRUE(t.tcp->sent.isEmpty());
}

TEST_F(Transfer, EveryNodeOfARunGetsItsOwnConnection)
{
    FakeNuvo second(QStringLiteral("127.0.0.2"), peer.port());
    ASSERT_TRUE(second.listening());
    second.setScript(FakeNuvo::refuse());
    m1->CurrentMessage = "hello";
    m1->WriteClientMessageFile(m1->SocketFile);
    EXPECT_TRUE(t.program().netSend().DeliverMessage("127.0.0.1", "hello", "SINGLE"));
    EXPECT_FALSE(t.program().netSend().DeliverMessage("127.0.0.2", "hello", "SINGLE"));
    EXPECT_TRUE(t.program().netSend().DeliverMessage("127.0.0.1", "hello", "SINGLE"));
    EXPECT_EQ(peer.connections(), 2);
    EXPECT_EQ(second.connections(), 1);
}

TEST_F(Transfer, SendAsIpConnectsToTheResolvedAddress)
{
    m1->SendAsIP = "YES";
    t.write("socket.txt", "abc");
    EXPECT_TRUE(t.program().netSend().DeliverMessage("localhost", "x", "SINGLE"));
    EXPECT_EQ(t.tcp->connectedTo, QStringList{"127.0.0.1:" + QString::number(peer.port())});
    m1->SendAsIP = "NO";
    t.tcp->connectedTo.clear();
    EXPECT_TRUE(t.program().netSend().DeliverMessage("127.0.0.1", "x", "SINGLE"));
    EXPECT_EQ(t.tcp->connectedTo, QStringList{"127.0.0.1:" + QString::number(peer.port())});
}

TEST_F(Transfer, ADeliveryStartedWhileAnotherWaitsFailsAtOnceAndLeavesTheFirstIntact)
{
    FakeNuvo::Script slow;
    slow.replyDelayMs = 150;
    peer.setScript(slow);
    bool inner = true;
    QString innerStatus;
    QTimer::singleShot(50, [&] {
        inner = t.program().netSend().DeliverMessage("127.0.0.1", "x", "SINGLE");
        innerStatus = m1->DeliveryStatus;
    });
    EXPECT_TRUE(deliverFile("abc"));
    EXPECT_FALSE(inner);
    EXPECT_EQ(innerStatus, "Winsock Failed to Connect to Client");
    EXPECT_EQ(m1->DeliveryStatus, "Winsock Communication Successfull");
    EXPECT_EQ(peer.connections(), 1);
}

TEST_F(Transfer, WithoutErrorLoggingFailuresWriteNoLine)
{
    m1->BootLog = "NO";
    peer.setScripts({FakeNuvo::silent(), FakeNuvo::noOfferReply()});
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_FALSE(deliverFile("abc"));
    EXPECT_TRUE(logTexts().isEmpty());
}
