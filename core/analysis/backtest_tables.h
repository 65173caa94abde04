#pragma once

// The backtest's tables, built once from the summary: the report prints
// them and the backtest window shows them. With a test period every table
// but the races' shows the development and the test period side by side.

#include <string>
#include <vector>

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
    Table staking;     // the top pick's bets followed: level and to-win stakes
    Table months;      // their profit by month
    Table years;       // and by year
    // The rows with a p-value, and how many of them are below 0.05.
    long tested = 0;
    long significant = 0;
};

BacktestTables backtestTables(const BacktestSummary& summary);

// What the tables' evidence can and cannot say, in plain words: the
// multiple-testing warning, how to read A/E and the ranges, and with a test
// period which column is evidence.
std::vector<std::string> evidenceNotes(const BacktestTables& tables, bool testPeriod);

}  // namespace vz::analysis
