#pragma once

// What the backtest leaves for a person: the plain-text report in the
// results folder, in the look of the results report, and a CSV file with one
// row per rated dog for spreadsheets.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_tables.h"
#include "core/analysis/walk_forward.h"
#include "core/base/dates.h"
#include "core/base/paths.h"

namespace vz::analysis {

inline constexpr std::string_view kBacktestReportName = "Backtest - Results.txt";

std::string backtestReport(const BacktestSummary& summary, const BacktestTables& tables,
                           base::Date today);

// The counts of races and the top pick's overall tally: the head of the
// report, and what the terminal prints.
std::string backtestSummaryText(const BacktestTables& tables);

// The CSV's first row, and the rows of one race (one per dog, in the
// report's order). Fields that hold a comma, a quote or a line end are
// quoted, quotes doubled; rows end in CR LF.
// With win chances each row ends in WinChance and FairOdds (empty for a race
// not priced; `chances` follow race.dogs).
std::string csvHeader(bool winChances = false);
void appendCsvRows(std::string& out, const RatedPastRace& race,
                   const std::vector<double>* chances = nullptr);

struct BacktestRun {
    base::AppPaths paths;
    BacktestRequest request;
    base::Date today;
    std::optional<std::filesystem::path> csv;      // also write the CSV here
    std::optional<WalkForwardOptions> winChances;  // also judge win chances
};

struct BacktestOutcome {
    BacktestSummary summary;
    BacktestTables tables;         // none when cancelled
    std::filesystem::path report;  // empty when cancelled
    std::optional<WalkForwardSummary> winChances;
};

// Why the CSV of `run` may not be written where it is asked (a file of the
// system's own, a database, the run's own report...), or nothing.
std::optional<std::string> csvRefusal(const BacktestRun& run);

// The backtest over the dog database of `paths`: the report goes into the
// results folder (replacing the last one), the CSV where asked. A cancelled
// run writes nothing; options that choose no race write nothing and throw
// vz::Error saying so. A CSV that csvRefusal refuses throws vz::Error
// before anything is read.
BacktestOutcome runBacktest(const BacktestRun& run);

}  // namespace vz::analysis
