#pragma once

// The processing window `Process`: asks for the race file, then runs the
// handicapping run off the window thread with a progress bar, and opens the
// results report (or the error report of missing dogs) in the text viewer.

#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>

#include "gui/common/worker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vz::gui {

class MainWindow;

class ProcessWindow : public QDialog {
    Q_OBJECT
  public:
    ProcessWindow(MainWindow& main, QWidget* parent = nullptr);

    // The file dialog and the set-up; false when the dialog is cancelled
    // (silently) or the file or the dog database cannot be opened (after a
    // message naming the file and the cause).
    bool prepare();
    // Set-up on a chosen file (prepare() without the dialog).
    bool prepareFile(const QString& raceFile);

    bool isRunning() const { return worker_->running(); }
    QString statusText() const;
    // The file opened in the viewer at the end, if any.
    const std::optional<std::filesystem::path>& openedFile() const { return opened_; }

  public slots:
    void start();

  signals:
    void runFinished();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void finish(const std::optional<std::filesystem::path>& file,
                const std::optional<vz::Error>& error);

    MainWindow& main_;
    QString raceFile_;
    QString raceTitle_;
    QLabel* label_;
    QProgressBar* progress_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
    Worker* worker_;
    bool started_ = false;
    std::optional<std::filesystem::path> opened_;
};

}  // namespace vz::gui
