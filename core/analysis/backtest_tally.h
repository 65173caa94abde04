#pragma once

// The backtest's tallies of rated races: the top pick by Score margin, grade
// and distance, each figure's own pick, the alerts, the advice and the Score
// bands, each set against the market's expectation, for all races and, with
// a test period, for the development and the test period apart.

#include <cstdint>
#include <map>
#include <string>

#include "core/analysis/backtest.h"

namespace vz::analysis {

class Summing {
  public:
    explicit Summing(BacktestSummary& s);

    void add(const RatedPastRace& r);
    // Fills the summary's lists: every period lists the rows of the whole,
    // in the same order, so that their tables line up.
    void finish();

  private:
    struct Maps {
        std::map<std::string, Tally> byGrade;
        std::map<std::string, Tally> byDistance;
        std::map<std::string, Count> alerts;
        std::map<std::string, AdviceCount> advice;
    };

    void addTo(Tallies& t, Maps& m, const RatedPastRace& r, std::size_t margin);

    BacktestSummary& s_;
    Maps whole_;
    std::vector<Maps> periods_;
    // The picks' grades and distances by number, in the order first seen.
    std::map<std::string, std::uint16_t> grades_;
    std::map<std::string, std::uint16_t> distances_;
};

}  // namespace vz::analysis
