// Messenger mode against real receivers: Debian's Samba smbd on port 139 of loopback addresses,
// each with a configuration of its own, keeping each WinPopup message it takes where the test reads
// it (or refusing messages, as a server without a message command or without SMB1 does), and real
// sends through the real smbclient. As root the test runs in a network namespace of its own, so a
// Samba server of the system, which holds port 139 wherever the samba package is installed, is not
// in the way.
#include "assistants/frmOptions.h"
#include "console/controls.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "platform/files.h"
#include "platform/messenger.h"
#include "tests/support/testprogram.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <net/if.h>
#include <pwd.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

bool someoneOn139(const QString& address)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress(address), 139);
    return probe.waitForConnected(2000);
}

// Moves this test (its thread, and every process it starts from now on) into a network namespace
// of its own, holding only loopback, brought up: done once per test program, for root. Where no
// namespace can be made (a container without the right to), the system's loopback serves. Empty
// when the test runs in its own namespace.
std::string ownNetwork()
{
    static const std::string why = []() -> std::string {
        if (::geteuid() != 0 || ::unshare(CLONE_NEWNET) != 0)
            return "no network namespace of its own";
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        ifreq loopback{};
        std::strncpy(loopback.ifr_name, "lo", IFNAMSIZ - 1);
        bool up = fd >= 0 && ::ioctl(fd, SIOCGIFFLAGS, &loopback) == 0;
        loopback.ifr_flags |= IFF_UP;
        up = up && ::ioctl(fd, SIOCSIFFLAGS, &loopback) == 0;
        if (fd >= 0)
            ::close(fd);
        // Without loopback the test has no network at all: it can only fail.
        EXPECT_TRUE(up) << "loopback of the test's network namespace is not up";
        return {};
    }();
    return why;
}

// smbd in the foreground on port 139 of these addresses, keeping everything in a temporary folder.
// The guest account runs the message command, which writes the sender and the text of each message
// to a file in the inbox.
class Smbd {
public:
    enum Kind {
        TakesMessages,
        NoMessageCommand, // answers every message with a refusal
        NoSmb1,           // the default of current Samba and Windows: messages are SMB1 only
    };
    explicit Smbd(const QStringList& addresses = {"127.0.0.1", "127.0.0.5"}, Kind kind = TakesMessages)
    {
        const QString smbd = QStandardPaths::findExecutable("smbd", {"/usr/sbin", "/usr/local/sbin"});
        if (::geteuid() != 0)
            why = "smbd takes port 139 and runs its messages as the guest only for root";
        else if (smbd.isEmpty() || QStandardPaths::findExecutable("smbclient").isEmpty() || !::getpwnam("nobody"))
            why = "samba, smbclient or the guest account nobody is missing";
        else if (!ownNetwork().empty() && someoneOn139(addresses.first()))
            why = "port 139 is taken already (a Samba server of the system?)";
        if (!why.empty())
            return;
        const QByteArray root = QFile::encodeName(dir_.path());
        ::chmod(root.constData(), 0711);
        for (const char* sub : {"inbox", "state", "lock", "pid", "cache", "private", "log"})
            QDir(dir_.path()).mkpath(sub);
        ::chmod(root + "/inbox", 01777);
        writeScript(dir_.path() + "/store", "m=\"$(dirname \"$0\")/inbox/m.$$\"\n"
                                            "{ echo \"$2\"; cat \"$1\"; } > \"$m.part\" && mv \"$m.part\" \"$m.msg\"\n"
                                            "rm -f \"$1\"\n");
        // An address with a mask that no interface has is taken as given: smbd listens there.
        QByteArray conf = "[global]\nsmb ports = 139\nbind interfaces only = yes\ninterfaces =";
        for (const QString& address : addresses)
            conf += " " + address.toLatin1() + "/8";
        conf += "\nhosts allow = 127.0.0.0/8\nhosts deny = 0.0.0.0/0\n"
                "map to guest = bad user\nguest account = nobody\nload printers = no\n"
                "dos charset = CP850\nunix charset = UTF-8\n"
                "ncalrpc dir = " +
                root + "/lock/ncalrpc\nlog file = " + root + "/log/log.%m\n";
        if (kind != NoSmb1)
            conf += "server min protocol = NT1\n";
        if (kind != NoMessageCommand)
            conf += "message command = " + root + "/store %s \"%f\"\n";
        for (const char* place :
             {"pid directory", "lock directory", "state directory", "cache directory", "private dir"})
            conf += QByteArray(place) + " = " + root + "/" + QByteArray(place).split(' ').first() + "\n";
        writeWholeFile(config(), conf);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", inbox()); // where smbd puts each message for the command
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(smbd, {"-F", "--debug-stdout", "-s", config()});
        const auto listening = [&] {
            for (const QString& address : addresses) {
                if (!someoneOn139(address))
                    return false;
            }
            return true;
        };
        if (!process_.waitForStarted(10000) ||
            !waitFor([&] { return process_.state() != QProcess::Running || listening(); }, 20000) ||
            process_.state() != QProcess::Running)
            why = "smbd did not come up: " + process_.readAll().right(400).toStdString();
    }
    ~Smbd()
    {
        process_.terminate(); // SIGTERM to smbd's own id
        if (!process_.waitForFinished(10000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    QString inbox() const { return dir_.path() + "/inbox"; }
    QString config() const { return dir_.path() + "/smb.conf"; }
    // The sender and the text of each message, once the inbox holds this many; the inbox is then
    // emptied.
    QList<QStringList> take(int count)
    {
        const QDir in(inbox(), "*.msg");
        waitFor([&] { return int(in.entryList(QDir::Files).size()) >= count; }, 20000);
        QList<QStringList> all;
        for (const QString& name : in.entryList(QDir::Files)) {
            QFile file(in.filePath(name));
            file.open(QIODevice::ReadOnly);
            const QString whole = QString::fromUtf8(file.readAll());
            all << QStringList{whole.section('\n', 0, 0), whole.section('\n', 1)};
            file.remove();
        }
        std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a[1] < b[1]; });
        return all;
    }

    std::string why; // empty once smbd takes messages

private:
    QTemporaryDir dir_;
    QProcess process_;
};

} // namespace

