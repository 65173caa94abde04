#pragma once

// One core job run on a worker thread for a window: its progress reaches a
// progress bar as whole percents, Cancel is a flag the job asks about, the
// waits for another program writing the same database show in the window's
// status text, and the end (with the error the job threw, if any) comes
// back on the window's thread.

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "core/base/error.h"
#include "core/base/progress.h"
#include "core/store/database.h"

class QProgressBar;
class QThread;

namespace vz::gui {

class Worker : public QObject {
    Q_OBJECT
  public:
    // The job gets where to report its progress (called on the worker
    // thread) and a question it asks now and then: true when Cancel was
    // pressed.
    using Job =
        std::function<void(const base::Progress& progress, const std::function<bool()>& cancelled)>;
    // Runs on the window's thread when the job has ended.
    using Done = std::function<void(const std::optional<vz::Error>& error)>;

    explicit Worker(QObject* window);
    // A job still running is asked to stop and waited for.
    ~Worker() override;
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    // The bar shows whole percents, or runs busy while the total is unknown.
    void showProgressIn(QProgressBar* bar);
    // The text property `property` of `target` shows the job's waits.
    void showWaitsIn(QObject* target, const char* property = "text");

    // Starts the job; false (and nothing started) while one runs.
    bool start(Job job, Done done);
    bool running() const { return thread_ != nullptr; }
    // Asks the job to stop; it ends at its next question.
    void cancel() { cancelAsked_ = true; }
    bool cancelAsked() const { return cancelAsked_; }

  private:
    void finished();
    void report(base::ProgressCount done, base::ProgressCount total);

    QThread* thread_ = nullptr;
    std::atomic<bool> cancelAsked_{false};
    std::atomic<int> shownPercent_{-2};
    QPointer<QProgressBar> bar_;
    std::optional<store::WaitObserver> waits_;
    // Written by the worker thread, read after it has ended.
    std::shared_ptr<std::optional<vz::Error>> error_;
    Done done_;
};

}  // namespace vz::gui
