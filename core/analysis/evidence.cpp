#include "core/analysis/evidence.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <tuple>

#include <fmt/format.h>

namespace vz::analysis {

std::optional<Range> wilsonRange(long won, long n) {
    if (n <= 0) {
        return std::nullopt;
    }
    const double nn = static_cast<double>(n);
    const double p = static_cast<double>(won) / nn;
    const double z2 = kZ95 * kZ95;
    const double centre = (p + z2 / (2 * nn)) / (1 + z2 / nn);
    const double half = kZ95 / (1 + z2 / nn) * std::sqrt(p * (1 - p) / nn + z2 / (4 * nn * nn));
    return Range{std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

double twoSidedP(double z) {
    return std::erfc(std::fabs(z) / std::sqrt(2.0));
}

void MarketCount::add(std::optional<double> chance, bool winner) {
    if (!chance) {
        return;
    }
    ++priced;
    won += winner ? 1 : 0;
    expected += *chance;
    variance += *chance * (1 - *chance);
}

void MarketCount::add(const MarketCount& o) {
    priced += o.priced;
    won += o.won;
    expected += o.expected;
    variance += o.variance;
}

std::optional<double> MarketCount::ratio() const {
    if (!judgeable()) {
        return std::nullopt;
    }
    return static_cast<double>(won) / expected;
}

std::optional<double> MarketCount::pValue() const {
    if (!judgeable() || !(variance > 0)) {
        return std::nullopt;
    }
    return twoSidedP((static_cast<double>(won) - expected) / std::sqrt(variance));
}

namespace {

// A Poisson(1) count by its cumulative chances: most cells are single races,
// and this is many times quicker than the general draw.
long onceOnAverage(std::mt19937_64& rng) {
    static const std::array<double, 12> kAtMost = [] {
        std::array<double, 12> at{};
        double term = std::exp(-1.0);
        double sum = 0;
        for (std::size_t k = 0; k < at.size(); ++k) {
            sum += term;
            at[k] = sum;
            term /= static_cast<double>(k + 1);
        }
        return at;
    }();
    const double u = static_cast<double>(rng() >> 11) * 0x1.0p-53;
    long k = 0;
    while (k < static_cast<long>(kAtMost.size()) - 1 && u >= kAtMost[static_cast<std::size_t>(k)]) {
        ++k;
    }
    return k;
}

}  // namespace

std::vector<std::optional<Range>> bootstrapRoi(std::span<const RaceStake> races, std::size_t groups,
                                               int resamples, std::uint64_t seed) {
    std::vector<std::optional<Range>> out(groups);
    if (races.empty() || resamples < 1) {
        return out;
    }
    // Races alike in stake, return and groups make one cell: k of them drawn
    // a Poisson(1) number of times each are drawn a Poisson(k) number of
    // times together. A flat-stake run has few distinct returns, so a few
    // hundred cells stand for a hundred thousand races.
    std::vector<const RaceStake*> sorted;
    sorted.reserve(races.size());
    for (const RaceStake& r : races) {
        if (std::all_of(r.groups.begin(), r.groups.begin() + r.groupCount,
                        [&](std::uint32_t g) { return g < groups; })) {
            sorted.push_back(&r);
        }
    }
    const auto key = [](const RaceStake* r) {
        return std::tie(r->groupCount, r->groups, r->staked, r->returned);
    };
    std::sort(sorted.begin(), sorted.end(),
              [&](const RaceStake* a, const RaceStake* b) { return key(a) < key(b); });
    // Copied out in order, so that a resample walks memory straight through.
    struct Cell {
        RaceStake race;
        long count = 0;
    };
    std::vector<Cell> cells;
    std::vector<std::poisson_distribution<long>> many;  // for cells of more than one
    for (std::size_t i = 0; i < sorted.size();) {
        std::size_t j = i + 1;
        while (j < sorted.size() && key(sorted[j]) == key(sorted[i])) {
            ++j;
        }
        cells.push_back({*sorted[i], static_cast<long>(j - i)});
        if (j - i > 1) {
            many.emplace_back(static_cast<double>(j - i));
        }
        i = j;
    }

    std::vector<double> staked(groups);
    std::vector<double> returned(groups);
    std::vector<std::vector<double>> rois(groups);
    std::mt19937_64 rng(seed);
    for (int s = 0; s < resamples; ++s) {
        std::fill(staked.begin(), staked.end(), 0.0);
        std::fill(returned.begin(), returned.end(), 0.0);
        std::size_t nextMany = 0;
        for (const Cell& c : cells) {
            const long times = c.count == 1 ? onceOnAverage(rng) : many[nextMany++](rng);
            if (times == 0) {
                continue;
            }
            const RaceStake& r = c.race;
            for (std::size_t g = 0; g < r.groupCount; ++g) {
                staked[r.groups[g]] += static_cast<double>(times) * r.staked;
                returned[r.groups[g]] += static_cast<double>(times) * r.returned;
            }
        }
        for (std::size_t g = 0; g < groups; ++g) {
            if (staked[g] > 0) {
                rois[g].push_back(returned[g] / staked[g] - 1);
            }
        }
    }
    // The 2.5% and 97.5% points, between neighbours where they fall between.
    auto at = [](const std::vector<double>& v, double q) {
        const double place = q * static_cast<double>(v.size() - 1);
        const auto below = static_cast<std::size_t>(std::floor(place));
        const std::size_t above = std::min(below + 1, v.size() - 1);
        return v[below] + (v[above] - v[below]) * (place - static_cast<double>(below));
    };
    for (std::size_t g = 0; g < groups; ++g) {
        std::vector<double>& v = rois[g];
        if (v.empty()) {
            continue;
        }
        std::sort(v.begin(), v.end());
        out[g] = Range{at(v, 0.025), at(v, 0.975)};
    }
    return out;
}

std::string rangeText(const std::optional<Range>& r) {
    if (!r) {
        return "-";
    }
    std::string low = fmt::format("{:.1f}", 100 * r->low);
    std::string high = fmt::format("{:.1f}", 100 * r->high);
    // -0.0 reads as a loss that is not there.
    for (std::string* s : {&low, &high}) {
        if (*s == "-0.0") {
            *s = "0.0";
        }
    }
    return low + (r->low < 0 || r->high < 0 ? " to " : "-") + high + "%";
}

std::string ratioText(const MarketCount& m) {
    const std::optional<double> r = m.ratio();
    return r ? fmt::format("{:.2f}", *r) : std::string(kTooFew);
}

std::string pText(const MarketCount& m) {
    const std::optional<double> p = m.pValue();
    if (!p) {
        return "-";
    }
    return *p < 0.001 ? "<0.001" : fmt::format("{:.3f}", *p);
}

std::string expectedText(const MarketCount& m) {
    return m.priced == 0 ? "-" : fmt::format("{:.1f}", m.expected);
}

}  // namespace vz::analysis
