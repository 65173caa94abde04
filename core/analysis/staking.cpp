#include "core/analysis/staking.h"

#include <algorithm>
#include <functional>
#include <map>

#include <fmt/format.h>

namespace vz::analysis {

std::vector<Bet> staked(std::span<const Bet> bets, Staking plan) {
    std::vector<Bet> out;
    out.reserve(bets.size());
    for (Bet b : bets) {
        if (!(b.odds > 0)) {
            continue;
        }
        b.stake = plan == Staking::Level ? 1.0 : 1.0 / b.odds;
        out.push_back(b);
    }
    std::stable_sort(out.begin(), out.end(), [](const Bet& a, const Bet& b) {
        return std::tie(a.date, a.race) < std::tie(b.date, b.race);
    });
    return out;
}

double betProfit(const Bet& b, double commission) {
    return b.won ? b.stake * b.odds * (1 - commission) : -b.stake;
}

std::optional<int> Drawdown::daysToRecovery() const {
    if (!peak || !recovered) {
        return std::nullopt;
    }
    return static_cast<int>(
        (std::chrono::sys_days(*recovered) - std::chrono::sys_days(*peak)).count());
}

std::optional<double> PathSummary::roi() const {
    if (!(staked > 0)) {
        return std::nullopt;
    }
    return profit / staked;
}

PathSummary followBets(std::span<const Bet> bets, double commission) {
    PathSummary s;
    if (bets.empty()) {
        return s;
    }
    double high = 0;
    base::Date highDay = bets.front().date;
    // The fall being followed: from which high point, and whether it is the
    // largest so far (its recovery is then the drawdown's).
    bool falling = false;
    bool fallIsLargest = false;
    long losing = 0;
    std::vector<double> winners;
    for (const Bet& b : bets) {
        const double p = betProfit(b, commission);
        ++s.bets;
        s.staked += b.stake;
        s.profit += p;
        if (b.won) {
            winners.push_back(p);
            losing = 0;
        } else {
            s.longestLosingRun = std::max(s.longestLosingRun, ++losing);
        }
        if (s.profit >= high) {
            if (falling && fallIsLargest) {
                s.drawdown.recovered = b.date;
            }
            falling = false;
            fallIsLargest = false;
            high = s.profit;
            highDay = b.date;
            continue;
        }
        falling = true;
        if (high - s.profit > s.drawdown.units) {
            s.drawdown.units = high - s.profit;
            s.drawdown.peak = highDay;
            s.drawdown.recovered.reset();
            fallIsLargest = true;
        }
    }
    if (s.profit > 0) {
        std::sort(winners.begin(), winners.end(), std::greater<>());
        double top = 0;
        for (std::size_t i = 0; i < winners.size() && i < 3; ++i) {
            top += winners[i];
        }
        s.topThreeShare = top / s.profit;
    }
    return s;
}

std::vector<SpanProfit> profitBy(std::span<const Bet> bets, Span span, double commission) {
    std::map<std::string, SpanProfit> by;
    for (const Bet& b : bets) {
        const std::string key = span == Span::Month
                                    ? fmt::format("{:04}-{:02}", static_cast<int>(b.date.year()),
                                                  static_cast<unsigned>(b.date.month()))
                                    : fmt::format("{:04}", static_cast<int>(b.date.year()));
        SpanProfit& p = by[key];
        p.label = key;
        ++p.bets;
        p.profit += betProfit(b, commission);
    }
    std::vector<SpanProfit> out;
    for (auto& [key, p] : by) {
        out.push_back(std::move(p));
    }
    return out;
}

}  // namespace vz::analysis
