#pragma once

// Keeping windows on the screen they open on: saved and default sizes are
// capped to the screen's free area (without task bars), report windows open
// beside the window that asked for them, and large screens give a window
// its share of the room.

#include <QRect>
#include <QSize>

class QWidget;

namespace vz::gui {

// The free area of the screen `near` stands on, else of the primary screen.
QRect freeScreenArea(const QWidget* near);

// Resizes and moves the top-level `window` so that its frame lies wholly on
// the free area of its screen (or `near`'s, when it is not shown yet). The
// frame's margins are the window's own once shown, else those of `near`.
void keepOnScreen(QWidget* window, const QWidget* near = nullptr);

// Gives a window that has no saved size the size it needs, or a share of a
// large screen where that is more, then keeps it on the screen.
void sizeForScreen(QWidget* window, QSize needs, const QWidget* near = nullptr);

// Places a report window beside the window that opened it: a step down and
// right of the opener's corner (a further step for each report already
// there), capped and kept on the screen.
void placeBeside(QWidget* window, const QWidget* opener);

}  // namespace vz::gui
