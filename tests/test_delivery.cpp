// Delivery of one message to one target: echo, names, the Messenger road and its result texts.
#include "assistants/frmOptions.h"
#include "console/program.h"
#include "engine/module.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "platform/messenger.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace corvane;
using namespace corvane::test;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QByteArray utf16z(const QString& text)
{
    return NetSend::MessageBuffer(text);
}

// A started program in Messenger mode, with the echo and the names scripted.
class Delivery : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto p = std::make_unique<FakePinger>();
        pinger = p.get();
        t.pending.pinger = std::move(p);
        auto r = std::make_unique<FakeResolver>();
        resolver = r.get();
        r->names.insert("PC1", "10.1.2.3");
        r->systemFallback = false;
        t.pending.resolver = std::move(r);
        t.setSetting("STARTUP", "0");
        t.start();
        m1 = &t.program().module1();
        m1->ClientMode = 0;
        t.options().txtAlias->setText("HELPDESK");
    }
    bool deliver(const QString& target, const QString& message, const QString& mode = "SINGLE")
    {
        return t.program().netSend().DeliverMessage(target, message, mode);
    }

    TestProgram t;
    FakePinger* pinger = nullptr;
    FakeResolver* resolver = nullptr;
    Module1* m1 = nullptr;
};

} // namespace

TEST_F(Delivery, MessengerSendsTheBuffersWithLengthTwiceTheTextPlusOne)
{
    EXPECT_TRUE(deliver("PC1", "Hi all"));
    EXPECT_EQ(m1->DeliveryStatus, "The message was successfully sent");
    EXPECT_EQ(m1->AliasName, "HELPDESK");
    ASSERT_EQ(t.messenger->calls.size(), 1);
    const RecordingMessenger::Call& call = t.messenger->calls[0];
    EXPECT_EQ(call.recipient, utf16z("PC1"));
    EXPECT_EQ(call.fromName, utf16z("HELPDESK"));
    EXPECT_EQ(call.buffer, QByteArray("H\0i\0 \0a\0l\0l\0\0\0", 14));
    EXPECT_EQ(call.length, 13u);
    EXPECT_EQ(pinger->pinged, QStringList{"10.1.2.3"});
    EXPECT_EQ(pinger->payloads.value(0).size(), 3);
    EXPECT_EQ(resolver->startups, 1);
    EXPECT_EQ(resolver->lastVersion, 0x0101);
    EXPECT_EQ(resolver->cleanups, 1);
}

TEST_F(Delivery, EmptyMessageAndEmptyAliasAreOnlyTheirNul)
{
    t.options().txtAlias->setText("");
    EXPECT_TRUE(deliver("PC1", ""));
    const RecordingMessenger::Call& call = t.messenger->calls.value(0);
    EXPECT_EQ(call.buffer, QByteArray("\0\0", 2));
    EXPECT_EQ(call.length, 1u);
    EXPECT_EQ(call.fromName, QByteArray("\0\0", 2));
}

TEST_F(Delivery, SendAsIpAddressesTheResolvedAddress)
{
    m1->SendAsIP = "YES";
    EXPECT_TRUE(deliver("PC1", "x"));
    EXPECT_EQ(t.messenger->calls.value(0).to(), "10.1.2.3");
    m1->SendAsIP = "NO";
    resolver->names.insert("10.9.9.9", "10.9.9.9");
    EXPECT_TRUE(deliver("10.9.9.9", "x"));
    EXPECT_EQ(t.messenger->calls.value(1).to(), "10.9.9.9");
    EXPECT_EQ(pinger->pinged.value(1), "10.9.9.9");
}

TEST_F(Delivery, AnyMessagingFailureBecomesServiceOrCommsError)
{
    for (const int code : {5, 50, 2273, -1, 99999}) {
        t.messenger->code = code;
        EXPECT_FALSE(deliver("PC1", "x")) << code;
        EXPECT_EQ(m1->DeliveryStatus, "Service or Comms Error") << code;
    }
}

