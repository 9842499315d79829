#include "console/placement.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace corvane {

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

void WindowPlacer::watch(QWidget* window) { window->installEventFilter(this); }

bool WindowPlacer::eventFilter(QObject* watched, QEvent* event)
{
    // The program's own showing and hiding, not the window manager's minimising and restoring.
    if (event->spontaneous() || !watched->isWidgetType())
        return false;
    auto* window = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show) {
        place(window);
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

    // Wide enough for the whole title beside the window manager's buttons, and never larger than
    // the screen.
    QFont titleFont = window->font();
    titleFont.setBold(true);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(window->windowTitle()) + 140;
    QSize size = window->size();
    size.setWidth(std::max(size.width(), std::min(titleWidth, window->maximumWidth())));
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

} // namespace corvane
