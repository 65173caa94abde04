#pragma once

// Walk-forward judgement of the win chances: every rated race is priced by a
// model fitted only on races dated before the last refit day on or before
// it, then learnt from; so every figure below is out of sample. Beside the
// model: the market's own chances, and both together (a second conditional
// logit on ln p_model and ln p_market, walked forward the same way).

#include <optional>
#include <string>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/staking.h"
#include "core/analysis/win_model.h"
#include "core/base/dates.h"

namespace vz::analysis {

inline constexpr int kDefaultRefitDays = 28;
inline constexpr long kDefaultWarmUp = 500;
inline constexpr double kDefaultEdge = 0.10;

struct WalkForwardOptions {
    std::vector<InputGroup> groups;
    double penalty = kDefaultPenalty;
    int refitDays = kDefaultRefitDays;  // a refit every this many days
    long warmUp = kDefaultWarmUp;       // races fitted before any is priced
    double edge = kDefaultEdge;         // a value bet's odds: fair odds * (1 + edge) or more
    double kellyFraction = 0.25;
    double startBank = 100;
};

// Throws vz::Error naming the first option that cannot be used.
void checkWalkForwardOptions(const WalkForwardOptions& options);

// Log-likelihood of the winners against every dog equal, over races with one
// winner.
struct Judgement {
    long races = 0;
    double logLik = 0;
    double nullLogLik = 0;

    void add(double winnerChance, int fieldSize);
    std::optional<double> pseudoR2() const;        // 1 - LL / LL0
    std::optional<double> logLossPerRace() const;  // -LL / races
};

// Dogs whose predicted chance fell in one band.
struct CalibrationBand {
    double low = 0;  // the band holds chances from low up to (not with) high
    double high = 0;
    long dogs = 0;
    double expected = 0;  // sum of the chances
    double variance = 0;  // sum of p (1 - p)
    long wins = 0;

    std::optional<double> actualOverExpected() const;
    std::optional<double> z() const;  // (wins - expected) / sqrt(variance)
};

struct WalkForwardSummary {
    WalkForwardOptions options;
    long racesSeen = 0;
    long racesPriced = 0;
    long deadHeats = 0;  // priced but neither fitted nor judged by likelihood
    long refits = 0;
    std::optional<base::Date> firstPriced;
    Judgement model;
    Judgement modelOnMarketRaces;  // the model over the races the market priced
    Judgement market;
    Judgement together;
    std::vector<CalibrationBand> calibration;
    // 1 unit on each value bet; the quarter-Kelly bets staked from the bank.
    PathSummary value;
    long valueWins = 0;
    PathSummary kelly;
    double kellyBank = 0;
};

class WalkForward {
  public:
    explicit WalkForward(WalkForwardOptions options);

    // Prices `race` from the races taken before it, judges the price against
    // its result, then learns from it. Races come in date order. The chances
    // follow race.dogs; empty when the race is not priced.
    std::vector<double> take(const RatedPastRace& race);

    WalkForwardSummary summary() const;

  private:
    void refitIfDue(base::Date day);
    void judge(const RatedPastRace& race, const std::vector<double>& p,
               const std::vector<std::optional<double>>& market,
               const std::vector<double>& together);

    WalkForwardSummary s_;
    ChoiceSet history_;
    ChoiceSet pairs_;  // ln p_model, ln p_market of races both priced
    std::optional<WinModel> model_;
    std::optional<Eigen::VectorXd> pairCoef_;
    std::optional<base::Date> firstDay_;
    std::optional<base::Date> nextRefit_;
    std::vector<double> rows_;
    std::vector<Bet> valueBets_;
    std::vector<Bet> kellyBets_;
};

// One rating pass that fits the model on every chosen race and, beside it,
// prices the same races walk-forward, so that the fit comes with figures of
// races it had not seen. Throws as fitHistory does.
struct JudgedFit {
    FitOutcome fit;
    WalkForwardSummary walk;
};
JudgedFit fitAndJudge(const store::DogDatabase& db, const FitRequest& request,
                      int refitDays = kDefaultRefitDays, long warmUp = kDefaultWarmUp);

}  // namespace vz::analysis
