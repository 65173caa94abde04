#pragma once

// The pattern of the main program's modal work windows (running-style update,
// counter reset, the deletions): a text, an optional calendar, "Start" and
// "Cancel". "Start" may ask first, then hides the buttons, shows the busy
// text and runs the work off the window thread with a progress bar, so the
// window stays modal and keeps repainting; it reports completion under
// "Complete" and closes.

#include <QDialog>
#include <QString>
#include <atomic>
#include <functional>
#include <optional>

#include "core/base/dates.h"
#include "core/base/error.h"
#include "core/base/paths.h"
#include "core/base/progress.h"
#include "core/dogs/texts.h"

class QCalendarWidget;
class QLabel;
class QProgressBar;
class QPushButton;

namespace vz::gui {

class Worker;

class WorkWindow : public QDialog {
    Q_OBJECT

  public:
    ~WorkWindow() override;

    QLabel* label() const { return label_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QPushButton* startButton() const { return cmdOK_; }
    QPushButton* cancelButton() const { return cmdCancel_; }
    QProgressBar* progressBar() const { return progress_; }
    bool running() const;

    // The calendar's date (whole days); none for a window without one.
    std::optional<base::Date> chosenDate() const;
    void setChosenDate(base::Date d);

    // "Start" as the button runs it.
    void start();

    // Run on "Start" after any question, before the work: false keeps the
    // window as it was and runs nothing (the dog editor that must close
    // first did not).
    void setBeforeWork(std::function<bool()> beforeWork) { beforeWork_ = std::move(beforeWork); }

  signals:
    // After the work: true when it completed, false when it failed (the
    // error has been shown). Not sent when a question was answered No.
    void workFinished(bool completed);

  protected:
    WorkWindow(const char* name, const QString& caption, const QString& text, bool withCalendar,
               QWidget* parent);

    // On the window thread when "Start" is clicked, before any question:
    // takes what the work needs from the controls (the work must not touch
    // them from its thread).
    virtual void prepare() {}
    // The question asked under "Confirm" before the work, if any.
    virtual std::optional<QString> confirmation() const { return std::nullopt; }
    virtual QString busyText() const { return QStringLiteral("Deleting, please wait..."); }
    // Runs on the worker thread: opens its own database connections.
    virtual void work(const base::Progress& progress) = 0;
    // On the window thread after the work has completed; may throw.
    virtual void afterWork() {}
    virtual QString completionText() const = 0;

    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void workDone();

    QLabel* label_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    Worker* worker_ = nullptr;
    std::function<bool()> beforeWork_;
    std::optional<vz::Error> error_;
    bool cursorSet_ = false;
};

// `Zero`: every dog's four counters back to 0. No question: the window is
// the confirmation.
class ZeroCountersWindow : public WorkWindow {
    Q_OBJECT

  public:
    explicit ZeroCountersWindow(const base::AppPaths& paths, QWidget* parent = nullptr);

  protected:
    QString busyText() const override;
    void work(const base::Progress& progress) override;
    QString completionText() const override;

  private:
    base::AppPaths paths_;
};

// `DeleteRaceData`, `DeleteDogs` and `DeleteRacesResults`: a date from the
// calendar, a question when it is recent, the deletion.
class DeletionWindow : public WorkWindow {
    Q_OBJECT

  public:
    DeletionWindow(dogs::Deletion kind, const base::AppPaths& paths, base::Date today,
                   QWidget* parent = nullptr);

    dogs::Deletion kind() const { return kind_; }

  protected:
    void prepare() override;
    std::optional<QString> confirmation() const override;
    QString busyText() const override;
    void work(const base::Progress& progress) override;
    QString completionText() const override;

  private:
    dogs::Deletion kind_;
    base::AppPaths paths_;
    base::Date today_;
    base::Date chosen_;
};

}  // namespace vz::gui
