#include "core/analysis/walk_forward.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <fmt/format.h>

#include "core/base/error.h"

namespace vz::analysis {

namespace {

// Band edges of the calibration table, as chances.
constexpr double kBandEdges[] = {0, 0.05, 0.10, 0.15, 0.20, 0.25, 0.30, 0.40, 0.50, 1.0000001};

// A refit starts from the last coefficients and only prices races: a
// coefficient settled to 1e-7 moves no chance by more than about that.
constexpr double kRefitTolerance = 1e-7;

// A chance is never taken as exactly 0 in a logarithm.
constexpr double kSmallest = 1e-12;

int daysBetween(base::Date a, base::Date b) {
    return static_cast<int>((std::chrono::sys_days(b) - std::chrono::sys_days(a)).count());
}

}  // namespace

void checkWalkForwardOptions(const WalkForwardOptions& o) {
    if (o.groups.empty()) {
        throw Error("Choose at least one group of inputs.");
    }
    if (o.refitDays < 1) {
        throw Error(fmt::format("A refit every {} days cannot be: 1 or more.", o.refitDays));
    }
    if (o.warmUp < 1) {
        throw Error(fmt::format("The warm-up must be 1 race or more, not {}.", o.warmUp));
    }
    if (!(o.penalty >= 0)) {
        throw Error(fmt::format("The ridge penalty must be 0 or more, not {}.", o.penalty));
    }
    if (!(o.edge >= 0)) {
        throw Error(fmt::format("The edge must be 0 or more, not {}.", o.edge));
    }
}

void Judgement::add(double winnerChance, int fieldSize) {
    ++races;
    logLik += std::log(std::max(winnerChance, kSmallest));
    nullLogLik -= std::log(static_cast<double>(fieldSize));
}

std::optional<double> Judgement::pseudoR2() const {
    if (races == 0 || nullLogLik >= 0) {
        return std::nullopt;
    }
    return 1 - logLik / nullLogLik;
}

std::optional<double> Judgement::logLossPerRace() const {
    if (races == 0) {
        return std::nullopt;
    }
    return -logLik / static_cast<double>(races);
}

std::optional<double> CalibrationBand::actualOverExpected() const {
    if (expected <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(wins) / expected;
}

std::optional<double> CalibrationBand::z() const {
    if (variance <= 0) {
        return std::nullopt;
    }
    return (static_cast<double>(wins) - expected) / std::sqrt(variance);
}

WalkForward::WalkForward(WalkForwardOptions options)
    : history_(static_cast<int>(inputNames(options.groups).size())), pairs_(2) {
    checkWalkForwardOptions(options);
    s_.options = std::move(options);
    s_.kellyBank = s_.options.startBank;
    for (std::size_t b = 0; b + 1 < std::size(kBandEdges); ++b) {
        s_.calibration.push_back({kBandEdges[b], std::min(1.0, kBandEdges[b + 1]), 0, 0, 0, 0});
    }
}

void WalkForward::refitIfDue(base::Date day) {
    if (!firstDay_) {
        firstDay_ = day;
        nextRefit_ =
            base::Date{std::chrono::sys_days(day) + std::chrono::days{s_.options.refitDays}};
        return;
    }
    if (std::chrono::sys_days(day) < std::chrono::sys_days(*nextRefit_)) {
        return;
    }
    // The last refit day on or before `day`; every race held is dated before
    // it, since none came on or after the refit day that was due.
    const int periods = daysBetween(*firstDay_, day) / s_.options.refitDays;
    nextRefit_ = base::Date{std::chrono::sys_days(*firstDay_) +
                            std::chrono::days{(periods + 1) * s_.options.refitDays}};
    if (history_.races() >= s_.options.warmUp) {
        model_ = fitWinModel(history_, s_.options.groups, s_.options.penalty,
                             model_ ? &*model_ : nullptr, kRefitTolerance);
        ++s_.refits;
    }
    if (pairs_.races() >= s_.options.warmUp) {
        pairCoef_ = fitConditionalLogit(pairs_, s_.options.penalty,
                                        pairCoef_ ? *pairCoef_ : Eigen::VectorXd(), kRefitTolerance)
                        .coef;
    }
}

std::vector<double> WalkForward::take(const RatedPastRace& race) {
    ++s_.racesSeen;
    refitIfDue(*race.race.RaceDate);
    const int n = static_cast<int>(race.dogs.size());
    rows_.clear();
    appendRaceInputs(s_.options.groups, race.dogs, rows_);

    std::vector<Result> results;
    for (const RatedDog& d : race.dogs) {
        results.push_back(d.result);
    }
    const std::vector<std::optional<double>> market = marketChances(results);
    const bool marketPriced = n > 0 && market.front().has_value();

    std::vector<double> p;
    std::vector<double> together;
    std::vector<double> pairRows;
    if (model_) {
        p = model_->chancesOfRows(rows_, n);
        if (marketPriced) {
            for (int i = 0; i < n; ++i) {
                pairRows.push_back(std::log(std::max(p[static_cast<std::size_t>(i)], kSmallest)));
                pairRows.push_back(
                    std::log(std::max(*market[static_cast<std::size_t>(i)], kSmallest)));
            }
            if (pairCoef_) {
                together = choiceChances(pairRows, n, *pairCoef_);
            }
        }
        judge(race, p, market, together);
    }

    int winners = 0;
    int winner = 0;
    for (int i = 0; i < n; ++i) {
        if (race.dogs[static_cast<std::size_t>(i)].result.won()) {
            ++winners;
            winner = i;
        }
    }
    if (winners > 1) {
        ++s_.deadHeats;
    } else if (winners == 1) {
        history_.addRace(rows_, winner);
        if (!pairRows.empty()) {
            pairs_.addRace(pairRows, winner);
        }
    }
    return p;
}

void WalkForward::judge(const RatedPastRace& race, const std::vector<double>& p,
                        const std::vector<std::optional<double>>& market,
                        const std::vector<double>& together) {
    ++s_.racesPriced;
    if (!s_.firstPriced) {
        s_.firstPriced = race.race.RaceDate;
    }
    const int n = static_cast<int>(race.dogs.size());
    int winners = 0;
    int winner = 0;
    // Every stake of a race is set from the bank before the race.
    const double bank = s_.kellyBank;
    for (int i = 0; i < n; ++i) {
        const RatedDog& d = race.dogs[static_cast<std::size_t>(i)];
        const double chance = p[static_cast<std::size_t>(i)];
        const bool won = d.result.won();
        winners += won ? 1 : 0;
        winner = won ? i : winner;
        for (CalibrationBand& b : s_.calibration) {
            if (chance >= b.low && (chance < b.high || b.high >= 1.0)) {
                ++b.dogs;
                b.expected += chance;
                b.variance += chance * (1 - chance);
                b.wins += won ? 1 : 0;
                break;
            }
        }
        if (!d.result.odds || *d.result.odds <= 0 || chance <= 0) {
            continue;
        }
        const double odds = *d.result.odds;
        const double fair = 1 / chance - 1;
        const Bet bet{*race.race.RaceDate, race.race.RaceNum.value_or(0), 1, odds, won};
        if (odds >= fair * (1 + s_.options.edge)) {
            valueBets_.push_back(bet);
            s_.valueWins += won ? 1 : 0;
        }
        // Kelly's share of the bank for a bet at these odds with this chance.
        const double kelly = (chance * (odds + 1) - 1) / odds;
        if (kelly > 0) {
            Bet k = bet;
            k.stake = s_.options.kellyFraction * kelly * bank;
            kellyBets_.push_back(k);
            s_.kellyBank += won ? k.stake * odds : -k.stake;
        }
    }
    if (winners != 1) {
        return;
    }
    const std::size_t w = static_cast<std::size_t>(winner);
    s_.model.add(p[w], n);
    if (market.front()) {
        s_.market.add(*market[w], n);
        s_.modelOnMarketRaces.add(p[w], n);
    }
    if (!together.empty()) {
        s_.together.add(together[w], n);
    }
}

WalkForwardSummary WalkForward::summary() const {
    WalkForwardSummary out = s_;
    out.value = followBets(valueBets_, 0);
    out.kelly = followBets(kellyBets_, 0);
    return out;
}

JudgedFit fitAndJudge(const store::DogDatabase& db, const FitRequest& request, int refitDays,
                      long warmUp) {
    WalkForwardOptions o;
    o.groups = request.groups;
    o.penalty = request.penalty;
    o.refitDays = refitDays;
    o.warmUp = warmUp;
    WalkForward walk(o);
    FitRequest rq = request;
    rq.onRace = [&walk, inner = request.onRace](const RatedPastRace& r) {
        walk.take(r);
        if (inner) {
            inner(r);
        }
    };
    JudgedFit out{fitHistory(db, rq), {}};
    out.walk = walk.summary();
    return out;
}

}  // namespace vz::analysis
