#pragma once
// The message wizard: walks the operator through the choices of one message and copies them into
// the main window. Its target options follow the administrator's switches with the main window's.
#include "console/controls.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class frmWizard : public QWidget {
    Q_OBJECT
public:
    explicit frmWizard(Program &program);

    void Form_Load();

    // --- target step ---
    void optSingle_Click();
    void optDomain_Click();
    void optGroup_Click();

    QGroupBox *frmStep2 = nullptr; // "Select Your Target:"
    QRadioButton *optSingle = nullptr;
    QRadioButton *optDomain = nullptr;
    QRadioButton *optGroup = nullptr;
    QLineEdit *txtTarget = nullptr;
    FileListBox *FileGroupDir = nullptr;

private:
    void colourTargets();

    Program &program_;
    Module1 &m1_;
};

} // namespace corvane::forms
