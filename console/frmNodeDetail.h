#pragma once
// The node-diagnosis window: what became of one target and what may have gone wrong.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane {
class Program;
class Module1;
} // namespace corvane

namespace corvane::forms {

class frmNodeDetail : public QWidget {
    Q_OBJECT
public:
    explicit frmNodeDetail(Program& program);

    void Form_Load();
    void butClose_Click();
    void butUserGuide_Click();

    // Fills the window for one target of the distribution (its index in the result lists).
    void ShowNode(int index);

    QLabel* lblNode = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblPing = nullptr;
    QLabel* lblPrevious = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* lblReason = nullptr;
    QLabel* lblReas1 = nullptr;
    QLabel* lblReas2 = nullptr;
    QLabel* lblReas3 = nullptr;
    QLabel* lblReas4 = nullptr;
    QPushButton* butUserGuide = nullptr;
    QPushButton* butClose = nullptr;

private:
    Program& program_;
    Module1& m1_;
};

} // namespace corvane::forms
