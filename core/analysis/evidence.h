#pragma once

// How far a count or a profit can be trusted: the market's expected winners
// and the actual-over-expected ratio with its p-value, the Wilson range of a
// win %, and a bootstrap range of a ROI resampled race by race.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vz::analysis {

// Below this many expected winners a ratio says nothing.
inline constexpr double kFewestExpected = 5;
inline constexpr std::string_view kTooFew = "too few to judge";
// The two-sided 95% point of the normal distribution.
inline constexpr double kZ95 = 1.959963984540054;
inline constexpr int kResamples = 2000;
inline constexpr std::uint64_t kBootstrapSeed = 20261208;

struct Range {
    double low = 0;
    double high = 0;
};

// The 95% Wilson score range of a proportion `won` of `n`, as fractions;
// none for n = 0.
std::optional<Range> wilsonRange(long won, long n);

// The chance of a standard normal value at least |z| from 0 either way.
double twoSidedP(double z);

// Winners set against the market's chances, over the priced bets only (those
// whose race had odds above 0 for every dog).
struct MarketCount {
    long priced = 0;
    long won = 0;         // winners among the priced
    double expected = 0;  // the sum of their market chances
    double variance = 0;  // the sum of p (1 - p): the count's variance

    void add(std::optional<double> chance, bool winner);
    void add(const MarketCount& other);
    bool judgeable() const { return expected >= kFewestExpected; }
    // Actual over expected; none below kFewestExpected.
    std::optional<double> ratio() const;
    // The two-sided p-value of the ratio against 1, by the normal
    // approximation of the winners' count (mean = expected, variance = the
    // sum of p (1 - p)); none below kFewestExpected.
    std::optional<double> pValue() const;
};

// A race's stake and return, and the groups (table rows) it counts in.
struct RaceStake {
    static constexpr std::size_t kMostGroups = 8;
    double staked = 0;
    double returned = 0;
    std::array<std::uint32_t, kMostGroups> groups{};
    std::uint8_t groupCount = 0;

    void addGroup(std::uint32_t g) { groups[groupCount++] = g; }
};

// Each group's 95% range of ROI (profit / stakes), from `resamples`
// resamples of the races drawn from a fixed seed (so a rerun gives the same
// ranges): in each, every race counts a Poisson(1) number of times (the
// Poisson bootstrap: a draw with replacement whose size varies around the
// races' number), wholly, in every group it belongs to. None for a group
// without a stake. A race naming a group past `groups` is left out.
std::vector<std::optional<Range>> bootstrapRoi(std::span<const RaceStake> races, std::size_t groups,
                                               int resamples = kResamples,
                                               std::uint64_t seed = kBootstrapSeed);

// "12.3-45.6%" from fractions; "-" for none.
std::string rangeText(const std::optional<Range>& fractions);
// "0.93", or "too few to judge".
std::string ratioText(const MarketCount& m);
// "0.041" ("<0.001" below that), "-" for none.
std::string pText(const MarketCount& m);
// The expected winners with one decimal, "-" when none is priced.
std::string expectedText(const MarketCount& m);

}  // namespace vz::analysis