TEST_F(Delivery, UnresolvedOrSilentNodesGetNoReplyToPingAndNothingIsSent)
{
    m1->SendAsIP = "YES";
    EXPECT_FALSE(deliver("NOSUCHPC", "x"));
    EXPECT_EQ(m1->DeliveryStatus, "No reply to PING");
    EXPECT_TRUE(pinger->pinged.isEmpty()); // no address: the echo is refused before it is sent
    pinger->silent.insert("10.1.2.3");
    EXPECT_FALSE(deliver("PC1", "x"));
    EXPECT_EQ(m1->DeliveryStatus, "No reply to PING");
    m1->ClientMode = 1;
    EXPECT_FALSE(deliver("PC1", "x"));
    EXPECT_TRUE(t.messenger->calls.isEmpty());
    EXPECT_TRUE(t.tcp->connectedTo.isEmpty());
    EXPECT_TRUE(t.dialogs->shown.empty());
}

TEST_F(Delivery, WithoutAnEchoFacilityEveryNodeCountsAsAnswering)
{
    pinger->available = false;
    EXPECT_TRUE(deliver("PC1", "x"));
    EXPECT_EQ(t.messenger->calls.size(), 1);
}

TEST_F(Delivery, SocketLibraryThatWillNotStartShowsItsBoxForEachNode)
{
    resolver->startupResult = 10091;
    EXPECT_FALSE(deliver("PC1", "x"));
    EXPECT_FALSE(deliver("PC1", "x"));
    EXPECT_EQ(m1->DeliveryStatus, "No reply to PING");
    ASSERT_EQ(t.dialogs->shown.size(), 2u);
    EXPECT_EQ(t.dialogs->last()->text, "Windows Sockets for 32 bit Windows is not successfully responding.");
    EXPECT_EQ(t.dialogs->last()->title, "Corvane");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::None);
    EXPECT_TRUE(resolver->asked.isEmpty());
}

TEST_F(Delivery, FailingCleanupShowsItsBoxAndTheDeliveryGoesOn)
{
    resolver->cleanupResult = 1;
    EXPECT_TRUE(deliver("PC1", "x"));
    ASSERT_EQ(t.dialogs->shown.size(), 1u);
    EXPECT_EQ(t.dialogs->last()->text, "Windows Sockets error occurred in Cleanup.");
    EXPECT_EQ(t.dialogs->last()->icon, MsgIcon::Exclamation);
}

TEST_F(Delivery, DomainGoesToTheNameAndStarWithoutEchoInEitherMode)
{
    m1->ClientMode = 1;
    EXPECT_TRUE(deliver("WORKGROUP", "Lunch", "DOMAIN"));
    EXPECT_EQ(m1->DeliveryStatus, "The message was successfully sent");
    EXPECT_EQ(t.messenger->calls.value(0).recipient, utf16z("WORKGROUP*"));
    EXPECT_EQ(t.messenger->calls.value(0).length, 11u);
    EXPECT_TRUE(pinger->pinged.isEmpty());
    EXPECT_EQ(resolver->startups, 0);
    t.messenger->code = 2273;
    EXPECT_FALSE(deliver("WORKGROUP", "Lunch", "DOMAIN"));
    EXPECT_EQ(m1->DeliveryStatus, "The message to DOMAIN failed");
}

TEST(NetSendTexts, ResultCodesMapToTheirTexts)
{
    const std::pair<int, const char*> table[] = {
        {0, "The message was successfully sent"},        {5, "Access to computer denied"},
        {50, "Network request not supported."},          {53, "Sent From server name not found."},
        {87, "Invalid parameter(s) specified."},         {123, "Illegal character or malformed name."},
        {2136, "General network error occurred"},        {2250, "Network connection not found"},
        {2273, "Could not locate node name on network"}, {1, "Unknown error executing command."},
        {-2273, "Unknown error executing command."},
    };
    for (const auto& [code, text] : table)
        EXPECT_EQ(NetSend::NetSendResultText(code), text) << code;
}

// --- the real echo and resolver ---

