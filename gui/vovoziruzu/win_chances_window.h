#pragma once

// Dogs > Win Chances...: choose the inputs and the days, fit the model
// (progress, Cancel), read its coefficients and the calibration of the same
// races priced walk-forward, and turn the report's Win% and Fair on or off.
// Also the backtest window's win-chance tabs.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/analysis/walk_forward.h"
#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/processing/card.h"
#include "gui/common/worker.h"

class QChart;
class QChartView;
class QCheckBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace vz::gui {

// Predicted chance against the share that won, by band, with the diagonal
// where a calibrated model lies.
QChart* calibrationChart(const analysis::WalkForwardSummary& summary);

// The two tabs the backtest window gains for a walk-forward run: the tables
// and the calibration chart.
struct WinChancesTabs {
    QTableWidget* table = nullptr;
    QChartView* chart = nullptr;

    void addTo(QTabWidget* tabs);
    void show(const analysis::WalkForwardSummary& summary);
};

class WinChancesWindow : public QDialog {
    Q_OBJECT
  public:
    WinChancesWindow(base::AppPaths paths, processing::TimeFactors factors,
                     QWidget* parent = nullptr);

    bool isRunning() const { return worker_->running(); }
    QString statusText() const;
    QTableWidget* coefficients() const { return coefficients_; }
    QChartView* chart() const { return chart_; }
    QCheckBox* reportColumns() const { return chkReport_; }

  public slots:
    void fit();
    void cancel();

  signals:
    void fitFinished();

  protected:
    void reject() override;

  private:
    void finish(const std::optional<analysis::JudgedFit>& fit,
                const std::optional<vz::Error>& error);
    void showModel(const analysis::WinModel& model);
    void setRunning(bool running);

    base::AppPaths paths_;
    processing::TimeFactors factors_;
    std::vector<QCheckBox*> groups_;
    QCheckBox* chkFrom_;
    QDateEdit* dteFrom_;
    QCheckBox* chkTo_;
    QDateEdit* dteTo_;
    QDoubleSpinBox* spnPenalty_;
    QCheckBox* chkReport_;
    QLabel* status_;
    QLabel* model_;
    QProgressBar* progress_;
    QPushButton* cmdFit_;
    QPushButton* cmdCancel_;
    QPushButton* cmdClose_;
    QTabWidget* tabs_;
    QTableWidget* coefficients_;
    QChartView* chart_;

    Worker* worker_;
};

// The checkable menu item that turns Win% and Fair on the reports on or off
// (kept in WinChances.ini); it shows the choice each time the menu opens.
void addWinChancesSwitch(QMenu* menu, const std::filesystem::path& appDir);

void showWinChancesWindow(QWidget* parent, const base::AppPaths& paths,
                          processing::TimeFactors factors);

}  // namespace vz::gui
