#include "core/analysis/outcome.h"

#include <fmt/format.h>

namespace vz::analysis {

RaceOutcome outcomeOf(std::span<const Result> results) {
    RaceOutcome o;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        o.hasResult = o.hasResult || r.ran;
        if (r.won()) {
            o.winnerRanks.push_back(static_cast<int>(i) + 1);
        }
    }
    if (results.empty()) {
        return o;
    }
    const Result& top = results.front();
    o.topWon = top.won();
    o.topInThree = top.finish && *top.finish >= 1 && *top.finish <= 3;
    o.winnerInTopTwo = !o.winnerRanks.empty() && o.winnerRanks.front() <= 2;
    o.bet = top.odds && *top.odds > 0;
    o.returned = o.bet && o.topWon ? *top.odds + 1 : 0;
    o.topOdds = o.bet ? *top.odds : 0;
    o.topChance = marketChances(results).front();
    return o;
}

std::vector<std::optional<double>> marketChances(std::span<const Result> results) {
    std::vector<std::optional<double>> chances(results.size());
    double sum = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        const Result& r = results[i];
        if (!r.ran) {
            continue;
        }
        if (!r.odds || !(*r.odds > 0)) {
            return std::vector<std::optional<double>>(results.size());
        }
        chances[i] = 1.0 / (*r.odds + 1.0);
        sum += *chances[i];
    }
    if (!(sum > 0)) {
        return std::vector<std::optional<double>>(results.size());
    }
    for (auto& c : chances) {
        if (c) {
            *c /= sum;
        }
    }
    return chances;
}

void Tally::add(const RaceOutcome& o) {
    if (!o.hasResult) {
        return;
    }
    ++races;
    topWon += o.topWon ? 1 : 0;
    topInThree += o.topInThree ? 1 : 0;
    winnerInTopTwo += o.winnerInTopTwo ? 1 : 0;
    bets += o.bet ? 1 : 0;
    returned += o.returned;
    market.add(o.topChance, o.topWon);
}

std::optional<double> Tally::roi() const {
    if (bets == 0) {
        return std::nullopt;
    }
    return profit() / static_cast<double>(bets);
}

std::optional<double> percent(long part, long whole) {
    if (whole == 0) {
        return std::nullopt;
    }
    return 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

std::string percentText(std::optional<double> value) {
    return value ? fmt::format("{:.1f}%", *value) : std::string("-");
}

std::string roiText(const Tally& tally) {
    const std::optional<double> roi = tally.roi();
    return percentText(roi ? std::optional(*roi * 100) : std::nullopt);
}

}  // namespace vz::analysis
