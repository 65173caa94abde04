#include "core/analysis/backtest_tables.h"

#include <fmt/format.h>

#include "core/analysis/report_text.h"

namespace vz::analysis {

namespace {

using Cells = std::vector<std::string>;

Table topPickTable() {
    Table t;
    t.labelWidth = 16;
    t.columns = {{"Races", 9}, {"Won", 8},     {"Win %", 7}, {"Top 3 %", 9},
                 {"Bets", 8},  {"Profit", 11}, {"ROI", 8}};
    t.ruled = true;
    return t;
}

Cells topPickCells(const Tally& t) {
    return {std::to_string(t.races),
            std::to_string(t.topWon),
            percentText(percent(t.topWon, t.races)),
            percentText(percent(t.topInThree, t.races)),
            std::to_string(t.bets),
            money(t.profit()),
            roiText(t)};
}

void addSplits(Table& t, std::string heading, const std::vector<Split>& splits) {
    t.addHeading(std::move(heading));
    for (const Split& s : splits) {
        t.add(s.label.empty() ? "(none)" : s.label, {topPickCells(s.tally)});
    }
}

Table countTable(std::string what, std::string given, const std::vector<Count>& counts) {
    Table t;
    t.labelHeader = std::move(what);
    t.columns = {{std::move(given), 9}, {"Won", 8}, {"Win %", 7}};
    for (const Count& c : counts) {
        t.add(c.label, {{std::to_string(c.given), std::to_string(c.won),
                         percentText(percent(c.won, c.given))}});
    }
    return t;
}

}  // namespace

BacktestTables backtestTables(const BacktestSummary& s) {
    BacktestTables out;

    out.races.labelWidth = 46;
    out.races.columns = {{"", 12}};
    auto count = [&](std::string label, long n) {
        out.races.add(std::move(label), {{std::to_string(n)}});
    };
    count("Race lines read", s.linesRead);
    count("Lines that fit no race", s.linesOutsideRaces);
    count("Races rebuilt from the lines", s.racesFound);
    count("Not chosen", s.racesNotChosen);
    for (std::size_t r = 0; r < kSkipReasons; ++r) {
        count("Skipped, " + skipText(static_cast<Skip>(r), s.options.minField), s.skipped[r]);
    }
    count("Races rated", s.racesRated());
    if (s.firstRated && s.lastRated) {
        out.races.add("Days rated",
                      {{store::toIso(*s.firstRated) + " to " + store::toIso(*s.lastRated)}});
    }

    out.allRaces = topPickTable();
    out.allRaces.add("All races", {topPickCells(s.all)});

    out.splits = topPickTable();
    addSplits(out.splits, "By Score margin over the second dog", s.byMargin);
    addSplits(out.splits, "By grade", s.byGrade);
    addSplits(out.splits, "By distance", s.byDistance);

    out.figures = countTable("Figure", "Races", s.figures);
    out.alerts = countTable("Alert", "Dogs", s.alerts);

    out.advice.labelHeader = "Advice";
    out.advice.labelWidth = 43;
    out.advice.columns = {{"Races", 7}, {"Win %", 8}, {"Others %", 10}};
    for (const AdviceCount& a : s.advice) {
        out.advice.add(a.label,
                       {{std::to_string(a.races), percentText(percent(a.topWon, a.races)),
                         percentText(percent(s.all.topWon - a.topWon, s.all.races - a.races))}});
    }

    out.scoreBands = countTable("Score", "Dogs", s.scoreBands);
    return out;
}

}  // namespace vz::analysis
