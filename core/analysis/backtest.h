#pragma once

// The backtest over the race history: past races rebuilt from the stored
// lines (lines with the same date, race number, distance, grade and winning
// time ran in one race), each rated as of its date in one chronological pass
// that keeps every dog's eight newest earlier lines, and tallied against its
// own result.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/dog_form.h"
#include "core/analysis/outcome.h"
#include "core/base/dates.h"
#include "core/base/progress.h"
#include "core/processing/card.h"
#include "core/processing/rating.h"
#include "core/store/dog_database.h"

namespace vz::analysis {

inline constexpr int kDefaultMinField = 5;

// Which past races are rated. The dates, grade and distance choose races,
// never the lines that feed the ratings.
struct BacktestOptions {
    std::optional<base::Date> from;       // inclusive
    std::optional<base::Date> to;         // inclusive
    std::optional<std::string> grade;     // the stored text, exactly
    std::optional<std::string> distance;  // "S", "L" or "R"
    int minField = kDefaultMinField;      // dogs a race needs at least
    // Races from this day on make the test period, the earlier ones the
    // development period; the tables then show both.
    std::optional<base::Date> testFrom;
    double commission = 0;  // % of a winning bet's net winnings
};

// Throws vz::Error naming the first option that cannot be used.
void checkOptions(const BacktestOptions& options);

// Reads the grade option as typed: blank is any grade, anything else the
// grade's stored text (surrounding blanks dropped).
std::optional<std::string> gradeOption(std::string_view typed);

// Reads the distance option as typed: "S", "L" or "R" in either case; throws
// vz::Error for anything else.
std::string distanceOption(std::string_view typed);

// Why a rebuilt race was not rated.
// A race in which no dog has an earlier line carries nothing to rate: every
// dog would tie.
enum class Skip { NoWinner, SmallField, Posts, Unreadable, NoEarlierLine };
inline constexpr std::size_t kSkipReasons = 5;
std::string skipText(Skip reason, int minField);

// A dog of a rated past race.
struct RatedDog {
    int rank = 0;  // place in the report's order, from 1
    int post = 0;
    std::string dogName;
    processing::Points points;
    std::string alerts;
    Result result;
    std::optional<double> marketChance;  // see marketChances
    // What the win chances read besides the points: the raw figures, the
    // running style on file and the form before the race.
    processing::DogFigures figures;
    std::string style;
    DogForm form;
};

// A rated past race, the dogs in the report's order.
struct RatedPastRace {
    base::Race race;
    std::vector<RatedDog> dogs;
    std::string advice;  // lines joined by CR LF
    RaceOutcome outcome;
};

// The top pick's tally within one class of races.
struct Split {
    std::string label;
    Tally tally;
};

// How often something was given and how often its dog won.
struct Count {
    std::string label;
    long given = 0;
    long won = 0;
    MarketCount market;
};

// An advice line: the races it was given in, and the top pick's wins there.
struct AdviceCount {
    std::string label;
    long races = 0;
    long topWon = 0;
    MarketCount market;  // the top pick's
};

// The tables' counts over one span of races.
struct Tallies {
    Tally all;
    std::vector<Split> byMargin;  // 0, 1-2, 3-5, 6 and more
    std::vector<Split> byGrade;
    std::vector<Split> byDistance;
    std::vector<Count> figures;  // Cla, Rec, AvSp, Last, EaSp, LaSp
    std::vector<Count> alerts;   // most given first
    std::vector<AdviceCount> advice;
    std::vector<Count> scoreBands;  // 0-2, 3-5, ... 21-23
};

// A rated race's top pick, for the bets followed race by race.
struct PickedRace {
    base::Date date;
    int race = 0;
    double odds = 0;  // 0: no bet
    bool won = false;
    bool test = false;           // in the test period
    std::uint8_t margin = 0;     // place in byMargin
    std::uint16_t grade = 0;     // place in byGrade
    std::uint16_t distance = 0;  // place in byDistance
};

// The counts of the whole run (its Tallies), and with a test period the
// development and test periods' apart.
struct BacktestSummary : Tallies {
    BacktestOptions options;
    long linesRead = 0;
    long linesOutsideRaces = 0;  // no date, race number, distance, grade or winning time
    long racesFound = 0;
    long racesNotChosen = 0;  // outside the dates, grade or distance asked for
    std::array<long, kSkipReasons> skipped{};
    std::optional<base::Date> firstRated;
    std::optional<base::Date> lastRated;
    // Development, then test; empty without a test period.
    std::vector<Tallies> periods;
    // Every rated race's top pick, in date and race order.
    std::vector<PickedRace> picks;
    // The top pick's cumulative flat-bet profit after each day rated.
    std::vector<std::pair<base::Date, double>> profitByDate;
    bool cancelled = false;

    long racesRated() const { return all.races; }
};

struct BacktestRequest {
    BacktestOptions options;
    processing::TimeFactors factors;
    // Called now and then with the lines read and the lines in all; may be
    // empty.
    base::Progress progress;
    // Asked now and then; true ends the pass early (summary.cancelled).
    std::function<bool()> cancelled;
    // Each rated race, in date order; may be empty.
    std::function<void(const RatedPastRace&)> onRace;
};

// The one chronological pass over the dog database.
BacktestSummary backtest(const store::DogDatabase& db, const BacktestRequest& request);

}  // namespace vz::analysis
