#pragma once

// Showing that a database step waits for another program that is writing
// the same database: in a window's status text (steps run on a worker
// thread), or in the active window's title with the wait cursor (steps run
// on the window thread, which cannot repaint while it waits).

#include <QPointer>
#include <QString>

#include "core/store/database.h"

class QObject;
class QWidget;

namespace vz::gui {

// An observer for a worker thread's waits: the text property `property` of
// `target` (a label's "text", a progress box's "labelText") shows the
// waiting, then gets its own text back. Safe to call from any thread.
store::WaitObserver showWaitsIn(QObject* target, const char* property = "text");

// While it lives, the waits of the window thread show in the active window's
// title, under the wait cursor. One per program, made in main().
class WindowThreadWaits {
  public:
    WindowThreadWaits();
    ~WindowThreadWaits();
    WindowThreadWaits(const WindowThreadWaits&) = delete;
    WindowThreadWaits& operator=(const WindowThreadWaits&) = delete;

  private:
    void show(const store::WaitNotice& notice);
    void restore();

    QPointer<QWidget> window_;
    QString title_;
    bool active_ = false;
    store::WaitObserverScope scope_;
};

}  // namespace vz::gui
