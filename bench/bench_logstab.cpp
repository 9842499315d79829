// Switching to the "Distribution Logs" tab: the tab switch reads both logs and fills both lists.
// First with a sent log of 2000 records and a failed-nodes log of 5000 lines, then with a sent log
// grown to about 50 MB, then with two records around a long run of NULs. Each figure is the switch and the window's
// redraw after it.
//
//   bench_logstab [rounds]      (default 10)
#include "bench/timing.h"
#include "console/mainform.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

QByteArray sentLog(int records)
{
    static const char* types[] = {"GROUP", "SINGLE", "DOMAIN"};
    QByteArray log;
    for (int i = 0; i < records; ++i) {
        log += "\r\n[LOG_BEGIN]\r\nDate=14/03/2026\r\nTime=09:05:07\r\nType=" + QByteArray(types[i % 3]) +
               "\r\nTarget=TARGET" + QByteArray::number(i) + "\r\nPass=" + QByteArray::number(i % 250) +
               "\r\nFail=" + QByteArray::number(i % 7) +
               "\r\n[Message_Start]\r\nThe network will be down for maintenance from 18:00 to 19:00 tonight.\r\n"
               "Please save your work and log off before then.\r\n[Message_End]\r\nSentViaIP=NO\r\n"
               "Service=NUVOCLIENT\r\n";
    }
    return log;
}

// Milliseconds for each switch to the tab, from the "Create Message" tab.
std::vector<double> switches(forms::mainform& main, int rounds)
{
    std::vector<double> ms;
    for (int r = 0; r < rounds; ++r) {
        main.SSTab1->setCurrentIndex(0);
        QApplication::processEvents();
        ms.push_back(bench::timed([&] {
            main.SSTab1->setCurrentIndex(3);
            main.repaint();
        }));
    }
    std::sort(ms.begin(), ms.end());
    return ms;
}

void report(const char* what, const std::vector<double>& ms, int lines)
{
    std::printf("%-52s best %7.1f ms  median %7.1f ms  worst %7.1f ms  (%d lines listed)\n", what, ms.front(),
                ms[ms.size() / 2], ms.back(), lines);
}

} // namespace

int main(int argc, char* argv[])
{
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 10;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestProgram t;
    t.setSetting("STARTUP", "0");
    t.start();
    forms::mainform& main = t.main();
    main.resize(900, 600);
    main.show();

    t.write(QStringLiteral("Logs/sent.Log"), sentLog(2000));
    QByteArray failed;
    for (int i = 0; i < 5000; ++i)
        failed += "PC" + QByteArray::number(i) + ':' + QByteArray::number(1 + i % 40) + "\r\n";
    t.write(QStringLiteral("Logs/FailNodes.Log"), failed);
    const std::vector<double> full = switches(main, rounds);
    report("2000 sent records, 5000 failed nodes", full, main.ListView5->topLevelItemCount());

    const QByteArray big = sentLog(178000);
    t.write(QStringLiteral("Logs/sent.Log"), big);
    char what[80];
    std::snprintf(what, sizeof what, "%.1f MB sent log, 5000 failed nodes", static_cast<double>(big.size()) / 1e6);
    const std::vector<double> grown = switches(main, rounds);
    report(what, grown, main.ListView5->topLevelItemCount());

    // A hole of 256 MB of NULs between two records, as a crash can leave one: one line, read once.
    QFile holed(t.path(QStringLiteral("Logs/sent.Log")));
    if (!holed.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    holed.write(sentLog(1));
    holed.resize(holed.size() + (256 << 20));
    holed.seek(holed.size());
    holed.write(sentLog(1));
    holed.close();
    const std::vector<double> hole = switches(main, std::min(rounds, 3));
    report("2 sent records around 256 MB of NULs", hole, main.ListView5->topLevelItemCount());
    return 0;
}
