#pragma once

// The walk-forward judgement of the win chances as tables (the report prints
// them, the backtest window shows them) and as the report's section.

#include <string>
#include <utility>
#include <vector>

#include "core/analysis/table.h"
#include "core/analysis/walk_forward.h"

namespace vz::analysis {

struct WalkForwardTables {
    Table races;        // what was priced, how the model was refitted
    Table judgement;    // log loss and pseudo-R2: model, market, both
    Table calibration;  // by predicted-chance band
    Table bets;         // value bets and the quarter-Kelly bank
};

WalkForwardTables walkForwardTables(const WalkForwardSummary& summary);

// The section the backtest report gains, under its own titles.
std::string walkForwardSection(const WalkForwardSummary& summary);

// Each band with dogs: its mean predicted chance and the share that won, for
// the calibration chart.
std::vector<std::pair<double, double>> calibrationPoints(const WalkForwardSummary& summary);

}  // namespace vz::analysis
