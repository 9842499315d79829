#pragma once
// The group text editor: a group file edited as free text, cleaned by the computer-name rules when
// it is saved.
#include "console/controls.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmEdit : public QWidget {
    Q_OBJECT
public:
    explicit frmEdit(Program& program);

    void Form_Load();
    void fileGroups_Click();
    void butOpen_Click();
    void txtFile_Change();
    void butSave_Click();
    void butClose_Click();
    void butCloseForm_Click();
    void butCreate_Click();
    void mnuCopy_Click();
    void mnuCut_Click();
    void mnuPaste_Click();
    void butCopy_Click();
    void butCut_Click();
    void butPaste_Click();

    // The file-list state: the file list and "New..." on, the text empty and off, every other
    // command off but "Main Screen...". The menu entry that opens the editor starts from it.
    void SetFileListState();
    // The check file the save writes and reads back.
    QString CheckFilePath() const;

    QPushButton* butCloseForm = nullptr;
    QGroupBox* Frame1 = nullptr; // "Group File:"
    QPushButton* butCreate = nullptr;
    QPushButton* butOpen = nullptr;
    QPushButton* butClose = nullptr;
    QPushButton* butSave = nullptr;
    QGroupBox* Frame2 = nullptr; // "ClipBoard:"
    QPushButton* butCopy = nullptr;
    QPushButton* butCut = nullptr;
    QPushButton* butPaste = nullptr;
    QGroupBox* frameFiles = nullptr;
    FileListBox* fileGroups = nullptr;
    QGroupBox* frameText = nullptr;
    MultiLineBox* txtFile = nullptr;
    QLabel* lblFileInfo = nullptr;
    QMenu* mnuClipboard = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuCut = nullptr;

private:
    // Asks before edits are thrown away; true when there are none or the operator says Yes.
    bool MayDiscardEdits();
    void EnableClipboard(bool enabled);
    // The stages of a save; each returns false when the save stops there.
    bool WriteCheckFile();
    bool ReadCheckFile();
    bool TestCharacters();
    void RemoveDuplicates();
    bool WriteGroupFile();
    // A file the editor could not read or write: the box names it and says what was kept (`changed`:
    // the group file already holds the text).
    void FileFailure(const QString& what, const QString& path, const QString& error, bool changed = false);
    // Wraps a command so that it does nothing while a save runs.
    std::function<void()> command(void (frmEdit::*handler)());

    Program& program_;
    Module1& m1_;
    bool saving_ = false; // a save runs: the editor's commands are ignored meanwhile
};

} // namespace corvane::forms
