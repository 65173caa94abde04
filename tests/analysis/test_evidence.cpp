#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/analysis/evidence.h"
#include "core/analysis/staking.h"
#include "tests/processing/sample_card.h"

namespace vz::analysis {
namespace {

using test::ymd;

// Wilson's 95% range, p = k/n, z = 1.959964:
//   centre = (p + z^2/2n) / (1 + z^2/n)
//   half   = z / (1 + z^2/n) * sqrt(p(1-p)/n + z^2/4n^2)
// 1 of 2: centre 0.5, half 0.671055 * 0.604228 = 0.405469.
// 0 of 10: centre = half = 0.138766: 0 to 0.277533.
// 9 of 20: centre 0.458056, half 0.199858.
TEST(Evidence, WilsonRange) {
    struct Case {
        long won, n;
        std::optional<double> low, high;
        const char* text;
    };
    const std::vector<Case> cases = {
        {1, 2, 0.094531, 0.905469, "9.5-90.5%"},
        {0, 10, 0.0, 0.277533, "0.0-27.8%"},
        {9, 20, 0.258198, 0.657915, "25.8-65.8%"},
        {0, 0, std::nullopt, std::nullopt, "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Range> r = wilsonRange(c.won, c.n);
        ASSERT_EQ(r.has_value(), c.low.has_value());
        if (r) {
            EXPECT_NEAR(r->low, *c.low, 1e-6);
            EXPECT_NEAR(r->high, *c.high, 1e-6);
        }
        EXPECT_EQ(rangeText(r), c.text);
    }
}

// A/E against the market, and its p-value by the normal approximation: 20
// bets at a chance of 0.25 each expect 5 winners, variance 20 * 0.25 * 0.75
// = 3.75; 9 winners give A/E 1.80, z = 4 / 1.936492 = 2.065591, two-sided
// p = erfc(z / sqrt 2) = 0.0389. At 16 bets only 4 are expected: too few.
TEST(Evidence, ActualOverExpected) {
    struct Case {
        int bets;
        int winners;
        const char *expected, *ratio, *p;
    };
    const std::vector<Case> cases = {
        {20, 9, "5.0", "1.80", "0.039"},
        {20, 5, "5.0", "1.00", "1.000"},
        {16, 9, "4.0", "too few to judge", "-"},
        {0, 0, "-", "too few to judge", "-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bets);
        MarketCount m;
        for (int i = 0; i < c.bets; ++i) {
            m.add(0.25, i < c.winners);
        }
        m.add(std::nullopt, true);  // an unpriced race counts for nothing
        EXPECT_EQ(expectedText(m), c.expected);
        EXPECT_EQ(ratioText(m), c.ratio);
        EXPECT_EQ(pText(m), c.p);
    }
}

// Two races, a winner returning 3 for 1 and a loser: a resample of two
// races holds both winners (ROI 200%), one of each (50%) or both losers
// (-100%), the last two with a chance of 1/4 each, far above 2.5%: the
// range is exactly -100% to 200%, and covers the races' own 50%. A race in
// no group's stake leaves that group without a range.
TEST(Evidence, BootstrapOverRaces) {
    std::vector<RaceStake> races(2);
    races[0].staked = 1;
    races[0].returned = 3;
    races[1].staked = 1;
    for (RaceStake& r : races) {
        r.addGroup(0);
    }
    const auto once = bootstrapRoi(races, 2);
    ASSERT_EQ(once.size(), 2u);
    ASSERT_TRUE(once[0]);
    EXPECT_DOUBLE_EQ(once[0]->low, -1.0);
    EXPECT_DOUBLE_EQ(once[0]->high, 2.0);
    EXPECT_EQ(rangeText(once[0]), "-100.0 to 200.0%");
    EXPECT_FALSE(once[1]);

    // Forty races at odds 4, one in four won (ROI 25%): a rerun gives the
    // same range, and it covers 25%.
    std::vector<RaceStake> many(40);
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i].staked = 1;
        many[i].returned = i % 4 == 0 ? 5 : 0;
        many[i].addGroup(0);
    }
    const auto first = bootstrapRoi(many, 1);
    const auto again = bootstrapRoi(many, 1);
    ASSERT_TRUE(first[0]);
    EXPECT_EQ(first[0]->low, again[0]->low);
    EXPECT_EQ(first[0]->high, again[0]->high);
    EXPECT_LT(first[0]->low, 0.25);
    EXPECT_GT(first[0]->high, 0.25);
}

// Six bets followed by hand (level stakes, cumulative profit after each):
//   1/1 race 1 wins at 2      +2   2   high 2 on 1/1
//   1/2 race 1 loses (odds 1) -1   1
//   1/3 race 1 loses (odds 3) -1   0
//   1/3 race 2 loses (odds 5) -1  -1   3 below the high: the largest fall
//   1/5 race 1 wins at 4      +4   3   back above 2: recovered 4 days on
//   1/6 race 1 loses (odds 2) -1   2   a fall of 1
// Profit 2 on 6 staked (33.3%), longest losing run 3, the winners' 6 are
// 300% of the profit. At 10% commission the winners make 1.8 and 3.6: the
// path 1.8 0.8 -0.2 -1.2 2.4 1.4, the same fall of 3.0 and recovery.
// To win 1 unit the stakes are 1/odds: 0.5 1 0.333 0.2 0.25 0.5 (2.783
// staked); the two winners make 1 each, the losers lose 2.033: -0.033.
TEST(Staking, FollowsTheBetsByHand) {
    const std::vector<Bet> bets = {
        {ymd(2026, 1, 6), 1, 1, 2.0, false}, {ymd(2026, 1, 1), 1, 1, 2.0, true},
        {ymd(2026, 1, 2), 1, 1, 1.0, false}, {ymd(2026, 1, 3), 2, 1, 5.0, false},
        {ymd(2026, 1, 3), 1, 1, 3.0, false}, {ymd(2026, 1, 5), 1, 1, 4.0, true},
        {ymd(2026, 1, 7), 1, 1, 0.0, true},  // no odds: no bet
    };
    struct Case {
        const char* what;
        Staking plan;
        double commission;
        double staked, profit, drawdown;
        std::optional<int> days;
        std::optional<double> share;
    };
    const std::vector<Case> cases = {
        {"level", Staking::Level, 0, 6, 2, 3, 4, 3.0},
        {"level, 10% commission", Staking::Level, 0.1, 6, 1.4, 3, 4, 5.4 / 1.4},
        {"to win", Staking::ToWin, 0, 0.5 + 1 + 1.0 / 3 + 0.2 + 0.25 + 0.5, -1.0 / 30,
         1 + 1.0 / 3 + 0.2, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PathSummary s = followBets(staked(bets, c.plan), c.commission);
        EXPECT_EQ(s.bets, 6);
        EXPECT_NEAR(s.staked, c.staked, 1e-9);
        EXPECT_NEAR(s.profit, c.profit, 1e-9);
        EXPECT_NEAR(s.drawdown.units, c.drawdown, 1e-9);
        EXPECT_EQ(s.drawdown.daysToRecovery(), c.days);
        EXPECT_EQ(s.longestLosingRun, 3);
        ASSERT_EQ(s.topThreeShare.has_value(), c.share.has_value());
        if (c.share) {
            EXPECT_NEAR(*s.topThreeShare, *c.share, 1e-9);
        }
    }
    const std::vector<SpanProfit> months = profitBy(staked(bets, Staking::Level), Span::Month, 0);
    ASSERT_EQ(months.size(), 1u);
    EXPECT_EQ(months[0].label, "2026-01");
    EXPECT_EQ(months[0].bets, 6);
    EXPECT_DOUBLE_EQ(months[0].profit, 2.0);
}

}  // namespace
}  // namespace vz::analysis
