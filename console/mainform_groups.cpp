// The "Group Management" tab.
#include "console/mainform.h"

#include "console/frmNodeStatus.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "groups/groupfiles.h"

#include <QFile>
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
    bindClick(tab2butdeletegroup, [this] { tab2butdeletegroup_Click(); });
    bindClick(tab2butRenameGroup, [this] { tab2butRenameGroup_Click(); });
    tab2filelist->onClick([this] { tab2filelist_Click(); });
    auto* manage = new QVBoxLayout(tab2frame2);
    manage->addWidget(tab2butAddGroup);
    manage->addWidget(tab2butdeletegroup);
    manage->addWidget(tab2butRenameGroup);
    manage->addWidget(tab2lblselgroup);
    manage->addStretch();

    tab2frame3 = named(new QGroupBox(QStringLiteral("Nodes"), tab), "tab2frame3");
    List1 = named(new ClickListBox(tab2frame3), "List1",
                  QStringLiteral("Your Nodes for the selected group will be displayed here"));
    List1->setEnabled(false);
    List1->setUniformItemSizes(true);
    List1->onClick([this] { List1_Click(); });
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
    bindClick(tab2butAddCPU, [this] { tab2butAddCPU_Click(); });
    bindClick(tab2butDelCPU, [this] { tab2butDelCPU_Click(); });
    bindClick(tab2butSave, [this] { tab2butSave_Click(); });
    bindClick(tab2butClose, [this] { tab2butClose_Click(); });
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

namespace {
const QString kInformation = QStringLiteral("Corvane - Information");
const QString kAltered = QStringLiteral("The File has been altered.  Please Save or Close the file before renaming.");
} // namespace