TEST(EchoAndNames, RealEchoToLoopbackAnswers)
{
    TestProgram t;
    t.create();
    Module& module = t.program().module();
    EchoReply reply{};
    EXPECT_EQ(module.PingHost("127.0.0.1", NetSend::EchoPayload, reply), 0);
    if (LinuxPinger().createFile()) {
        // A real answer carries our payload back from the address asked.
        EXPECT_EQ(reply.dataSize, 3);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(reply.dataArea), 3), NetSend::EchoPayload);
        EXPECT_EQ(reply.address, 0x0100007Fu); // 127.0.0.1 in network order
    } else {
        GTEST_LOG_(INFO) << "no ICMP socket can be opened here: the echo counts as answered";
    }
    EXPECT_EQ(module.PingHost("not.an.address", NetSend::EchoPayload, reply), -1);
    EXPECT_EQ(module.PingHost("", NetSend::EchoPayload, reply), -1);
    EXPECT_EQ(module.ResolveHostIP("127.0.0.5"), "127.0.0.5");
    EXPECT_EQ(module.ResolveHostIP(""), "");
    EXPECT_EQ(module.ResolveHostIP("no-such-host.invalid"), "");
    EXPECT_EQ(module.ResolveHostIP("bad name; rm -rf /"), "");
    EXPECT_EQ(Module::BytesToDottedIP(QByteArray("\x0a\x00\xff\x07", 4)), "10.0.255.7");
}

