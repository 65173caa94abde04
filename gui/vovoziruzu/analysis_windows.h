#pragma once

// Looking back at the ratings: the results check of a race file (Races
// menu) and the backtest window (Dogs menu). Both take plain values from the
// main window, so they need nothing of it.

#include <QDialog>
#include <QString>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_report.h"
#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/processing/card.h"
#include "gui/common/worker.h"
#include "gui/vovoziruzu/win_chances_window.h"

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QThread;

namespace vz::gui {

// Races > Check Results of Race File...: asks for the race file, checks it
// and opens the report in the text viewer. Failures show the common error
// message.
void checkRaceFileResults(QWidget* parent, const base::AppPaths& paths,
                          processing::TimeFactors factors, base::Date today);

// Dogs > Backtest...: the options, Start and Cancel with a progress bar, then
// the summary tables and two charts (the top pick's cumulative profit, win %
// by Score band), each savable as PNG.
class BacktestWindow : public QDialog {
    Q_OBJECT
  public:
    BacktestWindow(base::AppPaths paths, processing::TimeFactors factors, base::Date today,
                   QWidget* parent = nullptr);

    bool isRunning() const { return worker_->running(); }
    QString statusText() const;
    // The last completed run's summary and report.
    const std::optional<analysis::BacktestSummary>& summary() const { return summary_; }
    const std::filesystem::path& reportFile() const { return report_; }
    QChartView* profitChart() const { return profitView_; }
    QChartView* scoreChart() const { return scoreView_; }
    QChartView* calibrationChart() const { return winChances_.chart; }
    // The options changed after the shown run.
    bool isMarkedStale() const;

    // For tests: runs on the worker thread just before the pass.
    std::function<void()> beforeRun;

  public slots:
    void start();
    void cancel();
    void viewReport();
    // Saves the chart as a PNG file the user names (asking before replacing).
    void saveChart(QChartView* view, const QString& suggestedName);

  signals:
    void runFinished();

  protected:
    void done(int result) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void finish(std::optional<analysis::BacktestOutcome> outcome,
                const std::optional<vz::Error>& error);
    void markStale();
    void showSummary(const analysis::BacktestOutcome& outcome);
    void setRunning(bool running);
    std::optional<analysis::BacktestOptions> chosenOptions();

    base::AppPaths paths_;
    processing::TimeFactors factors_;
    base::Date today_;

    QCheckBox* chkFrom_;
    QDateEdit* dteFrom_;
    QCheckBox* chkTo_;
    QDateEdit* dteTo_;
    QComboBox* cmbGrade_;
    QComboBox* cmbDistance_;
    QSpinBox* spnMinField_;
    QCheckBox* chkTestFrom_;
    QDateEdit* dteTestFrom_;
    QDoubleSpinBox* spnCommission_;
    QCheckBox* chkCsv_;
    QLabel* status_;
    QLabel* stale_;
    QProgressBar* progress_;
    QPushButton* cmdStart_;
    QPushButton* cmdCancel_;
    QPushButton* cmdViewReport_;
    QPushButton* cmdClose_;
    QTabWidget* tabs_;
    QTableWidget* races_;
    QTableWidget* topPick_;
    QTableWidget* figures_;
    QTableWidget* alerts_;
    QTableWidget* advice_;
    QTableWidget* staking_;
    QTableWidget* months_;
    QLabel* evidence_;
    QChartView* profitView_;
    QChartView* scoreView_;
    QCheckBox* chkWinChances_;
    WinChancesTabs winChances_;

    Worker* worker_;
    std::optional<analysis::BacktestSummary> summary_;
    std::filesystem::path report_;
};

// Opens the backtest window, modal, over `parent`.
void showBacktestWindow(QWidget* parent, const base::AppPaths& paths,
                        processing::TimeFactors factors, base::Date today);

}  // namespace vz::gui
