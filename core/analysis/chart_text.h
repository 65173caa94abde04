#pragma once

// How the backtest window shows its numbers: counts and money with their
// thousands grouped, and chart axes on round steps with only the decimals
// the step needs.

#include <string>
#include <string_view>

#include "core/analysis/backtest.h"

namespace vz::analysis {

// A table cell as shown: a plain number ("12345", "-1234.50", "+12345.6%")
// gets a comma between each group of three digits before its point; any
// other text comes back as it is.
std::string withThousands(std::string_view cell);

struct AxisScale {
    double low = 0;
    double high = 1;
    double step = 1;
    int ticks = 2;     // low and high included
    int decimals = 0;  // the labels' places after the point
};

// An axis for values from `low` to `high` and zero: a step of 1, 2 or 5
// times a power of ten, giving at most `maxTicks` ticks, bounds on whole
// steps around the values.
AxisScale niceScale(double low, double high, int maxTicks);

// The line under a saved chart's title, so that the picture says what it
// shows: the days rated and the race count, then the options that chose
// the races.
std::string chartSubtitle(const BacktestSummary& summary);

}  // namespace vz::analysis
