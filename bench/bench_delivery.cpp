// Delivers one message to N loopback Nuvo clients (127.0.x.y) one after another, through the
// program's own delivery and through a minimal blocking sender of the same protocol; prints both
// times and their ratio. Then holds the program on a silent client for the whole request time-out
// and prints the processor time it used meanwhile, and the same for clients that flood their reply.
//
//   bench_delivery [peers [rounds]]      (default 1000 peers, 5 rounds over them all)
#include "bench/reference_sender.h"
#include "bench/timing.h"
#include "console/program.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "engine/transfer.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <cstdio>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::bench;

namespace {

double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage r{};
    getrusage(who, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// A client that answers the request with a flood: the start, then the filler over and over for
// as long as the connection takes it (at most 25 s). On a thread of its own, blocking.
class Flooder {
public:
    Flooder(const QString& address, quint16 port, QByteArray start, QByteArray filler)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        ::inet_pton(AF_INET, address.toLatin1().constData(), &at.sin_addr);
        ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0 && ::listen(listener_, 4) == 0;
        thread_ = std::thread([this, start, filler] {
            const int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                return;
            char request[15];
            ::recv(fd, request, sizeof request, MSG_WAITALL);
            const QByteArray chunk = filler.repeated(std::max<qsizetype>(1, 65536 / filler.size()));
            QElapsedTimer clock;
            clock.start();
            if (start.isEmpty() || sendAll(fd, start)) {
                sent_ += start.size();
                while (clock.elapsed() < 25000 && sendAll(fd, chunk))
                    sent_ += chunk.size();
            }
            ::close(fd);
        });
    }
    ~Flooder()
    {
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    bool ok() const { return ok_; }
    qint64 sent() const { return sent_; }

private:
    int listener_ = -1;
    bool ok_ = false;
    std::atomic<qint64> sent_{0};
    std::thread thread_;
};

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int peers = argc > 1 ? std::clamp(QByteArray(argv[1]).toInt(), 1, 1000) : 1000;

    // The clients answer from threads of their own, so that the blocking sender has someone to
    // talk to; the program's delivery talks to the very same clients. Each thread polls only its
    // share of the listening sockets.
    constexpr int kClientThreads = 16;
    std::vector<std::unique_ptr<QThread>> threads;
    std::vector<std::unique_ptr<QObject>> hosts;
    std::vector<std::unique_ptr<FakeNuvo>> clients(static_cast<size_t>(peers));
    std::unique_ptr<FakeNuvo> silent;
    std::unique_ptr<FakeNuvo> quitter;
    quint16 port = 0;
    for (int k = 0; k < kClientThreads; ++k) {
        threads.push_back(std::make_unique<QThread>());
        threads.back()->start();
        hosts.push_back(std::make_unique<QObject>());
        hosts.back()->moveToThread(threads.back().get());
    }
    QMetaObject::invokeMethod(
        hosts[0].get(),
        [&] {
            clients[0] = std::make_unique<FakeNuvo>(peerAddress(0));
            port = clients[0]->port();
            silent = std::make_unique<FakeNuvo>(QStringLiteral("127.0.9.9"), port);
            silent->setScript(FakeNuvo::silent());
            quitter = std::make_unique<FakeNuvo>(QStringLiteral("127.0.9.11"), port);
            FakeNuvo::Script grantThenClose;
            grantThenClose.closeAfterRequestReply = true;
            quitter->setScript(grantThenClose);
        },
        Qt::BlockingQueuedConnection);
    for (int k = 0; k < kClientThreads; ++k) {
        QMetaObject::invokeMethod(
            hosts[static_cast<size_t>(k)].get(),
            [&, k] {
                for (int i = k == 0 ? kClientThreads : k; i < peers; i += kClientThreads)
                    clients[static_cast<size_t>(i)] = std::make_unique<FakeNuvo>(peerAddress(i), port);
            },
            Qt::BlockingQueuedConnection);
    }
    for (const auto& c : clients) {
        if (!c->listening()) {
            std::fprintf(stderr, "cannot listen on %s:%u\n", qPrintable(c->host()), port);
            return 1;
        }
    }

    TestProgram t;
    t.pending.tcp = std::make_unique<LinuxTcpClient>();
    t.setSetting("STARTUP", "0");
    t.setSetting("ERRORLOG", "NO");
    t.setSetting("PORT", QString::number(port));
    t.start();
    Module1& m1 = t.program().module1();
    m1.CurrentMessage = QStringLiteral("The network will be down for maintenance from 18:00 to 19:00 tonight.");
    m1.WriteClientMessageFile(m1.SocketFile);
    QFile written(m1.SocketFile);
    written.open(QIODevice::ReadOnly);
    const QByteArray file = written.readAll();

    // The two senders take turns over short slices of the clients, and which goes first changes
    // from slice to slice, so that both meet the same machine: every connection leaves a socket
    // waiting out its close on this host for a minute, and the growing number of those slows every
    // new connection, whoever makes it. Whole rounds one after the other would charge that to
    // whichever sender happened to come second.
    const int rounds = argc > 2 ? std::clamp(QByteArray(argv[2]).toInt(), 1, 20) : 5;
    constexpr int kSlice = 50;
    LinuxPinger pinger;
    int passed = 0;
    int referencePassed = 0;
    double programSeconds = 0;
    double referenceSeconds = 0;
    std::vector<double> sliceRatios;
    QElapsedTimer clock;
    int turn = 0;
    for (int round = 0; round < rounds; ++round) {
        for (int first = 0; first < peers; first += kSlice, ++turn) {
            const int last = std::min(peers, first + kSlice);
            double program = 0;
            double reference = 0;
            for (int half = 0; half < 2; ++half) {
                clock.start();
                if ((half + turn) % 2 == 0) {
                    for (int i = first; i < last; ++i)
                        passed += t.program().netSend().DeliverMessage(peerAddress(i), m1.CurrentMessage,
                                                                       QStringLiteral("SINGLE"));
                    program = clock.nsecsElapsed() / 1e9;
                } else {
                    for (int i = first; i < last; ++i)
                        referencePassed += referenceDeliver(peerAddress(i), port, file, pinger);
                    reference = clock.nsecsElapsed() / 1e9;
                }
            }
            programSeconds += program;
            referenceSeconds += reference;
            sliceRatios.push_back(program / reference);
        }
    }
    std::sort(sliceRatios.begin(), sliceRatios.end());
    const int deliveries = peers * rounds;

    std::printf("peers: %d, rounds: %d, slices of %d (echo: %s)\n", peers, rounds, kSlice,
                pinger.createFile() ? "ICMP" : "none available, counted as answered");
    std::printf("program delivery:   %8.3f s, %6.1f us a node  (%d of %d passed)\n", programSeconds,
                1e6 * programSeconds / deliveries, passed, deliveries);
    std::printf("reference sender:   %8.3f s, %6.1f us a node  (%d of %d passed)\n", referenceSeconds,
                1e6 * referenceSeconds / deliveries, referencePassed, deliveries);
    std::printf("ratio program/reference: %.3f overall, %.3f median of slices\n", programSeconds / referenceSeconds,
                sliceRatios[sliceRatios.size() / 2]);
    std::fflush(stdout);

    // A client that never answers holds the delivery for the whole request time-out.
    const double cpuBefore = cpuSeconds();
    clock.restart();
    const bool heldOk =
        t.program().netSend().DeliverMessage(QStringLiteral("127.0.9.9"), m1.CurrentMessage, QStringLiteral("SINGLE"));
    const double heldSeconds = clock.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("silent client: held %.2f s (%s), processor time %.4f s = %.3f%% of a core "
                "(target: under a quarter of the time held)\n",
                heldSeconds, heldOk ? "passed?!" : qPrintable(m1.DeliveryStatus), cpu, 100.0 * cpu / heldSeconds);

    // A client that grants the request and goes: the node fails at once, without the time-outs.
    clock.restart();
    const bool quitOk =
        t.program().netSend().DeliverMessage(QStringLiteral("127.0.9.11"), m1.CurrentMessage, QStringLiteral("SINGLE"));
    std::printf("client that closes after its grant: failed after %.1f ms (%s) (target: under 700 ms)\n",
                clock.nsecsElapsed() / 1e6, quitOk ? "passed?!" : qPrintable(m1.DeliveryStatus));

    // Clients that pour bytes into their reply, or repeat a whole reply without end: the program
    // reads 4 KB of them, then no more, and the request times out. The processor time is this
    // thread's, where the program runs.
    struct Flood {
        const char* what;
        QByteArray start;
        QByteArray filler;
    };
    for (const Flood& flood : {Flood{"\"Received:PACKET:\" and endless blanks", "Received:PACKET:", " "},
                               Flood{"endless text that is no reply", "x", "x"},
                               Flood{"\"Received:kickH#\" over and over", "", "Received:kickH#"}}) {
        Flooder flooder(QStringLiteral("127.0.9.10"), port, flood.start, flood.filler);
        if (!flooder.ok()) {
            std::fprintf(stderr, "cannot listen on 127.0.9.10:%u\n", port);
            return 1;
        }
        const double rssBefore = statusMb("VmRSS:");
        const double floodCpuBefore = cpuSeconds(RUSAGE_THREAD);
        clock.restart();
        const bool floodOk = t.program().netSend().DeliverMessage(QStringLiteral("127.0.9.10"), m1.CurrentMessage,
                                                                  QStringLiteral("SINGLE"));
        const double floodSeconds = clock.nsecsElapsed() / 1e9;
        const double floodCpu = cpuSeconds(RUSAGE_THREAD) - floodCpuBefore;
        std::printf("flood of %s: held %.2f s (%s), %.1f MB offered, processor time %.4f s = %.3f%% of a core, "
                    "resident memory %.1f -> %.1f MB\n",
                    flood.what, floodSeconds, floodOk ? "passed?!" : qPrintable(m1.DeliveryStatus),
                    flooder.sent() / 1e6, floodCpu, 100.0 * floodCpu / floodSeconds, rssBefore, statusMb("VmRSS:"));
    }

    for (int k = 0; k < kClientThreads; ++k) {
        QMetaObject::invokeMethod(
            hosts[static_cast<size_t>(k)].get(),
            [&, k] {
                for (int i = k; i < peers; i += kClientThreads)
                    clients[static_cast<size_t>(i)].reset();
                if (k == 0) {
                    silent.reset();
                    quitter.reset();
                }
            },
            Qt::BlockingQueuedConnection);
        threads[static_cast<size_t>(k)]->quit();
        threads[static_cast<size_t>(k)]->wait();
    }
    return passed == peers * rounds && referencePassed == peers * rounds ? 0 : 2;
}
