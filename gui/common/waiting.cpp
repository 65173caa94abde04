#include "gui/common/waiting.h"

#include <QApplication>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <memory>
#include <optional>

namespace vz::gui {

store::WaitObserver showWaitsIn(QObject* target, const char* property) {
    // The target's own text while a wait shows; empty when none does.
    auto saved = std::make_shared<std::optional<QString>>();
    QPointer<QObject> to(target);
    return [to, property, saved](const store::WaitNotice& notice) {
        const QString text = QString::fromStdString(store::waitingText(notice));
        const bool over = notice.over;
        QMetaObject::invokeMethod(
            to.data(),
            [to, property, saved, text, over] {
                if (!to) {
                    return;
                }
                if (over) {
                    if (*saved) {
                        to->setProperty(property, **saved);
                        saved->reset();
                    }
                    return;
                }
                if (!*saved) {
                    *saved = to->property(property).toString();
                }
                to->setProperty(property, text);
            },
            Qt::QueuedConnection);
    };
}

WindowThreadWaits::WindowThreadWaits()
    : scope_([this](const store::WaitNotice& notice) { show(notice); }) {}

WindowThreadWaits::~WindowThreadWaits() {
    restore();
}

void WindowThreadWaits::show(const store::WaitNotice& notice) {
    if (notice.over) {
        restore();
        return;
    }
    if (!active_) {
        active_ = true;
        window_ = QApplication::activeWindow();
        title_ = window_ ? window_->windowTitle() : QString();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        // Back to normal as soon as the window thread runs its loop again,
        // whatever step it was that waited.
        QTimer::singleShot(0, qApp, [this] { restore(); });
    }
    if (window_) {
        window_->setWindowTitle(title_ + QStringLiteral(" - ") +
                                QString::fromStdString(store::waitingText(notice)));
    }
}

void WindowThreadWaits::restore() {
    if (!active_) {
        return;
    }
    active_ = false;
    if (window_) {
        window_->setWindowTitle(title_);
    }
    window_.clear();
    QApplication::restoreOverrideCursor();
}

}  // namespace vz::gui
