#include "console/placement.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>

namespace corvane {

int titleWidth(const QWidget* window)
{
    // The window manager draws the title in its own, usually bold, font, beside the window's icon and
    // its buttons.
    QFont titleFont = window->font();
    titleFont.setBold(true);
    return QFontMetrics(titleFont).horizontalAdvance(window->windowTitle()) + 140;
}

namespace {

// The frame the window manager draws around the main window; none before the main window was
// first shown (or where no window manager draws one).
QMargins frameMargins(const QWidget* main)
{
    if (!main || !main->testAttribute(Qt::WA_WState_Created))
        return {};
    const QRect frame = main->frameGeometry();
    const QRect inner = main->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

} // namespace

QPoint framePosition(QSize frame, const QRect& screen, const QRect& over)
{
    QRect framed(QPoint(), frame);
    framed.moveCenter(over.center());
    return {std::clamp(framed.left(), screen.left(), std::max(screen.left(), screen.right() + 1 - frame.width())),
            std::clamp(framed.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - frame.height()))};
}

PairPosition besidePosition(QSize frame, const QRect& screen, const QRect& opener, const QRect& keep)
{
    const int roomRight = screen.right() - opener.right();
    const int roomLeft = opener.left() - screen.left();
    const bool fits = screen.width() >= opener.width() + frame.width();
    const int level =
        std::clamp(opener.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - frame.height()));
    const auto onSide = [&](bool right) {
        PairPosition at{opener.topLeft(), {0, level}};
        const int openerAtEdge = right ? screen.left() : screen.right() + 1 - opener.width();
        if (right) {
            if (roomRight < frame.width())
                at.opener.setX(fits ? screen.right() + 1 - frame.width() - opener.width() : openerAtEdge);
            at.window.setX(fits ? at.opener.x() + opener.width() : screen.right() + 1 - frame.width());
        } else {
            if (roomLeft < frame.width())
                at.opener.setX(fits ? screen.left() + frame.width() : openerAtEdge);
            at.window.setX(fits ? at.opener.x() - frame.width() : screen.left());
        }
        return at;
    };
    const auto covers = [&](const PairPosition& at) {
        return QRect(at.window, frame).intersects(keep.translated(at.opener));
    };
    const bool right = roomRight >= frame.width() || (roomLeft < frame.width() && roomRight >= roomLeft);
    PairPosition at = onSide(right);
    if (!covers(at))
        return at;
    if (const PairPosition other = onSide(!right); !covers(other))
        return other;
    const QRect kept = keep.translated(at.opener);
    if (kept.top() - frame.height() >= screen.top())
        at.window.setY(kept.top() - frame.height());
    else if (kept.bottom() + frame.height() <= screen.bottom())
        at.window.setY(kept.bottom() + 1);
    return at;
}

WindowPlacer::WindowPlacer(std::function<QWidget*()> mainWindow) : mainWindow_(std::move(mainWindow)) {}