TEST(MessengerToSamba, EveryComputerThatAnswersGetsTheWholeTextReadable)
{
    Smbd smbd;
    if (!smbd.why.empty())
        GTEST_SKIP() << smbd.why;
    TestProgram t;
    auto messenger = std::make_unique<SmbclientMessenger>();
    // The code page smbd reads in, as the real testparm tells it from smbd's own smb.conf.
    QTemporaryDir bin;
    messenger->testparm =
        writeScript(bin.path() + "/testparm", "exec testparm \"$@\" " + QFile::encodeName(smbd.config()) + "\n");
    t.pending.messenger = std::move(messenger);
    t.setSetting("STARTUP", "0");
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    Module1& m1 = t.program().module1();
    t.options().txtAlias->setText("HELPDESK");

    QString notice;
    for (int i = 1; notice.size() < 2700; ++i)
        notice += QStringLiteral("%1. The building closes at six tonight for the yearly check of the wiring.\n").arg(i);
    notice.chop(1);
    const QString accents = QStringLiteral("Caf\u00e9 \u201cHello\u201d \u20ac 5 \u2013 \u00e0 bient\u00f4t");
    struct Case {
        QString target, sendAsIp, text;
        QStringList received = {}; // in order; none: the text itself
    };
    const QList<Case> cases = {
        {"localhost", "NO", "Fire drill at three."}, // a name only the hosts file knows
        {"127.0.0.5", "NO", "Lunch is served."},
        {"localhost", "YES", "Parking closed."},
        {"127.0.0.5", "NO", accents, {QStringLiteral("Caf\u00e9 \"Hello\" EUR 5 - \u00e0 bient\u00f4t")}},
        // Longer than smbclient takes: marked parts, cut at a line break, that hold all of it.
        {"localhost", "NO", notice, {"(1/2) " + notice.section('\n', 0, 20), "(2/2) " + notice.section('\n', 21)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.target + " SENDASIP=" + c.sendAsIp + ": " + c.text.left(20)).toStdString());
        const QStringList received = c.received.isEmpty() ? QStringList{c.text} : c.received;
        m1.SendAsIP = c.sendAsIp;
        EXPECT_TRUE(t.program().netSend().DeliverMessage(c.target, c.text, "SINGLE"));
        EXPECT_EQ(m1.DeliveryStatus, "The message was successfully sent");
        const QList<QStringList> got = smbd.take(int(received.size()));
        ASSERT_EQ(got.size(), received.size());
        for (qsizetype i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], QStringList({"HELPDESK", received[i]}));
    }
}

// A group mixing computers that take messages with ones that refuse them: a server without a
// message command, and one without SMB1. smbclient ends well for every one and only says when the
// receiver refused; the sent log counts as passed exactly the messages that arrived.
TEST(MessengerToSamba, ComputersThatRefuseMessagesFailAndTheLogCountsWhatArrived)
{
    Smbd taking;
    Smbd refusing({"127.0.0.6"}, Smbd::NoMessageCommand);
    Smbd noSmb1({"127.0.0.7"}, Smbd::NoSmb1);
    for (const Smbd* server : {&taking, &refusing, &noSmb1}) {
        if (!server->why.empty())
            GTEST_SKIP() << server->why;
    }
    TestProgram t;
    auto messenger = std::make_unique<SmbclientMessenger>();
    QTemporaryDir bin;
    messenger->testparm =
        writeScript(bin.path() + "/testparm", "exec testparm \"$@\" " + QFile::encodeName(taking.config()) + "\n");
    t.pending.messenger = std::move(messenger);
    t.setSetting("STARTUP", "0");
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    Module1& m1 = t.program().module1();
    m1.CmdLineMode = 1;
    t.main().hide();
    t.addGroup("mixed.mit", "127.0.0.5\r\n127.0.0.6\r\n127.0.0.1\r\n127.0.0.7\r\n");
    selectOption(t.main().tab1opt1);
    ASSERT_TRUE(t.clickGroup("mixed.mit"));
    t.main().messtext->setText("Fire drill at three.");
    t.main().tab1butSend_Click();

    ASSERT_EQ(m1.TargetCount, 4);
    const std::vector<QString> results(m1.TargetResult.begin(), m1.TargetResult.begin() + 4);
    EXPECT_EQ(results, (std::vector<QString>{"The message was successfully sent", "Service or Comms Error",
                                             "The message was successfully sent", "Service or Comms Error"}));
    EXPECT_TRUE(t.read("Logs/sent.Log").contains("Pass=2\r\nFail=2\r\n"));
    EXPECT_EQ(taking.take(2).size(), 2);
}
