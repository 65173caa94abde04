#include "core/analysis/backtest_report.h"

#include <fmt/format.h>

#include "core/analysis/report_text.h"
#include "core/base/fileio.h"
#include "core/processing/report.h"

namespace vz::analysis {

namespace {

constexpr std::string_view kTopPickHeader =
    "                    Races     Won  Win %  Top 3 %    Bets     Profit     ROI";

std::string topPickRow(std::string_view label, const Tally& t) {
    return fmt::format("{:<16}{:>9}{:>8}{:>7}{:>9}{:>8}{:>11}{:>8}", label, t.races, t.topWon,
                       percentText(percent(t.topWon, t.races)),
                       percentText(percent(t.topInThree, t.races)), t.bets, money(t.profit()),
                       roiText(t));
}

void addSplits(std::string& out, std::string_view title, const std::vector<Split>& splits) {
    addLine(out, title);
    for (const Split& s : splits) {
        addLine(out, topPickRow(s.label.empty() ? "(none)" : s.label, s.tally));
    }
    addLine(out, "");
}

std::string countRow(std::string_view label, long given, long won) {
    return fmt::format("{:<20}{:>9}{:>8}{:>7}", label, given, won,
                       percentText(percent(won, given)));
}

std::string countHeader(std::string_view label, std::string_view given) {
    return fmt::format("{:<20}{:>9}{:>8}{:>7}", label, given, "Won", "Win %");
}

// A section of counts: what was given, how often, how often its dog won.
void addCounts(std::string& out, std::string_view title, std::string_view what,
               std::string_view given, const std::vector<Count>& counts) {
    out += sectionTitle(title);
    addLine(out, countHeader(what, given));
    for (const Count& c : counts) {
        addLine(out, countRow(c.label, c.given, c.won));
    }
    if (counts.empty()) {
        addLine(out, "(none given)");
    }
    addLine(out, "");
    addLine(out, "");
}

std::string optionText(const BacktestOptions& o) {
    return fmt::format("Races chosen: {} to {}, grade {}, distance {}, at least {} dogs",
                       o.from ? base::toIso(*o.from) : "the first day",
                       o.to ? base::toIso(*o.to) : "the last day", o.grade.value_or("any"),
                       o.distance.value_or("any"), o.minField);
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

template <class T>
std::string optionalField(const std::optional<T>& v) {
    return v ? fmt::format("{}", *v) : std::string();
}

}  // namespace

std::string backtestSummaryText(const BacktestSummary& s) {
    std::string out;
    addLine(out, labelledRow("Race lines read", std::to_string(s.linesRead)));
    addLine(out, labelledRow("Lines that fit no race", std::to_string(s.linesOutsideRaces)));
    addLine(out, labelledRow("Races rebuilt from the lines", std::to_string(s.racesFound)));
    addLine(out, labelledRow("Not chosen", std::to_string(s.racesNotChosen)));
    for (std::size_t r = 0; r < kSkipReasons; ++r) {
        addLine(out, labelledRow("Skipped, " + skipText(static_cast<Skip>(r), s.options.minField),
                                 std::to_string(s.skipped[r])));
    }
    addLine(out, labelledRow("Races rated", std::to_string(s.racesRated())));
    if (s.firstRated && s.lastRated) {
        addLine(out, labelledRow("Days rated",
                                 base::toIso(*s.firstRated) + " to " + base::toIso(*s.lastRated)));
    }
    addLine(out, "");
    addLine(out, kTopPickHeader);
    addLine(out, std::string(kTopPickHeader.size(), '-'));
    addLine(out, topPickRow("All races", s.all));
    return out;
}

std::string backtestReport(const BacktestSummary& s, base::Date today) {
    std::string out = processing::headedBanner("Backtest of the race history", today);

    out += sectionTitle("     RACES");
    addLine(out, optionText(s.options));
    addLine(out, "A line lacking its date, race number, distance, grade or winning time fits no");
    addLine(out, "race; it still counts in its dog's rating when dated.");
    addLine(out, "");
    out += backtestSummaryText(s);
    addLine(out, "");
    addLine(out, "");

    out += sectionTitle("     TOP PICK (first dog of the report's order, flat 1-unit win bets)");
    addLine(out, kTopPickHeader);
    addLine(out, std::string(kTopPickHeader.size(), '-'));
    addSplits(out, "By Score margin over the second dog", s.byMargin);
    addSplits(out, "By grade", s.byGrade);
    addSplits(out, "By distance", s.byDistance);
    addLine(out, "");

    addCounts(out, "     EACH FIGURE ALONE (its most points; ties to the lower post)", "Figure",
              "Races", s.figures);
    addCounts(out, "     ALERTS (the dog given the alert)", "Alert", "Dogs", s.alerts);
    out += sectionTitle("     ADVICE (the top pick's win % with the advice and without)");
    addLine(out, fmt::format("{:<43}{:>7}{:>8}{:>10}", "Advice", "Races", "Win %", "Others %"));
    for (const AdviceCount& a : s.advice) {
        addLine(out,
                fmt::format("{:<43}{:>7}{:>8}{:>10}", a.label, a.races,
                            percentText(percent(a.topWon, a.races)),
                            percentText(percent(s.all.topWon - a.topWon, s.all.races - a.races))));
    }
    if (s.advice.empty()) {
        addLine(out, "(none given)");
    }
    addLine(out, "");
    addLine(out, "");

    addCounts(out, "     WIN % BY SCORE (every rated dog)", "Score", "Dogs", s.scoreBands);
    return out;
}

std::string csvHeader() {
    return "Date,Race,Grade,Distance,Post,Dog,Score,Cla,Rec,AvSp,Last,EaSp,LaSp,Alerts,Rank,"
           "Finish,Odds\r\n";
}

void appendCsvRows(std::string& out, const RatedPastRace& r) {
    for (const RatedDog& d : r.dogs) {
        const processing::Points& p = d.points;
        out +=
            fmt::format("{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{},{}\r\n",
                        r.race.RaceDate ? base::toIso(*r.race.RaceDate) : "",
                        optionalField(r.race.RaceNum), csvField(r.race.Grade.value_or("")),
                        csvField(r.race.Distance.value_or("")), d.post, csvField(d.dogName),
                        p.score, p.cla, p.rec, p.avSp, p.last, p.eaSp, p.laSp, csvField(d.alerts),
                        d.rank, optionalField(d.result.finish), optionalField(d.result.odds));
    }
}

BacktestOutcome runBacktest(const BacktestRun& run) {
    const store::DogDatabase db(run.paths.dogDatabase(), store::OpenMode::ReadOnly);
    BacktestRequest rq = run.request;
    std::string csv;
    if (run.csv) {
        csv = csvHeader();
        rq.onRace = [&, inner = run.request.onRace](const RatedPastRace& r) {
            appendCsvRows(csv, r);
            if (inner) {
                inner(r);
            }
        };
    }
    BacktestOutcome outcome{backtest(db, rq), {}};
    if (outcome.summary.cancelled) {
        return outcome;
    }
    outcome.report = run.paths.resultsDir() / std::string(kBacktestReportName);
    base::writeFileAtomic(outcome.report, backtestReport(outcome.summary, run.today));
    if (run.csv) {
        base::writeFileAtomic(*run.csv, csv);
    }
    return outcome;
}

}  // namespace vz::analysis
