#pragma once
// The window that follows a distribution node by node. The operator cannot close it; the
// distribution fills it and unloads it when it ends.
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace corvane {
class Program;
}

namespace corvane::forms {

class frmProgress : public QWidget {
    Q_OBJECT
public:
    explicit frmProgress(Program& program);

    void Form_Load();

    // The bar's exact share, 0 to 100; the bar itself shows it rounded.
    double value() const { return value_; }
    void setValue(double value);
    // Brings the window on screen up to date: at once, or, within 40 ms of the last such paint, at
    // the end of those 40 ms, so that a fast distribution does not spend its time painting frames
    // nobody can follow.
    void Refresh();

    QLabel* lblNode = nullptr;
    QLabel* lblAmount = nullptr;
    QProgressBar* Prog1 = nullptr;
    QLabel* lblNote = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool sizeFixed_ = false;
    double value_ = 0;
    QElapsedTimer lastPaint_;
    QTimer* frameTimer_ = nullptr;
};

} // namespace corvane::forms
