#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "gui/common/worker.h"
#include "gui/import/import_bridge.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vz::gui {

class ImportUiHooks;

// One importer window (`ImportDPAK`, `ImportQAV`, `ImportROS`,
// `ImportTrackInfo`, `ImportDerbyLane`), driven by its format's description.
// prepare() asks for the files; exec() then waits for "Start Import" or
// "Cancel". The import itself runs on a thread of its own, so the window
// keeps painting its progress; it cannot be closed until the run ends.
class ImporterDialog : public QDialog {
    Q_OBJECT
  public:
    ImporterDialog(ImporterDescription description, base::AppPaths paths, base::Date today,
                   ImportUiHooks& hooks, QWidget* parent = nullptr);

    // The open sequence: input dialogs and the new race file's name (the
    // run makes the file; Cancel leaves the name as it was). False when it
    // did not complete (a cancelled dialog or an error); the window is then
    // not to be shown.
    bool prepare();

    QString statusText() const;
    const std::vector<std::filesystem::path>& inputFiles() const { return inputs_; }
    const std::optional<std::filesystem::path>& raceFile() const { return raceFile_; }
    bool importing() const { return worker_->running(); }

  signals:
    void importFinished();

  public slots:
    void startImport();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    bool chooseInputs();
    bool chooseRaceFile();
    void showFiles();
    void onWorkerDone();

    ImporterDescription description_;
    base::AppPaths paths_;
    base::Date today_;
    ImportUiHooks& hooks_;

    QLabel* label1_;
    QLabel* files_;  // what the run reads and the race file it writes
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
    QProgressBar* progress_;

    std::vector<std::filesystem::path> inputs_;
    std::optional<std::filesystem::path> raceFile_;
    Worker* worker_;
    ImportOutcome outcome_;
};

}  // namespace vz::gui
