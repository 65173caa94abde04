#include "gui/common/worker.h"

#include <QProgressBar>
#include <QThread>
#include <exception>

#include "gui/common/waiting.h"

namespace vz::gui {

Worker::Worker(QObject* window) : QObject(window) {}

Worker::~Worker() {
    if (thread_) {
        cancelAsked_ = true;
        thread_->wait();
        delete thread_;
    }
}

void Worker::showProgressIn(QProgressBar* bar) {
    bar_ = bar;
}

void Worker::showWaitsIn(QObject* target, const char* property) {
    waits_ = gui::showWaitsIn(target, property);
}

bool Worker::start(Job job, Done done) {
    if (thread_)
        return false;
    cancelAsked_ = false;
    shownPercent_ = -2;
    error_ = std::make_shared<std::optional<vz::Error>>();
    done_ = std::move(done);
    base::Progress progress = [this](base::ProgressCount d, base::ProgressCount t) {
        report(d, t);
    };
    std::function<bool()> cancelled = [this] { return cancelAsked_.load(); };
    thread_ = QThread::create([job = std::move(job), progress, cancelled, error = error_,
                               waits = waits_.value_or(store::WaitObserver())] {
        const store::WaitObserverScope scope(waits);
        try {
            job(progress, cancelled);
        } catch (const vz::Error& e) {
            *error = e;
        } catch (const std::exception& e) {
            *error = vz::Error(e.what());
        }
    });
    connect(thread_, &QThread::finished, this, &Worker::finished, Qt::QueuedConnection);
    thread_->start();
    return true;
}

void Worker::report(base::ProgressCount done, base::ProgressCount total) {
    // Worker thread: only a change of whole percent goes to the window, so
    // that a long job never floods it with events.
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : -1;
    if (shownPercent_.exchange(percent) == percent)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, percent] {
            if (!bar_ || !thread_)
                return;
            if (percent < 0) {
                bar_->setRange(0, 0);
            } else {
                bar_->setRange(0, 100);
                bar_->setValue(percent);
            }
        },
        Qt::QueuedConnection);
}

void Worker::finished() {
    if (!thread_)
        return;
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    const std::optional<vz::Error> error = *error_;
    Done done = std::move(done_);
    if (done)
        done(error);
}

}  // namespace vz::gui
