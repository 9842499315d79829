// The tab set of the main window: every switch of tab brings the shared state back to a known point.
#include "console/mainform.h"

#include "console/program.h"

namespace corvane::forms {

void mainform::wireTabs()
{
    connect(SSTab1, &QTabWidget::currentChanged, this, [this, previous = SSTab1->currentIndex()](int now) mutable {
        const int before = previous;
        previous = now;
        SSTab1_Click(before);
    });
}

void mainform::SSTab1_Click(int /*PreviousTab*/)
{
    m1_.ApplyTargetSwitches();
    if (optHTML->isChecked())
        showHtmlMessage();
    // A hosts file or a group left open is closed as its own "Close" button closes it: the hosts
    // file unsaved, a group with changes only after its question.
    if (tab3butClose->isEnabled())
        tab3butClose_Click();
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
