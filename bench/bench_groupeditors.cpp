// The two group editors at their limit of 6000 names, on shown windows; the best and the worst of
// several rounds of each:
// - the group text editor's Save of 6000 distinct names, and of 3000 names each typed twice (check
//   file written and read back, the duplicate search, the group file);
// - the numbered-name generator calculating PC-0001 to PC-6000 and saving them into a new group.
//
//   bench_groupeditors [rounds]      (default 10)
#include "bench/timing.h"
#include "console/mainform.h"
#include "console/program.h"
#include "groups/frmEdit.h"
#include "groups/frmNumeric.h"
#include "tests/support/testprogram.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

using namespace corvane;
using namespace corvane::test;
using namespace corvane::bench;

namespace {

QString namesText(int distinct, int times)
{
    QString text;
    for (int copy = 0; copy < times; ++copy) {
        for (int i = 0; i < distinct; ++i)
            text += QStringLiteral("pc-%1\r\n").arg(i);
    }
    return text;
}

// One save of the text into LAB.mit, from the editing state.
double editorSave(TestProgram& t, const QString& text)
{
    forms::frmEdit& e = t.program().frmEdit();
    e.SetFileListState();
    e.fileGroups->selectFile(QStringLiteral("LAB.mit"));
    e.fileGroups_Click();
    e.butOpen_Click();
    e.txtFile->setText(text);
    QApplication::processEvents();
    t.dialogs->shown.clear();
    return timed([&] { e.butSave_Click(); });
}

} // namespace

int main(int argc, char* argv[])
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    QApplication app(argc, argv);
    TestProgram t;
    t.setSetting(QStringLiteral("STARTUP"), QStringLiteral("0"));
    t.start();

    t.write(QStringLiteral("Groups/LAB.mit"), "");
    forms::frmEdit& editor = t.program().frmEdit();
    editor.fileGroups->Refresh();
    editor.show();
    const QString distinct = namesText(6000, 1);
    const QString pairs = namesText(3000, 2);
    Times unique, doubled;
    for (int round = 0; round < rounds; ++round) {
        unique.add(editorSave(t, distinct));
        doubled.add(editorSave(t, pairs));
    }
    editor.hide();

    forms::frmNumeric& generator = t.program().frmNumeric();
    generator.show();
    generator.opt2Numeric->click();
    generator.txt1Text->setText(QStringLiteral("PC-"));
    generator.txt2Text->setText(QStringLiteral("0001"));
    generator.Endtxt2Text->setText(QStringLiteral("6000"));
    Times generate;
    for (int round = 0; round < rounds; ++round) {
        QFile::remove(t.path("Groups/FLOOR.MIT"));
        t.dialogs->chooseFile(t.path("Groups/floor"));
        generate.add(timed([&] {
            generator.butCalculate_Click();
            generator.butSaveTo_Click();
        }));
    }

    std::printf("6000 names, %d rounds (ms, best / worst):\n", rounds);
    std::printf("  text editor Save, distinct names:      %7.2f / %7.2f\n", unique.best, unique.worst);
    std::printf("  text editor Save, 3000 pairs:          %7.2f / %7.2f\n", doubled.best, doubled.worst);
    std::printf("  generator Calculate and Save:          %7.2f / %7.2f\n", generate.best, generate.worst);
    return 0;
}
