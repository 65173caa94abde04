#include "core/analysis/backtest_report.h"

#include <span>

#include <fmt/format.h>

#include "core/analysis/report_text.h"
#include "core/analysis/walk_forward_report.h"
#include "core/base/error.h"
#include "core/base/fileio.h"
#include "core/base/output_guard.h"
#include "core/processing/report.h"

namespace vz::analysis {

namespace {

// A section of counts: what was given, how often, how often its dog won.
void addCounts(std::string& out, std::string_view title, const Table& counts) {
    out += sectionTitle(title);
    out += tableText(counts);
    if (counts.rows.empty()) {
        addLine(out, "(none given)");
    }
    addLine(out, "");
    addLine(out, "");
}

void addOptions(std::string& out, const BacktestOptions& o) {
    addLine(out, fmt::format("Races chosen: {} to {}, grade {}, distance {}, at least {} dogs",
                             o.from ? base::toIso(*o.from) : "the first day",
                             o.to ? base::toIso(*o.to) : "the last day", o.grade.value_or("any"),
                             o.distance.value_or("any"), o.minField));
    if (o.testFrom) {
        addLine(out, "Test period: the races from " + base::toIso(*o.testFrom) +
                         " on; development period: the races before");
    }
    if (o.commission > 0) {
        addLine(out, fmt::format("Commission: {}% of a winning bet's net winnings", o.commission));
    }
}

// `text` in lines of at most `width` places, broken between words.
void addWrapped(std::string& out, std::string_view text, std::size_t width = 78) {
    std::string line;
    while (!text.empty()) {
        const std::size_t end = text.find(' ');
        const std::string_view word = text.substr(0, end);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            addLine(out, line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + std::string(word);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    addLine(out, line);
}

template <class T>
std::string optionalField(const std::optional<T>& v) {
    return v ? fmt::format("{}", *v) : std::string();
}

}  // namespace

std::string backtestSummaryText(const BacktestTables& t) {
    std::string out = tableText(t.races);
    addLine(out, "");
    out += tableText(t.allRaces);
    return out;
}

std::string backtestReport(const BacktestSummary& s, const BacktestTables& t, base::Date today) {
    std::string out = processing::headedBanner("Backtest of the race history", today);

    out += sectionTitle("     RACES");
    addOptions(out, s.options);
    addLine(out, "A line lacking its date, race number, distance, grade or winning time fits no");
    addLine(out, "race; it still counts in its dog's rating when dated.");
    addLine(out, "");
    out += backtestSummaryText(t);
    addLine(out, "");
    addLine(out, "");

    out += sectionTitle("     TOP PICK (first dog of the report's order, flat 1-unit win bets)");
    out += tableText(t.splits);
    addLine(out, "");
    addLine(out, "");

    addCounts(out, "     EACH FIGURE ALONE (its most points; ties to the lower post)", t.figures);
    addCounts(out, "     ALERTS (the dog given the alert)", t.alerts);
    addCounts(out, "     ADVICE (the top pick's win % with the advice and without)", t.advice);
    addCounts(out, "     WIN % BY SCORE (every rated dog)", t.scoreBands);

    out += sectionTitle("     STAKING (the top pick's bets in date and race order)");
    addLine(out,
            fmt::format("Commission: {}% of a winning bet's net winnings", s.options.commission));
    addLine(out, "");
    out += tableText(t.staking);
    addLine(out, "");
    out += tableText(t.months);
    addLine(out, "");
    out += tableText(t.years);
    addLine(out, "");
    addLine(out, "");

    out += sectionTitle("     HOW FAR THE NUMBERS GO");
    for (const std::string& note : evidenceNotes(t, s.options.testFrom.has_value())) {
        addWrapped(out, note);
        addLine(out, "");
    }
    return out;
}

std::string csvHeader(bool winChances) {
    return std::string(
               "Date,Race,Grade,Distance,Post,Dog,Score,Cla,Rec,AvSp,Last,EaSp,LaSp,"
               "Alerts,Rank,Finish,Odds,MarketChance") +
           (winChances ? ",WinChance,FairOdds" : "") + "\r\n";
}

void appendCsvRows(std::string& out, const RatedPastRace& r, const std::vector<double>* chances) {
    for (std::size_t i = 0; i < r.dogs.size(); ++i) {
        const RatedDog& d = r.dogs[i];
        const processing::Points& p = d.points;
        out += fmt::format("{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{}",
                           r.race.RaceDate ? base::toIso(*r.race.RaceDate) : "",
                           optionalField(r.race.RaceNum), csvField(r.race.Grade.value_or("")),
                           csvField(r.race.Distance.value_or("")), d.post, csvField(d.dogName),
                           p.score, p.cla, p.rec, p.avSp, p.last, p.eaSp, p.laSp,
                           csvField(d.alerts), d.rank, optionalField(d.result.finish),
                           optionalField(d.result.odds), optionalField(d.marketChance));
        if (chances) {
            if (i < chances->size()) {
                const double c = (*chances)[i];
                out += fmt::format(",{:.4f},{}", c, processing::fairOddsText(c));
            } else {
                out += ",,";
            }
        }
        out += "\r\n";
    }
}

std::optional<std::string> csvRefusal(const BacktestRun& run) {
    if (!run.csv) {
        return std::nullopt;
    }
    const std::filesystem::path report = run.paths.resultsDir() / std::string(kBacktestReportName);
    return base::outputRefusal(run.paths, *run.csv, base::OutputKind::Other, "the CSV file",
                               std::span(&report, 1));
}

BacktestOutcome runBacktest(const BacktestRun& run) {
    if (const auto why = csvRefusal(run)) {
        throw Error(*why, Error::kPermissionDenied);
    }
    const store::DogDatabase db(run.paths.dogDatabase(), store::OpenMode::ReadOnly);
    BacktestRequest rq = run.request;
    std::string csv;
    std::optional<WalkForward> walk;
    if (run.winChances) {
        walk.emplace(*run.winChances);
    }
    if (run.csv || walk) {
        csv = run.csv ? csvHeader(walk.has_value()) : std::string();
        rq.onRace = [&, inner = run.request.onRace](const RatedPastRace& r) {
            std::vector<double> chances;
            if (walk) {
                chances = walk->take(r);
            }
            if (run.csv) {
                appendCsvRows(csv, r, walk ? &chances : nullptr);
            }
            if (inner) {
                inner(r);
            }
        };
    }
    BacktestOutcome outcome{backtest(db, rq), {}, {}, {}};
    if (outcome.summary.cancelled) {
        return outcome;
    }
    // A report of nothing would only replace the last one.
    const BacktestSummary& s = outcome.summary;
    if (s.racesFound == s.racesNotChosen) {
        throw Error(s.racesFound == 0
                        ? std::string("No race was chosen: the stored lines rebuild no race.")
                        : fmt::format("No race was chosen: none of the {} races the lines "
                                      "rebuild is within the dates, grade and distance asked "
                                      "for. The last report is kept.",
                                      s.racesFound));
    }
    outcome.tables = backtestTables(outcome.summary);
    outcome.report = run.paths.resultsDir() / std::string(kBacktestReportName);
    std::string report = backtestReport(outcome.summary, outcome.tables, run.today);
    if (walk) {
        outcome.winChances = walk->summary();
        report += walkForwardSection(*outcome.winChances);
    }
    base::writeFileAtomic(outcome.report, report);
    if (run.csv) {
        base::writeFileAtomic(*run.csv, csv);
    }
    return outcome;
}

}  // namespace vz::analysis
