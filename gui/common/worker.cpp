#include "gui/common/worker.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
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

QProgressBar* Worker::addProgressBar(QWidget* window, QBoxLayout* layout, const char* name) {
    auto* bar = new QProgressBar(window);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setRange(0, 1);
    bar->setValue(0);
    layout->addWidget(bar);
    showProgressIn(bar);
    return bar;
}

void Worker::showWaitsIn(QObject* target, const char* property) {
    waits_ = gui::showWaitsIn(target, property);
    showCancellingIn(target, property);
}

void Worker::showCancellingIn(QObject* target, const char* property) {
    cancellingTarget_ = target;
    cancellingProperty_ = property;
}

void Worker::cancel() {
    if (!running())
        return;
    cancelAsked_ = true;
    if (cancellingTarget_)
        cancellingTarget_->setProperty(cancellingProperty_, QStringLiteral("Cancelling..."));
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

JobButtons makeJobButtons(QWidget* window, const QString& startCaption, const JobActions& actions) {
    JobButtons b;
    b.row = new QHBoxLayout;
    b.row->addStretch(1);
    auto add = [&](const QString& caption, const char* name, const std::function<void()>& action) {
        auto* button = new QPushButton(caption, window);
        button->setObjectName(QString::fromLatin1(name));
        b.row->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, window, action);
        return button;
    };
    b.start = add(startCaption, "cmdOK", actions.start);
    b.start->setDefault(true);
    b.cancel = add(QStringLiteral("Cancel"), "cmdCancel", actions.cancel);
    if (actions.close) {
        b.cancel->setEnabled(false);
        b.close = add(QStringLiteral("Close"), "cmdClose", actions.close);
    }
    return b;
}

}  // namespace vz::gui