void mainform::groupFileFailure(const QString& text)
{
    m1_.dialogs().msgBox(text, MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - File Access Error"));
}

void mainform::showGroupNodes()
{
    // One pass with the drawing held back: a group of thousands of names is rebuilt at once.
    const QIcon computer = frmNodeStatus::nodeIcon(0);
    List1->setUpdatesEnabled(false);
    List1->clear();
    for (const QString& node : std::as_const(m1_.GroupNodes))
        List1->addItem(new QListWidgetItem(computer, node));
    List1->setUpdatesEnabled(true);
    List1->repaint();
}

void mainform::tab2filelist_Click()
{
    const QString file = tab2filelist->fileName();
    if (file.isEmpty())
        return;
    List1->setEnabled(true);
    if (m1_.GroupDirty == 1) {
        m1_.dialogs().msgBox(kAltered, MsgButtons::Ok, MsgIcon::None, kInformation);
        // The open group stays open; the list shows it selected again, so that nothing seems to
        // act on the group that was clicked.
        tab2filelist->selectFile(m1_.EditGroupFile);
        return;
    }

    m1_.GetFreeFileNumber();
    ReadResult group;
    {
        BusyPointer busy(this);
        group = readTextLines(m1_.GroupsPath + file);
    }
    if (!group.ok) {
        groupFileFailure(QStringLiteral("The group file ") + file + QStringLiteral(" cannot be opened (") +
                         group.error + QStringLiteral(").  Please check that it is still in the Groups folder."));
        tab2filelist->Refresh();
        if (!tab2butClose->isEnabled() || !tab2filelist->selectFile(m1_.EditGroupFile))
            tab2filelist->clearSelection();
        return;
    }
    // An empty line would end the group for every later add and Save, and drop the names after it.
    group.lines.removeAll(QString());
    if (group.lines.size() > 10001) {
        m1_.dialogs().msgBox(QStringLiteral("The specified file is too large.(GROUP DISPLAY)"), MsgButtons::Ok,
                             MsgIcon::None, kInformation);
        program_.groupGeneral().ResetGroupsTab();
        return;
    }

    m1_.NodeCount = 0;
    m1_.GroupNodes.clear();
    List1->clear();
    tab2butDelCPU->setEnabled(false);
    m1_.EditGroupFile = file;
    m1_.EditGroupName = file.chopped(4);
    tab2lblselgroup->setText(m1_.EditGroupName);
    for (QPushButton* button : {tab2butdeletegroup, tab2butRenameGroup, tab2butClose, tab2butAddCPU})
        button->setEnabled(true);
    tab2butAddGroup->setEnabled(false);
    tab2frame3->setTitle(QStringLiteral("Nodes In ") + m1_.EditGroupName);
    {
        BusyPointer busy(this);
        m1_.GroupNodes = std::move(group.lines);
        m1_.NodeCount = static_cast<std::int16_t>(m1_.GroupNodes.size());
        showGroupNodes();
    }
    tab2discpu->setText(QStringLiteral("Click Add..."));
    cpunumberslbl->setText(QString::number(m1_.NodeCount));
    if (m1_.NodeCount == 0)
        List1->setEnabled(false);
}

void mainform::List1_Click()
{
    if (m1_.NodeCount == 0) {
        m1_.dialogs().msgBox(QStringLiteral("You have no Nodes to select in this group!"), MsgButtons::Ok,
                             MsgIcon::Information, kInformation);
        return;
    }
    const int row = List1->currentRow();
    if (row < 0 || row >= m1_.GroupNodes.size() || !List1->currentItem()->isSelected())
        return;
    tab2butDelCPU->setEnabled(true);
    m1_.SelectedNodeIndex = static_cast<std::int16_t>(row);
    tab2discpu->setText(upperName(m1_.GroupNodes[row]));
}

void mainform::tab2butAddGroup_Click()
{
    program_.groupGeneral().CreateGroup();
}

void mainform::tab2butAddCPU_Click()
{
    List1->setEnabled(true);
    if (m1_.NodeCount >= m1_.MaxNodesPerGroup) {
        program_.groupGeneral().ShowGroupFull();
        return;
    }
    const QString title = m1_.PrefixEnabled == 1 ? QStringLiteral("Add Computer *With Prefix: ") +
                                                       upperName(m1_.console().prefixText()) + QStringLiteral("*")
                                                 : QStringLiteral("Add Computer");
    m1_.NewComputerName = m1_.dialogs().inputBox(QStringLiteral("Enter a Computer Name:"), title);
    if (m1_.NewComputerName.isEmpty())
        return;
    AddComputerToGroup();
    // A refused name marks the group changed all the same; the refusal took its count back already.
    tab2butSave->setEnabled(true);
    m1_.GroupDirty = 1;
    tab2filelist->setEnabled(false);
    m1_.NodeCount = static_cast<std::int16_t>(m1_.NodeCount + 1);
    cpunumberslbl->setText(QString::number(m1_.NodeCount));
}

void mainform::AddComputerToGroup()
{
    const QString name =
        upperName(m1_.PrefixEnabled == 1 ? m1_.console().prefixText() + m1_.NewComputerName : m1_.NewComputerName);
    if (m1_.GroupNodes.contains(name, Qt::CaseSensitive)) {
        m1_.dialogs().msgBox(
            QStringLiteral("Computer Entered already Exists in Group.  Please enter a different name."), MsgButtons::Ok,
            MsgIcon::None, kInformation);
    } else if (!GroupGeneral::ForbiddenCharIn(name).isNull()) {
        m1_.dialogs().msgBox(QStringLiteral("Computer Entered has an Invalid Name (contains: '/\\[]:;|<>+=,?*).  "
                                            "Please enter a different name."),
                             MsgButtons::Ok, MsgIcon::None, kInformation);
    } else if (GroupGeneral::IsNodeNameTooLong(name)) {
        program_.groupGeneral().ShowNodeNameTooLong(name);
    } else {
        m1_.GroupNodes.append(name);
        showGroupNodes();
        SetStatus(4, name + QStringLiteral(" was added to the Group"));
        return;
    }
    // A refusal takes back the count that "+" is about to add.
    m1_.NodeCount = static_cast<std::int16_t>(m1_.NodeCount - 1);
}

void mainform::tab2butDelCPU_Click()
{
    if (m1_.SelectedNodeIndex < 0 || m1_.SelectedNodeIndex >= m1_.GroupNodes.size())
        return;
    const QString entry = m1_.GroupNodes[m1_.SelectedNodeIndex];
    if (m1_.dialogs().msgBox(
            QStringLiteral("Are you sure you wish to Delete ") + entry + QStringLiteral(" from the group?"),
            MsgButtons::YesNo, MsgIcon::None, QStringLiteral("Corvane - Delete Computer")) != MsgAnswer::Yes)
        return;
    m1_.GroupDirty = 1;
    tab2butSave->setEnabled(true);
    tab2discpu->setText(QStringLiteral("Click Add..."));
    SetStatus(4, entry + QStringLiteral(" has been removed from the Group"));
    RemoveComputerFromGroup();
    m1_.NodeCount = static_cast<std::int16_t>(m1_.NodeCount - 1);
    cpunumberslbl->setText(QString::number(m1_.NodeCount));
}

void mainform::RemoveComputerFromGroup()
{
    m1_.GroupNodes.removeAt(m1_.SelectedNodeIndex);
    m1_.SelectedNodeIndex = static_cast<std::int16_t>(m1_.GroupNodes.size());
    showGroupNodes();
    // A computer must be selected again before the next removal.
    tab2butDelCPU->setEnabled(false);
}

void mainform::tab2butSave_Click()
{
    m1_.GetFreeFileNumber();
    const MsgAnswer answer = m1_.dialogs().msgBox(QStringLiteral("Save the current Group?"), MsgButtons::YesNo,
                                                  MsgIcon::None, QStringLiteral("Corvane - Information:"));
    if (answer != MsgAnswer::Yes)
        return;
    // The open group's file, whatever the list shows selected.
    const QString path = m1_.GroupsPath + m1_.EditGroupFile;
    QString error;
    bool written = false;
    bool changed = false;
    {
        BusyPointer busy(this);
        written = writeWholeFile(path, crlfLines(m1_.GroupNodes), &error, &changed);
    }
    if (!written) {
        groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                         QStringLiteral(" could not be saved (") + error +
                         (changed ? QStringLiteral(").  It holds the new computers, but a crash may still bring back "
                                                   "the earlier ones; the group stays open with its changes.")
                                  : QStringLiteral(").  It keeps its earlier computers; the group stays open with "
                                                   "its changes.")));
        return;
    }
    m1_.GroupDirty = 0;
    program_.groupGeneral().ResetGroupsTab();
    SetStatus(3, QStringLiteral("Group file Saved!"));
}

void mainform::tab2butClose_Click()
{
    if (m1_.GroupDirty == 1) {
        if (m1_.dialogs().msgBox(QStringLiteral("Close Group without saving?"), MsgButtons::YesNo, MsgIcon::None,
                                 QStringLiteral("Corvane - Information:")) != MsgAnswer::Yes)
            return;
        m1_.GroupDirty = 0;
        program_.groupGeneral().ResetGroupsTab();
        SetStatus(4, QStringLiteral("Group ") + m1_.EditGroupName + QStringLiteral(" closed without Saving."));
        return;
    }
    m1_.GroupDirty = 0;
    program_.groupGeneral().ResetGroupsTab();
}

void mainform::tab2butdeletegroup_Click()
{
    if (m1_.dialogs().msgBox(QStringLiteral("Are you sure you wish to Delete this Group?"), MsgButtons::YesNo,
                             MsgIcon::None, QStringLiteral("Corvane - Delete")) != MsgAnswer::Yes)
        return;
    // The open group's file, whatever the list shows selected.
    QFile file(m1_.GroupsPath + m1_.EditGroupFile);
    if (!file.exists()) {
        groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                         QStringLiteral(" is no longer in the Groups folder, so it could not be deleted."));
        return;
    }
    if (isWriteProtected(file.fileName())) {
        groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                         QStringLiteral(" is write-protected and was not deleted."));
        return;
    }
    if (!file.remove()) {
        groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                         QStringLiteral(" could not be deleted (") + file.errorString() + QStringLiteral(")."));
        return;
    }
    program_.groupGeneral().ResetGroupsTab();
    m1_.GroupDirty = 0;
    SetStatus(4, QStringLiteral("Group Deleted"));
}

void mainform::tab2butRenameGroup_Click()
{
    m1_.EditGroupName = m1_.EditGroupFile.chopped(4);
    if (m1_.GroupDirty == 1) {
        m1_.dialogs().msgBox(kAltered, MsgButtons::Ok, MsgIcon::None, kInformation);
        return;
    }
    m1_.RenameGroupTo = upperName(m1_.dialogs().inputBox(
        QStringLiteral("Rename ") + m1_.EditGroupName + QStringLiteral(" to:"), QStringLiteral("Rename Group ")));
    if (m1_.RenameGroupTo.isEmpty())
        return;
    RenameGroupFile();
}

void mainform::RenameGroupFile()
{
    const QString target = m1_.RenameGroupTo + QStringLiteral(".mit");
    const auto refuse = [this](const QString& why) {
        m1_.dialogs().msgBox(QStringLiteral("The group ") + m1_.EditGroupName + QStringLiteral(" was not renamed: ") +
                                 why,
                             MsgButtons::Ok, MsgIcon::Exclamation, QStringLiteral("Corvane - Error Input"));
    };
    if (const QString problem = GroupGeneral::groupNameProblem(m1_.RenameGroupTo); !problem.isEmpty()) {
        refuse(problem);
        return;
    }
    // On a folder that tells SALES.mit from Sales.mit, the two would still be one group in every list.
    const QString existing = program_.groupGeneral().existingGroupFile(target);
    if (!existing.isEmpty() && existing != m1_.EditGroupFile) {
        refuse(QStringLiteral("a group named ") + m1_.RenameGroupTo +
               QStringLiteral(" already exists.  Please enter a different name."));
        return;
    }
    const QString from = m1_.GroupsPath + m1_.EditGroupFile;
    if (target != m1_.EditGroupFile) {
        QFile file(from);
        // QFile never renames over an existing file.
        if (!file.rename(m1_.GroupsPath + target)) {
            groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                             QStringLiteral(" could not be renamed (") + file.errorString() + QStringLiteral(")."));
            return;
        }
    } else if (!QFile::exists(from)) {
        groupFileFailure(QStringLiteral("The group file ") + m1_.EditGroupFile +
                         QStringLiteral(" is no longer in the Groups folder."));
        return;
    }
    SetStatus(4, m1_.EditGroupFile + QStringLiteral(" was Renamed"));
    program_.groupGeneral().ResetGroupsTab();
}

} // namespace corvane::forms
