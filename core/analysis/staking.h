#pragma once

// A run of win bets followed bet by bet, in date and race-number order: the
// stakes of a staking plan, the profit after a commission on net winnings,
// the largest drawdown and the days it took to recover, the longest losing
// run, the profit by month and by year, and how much of the profit the three
// biggest winners made. Plain functions over a list of bets, so that any
// list of bets (the top pick's, value bets) can be followed.

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/base/dates.h"

namespace vz::analysis {

// A win bet: a winner returns the stake times the odds, plus the stake.
struct Bet {
    base::Date date;
    int race = 0;  // race number, for the order within a day
    double stake = 1;
    double odds = 0;
    bool won = false;
};

enum class Staking {
    Level,  // 1 unit a bet
    ToWin,  // each bet staked to win 1 unit: 1 / odds
};

// The bets restaked by the plan, sorted into date and race-number order.
// Bets without odds above 0 are dropped: nothing can be staked on them.
std::vector<Bet> staked(std::span<const Bet> bets, Staking plan);

// A bet's profit: a winner's net winnings less `commission` (a fraction,
// 0.05 for 5%) of them; a loser loses its stake.
double betProfit(const Bet& bet, double commission);

struct Drawdown {
    double units = 0;                     // the largest fall below the highest point so far
    std::optional<base::Date> peak;       // the day of that highest point
    std::optional<base::Date> recovered;  // the day profit first stood at it again
    // Days from the peak to the recovery; none while not recovered.
    std::optional<int> daysToRecovery() const;
};

struct PathSummary {
    long bets = 0;
    double staked = 0;
    double profit = 0;
    Drawdown drawdown;
    long longestLosingRun = 0;  // losing bets in a row
    // The three most profitable winners' share of the profit; none unless
    // the profit is above 0.
    std::optional<double> topThreeShare;

    // Profit per unit staked; none without a stake.
    std::optional<double> roi() const;
};

// Follows `bets` in the order given (see staked()). The start, at 0 profit
// on the first bet's day, counts as a high point.
PathSummary followBets(std::span<const Bet> bets, double commission);

// The bets and profit of each month ("2026-01") or year ("2026") with a
// bet, oldest first.
enum class Span { Month, Year };
struct SpanProfit {
    std::string label;
    long bets = 0;
    double profit = 0;
};
std::vector<SpanProfit> profitBy(std::span<const Bet> bets, Span span, double commission);

}  // namespace vz::analysis
