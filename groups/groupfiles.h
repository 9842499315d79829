#pragma once
// Group files: creating an empty group, the length rule of computer names, and putting the group tab
// back into its no-group-open state while every list of groups is refreshed.
#include <QString>

namespace corvane {

class Program;
class Module1;

class GroupGeneral {
public:
    explicit GroupGeneral(Program& program);

    // Asks for a group name and creates the empty group.
    void CreateGroup();
    // Creates <GroupsPath><NewGroupName>.mit empty (NewGroupName is upper-cased first). False, after a
    // box that says why, when the name cannot be a group file or the group already exists.
    bool WriteNewGroupFile();
    static bool IsNodeNameTooLong(const QString& name);
    void ResetGroupsTab();

    // Why a group name cannot name a file, or an empty text when it can.
    static QString groupNameProblem(const QString& name);

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane
