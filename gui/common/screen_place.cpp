#include "gui/common/screen_place.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include "core/editing/screen_fit.h"

namespace vz::gui {

namespace {

// A window without a saved size takes this share of a large screen.
constexpr int kRoomyPercent = 60;
// The step between report windows opened one after another.
constexpr int kCascadeStep = 28;

editing::FrameMargins marginsOf(const QWidget* window, const QWidget* near) {
    const QWidget* w = window->isVisible() ? window : (near ? near->window() : nullptr);
    if (!w || !w->isVisible()) {
        // Not known before the desktop frames a window: the style's title bar
        // and a thin border, so that the title bar is not placed off the top.
        const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const int border = window->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        return {border, title + border, border, border};
    }
    const QRect frame = w->frameGeometry();
    const QRect inside = w->geometry();
    return {inside.left() - frame.left(), inside.top() - frame.top(),
            frame.right() - inside.right(), frame.bottom() - inside.bottom()};
}

QRect fitted(const QRect& inside, const QRect& free, const editing::FrameMargins& m) {
    const editing::ScreenRect r =
        editing::fitOnScreen({inside.x(), inside.y(), inside.width(), inside.height()},
                             {free.x(), free.y(), free.width(), free.height()}, m);
    return {r.left, r.top, r.width, r.height};
}

// Sets the inside rectangle of a top-level window: move() places the frame.
void applyInside(QWidget* window, const QRect& inside, const editing::FrameMargins& m) {
    window->resize(inside.size());
    window->move(inside.left() - m.left, inside.top() - m.top);
}

}  // namespace

QRect freeScreenArea(const QWidget* near) {
    const QScreen* screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void keepOnScreen(QWidget* window, const QWidget* near) {
    const editing::FrameMargins m = marginsOf(window, near);
    const QRect free = freeScreenArea(window->isVisible() || !near ? window : near);
    const QRect inside(window->pos() + QPoint(m.left, m.top), window->size());
    applyInside(window, fitted(inside, free, m), m);
}

void sizeForScreen(QWidget* window, QSize needs, const QWidget* near) {
    const QRect free = freeScreenArea(near ? near : window);
    const editing::ScreenSize size = editing::roomySize(
        {needs.width(), needs.height()}, {free.width(), free.height()}, kRoomyPercent);
    window->resize(size.width, size.height);
    keepOnScreen(window, near);
}

void placeBeside(QWidget* window, const QWidget* opener) {
    const QWidget* top = opener ? opener->window() : nullptr;
    const editing::FrameMargins m = marginsOf(window, top);
    const QRect free = freeScreenArea(top);
    QPoint corner = top ? top->frameGeometry().topLeft() : free.topLeft();
    // One step for this window, one more for each report window already
    // standing at a step: a new one never hides an older one exactly.
    int steps = 1;
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->metaObject() == window->metaObject())
            ++steps;
    }
    corner += QPoint(kCascadeStep, kCascadeStep) * ((steps - 1) % 8 + 1);
    const QRect inside(corner + QPoint(m.left, m.top), window->size());
    applyInside(window, fitted(inside, free, m), m);
}

}  // namespace vz::gui
