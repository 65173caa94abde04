#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/analysis/outcome.h"

namespace vz::analysis {
namespace {

Result ran(std::optional<int> finish, std::optional<double> odds = std::nullopt) {
    return {true, finish, odds};
}

// Each race's results in the report's order, and what they make of the top
// pick and of a flat 1-unit win bet on it.
TEST(Outcome, ReadsTheResultsAlongTheOrder) {
    struct Case {
        const char* what;
        std::vector<Result> results;
        bool hasResult, topWon, topInThree, winnerInTopTwo, bet;
        double returned;
        std::vector<int> winnerRanks;
    };
    const std::vector<Case> cases = {
        {"top pick wins at 2.5",
         {ran(1, 2.5), ran(2, 1.5)},
         true,
         true,
         true,
         true,
         true,
         3.5,
         {1}},
        {"second wins, top third",
         {ran(3, 4.0), ran(1, 2.0), ran(2)},
         true,
         false,
         true,
         true,
         true,
         0,
         {2}},
        {"winner fourth, top unplaced",
         {ran(5, 4.0), ran(2), ran(3), ran(1)},
         true,
         false,
         false,
         false,
         true,
         0,
         {4}},
        {"dead heat: a win for each",
         {ran(1, 3.0), ran(1, 6.0)},
         true,
         true,
         true,
         true,
         true,
         4.0,
         {1, 2}},
        {"odds 0 place no bet", {ran(1, 0.0), ran(2)}, true, true, true, true, false, 0, {1}},
        {"negative odds place no bet", {ran(1, -2.0)}, true, true, true, true, false, 0, {1}},
        {"odds unknown", {ran(1), ran(2)}, true, true, true, true, false, 0, {1}},
        {"top pick scratched", {Result{}, ran(1, 2.0)}, true, false, false, true, false, 0, {2}},
        {"winner not among them", {ran(2, 2.0), ran(3)}, true, false, true, false, true, 0, {}},
        {"no line of the race yet", {Result{}, Result{}}, false, false, false, false, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RaceOutcome o = outcomeOf(c.results);
        EXPECT_EQ(o.hasResult, c.hasResult);
        EXPECT_EQ(o.topWon, c.topWon);
        EXPECT_EQ(o.topInThree, c.topInThree);
        EXPECT_EQ(o.winnerInTopTwo, c.winnerInTopTwo);
        EXPECT_EQ(o.bet, c.bet);
        EXPECT_DOUBLE_EQ(o.returned, c.returned);
        EXPECT_EQ(o.winnerRanks, c.winnerRanks);
    }
}

// Two bets at 2.5 (won) and 1.5 (lost), a race without odds and one without
// a result: 2 stakes, 3.5 back, profit 1.5, ROI 75%.
TEST(Outcome, TalliesRacesWithResults) {
    Tally t;
    t.add(outcomeOf(std::vector<Result>{ran(1, 2.5), ran(2)}));
    t.add(outcomeOf(std::vector<Result>{ran(2, 1.5), ran(1)}));
    t.add(outcomeOf(std::vector<Result>{ran(4), ran(3), ran(1)}));
    t.add(outcomeOf(std::vector<Result>{Result{}, Result{}}));
    EXPECT_EQ(t.races, 3);
    EXPECT_EQ(t.topWon, 1);
    EXPECT_EQ(t.topInThree, 2);
    EXPECT_EQ(t.winnerInTopTwo, 2);
    EXPECT_EQ(t.bets, 2);
    EXPECT_DOUBLE_EQ(t.profit(), 1.5);
    EXPECT_DOUBLE_EQ(*t.roi(), 0.75);
    EXPECT_FALSE(Tally{}.roi());
    EXPECT_EQ(percentText(percent(1, 3)), "33.3%");
    EXPECT_EQ(percentText(percent(1, 0)), "-");
}

// The market's chance: 1/(odds+1) scaled to add up to 1 over the dogs that
// ran; a race with a runner without odds above 0 is not priced.
TEST(Outcome, MarketChances) {
    struct Case {
        const char* what;
        std::vector<Result> results;
        std::vector<std::optional<double>> expected;
    };
    // 1/(1+1) = 0.5 and 1/(3+1) = 0.25 add up to 0.75: 2/3 and 1/3.
    // Evens three times: 0.5 each, 1.5 in all: 1/3 each.
    const std::vector<Case> cases = {
        {"two dogs", {ran(1, 1.0), ran(2, 3.0)}, {2.0 / 3, 1.0 / 3}},
        {"three at evens", {ran(1, 1.0), ran(2, 1.0), ran(3, 1.0)}, {1.0 / 3, 1.0 / 3, 1.0 / 3}},
        {"a non-runner is left out",
         {ran(1, 1.0), Result{}, ran(2, 3.0)},
         {2.0 / 3, std::nullopt, 1.0 / 3}},
        {"a runner without odds", {ran(1, 1.0), ran(2)}, {std::nullopt, std::nullopt}},
        {"a runner at 0", {ran(1, 1.0), ran(2, 0.0)}, {std::nullopt, std::nullopt}},
        {"nobody ran", {Result{}, Result{}}, {std::nullopt, std::nullopt}},
    };
    for (const Case& c : cases) {
        const auto got = marketChances(c.results);
        ASSERT_EQ(got.size(), c.expected.size()) << c.what;
        for (std::size_t i = 0; i < got.size(); ++i) {
            ASSERT_EQ(got[i].has_value(), c.expected[i].has_value()) << c.what << " " << i;
            if (got[i]) {
                EXPECT_NEAR(*got[i], *c.expected[i], 1e-12) << c.what << " " << i;
            }
        }
    }
}

}  // namespace
}  // namespace vz::analysis
