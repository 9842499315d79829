// Delivers one message to N loopback Nuvo clients (127.0.x.y) one after another, first through the
// program's own delivery, then through a minimal blocking sender of the same protocol; prints both
// times and their ratio. Then holds the program on a silent client for the whole request time-out
// and prints the processor time it used meanwhile.
//
//   bench_delivery [peers [rounds]]      (default 1000 peers, 5 rounds)
#include "console/program.h"
#include "engine/module1.h"
#include "engine/netsend.h"
#include "engine/transfer.h"
#include "tests/support/fakenuvo.h"
#include "tests/support/testprogram.h"
#include "bench/reference_sender.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>

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

QString peerAddress(int i) { return QStringLiteral("127.0.%1.%2").arg(1 + i / 250).arg(1 + i % 250); }

double cpuSeconds()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

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
    t.pending.tcp = std::make_unique<QtTcpClient>();
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

    // Rounds alternate between the two senders; each sender's best round is compared, as the
    // machine's own noise only ever adds time.
    const int rounds = argc > 2 ? std::clamp(QByteArray(argv[2]).toInt(), 1, 20) : 5;
    LinuxPinger pinger;
    int passed = 0;
    int referencePassed = 0;
    std::vector<double> programTimes, referenceTimes;
    QElapsedTimer clock;
    for (int round = 0; round < rounds; ++round) {
        passed = 0;
        clock.start();
        for (int i = 0; i < peers; ++i)
            passed += t.program().netSend().DeliverMessage(peerAddress(i), m1.CurrentMessage, QStringLiteral("SINGLE"));
        programTimes.push_back(clock.nsecsElapsed() / 1e9);
        referencePassed = 0;
        clock.restart();
        for (int i = 0; i < peers; ++i)
            referencePassed += referenceDeliver(peerAddress(i), port, file, pinger);
        referenceTimes.push_back(clock.nsecsElapsed() / 1e9);
    }
    const auto best = [](std::vector<double> v) { return *std::min_element(v.begin(), v.end()); };
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double programSeconds = best(programTimes);
    const double referenceSeconds = best(referenceTimes);

    std::printf("peers: %d, rounds: %d (echo: %s)\n", peers, rounds,
                pinger.createFile() ? "ICMP" : "none available, counted as answered");
    std::printf("program delivery:   best %8.3f s, median %8.3f s  (%d passed)\n", programSeconds,
                median(programTimes), passed);
    std::printf("reference sender:   best %8.3f s, median %8.3f s  (%d passed)\n", referenceSeconds,
                median(referenceTimes), referencePassed);
    std::printf("ratio program/reference: best %.3f, median %.3f\n", programSeconds / referenceSeconds,
                median(programTimes) / median(referenceTimes));
    std::fflush(stdout);

    // A client that never answers holds the delivery for the whole request time-out.
    const double cpuBefore = cpuSeconds();
    clock.restart();
    const bool heldOk = t.program().netSend().DeliverMessage(QStringLiteral("127.0.9.9"), m1.CurrentMessage,
                                                             QStringLiteral("SINGLE"));
    const double heldSeconds = clock.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("silent client: held %.2f s (%s), processor time %.4f s = %.3f%% of a core\n", heldSeconds,
                heldOk ? "passed?!" : qPrintable(m1.DeliveryStatus), cpu, 100.0 * cpu / heldSeconds);

    for (int k = 0; k < kClientThreads; ++k) {
        QMetaObject::invokeMethod(
            hosts[static_cast<size_t>(k)].get(),
            [&, k] {
                for (int i = k; i < peers; i += kClientThreads)
                    clients[static_cast<size_t>(i)].reset();
                if (k == 0)
                    silent.reset();
            },
            Qt::BlockingQueuedConnection);
        threads[static_cast<size_t>(k)]->quit();
        threads[static_cast<size_t>(k)]->wait();
    }
    return passed == peers && referencePassed == peers ? 0 : 2;
}