TEST(EchoAndNames, ANameTheSystemNeverAnswersFailsAtTheProgramsOwnTimeOutWhileTheWindowsRun)
{
    // A resolver that never answers but for localhost, until the test is over.
    auto released = std::make_shared<std::atomic<bool>>(false);
    auto resolver = std::make_unique<LinuxResolver>();
    HostLookups& lookups = resolver->lookups;
    lookups.lookup = [released](const QByteArray& name) {
        for (int i = 0; name != "localhost" && i < 3000 && !*released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return name == "localhost" ? systemHostByName(name) : QByteArray();
    };
    TestProgram t;
    t.pending.resolver = std::move(resolver);
    t.create();
    Module& module = t.program().module();
    module.NameLookupMs = 150;
    const Ticks ticks(10);
    QElapsedTimer clock;
    clock.start();
    const int names = HostLookups::kMaxRunning + 2;
    for (int i = 0; i < names; ++i) {
        QElapsedTimer one;
        one.start();
        EXPECT_EQ(module.ResolveHostIP(QStringLiteral("pc%1.invalid").arg(i)), "") << i;
        EXPECT_GE(one.elapsed(), module.NameLookupMs) << "never before the limit: " << i;
        ASSERT_LT(clock.elapsed(), (i + 1) * 2000) << "each name gives up at the program's own time-out";
    }
    EXPECT_GE(clock.elapsed(), names * 140);
    EXPECT_GT(ticks.count(), names * 5) << "the event loop ran while the names were looked up";
    // The lookups nobody waits for hold no more threads than the bound, and end with the system's.
    EXPECT_EQ(lookups.running(), HostLookups::kMaxRunning);
    *released = true;
    EXPECT_TRUE(waitFor([&] { return lookups.running() == 0; }));
    EXPECT_EQ(module.ResolveHostIP("localhost"), "127.0.0.1");
}

// --- the smbclient road ---

class Smbclient : public ::testing::Test {
protected:
    void SetUp() override
    {
        oldPath = qgetenv("PATH");
        qputenv("PATH", bin.path().toLocal8Bit() + ":/usr/bin:/bin");
        script("smbclient", "out=\"$(dirname \"$0\")\"\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out/args\"\n"
                            "cat > \"$out/stdin\"\n"
                            "[ -f \"$out/say\" ] && cat \"$out/say\"\n"
                            "exit $(cat \"$out/code\" 2>/dev/null || echo 0)\n");
        // smb.conf as this test has it, whatever the machine's says.
        messenger.testparm = script("testparm", "echo 'Load smb config files from /etc/samba/smb.conf' >&2\n"
                                                "echo CP850\n");
    }
    void TearDown() override { qputenv("PATH", oldPath); }
    QString script(const QString& name, const QByteArray& body) { return writeScript(bin.filePath(name), body); }
    void setExit(int code, const QByteArray& say = {})
    {
        QFile f(bin.path() + "/code");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(code));
        QFile s(bin.path() + "/say");
        ASSERT_TRUE(s.open(QIODevice::WriteOnly));
        s.write(say);
    }
    QByteArray file(const char* name)
    {
        QFile f(bin.path() + "/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::int32_t send(const QString& to, const QString& from, const QString& text, const QString& address = {})
    {
        const QByteArray buffer = NetSend::MessageBuffer(text);
        return messenger.NetMessageBufferSend(NetSend::MessageBuffer(to), NetSend::MessageBuffer(from), buffer,
                                              static_cast<std::uint32_t>(2 * text.size() + 1), address);
    }

    QTemporaryDir bin;
    QByteArray oldPath;
    SmbclientMessenger messenger;
};

// The text goes in smb.conf's code page, or in CP850 where it names none that is known, pinned on
// the command line.
TEST_F(Smbclient, RunsWithTheAddressAndTheTextInSmbConfsCodePage)
{
    EXPECT_EQ(send(QStringLiteral("PC1"), QStringLiteral("HELP DESK"),
                   QStringLiteral("Caf\u00e9 \u201cdrill\u201d \u2013 3 \u20ac ; $(reboot) `x`\r\nbye"), "10.0.0.9"),
              0);
    EXPECT_EQ(file("args"), "-M\nPC1\n-I\n10.0.0.9\n-U\nHELP DESK\n-N\n--option=dos charset=CP850\n"
                            "--option=unix charset=CP850\n");
    EXPECT_EQ(file("stdin"), "Caf\x82 \"drill\" - 3 EUR ; $(reboot) `x`\nbye");
    const std::tuple<QByteArray, QByteArray, QByteArray> others[] = {
        {"echo CP437", "CP437", "\x9d"}, {"echo NO-SUCH-CHARSET", "CP850", "\xbe"}, {"exit 1", "CP850", "\xbe"}};
    for (const auto& [said, page, yen] : others) {
        SmbclientMessenger fresh;
        fresh.testparm = script("testparm", said + "\n");
        fresh.NetMessageBufferSend(NetSend::MessageBuffer("PC1"), NetSend::MessageBuffer("A"),
                                   NetSend::MessageBuffer(QStringLiteral("\u00a5")), 3, {});
        EXPECT_TRUE(file("args").endsWith("--option=unix charset=" + page + "\n")) << said.toStdString();
        EXPECT_EQ(file("stdin"), yen) << said.toStdString();
    }
}

TEST_F(Smbclient, ExitCodesGiveTheMessagingCodes)
{
    setExit(1, "Connection to NOPC failed (Error NT_STATUS_BAD_NETWORK_NAME)\n");
    EXPECT_EQ(send("NOPC", "A", "x"), 2273);
    setExit(1, "Connection to PC1 failed (Error NT_STATUS_IO_TIMEOUT)\n");
    EXPECT_EQ(send("PC1", "A", "x"), 2136);
    // A refusal ends smbclient well: only what it says tells.
    setExit(0, "Type your message, ending it with a Control-D\ncli_message returned NT_STATUS_REQUEST_NOT_ACCEPTED\n");
    EXPECT_EQ(send("PC1", "A", "x"), 2136);
    setExit(0, "Type your message, ending it with a Control-D\n");
    EXPECT_EQ(send("PC1", "A", "x"), 0);
    // One refused part of a long message fails it: here the second.
    script("smbclient", "grep -q '^(2/2)' && echo 'cli_message returned NT_STATUS_CONNECTION_DISCONNECTED' >&2\n"
                        "exit 0\n");
    EXPECT_EQ(send("PC1", "A", QString(2000, QLatin1Char('x'))), 2136);
}

// The text is taken by its length, not up to a NUL; smbclient, which would end it there, gets "?".
TEST_F(Smbclient, ANulInTheTextIsSentAsAQuestionMarkWithTheRestAfterIt)
{
    const QString text = QStringLiteral("before") + QChar(0) + QStringLiteral("after");
    EXPECT_EQ(send("PC1", "A", text), 0);
    EXPECT_EQ(file("stdin"), "before?after");
}

TEST_F(Smbclient, NamesThatLookLikeOptionsAreRefusedUnrun)
{
    EXPECT_EQ(send("-c ls", "A", "x"), 123);
    EXPECT_EQ(send("PC1", "--debuglevel=10", "x"), 123);
    EXPECT_TRUE(file("args").isEmpty());
}

TEST_F(Smbclient, MissingSmbclientIsNotSupported)
{
    qputenv("PATH", "/nonexistent");
    EXPECT_EQ(send("PC1", "A", "x"), 50);
}

TEST_F(Smbclient, DeliveryThroughSmbclientReportsItsTexts)
{
    TestProgram t;
    auto real = std::make_unique<SmbclientMessenger>();
    real->testparm = messenger.testparm;
    t.pending.messenger = std::move(real);
    t.setSetting("STARTUP", "0");
    t.start();
    t.program().module1().ClientMode = 0;
    t.options().txtAlias->setText("OPS");
    EXPECT_TRUE(t.program().netSend().DeliverMessage("localhost", "Hello", "SINGLE"));
    EXPECT_TRUE(file("args").startsWith("-M\nlocalhost\n-I\n127.0.0.1\n-U\nOPS\n-N\n"));
    EXPECT_EQ(file("stdin"), "Hello");
    setExit(1, "NT_STATUS_NOT_FOUND");
    EXPECT_FALSE(t.program().netSend().DeliverMessage("EVERYONE", "Hello", "DOMAIN"));
    EXPECT_TRUE(file("args").startsWith("-M\nEVERYONE*\n-U\nOPS\n-N\n"));
    EXPECT_EQ(t.program().module1().DeliveryStatus, "The message to DOMAIN failed");
}

// --- what smbclient is given ---

TEST(CodePageText, WhatTheCodePageLacksBecomesItsPlainEquivalent)
{
    const CodePage cp850("CP850");
    ASSERT_TRUE(cp850.known());
    const CodePage none("NO-SUCH-CHARSET"); // no converter: ASCII alone
    EXPECT_FALSE(none.known());
    const auto text = [](const CodePage& page, const QString& s) {
        QByteArray bytes;
        for (const QByteArray& c : page.encodeText(s))
            bytes += c;
        return bytes;
    };
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("\u2018a\u2019 \u201cb\u201d \u201e"), "'a' \"b\" \""},
        {QStringLiteral("1\u20132\u20143"), "1-2-3"},
        {QStringLiteral("5 \u20ac\u2026"), "5 EUR..."},
        {QStringLiteral("\u00e0 bient\u00f4t"), "\x85 bient\x93t"},
        {QStringLiteral("\u0151\u0142\U0001F600"), "o??"}, // ő has its letter; ł and the emoji have none
        {QStringLiteral("a\r\nb\rc"), "a\nb\rc"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(text(cp850, in), out) << in.toStdString();
    EXPECT_EQ(text(none, QStringLiteral("Caf\u00e9 \u00c0")), "Cafe A");
}

TEST(CodePageText, ALongMessageGoesInMarkedPartsThatEachFit)
{
    const auto partsOf = [](const QByteArray& text) {
        QList<QByteArray> characters;
        for (const char c : text)
            characters << QByteArray(1, c);
        return SmbclientMessenger::messageParts(characters);
    };
    const QByteArray exact(1598, 'x');
    EXPECT_EQ(partsOf(exact), QList<QByteArray>{exact});
    EXPECT_EQ(partsOf(exact.left(1597) + "\n").size(), 2) << "a line break counts two";
    // No space in sight: the cut falls where the room ends.
    EXPECT_EQ(partsOf(QByteArray(3000, 'y')),
              (QList<QByteArray>{"(1/2) " + QByteArray(1592, 'y'), "(2/2) " + QByteArray(1408, 'y')}));

    QByteArray words;
    for (int i = 0; words.size() < 20000; ++i)
        words += "word" + QByteArray::number(i) + (i % 9 == 8 ? "\n" : " ");
    const QList<QByteArray> parts = partsOf(words);
    ASSERT_GE(parts.size(), 10);
    QByteArray whole;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray mark = QStringLiteral("(%1/%2) ").arg(i + 1).arg(parts.size()).toLatin1();
        ASSERT_TRUE(parts[i].startsWith(mark)) << i;
        EXPECT_LE(parts[i].size() + parts[i].count('\n'), 1598) << i;
        whole += (whole.isEmpty() ? "" : QByteArray(1, words.at(whole.size()))) + parts[i].mid(mark.size());
    }
    EXPECT_EQ(whole, words) << "cut only at spaces and line breaks, which go";
}
