#pragma once

// The handicapping run over one race file: every dog must be on file, else
// Error.txt lists the missing ones; otherwise every race is rated and the
// results report is written to the results folder.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/processing/card.h"
#include "core/processing/rating.h"

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/progress.h"

namespace vz::processing {

struct RunRequest {
    base::AppPaths paths;            // Error.txt in appDir, report in profileDir/Results
    std::filesystem::path raceFile;  // full path
    std::string raceFileTitle;       // file name without folder, e.g. "Card 12.rac"
    double TimeFactorL = 0.8191767;
    double TimeFactorR = 0.8;
    base::Date today;
    // May be empty; called from the running thread with (0, total) before the
    // first race and again after each race is rated.
    base::Progress progress;
    // When set, each race is priced (a chance per dog along
    // rated.finalOrder) and the report gains the "Win%" and "Fair" columns,
    // with `pricedBy` under each race's dog lines.
    std::function<std::vector<double>(const RaceCard&, const RatedRace&)> winChances;
    std::string pricedBy;
};

struct RunOutcome {
    enum class Kind { Report, DogsMissing } kind;
    std::filesystem::path file;  // the results report, or Error.txt
};

// Throws vz::Error on failure. Nothing is written unless the run gets to its
// end: the report (or Error.txt) is written whole, replacing an earlier one.
RunOutcome processRaceFile(const RunRequest& request);

}  // namespace vz::processing
