// Messenger mode against a real receiver: Debian's Samba smbd on loopback (port 139 of every
// 127.0.0.x), with a configuration of its own, keeping each WinPopup message it takes where the
// test reads it, and real sends through the real smbclient.
#include "assistants/frmOptions.h"
#include "console/program.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "platform/messenger.h"
#include "tests/support/testprogram.h"
#include "tests/support/xdisplay.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

namespace {

bool acceptsOn139(const char* address)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(139);
    ::inet_pton(AF_INET, address, &to.sin_addr);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    ::close(fd);
    return open;
}

// smbd in the foreground with everything it keeps in a temporary folder. The guest account runs
// the message command, which writes the sender, the recipient and the text of each message to a
// file of its own in the inbox.
class Smbd {
public:
    struct Message {
        QString from, to, text;
    };

    Smbd()
    {
        const QString smbd = QStandardPaths::findExecutable(QStringLiteral("smbd"), {"/usr/sbin", "/usr/local/sbin"});
        if (::geteuid() != 0)
            why = "smbd takes port 139 and runs its messages as the guest only for root";
        else if (smbd.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("smbclient")).isEmpty())
            why = "samba or smbclient is not installed";
        else if (!::getpwnam("nobody"))
            why = "no guest account (nobody)";
        else if (acceptsOn139("127.0.0.1"))
            why = "port 139 is taken already (a Samba server of the system?)";
        if (!why.empty())
            return;
        const QString root = dir_.path();
        QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeGroup |
                                        QFile::ExeOther);
        for (const char* sub : {"inbox", "state", "lock", "pid", "cache", "private", "log"})
            QDir(root).mkpath(sub);
        ::chmod(QFile::encodeName(inbox()).constData(), 01777);
        // The command the guest runs for each message: the sender, the recipient, then the text.
        QFile store(root + "/store");
        store.open(QIODevice::WriteOnly);
        store.write(
            "#!/bin/sh\n"
            "part=\"$(dirname \"$0\")/inbox/m.$$\"\n"
            "{ printf '%s\\n%s\\n' \"$2\" \"$3\"; cat \"$1\"; } > \"$part.part\" && mv \"$part.part\" \"$part.msg\"\n"
            "rm -f \"$1\"\n");
        store.close();
        store.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                             QFile::ExeOther);
        const QByteArray folder = QFile::encodeName(root);
        QFile conf(root + "/smb.conf");
        conf.open(QIODevice::WriteOnly);
        conf.write("[global]\n"
                   "server role = standalone server\n"
                   "smb ports = 139\n"
                   "server min protocol = NT1\n"
                   // Every 127.0.0.x: smbd binds only addresses of the interfaces, and loopback has one.
                   "bind interfaces only = no\n"
                   "hosts allow = 127.0.0.0/8\n"
                   "hosts deny = 0.0.0.0/0\n"
                   "map to guest = bad user\n"
                   "guest account = nobody\n"
                   "load printers = no\n"
                   "printcap name = /dev/null\n"
                   "disable spoolss = yes\n"
                   "dos charset = CP850\n"
                   "unix charset = UTF-8\n");
        for (const char* place :
             {"pid directory", "lock directory", "state directory", "cache directory", "private dir"})
            conf.write(QByteArray(place) + " = " + folder + "/" + QByteArray(place).split(' ').first() + "\n");
        conf.write("ncalrpc dir = " + folder +
                   "/lock/ncalrpc\n"
                   "log file = " +
                   folder +
                   "/log/log.%m\n"
                   "message command = " +
                   folder + "/store %s \"%f\" \"%t\"\n");
        conf.close();
        process_.setProgram(smbd);
        // In a process group of its own: smbd ends its group when it ends.
        process_.setArguments({"-F", "--debug-stdout", "-s", conf.fileName()});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", inbox()); // where smbd puts each message for the command
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start();
        if (!process_.waitForStarted(10000)) {
            why = "smbd does not start";
            return;
        }
        if (!waitFor([this] { return process_.state() != QProcess::Running || acceptsOn139("127.0.0.1"); }, 20000) ||
            process_.state() != QProcess::Running)
            why = "smbd did not come up: " + process_.readAll().right(400).toStdString();
    }
    ~Smbd()
    {
        if (process_.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(10000))
            process_.kill();
        process_.waitForFinished(5000);
    }

    QString inbox() const { return dir_.path() + "/inbox"; }
    QString config() const { return dir_.path() + "/smb.conf"; }
    QList<Message> messages() const
    {
        QList<Message> all;
        for (const QString& name : QDir(inbox()).entryList({"*.msg"}, QDir::Files)) {
            QFile file(inbox() + "/" + name);
            file.open(QIODevice::ReadOnly);
            const QString whole = QString::fromUtf8(file.readAll());
            const QStringList lines = whole.split('\n');
            all << Message{lines.value(0), lines.value(1), lines.mid(2).join('\n')};
        }
        return all;
    }
    // Takes the messages the inbox holds once it holds this many.
    QList<Message> take(int count)
    {
        waitFor([&] { return messages().size() >= count; }, 20000);
        const QList<Message> all = messages();
        for (const QString& name : QDir(inbox()).entryList({"*.msg"}, QDir::Files))
            QFile::remove(inbox() + "/" + name);
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
    // The code page smbd reads in, told by the real testparm from smbd's own smb.conf.
    QTemporaryDir bin;
    QFile testparm(bin.path() + "/testparm");
    testparm.open(QIODevice::WriteOnly);
    testparm.write("#!/bin/sh\nexec testparm \"$@\" " + QFile::encodeName(smbd.config()) + "\n");
    testparm.close();
    testparm.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    messenger->testparm = testparm.fileName();
    t.pending.messenger = std::move(messenger);
    t.setSetting("STARTUP", "0");
    t.setSetting("SERVICE", "MESSENGER");
    t.start();
    Module1& m1 = t.program().module1();
    t.options().txtAlias->setText("HELPDESK");

    QString notice;
    for (int i = 1; notice.size() < 2700; ++i)
        notice += QStringLiteral("%1. The building closes at six tonight for the yearly check of the wiring.\n").arg(i);
    struct Case {
        const char* what;
        QString target;
        QString sendAsIp;
        QString text;
        QString received;
    };
    const QList<Case> cases = {
        {"a name only the hosts file knows", "localhost", "NO", "Fire drill at three.", "Fire drill at three."},
        {"an address", "127.0.0.5", "NO", "Lunch is served.", "Lunch is served."},
        {"a name, sent to its address", "localhost", "YES", "Parking closed.", "Parking closed."},
        {"accents, curly quotes and the euro", "127.0.0.5", "NO",
         QStringLiteral("Caf\u00e9 \u201cHello\u201d \u20ac 5 \u2013 \u00e0 bient\u00f4t"),
         QStringLiteral("Caf\u00e9 \"Hello\" EUR 5 - \u00e0 bient\u00f4t")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m1.SendAsIP = c.sendAsIp;
        EXPECT_TRUE(t.program().netSend().DeliverMessage(c.target, c.text, "SINGLE"));
        EXPECT_EQ(m1.DeliveryStatus, "The message was successfully sent");
        const QList<Smbd::Message> got = smbd.take(1);
        ASSERT_EQ(got.size(), 1);
        EXPECT_EQ(got[0].from, "HELPDESK");
        EXPECT_EQ(got[0].text, c.received);
    }

    // A notice longer than smbclient takes goes as marked parts that together hold all of it.
    EXPECT_TRUE(t.program().netSend().DeliverMessage("localhost", notice, "SINGLE"));
    QList<Smbd::Message> parts = smbd.take(2);
    ASSERT_EQ(parts.size(), 2);
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) { return a.text < b.text; });
    EXPECT_TRUE(parts[0].text.startsWith("(1/2) "));
    EXPECT_TRUE(parts[1].text.startsWith("(2/2) "));
    const QString joined = parts[0].text.mid(6) + "\n" + parts[1].text.mid(6);
    EXPECT_EQ(joined.trimmed(), notice.trimmed());
}