void WindowPlacer::watch(QWidget* window, Opening opening)
{
    // The window manager keeps a dialog above the window it is transient for; X11 never makes a
    // plain window transient.
    if (window != mainWindow_() && window->windowType() == Qt::Window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    if (opening == Opening::Beside) {
        std::erase_if(beside_, [](const QPointer<QWidget>& w) { return w.isNull(); });
        beside_.emplace_back(window);
    }
    window->installEventFilter(this);
}

bool WindowPlacer::eventFilter(QObject* watched, QEvent* event)
{
    if (!watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::WindowActivate) {
        toFront(window);
        return false;
    }
    // The program's own showing and hiding, not the window manager's minimising and restoring.
    if (event->spontaneous())
        return false;
    if (event->type() == QEvent::Show) {
        place(window, keepInFront(window));
        toFront(window);
    } else if (event->type() == QEvent::Hide && window == mainWindow_()) {
        mainWindowAt_ = window->geometry().topLeft();
        mainWindowHidden_ = true;
    }
    return false;
}

void WindowPlacer::place(QWidget* window, QWidget* opener)
{
    const QWidget* main = mainWindow_();
    const bool onMain = main && main != window && main->isVisible();
    const bool beside = opener && std::find(beside_.begin(), beside_.end(), window) != beside_.end();
    // Every window gets the frame the window manager drew around the main window when it last saw
    // one: a window's own is not known before it is shown, nor while it is hidden.
    if (const QMargins seen = frameMargins(main); !seen.isNull())
        frame_ = seen;
    const QMargins frame = window->windowType() == Qt::SplashScreen ? QMargins() : frame_;
    const QWidget* on = beside ? opener : onMain ? main : window;
    const QRect screen = on->screen()->availableGeometry();

    // Wide enough for the whole title, and never larger than the screen.
    QSize size = window->size();
    size.setWidth(std::max(size.width(), std::min(titleWidth(window), window->maximumWidth())));
    size = size.boundedTo(screen.size().shrunkBy(frame)).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);

    const QPoint inside(frame.left(), frame.top());
    QPoint at;
    if (window == main && mainWindowHidden_) {
        const QRect was(mainWindowAt_ - inside, size.grownBy(frame));
        at = framePosition(was.size(), screen, was);
    } else if (beside) {
        // The opener is shown: its own frame is known once the window manager has drawn it.
        const QRect around = opener->frameGeometry() != opener->geometry() ? opener->frameGeometry()
                                                                           : opener->geometry().marginsAdded(frame);
        const QPoint openerInside = opener->geometry().topLeft() - around.topLeft();
        // Its buttons stay in sight, whatever else the window covers on a small screen.
        QRect buttons;
        for (const QPushButton* button : opener->findChildren<QPushButton*>()) {
            if (button->isVisible())
                buttons |= QRect(button->mapTo(opener, QPoint()) + openerInside, button->size());
        }
        const PairPosition pair = besidePosition(size.grownBy(frame), screen, around, buttons);
        if (pair.opener != around.topLeft())
            opener->setGeometry(QRect(pair.opener + openerInside, opener->size()));
        at = pair.window;
    } else {
        at = framePosition(size.grownBy(frame), screen, on == window ? screen : on->geometry().marginsAdded(frame));
    }
    // The window is placed by its inside, which the window manager keeps where the program puts it:
    // the same at every opening, whatever Qt happens to know of the window's frame at the time.
    window->setGeometry(QRect(at + inside, size));
}

// The window manager keeps a window above the one it is transient for, so no window can be lost
// behind a window that takes no input while it is open (the main window while the review is).
QWidget* WindowPlacer::keepInFront(QWidget* window)
{
    QWidget* main = mainWindow_();
    QWindow* handle = window->windowHandle();
    if (window == main || !handle)
        return nullptr;
    // The window that opened it: the main window, or while that is hidden the window in front.
    QWidget* opener = main && main->isVisible() ? main : front(window);
    QWindow* above = opener ? opener->windowHandle() : nullptr;
    // Never a window that is itself kept above this one: the window manager would have no order.
    for (QWindow* w = above; w; w = w->transientParent()) {
        if (w == handle) {
            above = nullptr;
            opener = nullptr;
            break;
        }
    }
    handle->setTransientParent(above);
    return above ? opener : nullptr;
}

void WindowPlacer::toFront(QWidget* window)
{
    std::erase_if(byFront_, [window](const QPointer<QWidget>& w) { return w.isNull() || w == window; });
    byFront_.insert(byFront_.begin(), window);
}

QWidget* WindowPlacer::frontWindow() const
{
    return front(nullptr);
}

QWidget* WindowPlacer::front(const QWidget* except) const
{
    // The splash goes by itself, and would take a box it held with it.
    for (const QPointer<QWidget>& w : byFront_) {
        if (w && w != except && w->isVisible() && !w->isMinimized() && w->isEnabled() &&
            w->windowType() != Qt::SplashScreen)
            return w;
    }
    return nullptr;
}

} // namespace corvane
