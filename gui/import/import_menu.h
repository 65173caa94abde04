#pragma once

#include <QDialog>
#include <QLabel>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "gui/import/import_bridge.h"

class QPushButton;

namespace vz::gui {

class ImportUiHooks;
class ImporterDialog;

// A label that acts like a button when clicked.
class ClickableLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// `ImportMenu`, the Import program's start-up window. Opening it reads the
// five source settings files; closing it writes them and ends the program.
class ImportMenu : public QDialog {
    Q_OBJECT
  public:
    ImportMenu(base::AppPaths paths, ImportUiHooks& hooks, QWidget* parent = nullptr);
    ~ImportMenu() override;

    const RememberedFolders& folders() const { return folders_; }
    // The date the imports take as today; the clock's date unless fixed
    // (a test may fix it).

    // Called with each importer window after its files were chosen, before
    // it is shown (a test hooks in here).
    std::function<void(ImporterDialog&)> onImporterReady;

  public slots:
    // Row `index` of the menu (0 TrackInfo ... 4 QAV TEST).
    void openImporter(int index);
    void openTrackList();

  protected:
    void done(int result) override;
    void showEvent(QShowEvent* event) override;

  private:
    void showFaults(const std::vector<SettingsFault>& faults);

    base::AppPaths paths_;
    ImportUiHooks& hooks_;
    RememberedFolders folders_;
    std::vector<std::string> rowFormats_;  // the format of each menu row
    bool saved_ = false;
    bool placed_ = false;
};

}  // namespace vz::gui
