#pragma once

// The results check of a race file: each race of the card rated as of its
// date, then compared with what the dogs' lines of that day and race number
// (brought by a later import) say: finishes, odds, where the winner stood,
// and a flat 1-unit win bet on the top pick.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/outcome.h"
#include "core/analysis/table.h"
#include "core/analysis/win_model.h"
#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/processing/card.h"
#include "core/processing/rating.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::analysis {

struct CheckedRace {
    base::Race race;
    processing::RatedRace rated;
    std::vector<Result> results;  // along rated.finalOrder
    RaceOutcome outcome;
    std::vector<double> chances;  // along rated.finalOrder; empty when not priced
};

// Rates every race of the file as of its date and reads the results. A dog
// of the card that is no longer in Main is rated from its lines with no
// running style. Throws vz::Error when the file has no race, a race has no
// dog, or as processing does on a post held twice or a line it cannot rate.
// With a model, each race is priced too.
std::vector<CheckedRace> checkRaces(const store::RaceFile& raceFile, const store::DogDatabase& dogs,
                                    processing::TimeFactors factors,
                                    const WinModel* model = nullptr);

// The check's report: per race the order with finishes and odds, then the
// card's tallies. Lines end in CR LF.
std::string checkReport(std::string_view raceFileTitle, base::Date today,
                        const std::vector<CheckedRace>& races);

// The card's tallies: races with results, the top pick's wins and places,
// the flat bet on it. The end of the report, and what the terminal prints.
Table checkSummary(const std::vector<CheckedRace>& races);
std::string checkSummaryText(const std::vector<CheckedRace>& races);

// "Card 12 - Results Check.txt" for "Card 12.rac".
std::string checkReportName(std::string_view raceFileTitle);

struct CheckRequest {
    base::AppPaths paths;
    std::filesystem::path raceFile;
    std::string raceFileTitle;  // file name without folder
    processing::TimeFactors factors;
    base::Date today;
    std::optional<WinModel> winChances;  // show each dog's chance
};

struct CheckOutcome {
    std::vector<CheckedRace> races;
    Tally tally;
    std::filesystem::path report;  // in the results folder
};

// Checks the file and writes the report whole into the results folder,
// replacing an earlier check of the same file.
CheckOutcome checkRaceFile(const CheckRequest& request);

}  // namespace vz::analysis
