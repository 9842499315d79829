// The group tab with a full group: opening a group of 5999 names, adding the 6000th and removing
// one, on the shown main window; the best and the worst of several rounds of each.
//
//   bench_grouptab [rounds]      (default 10)
#include "bench/timing.h"
#include "console/mainform.h"
#include "console/program.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::bench;

int main(int argc, char* argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QApplication app(argc, argv);
    TestProgram t;
    t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
    t.start();
    forms::mainform& m = t.main();
    m.show();
    m.SSTab1->setCurrentIndex(1);
    QApplication::processEvents();

    QByteArray names;
    for (int i = 0; i < 5999; ++i)
        names += "PC-" + QByteArray::number(i) + "\r\n";
    t.write(QStringLiteral("Groups/FLOOR.mit"), names);
    m.tab2filelist->Refresh();

    Times open, add, remove;
    for (int round = 0; round < rounds; ++round) {
        t.dialogs->answer(MsgAnswer::Yes); // "Close Group without saving?" of the round before
        m.tab2butClose_Click();
        m.tab2filelist->selectFile(QStringLiteral("FLOOR.mit"));
        open.add(timed([&] { m.tab2filelist_Click(); }));
        t.dialogs->type(QStringLiteral("NEW-PC"));
        add.add(timed([&] { m.tab2butAddCPU_Click(); }));
        m.List1->setCurrentRow(3000);
        m.List1_Click();
        t.dialogs->answer(MsgAnswer::Yes);
        remove.add(timed([&] { m.tab2butDelCPU_Click(); }));
    }
    std::printf("group of 5999 names (6000 after the addition), %d rounds (ms, best / worst):\n", rounds);
    std::printf("  open:   %7.2f / %7.2f\n", open.best, open.worst);
    std::printf("  add:    %7.2f / %7.2f\n", add.best, add.worst);
    std::printf("  remove: %7.2f / %7.2f\n", remove.best, remove.worst);
    return 0;
}
