#pragma once
// The options dialog. Several of its controls are the live values of the system: the alias box is
// the sender alias, the prefix box the name prefix, the path label the hosts file.
#include "console/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmOptions : public QWidget {
    Q_OBJECT
public:
    explicit frmOptions(Program& program);

    void Form_Load();
    void Dir1_Change();
    void File1_Click();
    void butDefault_Click();
    void optLogMsgON_Click();
    void optLogMsgOFF_Click();
    void optPrefixON_Click();
    void optPrefixOFF_Click();
    void butDeleteMsgLog_Click();
    void optOKbut_Click();

    QGroupBox* Frame4 = nullptr; // "Message Template:"
    MultiLineBox* txtTemplate = nullptr;
    QGroupBox* Frame6 = nullptr; // "Message Sent From:"
    QLineEdit* txtAlias = nullptr;
    QPushButton* butDefault = nullptr;
    QGroupBox* Frame5 = nullptr; // "Startup:"
    QCheckBox* chkStartup = nullptr;
    QGroupBox* Frame3 = nullptr; // "Log Sent Messages:"
    QRadioButton* optLogMsgON = nullptr;
    QRadioButton* optLogMsgOFF = nullptr;
    QPushButton* butDeleteMsgLog = nullptr;
    QGroupBox* Frame2 = nullptr; // "Group Node Prefix:"
    QRadioButton* optPrefixON = nullptr;
    QRadioButton* optPrefixOFF = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtPrefix = nullptr;
    QGroupBox* Frame1 = nullptr;   // "Hosts File Location:"
    FolderListBox* Dir1 = nullptr; // the folder whose files the file list shows
    FileListBox* File1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* optOKbut = nullptr;

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
