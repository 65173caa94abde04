#include "core/processing/run.h"

#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/text.h"
#include "core/processing/card.h"
#include "core/processing/figures.h"
#include "core/processing/rating.h"
#include "core/processing/report.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::processing {

namespace {

namespace fs = std::filesystem;

// An entry of the card as the race file holds it, before its dog is looked up.
struct Booking {
    int post = 0;
    std::string regName;  // as written in the race file
    std::optional<base::Dog> dog;
};

struct PlannedRace {
    base::Race race;
    std::vector<Booking> bookings;  // by post
};

// The races of the file with their occupied boxes. A card that cannot be
// rated (no race, a race without a dog, a post held twice or without a
// number) is refused here, before anything is written. A post beyond the
// race's tables is refused when the race is rated, after the dogs of the
// card have been looked up: a missing dog is reported first.
std::vector<PlannedRace> readCard(const store::RaceFile& file, std::string_view title) {
    const std::vector<base::Race> races = file.races();
    if (races.empty()) {
        throw Error(fmt::format("The race file {} has no races.", title), Error::kNoCurrentRecord);
    }
    const std::vector<base::Post> posts = file.allPosts();
    std::vector<PlannedRace> plan;
    plan.reserve(races.size());
    for (const base::Race& race : races) {
        PlannedRace pr{race, {}};
        std::set<int> taken;
        for (const base::Post& p : posts) {
            if (!race.RaceDate || !race.RaceNum || p.RaceDate != race.RaceDate ||
                p.RaceNum != race.RaceNum) {
                continue;
            }
            const std::string name = p.RegName.value_or("");
            if (base::trim(name).empty()) {
                continue;  // an empty box
            }
            if (!p.Post || *p.Post < 1) {
                throw Error(fmt::format("The dog {} in {} has no post number of 1 or more.", name,
                                        describeRace(race)),
                            Error::kSubscriptOutOfRange);
            }
            if (!taken.insert(*p.Post).second) {
                throw Error(fmt::format("Post {} of {} holds more than one dog.", *p.Post,
                                        describeRace(race)),
                            Error::kSubscriptOutOfRange);
            }
            pr.bookings.push_back({*p.Post, name, std::nullopt});
        }
        if (pr.bookings.empty()) {
            throw Error(fmt::format("There is no dog in {}.", describeRace(race)),
                        Error::kNoCurrentRecord);
        }
        plan.push_back(std::move(pr));
    }
    return plan;
}

RunOutcome run(const RunRequest& rq) {
    if (rq.raceFile.empty() || rq.raceFile.filename().empty() || rq.raceFileTitle.empty()) {
        throw Error("The name of the race file to process is empty: name a race file (.rac).",
                    Error::kBadFileName);
    }
    const fs::path reportPath = rq.paths.resultsFile(rq.raceFileTitle);
    const fs::path errorPath = rq.paths.errorReport();
    const store::RaceFile raceFile(rq.raceFile, store::OpenMode::ReadOnly);
    const store::DogDatabase dogs(rq.paths.dogDatabase(), store::OpenMode::ReadOnly);

    std::vector<PlannedRace> plan = readCard(raceFile, rq.raceFileTitle);

    // Every dog of the card must be on file.
    std::vector<MissingDog> missing;
    for (PlannedRace& pr : plan) {
        for (Booking& b : pr.bookings) {
            b.dog = dogs.findDog(base::trim(b.regName));
            if (!b.dog) {
                missing.push_back({b.regName, pr.race, b.post});
            }
        }
    }
    if (!missing.empty()) {
        base::writeFileAtomic(errorPath, errorReport(rq.raceFileTitle, missing), "error report");
        return {RunOutcome::Kind::DogsMissing, errorPath};
    }
    base::removeFileIfPresent(errorPath, "old error report");

    const TimeFactors factors{rq.TimeFactorL, rq.TimeFactorR};
    const int total = static_cast<int>(plan.size());
    if (rq.progress) {
        rq.progress(0, total);
    }
    std::string report = banner(rq.raceFileTitle, rq.today);
    for (int i = 0; i < total; ++i) {
        const PlannedRace& pr = plan[static_cast<std::size_t>(i)];
        RaceCard card{pr.race, {}};
        card.entries.reserve(pr.bookings.size());
        for (const Booking& b : pr.bookings) {
            card.entries.push_back({b.post, b.regName, b.dog->RunningStyle.value_or(""),
                                    dogs.newestRaceLines(b.dog->RegName, kLinesRead)});
        }
        const RatedRace rated = rateRace(tableFor(card, factors));
        report += rq.winChances
                      ? pricedRaceSection(pr.race, rated, rq.winChances(card, rated), rq.pricedBy)
                      : raceSection(pr.race, rated);
        report += raceSeparator(i + 1, i + 1 < total);
        if (rq.progress) {
            rq.progress(i + 1, total);
        }
    }
    base::writeFileAtomic(reportPath, report, "results report");
    return {RunOutcome::Kind::Report, reportPath};
}

}  // namespace

RunOutcome processRaceFile(const RunRequest& request) {
    try {
        return run(request);
    } catch (const Error&) {
        throw;
    } catch (const std::exception& e) {
        throw Error(e.what());
    }
}

}  // namespace vz::processing
