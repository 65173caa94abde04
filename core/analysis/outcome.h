#pragma once

// How a rated race turned out: each dog's finish and odds from its line of
// that race, the top pick's fate, and the tallies both the results check
// and the backtest report (wins, places, a flat 1-unit win bet on the top
// pick).

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/analysis/evidence.h"

namespace vz::analysis {

// A dog's result in one race, from its line of that day and race number.
struct Result {
    bool ran = false;  // the dog has a line of the race
    std::optional<int> finish;
    std::optional<double> odds;

    bool won() const { return finish == 1; }
};

// A race's results read along the report's order.
struct RaceOutcome {
    bool hasResult = false;  // a dog of the field has a line of the race
    bool topWon = false;     // the first dog of the order finished first
    bool topInThree = false;
    bool winnerInTopTwo = false;
    // A flat 1-unit win bet on the top pick: placed when its odds are above
    // 0; a winner returns the odds plus the stake. A dead heat is a win.
    bool bet = false;
    double returned = 0;
    double topOdds = 0;  // the top pick's odds when bet
    // The top pick's market chance (see marketChances); none unless every
    // dog that ran had odds above 0.
    std::optional<double> topChance;
    // 1-based places in the order of the dogs that finished first (two or
    // more in a dead heat; none when the winner is not among them).
    std::vector<int> winnerRanks;
};

// `results` in the report's order (the top pick first).
RaceOutcome outcomeOf(std::span<const Result> results);

// Each dog's chance as the market priced it: 1/(odds+1), scaled so that the
// field's chances add up to 1. Only a race in which every dog that ran has
// odds above 0 is priced; otherwise every entry is empty. Dogs that did not
// run have none.
std::vector<std::optional<double>> marketChances(std::span<const Result> results);

// Races added up.
struct Tally {
    long races = 0;  // races with a result
    long topWon = 0;
    long topInThree = 0;
    long winnerInTopTwo = 0;
    long bets = 0;
    double returned = 0;
    MarketCount market;  // the top pick's wins against the market

    // Counts a race that has a result; others change nothing.
    void add(const RaceOutcome& o);
    double profit() const { return returned - static_cast<double>(bets); }
    // Profit per unit staked; none without a bet.
    std::optional<double> roi() const;
};

// part / whole as a percentage; none when whole is 0.
std::optional<double> percent(long part, long whole);

// "24.5%", or "-" for none.
std::string percentText(std::optional<double> value);

// The tally's ROI as a percentage text ("-" without a bet).
std::string roiText(const Tally& tally);

}  // namespace vz::analysis
