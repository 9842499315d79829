#pragma once
// The picture window shown at an interactive start while the main window is held back.
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace corvane {
class Program;
}

namespace corvane::forms {

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(Program& program);

    void Form_Load();
    void startTimer_Timer();
    void Picture1_Click();
    void CloseSplash();

    QLabel* Picture1 = nullptr;
    QTimer* startTimer = nullptr;
    std::int16_t SplashTicks = 0;

protected:
    // The splash takes the keyboard when it is shown, so that a key press closes it.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Program& program_;
};

} // namespace corvane::forms
