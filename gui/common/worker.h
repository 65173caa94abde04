#pragma once

// One core job run on a worker thread for a window: its progress reaches a
// progress bar as whole percents, Cancel is a flag the job asks about, the
// waits for another program writing the same database show in the window's
// status text, and the end (with the error the job threw, if any) comes
// back on the window's thread.

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

#include "core/base/error.h"
#include "core/base/progress.h"
#include "core/store/database.h"

class QBoxLayout;
class QHBoxLayout;
class QProgressBar;
class QPushButton;
class QThread;
class QWidget;

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
    // A bar named `name`, empty until a job runs, added to `layout`, that
    // shows the progress.
    QProgressBar* addProgressBar(QWidget* window, QBoxLayout* layout, const char* name);
    // The text property `property` of `target` shows the job's waits, and
    // "Cancelling..." after Cancel.
    void showWaitsIn(QObject* target, const char* property = "text");
    // Only "Cancelling..." (for a window that does not show the waits).
    void showCancellingIn(QObject* target, const char* property = "text");

    // Starts the job; false (and nothing started) while one runs.
    bool start(Job job, Done done);
    // Starts a job that returns what it made: `done` gets that (nothing when
    // the job threw) and the error. The worker holds it meanwhile, so the
    // job needs nothing of the window.
    template <typename ValueJob, typename ValueDone>
    bool run(ValueJob job, ValueDone done);
    bool running() const { return thread_ != nullptr; }
    // Asks a running job to stop (it ends at its next question) and says
    // "Cancelling...".
    void cancel();
    bool cancelAsked() const { return cancelAsked_; }

  private:
    void finished();
    void report(base::ProgressCount done, base::ProgressCount total);

    QThread* thread_ = nullptr;
    std::atomic<bool> cancelAsked_{false};
    std::atomic<int> shownPercent_{-2};
    QPointer<QProgressBar> bar_;
    std::optional<store::WaitObserver> waits_;
    QPointer<QObject> cancellingTarget_;
    const char* cancellingProperty_ = "text";
    // Written by the worker thread, read after it has ended.
    std::shared_ptr<std::optional<vz::Error>> error_;
    Done done_;
};

template <typename ValueJob, typename ValueDone>
bool Worker::run(ValueJob job, ValueDone done) {
    using Value =
        std::invoke_result_t<ValueJob&, const base::Progress&, const std::function<bool()>&>;
    auto made = std::make_shared<std::optional<Value>>();
    return start(
        [job = std::move(job), made](const base::Progress& progress,
                                     const std::function<bool()>& cancelled) mutable {
            made->emplace(job(progress, cancelled));
        },
        [done = std::move(done), made](const std::optional<vz::Error>& error) mutable {
            done(std::move(*made), error);
        });
}

// What the buttons of a window that runs a job do when clicked. A window
// without `close` closes when its job ends.
struct JobActions {
    std::function<void()> start{};
    std::function<void()> cancel{};
    std::function<void()> close{};
};

// The buttons of such a window, in a row after a stretch: `startCaption`
// (the default button, "cmdOK"), "Cancel" ("cmdCancel") and, with a close
// action, "Close" ("cmdClose"); Cancel then stays disabled until a job runs.
struct JobButtons {
    QPushButton* start = nullptr;
    QPushButton* cancel = nullptr;
    QPushButton* close = nullptr;
    QHBoxLayout* row = nullptr;  // for the caller's layout
};
JobButtons makeJobButtons(QWidget* window, const QString& startCaption, const JobActions& actions);

}  // namespace vz::gui
