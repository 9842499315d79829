// The tab set of the main window: every switch of tab brings the shared state back to a known point.
#include "console/mainform.h"

#include "console/program.h"

#include <QSignalBlocker>

namespace corvane::forms {

void mainform::wireTabs()
{
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, previous = SSTab1->currentIndex()](int) mutable {
        SSTab1_Click(previous);
        previous = SSTab1->currentIndex(); // the switch may have been taken back
    });
}

void mainform::SSTab1_Click(int PreviousTab)
{
    // A hosts file or a group left open is closed as its own "Close" button closes it: with changes,
    // only after its question. Hosts edits the operator keeps keep their tab, as if it had never
    // been left, so that they stay in sight until they are saved or dropped.
    if (tab3butClose->isEnabled()) {
        tab3butClose_Click();
        if (tab3butClose->isEnabled()) {
            const QSignalBlocker unswitched(SSTab1);
            SSTab1->setCurrentIndex(PreviousTab);
            return;
        }
    }
    m1_.ApplyTargetSwitches();
    if (optHTML->isChecked())
        showHtmlMessage();
    if (tab2butClose->isEnabled())
        tab2butClose_Click();
    tab1filelist->Refresh();
    tab1filelist->setCurrentItem(nullptr); // no group is chosen now, so none is shown chosen
    m1_.SelectedGroupFile.clear();
    ListView5->setEnabled(false);
    ListView4->setEnabled(false);
    if (SSTab1->currentIndex() == 3) {
        LoadSentLog();
        LoadFailNodesLog();
    }
    List1->setEnabled(false);
}

} // namespace corvane::forms
