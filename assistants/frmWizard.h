#pragma once
// The message wizard: walks the operator through the choices of one message in eight screens and
// copies each step's choices into the main window, whose own handlers then run as if the operator
// had clicked there. It sends nothing itself. Its target options follow the administrator's switches
// with the main window's.
#include "console/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <QWindow>
#include <array>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class MultiLineBox;

class frmWizard : public QWidget {
    Q_OBJECT
public:
    explicit frmWizard(Program& program);

    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void ShowWizardStep();
    void ResetWizard();

    void butFwd_Click();
    void butBack_Click();
    void butAdd_Click();
    void butMinus_Click();
    void chkTimeOut_Click();
    void butBrowse_Click();
    void optNuvoclient_Click();
    void optMessenger_Click();
    void optSingle_Click();
    void optDomain_Click();
    void optGroup_Click();
    void optPlain_Click();
    void optHTML_Click();

    QLabel* lblQuestion = nullptr;
    QGroupBox* frameInfo = nullptr; // "Information:"
    MultiLineBox* txtDetail = nullptr;
    QPushButton* butBack = nullptr;
    QPushButton* butFwd = nullptr;
    // One frame per screen, all in the same place; only the current screen's is visible.
    std::array<QGroupBox*, 8> frmStep{};

    // --- step 1: the delivery mode ---
    QRadioButton* optNuvoclient = nullptr;
    QLabel* lblNuvonote = nullptr;
    QRadioButton* optMessenger = nullptr;
    QLabel* lblMessNote = nullptr;
    // --- step 2: the target ---
    QRadioButton* optSingle = nullptr;
    QRadioButton* optDomain = nullptr;
    QRadioButton* optGroup = nullptr;
    QLineEdit* txtTarget = nullptr;
    FileListBox* FileGroupDir = nullptr;
    // --- step 3: headline and window title ---
    QLineEdit* txtHeadline = nullptr;
    QLineEdit* txtTitle = nullptr;
    // --- step 4: date, time and sender ---
    QCheckBox* chkDate = nullptr;
    QCheckBox* chkTime = nullptr;
    QLineEdit* txtFrom = nullptr;
    // --- step 5: time-out ---
    QCheckBox* chkTimeOut = nullptr;
    QPushButton* butAdd = nullptr;
    QPushButton* butMinus = nullptr;
    QLabel* lblMessShow = nullptr;
    // --- step 6: format ---
    QRadioButton* optPlain = nullptr;
    QRadioButton* optHTML = nullptr;
    QLabel* lblFilename = nullptr;
    QLineEdit* txtHTMLfile = nullptr;
    QPushButton* butBrowse = nullptr;
    // --- step 7: the message ---
    MultiLineBox* txtMessage = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildSteps();
    void showStep(int step, const QString& question, const QStringList& help);
    void hideFrames(int from, int to);
    void copyTarget();
    void showMinutes();
    void colour(std::initializer_list<QRadioButton*> options);
    void focusMoved(QWindow* now);

    Program& program_;
    Module1& m1_;
    QPointer<QWindow> lastFocus_; // the program's window that had the focus before
};

} // namespace corvane::forms
