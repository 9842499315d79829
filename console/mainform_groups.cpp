// The "Group Management" tab.
#include "console/mainform.h"

#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildGroupTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabGroups"));
    tab2filelist = new FileListBox(tab);
    tab2filelist->setObjectName(QStringLiteral("tab2filelist"));
    tab2filelist->setPattern(QStringLiteral("*.mit"));
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(tab2filelist);
    return tab;
}

} // namespace corvane::forms
