#pragma once

// The running-style update: every dog's RunningStyle from its race lines, and
// the two distance time factors from all first-to-third finishes, in one pass.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/progress.h"
#include "core/base/settings.h"
#include "core/dogs/texts.h"
#include "core/store/dog_database.h"

namespace vz::dogs {

// Average time of a post group whose count is 0.
inline constexpr std::int64_t kNoAverage = 9999;

// Times of one post group for one dog. The sum is rounded to a whole number
// after each addition, as the stored totals always were.
struct GroupTimes {
    double sum = 0;
    long count = 0;

    void add(double time);
    // sum / count rounded half to even; kNoAverage without lines. Not limited
    // to 16 bits, so an odd stored time cannot stop the pass.
    std::int64_t average() const;
};

// Post groups: inside 1-3, middle 4-5, outside 6-8.
enum class PostGroup { Inside, Middle, Outside, None };
PostGroup postGroup(std::optional<int> post);

// The style the three averages give, or no value when the stored style is to
// stay: ties between the inside group and another give "R"; a tie between
// the middle and outside groups, both faster than the inside, keeps it.
std::optional<std::string> decideStyle(std::int64_t insideAvg, std::int64_t middleAvg,
                                       std::int64_t outsideAvg);

// Sum and count of first-to-third finish times at one distance code.
struct FactorTimes {
    double sum = 0;
    long count = 0;
};

struct StyleChange {
    std::string RegName;
    std::optional<std::string> oldStyle;
    std::string newStyle;
};

struct StyleUpdateResult {
    // The settings passed in with the new TimeFactorL, TimeFactorR and
    // LastStyleUpdate = today; the other six values unchanged.
    base::Settings settings;
    long dogs = 0;
    long linesRead = 0;
    std::vector<StyleChange> changes;  // dogs whose stored style changed, by name
    FactorTimes timesS, timesL, timesR;
    bool timeFactorLComputed = false;
    bool timeFactorRComputed = false;
};

// Runs the update on an open dog database in one transaction; nothing is
// stored when it fails. Does not write the settings file.
StyleUpdateResult updateRunningStyles(store::DogDatabase& db, const base::Settings& settings,
                                      base::Date today, const base::Progress& progress = {});

// The whole command, one unit with its settings: refuses before changing
// anything when `Vovoziruzu.ini` cannot be written; commits the styles with
// a record of the new settings in the dog database, then writes the file
// whole and drops the record. Cut short in between, the next start writes
// the file from the record. A computed factor outside the plausible range
// (kMinTimeFactor) keeps its value, as one without lines does.
StyleUpdateResult runStyleUpdate(const base::AppPaths& paths, const base::Settings& settings,
                                 base::Date today, const base::Progress& progress = {});

}  // namespace vz::dogs
