#include "console/placement.h"

#include <QEvent>
#include <QFontMetrics>
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

// The window manager's frame around a window, as the main window last had it; none before the main
// window was first shown (or where no window manager draws one).
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

WindowPlacer::WindowPlacer(std::function<QWidget*()> mainWindow) : mainWindow_(std::move(mainWindow)) {}

void WindowPlacer::watch(QWidget* window)
{
    // The window manager keeps a dialog above the window it is transient for; X11 never makes a
    // plain window transient.
    if (window != mainWindow_() && window->windowType() == Qt::Window)
        window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
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
        keepInFront(window);
        place(window);
        toFront(window);
    } else if (event->type() == QEvent::Hide && window == mainWindow_()) {
        mainWindowAt_ = window->frameGeometry().topLeft();
        mainWindowHidden_ = true;
    }
    return false;
}

void WindowPlacer::place(QWidget* window)
{
    const QWidget* main = mainWindow_();
    const bool onMain = main && main != window && main->isVisible();
    const QMargins frame = frameMargins(main);
    const QRect screen = (onMain ? main : window)->screen()->availableGeometry();

    // Wide enough for the whole title, and never larger than the screen.
    QSize size = window->size();
    size.setWidth(std::max(size.width(), std::min(titleWidth(window), window->maximumWidth())));
    size = size.boundedTo(screen.size().shrunkBy(frame)).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);

    QPoint at;
    if (window == main && mainWindowHidden_) {
        at = mainWindowAt_;
    } else {
        QRect framed(QPoint(), size.grownBy(frame));
        framed.moveCenter(onMain ? main->frameGeometry().center() : screen.center());
        at = framed.topLeft();
    }
    // Fully on the screen, whatever the window was centred on.
    const QSize outer = size.grownBy(frame);
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - outer.width())));
    at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - outer.height())));
    window->move(at);
}

// The window manager keeps a window above the one it is transient for, so no window can be lost
// behind a window that takes no input while it is open (the main window while the review is).
void WindowPlacer::keepInFront(QWidget* window)
{
    QWidget* main = mainWindow_();
    QWindow* handle = window->windowHandle();
    if (window == main || !handle)
        return;
    // The window that opened it: the main window, or while that is hidden the window in front.
    QWidget* opener = main && main->isVisible() ? main : front(window);
    QWindow* above = opener ? opener->windowHandle() : nullptr;
    // Never a window that is itself kept above this one: the window manager would have no order.
    for (QWindow* w = above; w; w = w->transientParent()) {
        if (w == handle) {
            above = nullptr;
            break;
        }
    }
    handle->setTransientParent(above);
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
