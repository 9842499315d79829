#pragma once
// Where the program's windows open: fully on the screen, centred on the main window while it is
// shown (on the screen while it is hidden) or beside the window that opened them, wide enough for
// their title, at the same place at every opening, and kept in front of the window that opened
// them; the main window comes back where it was each time it is shown again.
#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <functional>
#include <vector>

class QWidget;

namespace corvane {

// The width a window needs to show its whole title beside the window manager's buttons.
int titleWidth(const QWidget* window);

// Where a window's frame of that size goes on the screen: centred on the frame `over`, and fully on
// the screen (from its top-left corner when it is the larger).
QPoint framePosition(QSize frame, const QRect& screen, const QRect& over);

// Where a window's frame opened beside the frame `opener` goes, and where the opener's frame goes:
// the window level with the opener, to its right, else to its left, where the screen has room there.
// Where neither side has room, the opener moves aside, towards the edge on the side with less room,
// just as far as the pair needs to stand side by side. A pair wider than the screen stands against
// both edges, the window never over `keep` (the opener's controls that must stay in sight, relative
// to its frame's top-left corner): it takes the other side, or else moves above or below them.
struct PairPosition {
    QPoint opener;
    QPoint window;
};
PairPosition besidePosition(QSize frame, const QRect& screen, const QRect& opener, const QRect& keep = {});

// Where a window opens.
enum class Opening {
    Centred, // on the main window, or on the screen while it is hidden
    Beside,  // beside the window that opened it, whose contents it would otherwise hide
};

class WindowPlacer : public QObject {
public:
    // mainWindow gives the main window once it exists.
    explicit WindowPlacer(std::function<QWidget*()> mainWindow);
    // Places the window every time the program shows it.
    void watch(QWidget* window, Opening opening = Opening::Centred);
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The shown window the operator last had in front, and that takes input; none while no window
    // is shown.
    QWidget* frontWindow() const;

private:
    void place(QWidget* window, QWidget* opener);
    QWidget* keepInFront(QWidget* window);
    void toFront(QWidget* window);
    QWidget* front(const QWidget* except) const;

    std::function<QWidget*()> mainWindow_;
    std::vector<QPointer<QWidget>> byFront_; // the watched windows, the last shown or activated first
    std::vector<QPointer<QWidget>> beside_;  // the windows that open beside their opener
    QMargins frame_;                         // the window manager's frame, as the main window last had it
    QPoint mainWindowAt_;                    // where the main window's inside was when it was last hidden
    bool mainWindowHidden_ = false;
};

} // namespace corvane
