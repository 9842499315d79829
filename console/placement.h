#pragma once
// Where the program's windows open: fully on the screen, centred on the main window while it is
// shown (on the screen while it is hidden), wide enough for their title, and kept in front of the
// window that opened them; the main window comes back where it was each time it is shown again.
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <vector>

class QWidget;

namespace corvane {

// The width a window needs to show its whole title beside the window manager's buttons.
int titleWidth(const QWidget* window);

class WindowPlacer : public QObject {
public:
    // mainWindow gives the main window once it exists.
    explicit WindowPlacer(std::function<QWidget*()> mainWindow);
    // Places the window every time the program shows it.
    void watch(QWidget* window);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The shown window the operator last had in front, and that takes input; none while no window
    // is shown.
    QWidget* frontWindow() const;

private:
    void place(QWidget* window);
    void keepInFront(QWidget* window);
    void toFront(QWidget* window);
    QWidget* front(const QWidget* except) const;

    std::function<QWidget*()> mainWindow_;
    std::vector<QPointer<QWidget>> byFront_; // the watched windows, the last shown or activated first
    QPoint mainWindowAt_;                    // the main window's frame position when it was last hidden
    bool mainWindowHidden_ = false;
};

} // namespace corvane
