#pragma once

// The backtest's tables, built once from the summary: the report prints
// them and the backtest window shows them.

#include "core/analysis/backtest.h"
#include "core/analysis/table.h"

namespace vz::analysis {

struct BacktestTables {
    Table races;     // lines read, races rebuilt, skipped by reason, rated
    Table allRaces;  // the top pick over all races rated
    Table splits;    // the top pick by Score margin, grade and distance
    Table figures;   // each figure's own pick
    Table alerts;
    Table advice;
    Table scoreBands;  // win % by Score band, every rated dog
};

BacktestTables backtestTables(const BacktestSummary& summary);

}  // namespace vz::analysis
