// The "Group Management" tab.
#include "console/mainform.h"

#include "console/program.h"
#include "groups/groupfiles.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace corvane::forms {

QWidget* mainform::buildGroupTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("tabGroups"));

    tab2frame1 = named(new QGroupBox(QStringLiteral("Groups Available"), tab), "tab2frame1");
    tab2filelist = named(new FileListBox(tab2frame1), "tab2filelist", QStringLiteral("Select a group to edit"));
    tab2filelist->setPattern(QStringLiteral("*.mit"));
    (new QVBoxLayout(tab2frame1))->addWidget(tab2filelist);

    tab2frame2 = named(new QGroupBox(QStringLiteral("Group Management"), tab), "tab2frame2");
    tab2butAddGroup = named(new QPushButton(QStringLiteral("Create"), tab2frame2), "tab2butAddGroup",
                            QStringLiteral("Click here to Create a new group file"));
    tab2butdeletegroup = named(new QPushButton(QStringLiteral("Delete"), tab2frame2), "tab2butdeletegroup",
                               QStringLiteral("Select a Group then click here to delete it"));
    tab2butRenameGroup = named(new QPushButton(QStringLiteral("Rename"), tab2frame2), "tab2butRenameGroup",
                               QStringLiteral("Select a group then click here to Rename it"));
    tab2lblselgroup = named(new QLabel(QStringLiteral("none..."), tab2frame2), "tab2lblselgroup");
    tab2butdeletegroup->setEnabled(false);
    tab2butRenameGroup->setEnabled(false);
    bindClick(tab2butAddGroup, [this] { tab2butAddGroup_Click(); });
    auto* manage = new QVBoxLayout(tab2frame2);
    manage->addWidget(tab2butAddGroup);
    manage->addWidget(tab2butdeletegroup);
    manage->addWidget(tab2butRenameGroup);
    manage->addWidget(tab2lblselgroup);
    manage->addStretch();

    tab2frame3 = named(new QGroupBox(QStringLiteral("Nodes"), tab), "tab2frame3");
    List1 = named(new QListWidget(tab2frame3), "List1",
                  QStringLiteral("Your Nodes for the selected group will be displayed here"));
    List1->setEnabled(false);
    tab2butAddCPU = named(new QPushButton(QStringLiteral("+"), tab2frame3), "tab2butAddCPU",
                          QStringLiteral("Click here to Add a computer to a group"));
    tab2butDelCPU = named(new QPushButton(QStringLiteral("-"), tab2frame3), "tab2butDelCPU",
                          QStringLiteral("First select a computer in the above group and Click here to Remove it "
                                         "from the group"));
    tab2lbl10 = named(new QLabel(QStringLiteral("In Group:"), tab2frame3), "tab2lbl10");
    cpunumberslbl = named(new QLabel(QStringLiteral("0"), tab2frame3), "cpunumberslbl");
    tab2discpu = named(new QLabel(QStringLiteral("Select a Group"), tab2frame3), "tab2discpu");
    tab2butSave = named(new QPushButton(QStringLiteral("Save"), tab2frame3), "tab2butSave",
                        QStringLiteral("Click to Save the current Group"));
    tab2butClose = named(new QPushButton(QStringLiteral("Close"), tab2frame3), "tab2butClose",
                         QStringLiteral("Click here to close the selected group without Saving any changes made"));
    for (QPushButton* button : {tab2butAddCPU, tab2butDelCPU, tab2butSave, tab2butClose})
        button->setEnabled(false);
    auto* nodes = new QGridLayout(tab2frame3);
    nodes->addWidget(List1, 0, 0, 1, 4);
    nodes->addWidget(tab2butAddCPU, 1, 0);
    nodes->addWidget(tab2butDelCPU, 1, 1);
    nodes->addWidget(tab2lbl10, 1, 2);
    nodes->addWidget(cpunumberslbl, 1, 3);
    nodes->addWidget(tab2discpu, 2, 0, 1, 4);
    nodes->addWidget(tab2butSave, 3, 0, 1, 2);
    nodes->addWidget(tab2butClose, 3, 2, 1, 2);

    auto* layout = new QHBoxLayout(tab);
    layout->addWidget(tab2frame1, 1);
    layout->addWidget(tab2frame2);
    layout->addWidget(tab2frame3, 2);
    return tab;
}

void mainform::tab2butAddGroup_Click() { program_.groupGeneral().CreateGroup(); }

} // namespace corvane::forms
