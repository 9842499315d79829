#pragma once
// Group files: creating an empty group, the rules of computer names, and putting the group tab back
// into its no-group-open state while every list of groups is refreshed.
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

    // --- computer-name rules, shared by every editor of groups ---
    // The first character of the name, from its first to its last, that no computer name may hold
    // (one of * " ' space / \ [ ] : ; | < > + = , ?, or one a single-byte group file cannot store); a
    // null character when it has none.
    static QChar ForbiddenCharIn(const QString& name);
    // "Your node entered [NAME] contains more then 14 Characters..." (title "Corvane - Error Input").
    void ShowNodeNameTooLong(const QString& name);
    // "You are only allowed [6000] Nodes per group file..." (title "Corvane - Information").
    void ShowGroupFull();

    // Why a group name cannot name a file, or an empty text when it can.
    static QString groupNameProblem(const QString& name);
    // The name on disk of the group file that matches the file name without regard to case, or an
    // empty text when the Groups folder holds none.
    QString existingGroupFile(const QString& fileName) const;

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane
