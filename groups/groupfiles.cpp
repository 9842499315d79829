#include "groups/groupfiles.h"

#include "assistants/frmSchedule.h"
#include "console/mainform.h"
#include "console/program.h"
#include "engine/textfile.h"
#include "groups/frmEdit.h"

#include <QDir>
#include <cerrno>

#include <fcntl.h>

namespace corvane {

namespace {
const QString kErrorInput = QStringLiteral("Corvane - Error Input");
const QString kFileAccess = QStringLiteral("Corvane - File Access Error");
// The characters no computer name may hold, in the order they are tested.
const QString kForbiddenNodeChars = QStringLiteral("*\"' /\\[]:;|<>+=,?");
} // namespace

GroupGeneral::GroupGeneral(Program& program) : program_(program), m1_(program.module1()) {}

void GroupGeneral::CreateGroup()
{
    const QString answer =
        m1_.dialogs().inputBox(QStringLiteral("Enter a Group Name:"), QStringLiteral("Create Group"));
    if (answer.isEmpty())
        return;
    m1_.NewGroupName = answer;
    WriteNewGroupFile();
}

QString GroupGeneral::groupNameProblem(const QString& name)
{
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (const QChar c : name) {
        if (forbidden.contains(c))
            return QStringLiteral("A group name cannot contain the character %1  (not allowed: \\ / : * ? \" < > |).")
                .arg(c);
        // Group files and the files that name them are single-byte text.
        if (c.unicode() < 0x20 || !inAnsi(c))
            return QStringLiteral("A group name can only hold printable characters of the Western alphabet.");
    }
    if (!Module1::IsNameInFolder(name))
        return QStringLiteral("\"%1\" is not a name a group file can have.").arg(name);
    return {};
}

bool GroupGeneral::WriteNewGroupFile()
{
    m1_.NewGroupName = upperName(m1_.NewGroupName);
    const QString name = m1_.NewGroupName;
    if (const QString problem = groupNameProblem(name); !problem.isEmpty()) {
        m1_.dialogs().msgBox(problem + QStringLiteral("  The group was not created."), MsgButtons::Ok,
                             MsgIcon::Exclamation, kErrorInput);
        return false;
    }
    const QDir folder(m1_.GroupsPath);
    if (!folder.exists()) {
        m1_.dialogs().msgBox(QStringLiteral("The Groups folder ") + QDir::toNativeSeparators(m1_.GroupsPath) +
                                 QStringLiteral(" is missing.  The group was not created."),
                             MsgButtons::Ok, MsgIcon::Critical, kFileAccess);
        return false;
    }
    const QString fileName = name + QStringLiteral(".mit");
    if (!existingGroupFile(fileName).isEmpty()) {
        m1_.dialogs().msgBox(QStringLiteral("A group named ") + name +
                                 QStringLiteral(" already exists.  Please enter a different name."),
                             MsgButtons::Ok, MsgIcon::Exclamation, kErrorInput);
        return false;
    }
    m1_.GetFreeFileNumber();
    // O_EXCL: a file that appeared meanwhile is never emptied.
    if (!openRegularFile(m1_.GroupsPath + fileName, O_WRONLY | O_CREAT | O_EXCL).isOpen()) {
        m1_.dialogs().msgBox(QStringLiteral("The group file ") + fileName + QStringLiteral(" could not be created (") +
                                 fileErrorText(errno) + QStringLiteral(").  The group was not created."),
                             MsgButtons::Ok, MsgIcon::Critical, kFileAccess);
        return false;
    }
    ResetGroupsTab();
    return true;
}

// Group lists match names without regard to case, so SALES.mit and sales.MIT would be one group.
QString GroupGeneral::existingGroupFile(const QString& fileName) const
{
    return forms::frmSchedule::FindFileNoCase(m1_.GroupsPath, fileName);
}

bool GroupGeneral::IsNodeNameTooLong(const QString& name)
{
    return name.size() > 14;
}

QChar GroupGeneral::ForbiddenCharIn(const QString& name)
{
    for (const QChar c : name) {
        // Group files are single-byte text: a character they cannot hold would come back as another.
        if (kForbiddenNodeChars.contains(c) || c.unicode() < 0x20 || !inAnsi(c))
            return c;
    }
    return {};
}

void GroupGeneral::ShowNodeNameTooLong(const QString& name)
{
    m1_.dialogs().msgBox(QStringLiteral("Your node entered [") + name +
                             QStringLiteral("] contains more then 14 Characters.  It will not be added to the Group."),
                         MsgButtons::Ok, MsgIcon::None, kErrorInput);
}

void GroupGeneral::ShowGroupFull()
{
    m1_.dialogs().msgBox(QStringLiteral("You are only allowed [") + QString::number(m1_.MaxNodesPerGroup) +
                             QStringLiteral("] Nodes per group file.  We suggest you create another group file for "
                                            "ease of use."),
                         MsgButtons::Ok, MsgIcon::None, QStringLiteral("Corvane - Information"));
}

void GroupGeneral::ResetGroupsTab()
{
    forms::mainform& main = program_.mainform();
    main.List1->clear();
    m1_.GroupNodes.clear();
    main.tab2lblselgroup->setText(QStringLiteral("none..."));
    main.tab2frame3->setTitle(QStringLiteral("Computers"));
    main.tab2butdeletegroup->setEnabled(false);
    main.tab2butRenameGroup->setEnabled(false);
    main.tab2butClose->setEnabled(false);
    main.tab2butAddGroup->setEnabled(true);
    main.tab2butAddCPU->setEnabled(false);
    main.tab2butDelCPU->setEnabled(false);
    main.tab2butSave->setEnabled(false);
    main.tab1filelist->Refresh();
    main.List1->setEnabled(false);
    main.tab2discpu->setText(QStringLiteral("Select a Group"));
    m1_.NodeCount = 0;
    main.cpunumberslbl->setText(QStringLiteral("0"));
    main.tab2filelist->setEnabled(true);
    main.tab2filelist->Refresh();
    program_.frmEdit().fileGroups->Refresh();
    m1_.GroupDirty = 0;
}

} // namespace corvane
