#pragma once

// The backtest over the race history: past races rebuilt from the stored
// lines (lines with the same date, race number, distance, grade and winning
// time ran in one race), each rated as of its date in one chronological pass
// that keeps every dog's eight newest earlier lines, and tallied against its
// own result.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/analysis/outcome.h"
#include "core/base/dates.h"
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
enum class Skip { NoWinner, SmallField, Posts, Unreadable };
inline constexpr std::size_t kSkipReasons = 4;
std::string skipText(Skip reason, int minField);

// A dog of a rated past race.
struct RatedDog {
    int rank = 0;  // place in the report's order, from 1
    int post = 0;
    std::string dogName;
    processing::Points points;
    std::string alerts;
    Result result;
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
};

// An advice line: the races it was given in, and the top pick's wins there.
struct AdviceCount {
    std::string label;
    long races = 0;
    long topWon = 0;
};

struct BacktestSummary {
    BacktestOptions options;
    long linesRead = 0;
    long linesOutsideRaces = 0;  // no date, race number, distance, grade or winning time
    long racesFound = 0;
    long racesNotChosen = 0;  // outside the dates, grade or distance asked for
    std::array<long, kSkipReasons> skipped{};
    std::optional<base::Date> firstRated;
    std::optional<base::Date> lastRated;
    Tally all;
    std::vector<Split> byMargin;  // 0, 1-2, 3-5, 6 and more
    std::vector<Split> byGrade;
    std::vector<Split> byDistance;
    std::vector<Count> figures;  // Cla, Rec, AvSp, Last, EaSp, LaSp
    std::vector<Count> alerts;   // most given first
    std::vector<AdviceCount> advice;
    std::vector<Count> scoreBands;  // 0-2, 3-5, ... 21-23
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
    std::function<void(long done, long total)> progress;
    // Asked now and then; true ends the pass early (summary.cancelled).
    std::function<bool()> cancelled;
    // Each rated race, in date order; may be empty.
    std::function<void(const RatedPastRace&)> onRace;
};

// The one chronological pass over the dog database.
BacktestSummary backtest(const store::DogDatabase& db, const BacktestRequest& request);

}  // namespace vz::analysis
