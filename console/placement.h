#pragma once
// Where the program's windows open: fully on the screen, centred on the main window while it is
// shown (on the screen while it is hidden), wide enough for their title; the main window comes
// back where it was each time it is shown again.
#include <QObject>
#include <QPoint>
#include <functional>

class QWidget;

namespace corvane {

class WindowPlacer : public QObject {
public:
    // mainWindow gives the main window once it exists.
    explicit WindowPlacer(std::function<QWidget*()> mainWindow);
    // Places the window every time the program shows it.
    void watch(QWidget* window);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place(QWidget* window);

    std::function<QWidget*()> mainWindow_;
    QPoint mainWindowAt_; // the main window's frame position when it was last hidden
    bool mainWindowHidden_ = false;
};

} // namespace corvane
