#include "core/analysis/check.h"

#include <map>

#include <fmt/format.h>

#include "core/analysis/as_of.h"
#include "core/analysis/evidence.h"
#include "core/analysis/report_text.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/text.h"
#include "core/processing/figures.h"
#include "core/processing/report.h"
#include "core/store/history_scan.h"

namespace vz::analysis {

namespace {

constexpr std::string_view kResultsSuffix = " - Results.txt";
// Fewer races with results than this prove nothing, and the summary says so.
constexpr long kFewestToJudge = 30;

Result resultOf(const std::vector<base::RaceLine>& lines) {
    if (lines.empty()) {
        return {};
    }
    return {true, lines.front().Finish, lines.front().Odds};
}

std::string resultRow(int rank, int post, const processing::Box& box, const Result& r,
                      std::optional<double> chance) {
    return fmt::format(
        "{:>4} {:>2} {} {:>5} {:>4} {:>6}{}  {}", rank, post, dogColumn(box.dogName),
        box.points.score, r.finish ? std::to_string(*r.finish) : std::string("-"), oddsText(r.odds),
        chance ? fmt::format(" {:>6}", processing::winPercentText(*chance)) : "", box.alerts);
}

}  // namespace

std::vector<CheckedRace> checkRaces(const store::RaceFile& raceFile, const store::DogDatabase& dogs,
                                    processing::TimeFactors factors, const WinModel* model) {
    const std::vector<base::Race> races = raceFile.races();
    if (races.empty()) {
        throw Error(
            fmt::format("The race file {} has no races.", raceFile.path().filename().string()),
            Error::kNoCurrentRecord);
    }
    const std::vector<base::Post> posts = raceFile.allPosts();
    std::vector<CheckedRace> out;
    out.reserve(races.size());
    for (const base::Race& race : races) {
        processing::RaceCard card{race, {}};
        std::map<int, Result> results;
        for (const base::Post& p : posts) {
            const std::string name = p.RegName.value_or("");
            if (!race.RaceDate || !race.RaceNum || p.RaceDate != race.RaceDate ||
                p.RaceNum != race.RaceNum || base::trim(name).empty()) {
                continue;
            }
            const std::optional<base::Dog> dog = dogs.findDog(base::trim(name));
            const std::string regName = dog ? dog->RegName : base::trim(name);
            const int post = p.Post.value_or(0);
            card.entries.push_back(
                {post, name, dog ? dog->RunningStyle.value_or("") : std::string(),
                 store::raceLinesBefore(dogs, regName, *race.RaceDate, processing::kLinesRead)});
            results[post] =
                resultOf(store::raceLinesOfRace(dogs, regName, *race.RaceDate, *race.RaceNum));
        }
        if (card.entries.empty()) {
            throw Error(fmt::format("There is no dog in {}.", processing::describeRace(race)),
                        Error::kNoCurrentRecord);
        }
        const processing::RaceCard copy = model ? card : processing::RaceCard{};
        CheckedRace c{race, rateAsOf(std::move(card), factors), {}, {}, {}};
        if (model) {
            c.chances = priceCardRace(*model, copy, c.rated);
        }
        for (int post : c.rated.finalOrder) {
            c.results.push_back(results[post]);
        }
        c.outcome = outcomeOf(c.results);
        out.push_back(std::move(c));
    }
    return out;
}

Table checkSummary(const std::vector<CheckedRace>& races) {
    Tally tally;
    for (const CheckedRace& c : races) {
        tally.add(c.outcome);
    }
    Table t;
    t.labelWidth = 46;
    t.columns = {{"", 12}, {"", 8, true}};
    auto value = [&](std::string label, std::string v) {
        t.add(std::move(label), {{std::move(v)}});
    };
    auto count = [&](std::string label, long part, long whole) {
        t.add(std::move(label),
              {{fmt::format("{} of {}", part, whole), percentText(percent(part, whole))}});
    };
    value("Races on the card", std::to_string(races.size()));
    value("Races with results", std::to_string(tally.races));
    count("Top pick won", tally.topWon, tally.races);
    value("Top pick's win %, 95% range", rangeText(wilsonRange(tally.topWon, tally.races)));
    count("Top pick in the first three", tally.topInThree, tally.races);
    count("Winner among the top two", tally.winnerInTopTwo, tally.races);
    value("Flat 1-unit win bets on the top pick", std::to_string(tally.bets));
    value("Returned", money(tally.returned));
    value("Profit", money(tally.profit()));
    value("ROI (profit / stakes)", roiText(tally));
    value("Top pick winners the odds expected", expectedText(tally.market));
    value("A/E (actual / expected)", ratioText(tally.market));
    value("p-value of A/E against 1", pText(tally.market));
    return t;
}

std::string checkSummaryText(const std::vector<CheckedRace>& races) {
    std::string out = tableText(checkSummary(races));
    long withResults = 0;
    for (const CheckedRace& c : races) {
        withResults += c.outcome.hasResult ? 1 : 0;
    }
    if (withResults < kFewestToJudge) {
        addLine(out, "");
        addLine(out, fmt::format("One card proves nothing: {} races with results are far too "
                                 "few to judge the",
                                 withResults));
        addLine(out, "ratings; the backtest rates every past race the lines rebuild.");
    }
    return out;
}

std::string checkReport(std::string_view raceFileTitle, base::Date today,
                        const std::vector<CheckedRace>& races) {
    std::string out =
        processing::headedBanner("Results check of " + std::string(raceFileTitle), today);
    for (const CheckedRace& c : races) {
        out += sectionTitle(processing::raceTitleLine(c.race));
        if (!c.outcome.hasResult) {
            addLine(out, "no result yet");
            addLine(out, "");
            addLine(out, "");
            continue;
        }
        const bool priced = !c.chances.empty();
        addLine(out, priced ? "Rank PP Dog              Score  Fin   Odds   Win%  Alerts"
                            : "Rank PP Dog              Score  Fin   Odds  Alerts");
        addLine(out, std::string(69, '-'));
        const std::vector<int>& order = c.rated.finalOrder;
        for (std::size_t i = 0; i < order.size(); ++i) {
            addLine(out, resultRow(static_cast<int>(i) + 1, order[i], c.rated.table.box(order[i]),
                                   c.results[i],
                                   priced ? std::optional<double>(c.chances[i]) : std::nullopt));
        }
        addLine(out, "");
        for (int rank : c.outcome.winnerRanks) {
            const int post = order[static_cast<std::size_t>(rank - 1)];
            addLine(out, fmt::format("Winner: {} {}, {} in the order", post,
                                     c.rated.table.box(post).dogName, ordinal(rank)));
        }
        if (c.outcome.winnerRanks.empty()) {
            addLine(out, "Winner: none of these dogs has a first place in its line");
        }
        if (!c.outcome.bet) {
            addLine(out, "Top pick bet: none, its odds are not known");
        } else {
            addLine(out, fmt::format("Top pick bet: 1.00 staked, {} returned",
                                     money(c.outcome.returned)));
        }
        addLine(out, "");
        addLine(out, "");
    }

    out += sectionTitle("     SUMMARY");
    out += checkSummaryText(races);
    return out;
}

std::string checkReportName(std::string_view raceFileTitle) {
    std::string name = base::resultsFileName(raceFileTitle);
    name.resize(name.size() - kResultsSuffix.size());
    return name + " - Results Check.txt";
}

CheckOutcome checkRaceFile(const CheckRequest& rq) {
    const store::RaceFile raceFile(rq.raceFile, store::OpenMode::ReadOnly);
    const store::DogDatabase dogs(rq.paths.dogDatabase(), store::OpenMode::ReadOnly);
    CheckOutcome outcome;
    outcome.races =
        checkRaces(raceFile, dogs, rq.factors, rq.winChances ? &*rq.winChances : nullptr);
    for (const CheckedRace& c : outcome.races) {
        outcome.tally.add(c.outcome);
    }
    outcome.report = rq.paths.resultsDir() / checkReportName(rq.raceFileTitle);
    base::writeFileAtomic(outcome.report, checkReport(rq.raceFileTitle, rq.today, outcome.races));
    return outcome;
}

}  // namespace vz::analysis
