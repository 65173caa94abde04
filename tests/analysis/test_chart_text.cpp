#include <gtest/gtest.h>

#include "core/analysis/chart_text.h"

namespace base = vz::base;

using namespace vz::analysis;

TEST(ChartText, ThousandsAreGroupedInPlainNumbersOnly) {
    const struct {
        const char* cell;
        const char* shown;
    } cases[] = {
        {"0", "0"},
        {"999", "999"},
        {"1000", "1,000"},
        {"1234567", "1,234,567"},
        {"-1234.50", "-1,234.50"},
        {"+12345.6%", "+12,345.6%"},
        {"12.3%", "12.3%"},
        {"", ""},
        {"-", "-"},
        {"n/a", "n/a"},
        {"1234 races", "1234 races"},  // not a plain number
        {"1.2.3", "1.2.3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withThousands(c.cell), c.shown) << c.cell;
    }
}

TEST(ChartText, AxesTakeRoundStepsAroundTheValuesAndZero) {
    // At most 6 ticks, so (high - low) / 5 rounded up to 1, 2 or 5 times a
    // power of ten is the step.
    const struct {
        double low, high;
        AxisScale expected;
    } cases[] = {
        {-12.3, 47.8, {-20, 60, 20, 5, 0}},        // 60.1 / 5 = 12.02 -> 20
        {0.5, 3.4, {0, 4, 1, 5, 0}},               // zero shown; 3.4 / 5 = 0.68 -> 1
        {-0.35, 0.2, {-0.4, 0.2, 0.2, 4, 1}},      // 0.55 / 5 = 0.11 -> 0.2
        {-1234, 5678, {-2000, 6000, 2000, 5, 0}},  // 6912 / 5 = 1382.4 -> 2000
        {-0.03, 0.09, {-0.05, 0.1, 0.05, 4, 2}},   // 0.12 / 5 = 0.024 -> 0.05
        {0, 0, {0, 1, 0.2, 6, 1}},                 // nothing to show: 0 to 1
    };
    for (const auto& c : cases) {
        const AxisScale a = niceScale(c.low, c.high, 6);
        EXPECT_NEAR(a.low, c.expected.low, 1e-9) << c.low << " " << c.high;
        EXPECT_NEAR(a.high, c.expected.high, 1e-9) << c.low << " " << c.high;
        EXPECT_NEAR(a.step, c.expected.step, 1e-9) << c.low << " " << c.high;
        EXPECT_EQ(a.ticks, c.expected.ticks) << c.low << " " << c.high;
        EXPECT_EQ(a.decimals, c.expected.decimals) << c.low << " " << c.high;
    }
}

TEST(ChartText, SubtitleSaysWhichRacesTheChartShows) {
    BacktestSummary all;
    all.firstRated =
        base::Date{std::chrono::year{2026}, std::chrono::month{1}, std::chrono::day{1}};
    all.lastRated =
        base::Date{std::chrono::year{2026}, std::chrono::month{4}, std::chrono::day{28}};
    all.all.races = 1280;
    BacktestSummary some;
    some.options.from = all.lastRated;
    some.options.grade = "AA";
    some.options.distance = "L";
    some.options.minField = 6;
    const struct {
        const BacktestSummary* summary;
        const char* expected;
    } cases[] = {
        {&all,
         "2026-01-01 to 2026-04-28, 1,280 races rated; chosen: the first day to the last "
         "day, grade any, distance any, at least 5 dogs"},
        {&some,
         "no day, 0 races rated; chosen: 2026-04-28 to the last day, grade AA, distance L, "
         "at least 6 dogs"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(chartSubtitle(*c.summary), c.expected);
    }
}
