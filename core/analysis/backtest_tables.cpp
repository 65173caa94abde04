#include "core/analysis/backtest_tables.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

#include <fmt/format.h>

#include "core/analysis/evidence.h"
#include "core/analysis/report_text.h"
#include "core/analysis/staking.h"

namespace vz::analysis {

namespace {

using Cells = std::vector<std::string>;

// The tallies of each period shown: the whole run, or development and test.
std::vector<const Tallies*> shownPeriods(const BacktestSummary& s) {
    if (s.periods.empty()) {
        return {&s};
    }
    return {&s.periods[0], &s.periods[1]};
}

void namePeriods(Table& t, const BacktestSummary& s) {
    if (!s.periods.empty()) {
        t.periods = {"Development", "Test"};
    }
}

// The rows set against the market, and how many of them show p below 0.05.
struct Tested {
    long rows = 0;
    long below = 0;
};

// The market's columns of a row that counts winners.
void addMarketCells(Cells& cells, long won, long of, const MarketCount& m, Tested& tested) {
    if (const std::optional<double> p = m.pValue()) {
        ++tested.rows;
        tested.below += *p < 0.05 ? 1 : 0;
    }
    cells.push_back(rangeText(wilsonRange(won, of)));
    cells.push_back(expectedText(m));
    cells.push_back(ratioText(m));
    cells.push_back(pText(m));
}

const std::vector<Column> kMarketColumns = {{"Win 95%", 13}, {"Exp.", 8}, {"A/E", 18}, {"p", 8}};

Table topPickTable(const BacktestSummary& s) {
    Table t;
    t.labelWidth = 16;
    t.columns = {{"Races", 9}, {"Won", 8},     {"Win %", 7}, {"Top 3 %", 9},
                 {"Bets", 8},  {"Profit", 11}, {"ROI", 8}};
    t.columns.insert(t.columns.end(), kMarketColumns.begin(), kMarketColumns.end());
    // Two blanks at least before the widest range ("-100.0 to -100.0%").
    t.columns.push_back({"ROI 95%", 19});
    t.ruled = true;
    namePeriods(t, s);
    return t;
}

Cells topPickCells(const Tally& t, const std::optional<Range>& roiRange, Tested& tested) {
    Cells cells = {std::to_string(t.races),
                   std::to_string(t.topWon),
                   percentText(percent(t.topWon, t.races)),
                   percentText(percent(t.topInThree, t.races)),
                   std::to_string(t.bets),
                   money(t.profit()),
                   roiText(t)};
    addMarketCells(cells, t.topWon, t.races, t.market, tested);
    cells.push_back(rangeText(roiRange));
    return cells;
}

// The top pick's rows of one period: all races, then the margins, grades
// and distances. Their places number the bootstrap's groups.
struct TopPickGroups {
    std::size_t margins;
    std::size_t grades;
    std::size_t distances;

    std::size_t perPeriod() const { return 1 + margins + grades + distances; }
    std::size_t all(std::size_t period) const { return period * perPeriod(); }
    std::size_t margin(std::size_t period, std::size_t m) const { return all(period) + 1 + m; }
    std::size_t grade(std::size_t period, std::size_t g) const {
        return all(period) + 1 + margins + g;
    }
    std::size_t distance(std::size_t period, std::size_t d) const {
        return all(period) + 1 + margins + grades + d;
    }
};

std::vector<std::optional<Range>> roiRanges(const BacktestSummary& s, const TopPickGroups& g) {
    std::vector<RaceStake> races;
    races.reserve(s.picks.size());
    const bool split = !s.periods.empty();
    for (const PickedRace& p : s.picks) {
        if (!(p.odds > 0)) {
            continue;
        }
        RaceStake r;
        r.staked = 1;
        r.returned = p.won ? p.odds + 1 : 0;
        const std::size_t period = split && p.test ? 1 : 0;
        for (std::size_t group : {g.all(period), g.margin(period, p.margin),
                                  g.grade(period, p.grade), g.distance(period, p.distance)}) {
            r.addGroup(static_cast<std::uint32_t>(group));
        }
        races.push_back(r);
    }
    return bootstrapRoi(races, g.perPeriod() * (split ? 2 : 1));
}

Table countTable(const BacktestSummary& s, std::string what, std::string given,
                 std::vector<Count> Tallies::*list, Tested& tested) {
    Table t;
    t.labelHeader = std::move(what);
    t.columns = {{std::move(given), 9}, {"Won", 8}, {"Win %", 7}};
    t.columns.insert(t.columns.end(), kMarketColumns.begin(), kMarketColumns.end());
    namePeriods(t, s);
    const std::vector<const Tallies*> periods = shownPeriods(s);
    for (std::size_t row = 0; row < (s.*list).size(); ++row) {
        std::vector<Cells> cells;
        for (const Tallies* p : periods) {
            const Count& c = (p->*list)[row];
            Cells one = {std::to_string(c.given), std::to_string(c.won),
                         percentText(percent(c.won, c.given))};
            addMarketCells(one, c.won, c.given, c.market, tested);
            cells.push_back(std::move(one));
        }
        t.add((s.*list)[row].label, std::move(cells));
    }
    return t;
}

std::string daysText(const Drawdown& d) {
    if (d.units == 0) {
        return "-";
    }
    const std::optional<int> days = d.daysToRecovery();
    return days ? std::to_string(*days) : "not yet";
}

std::string shareText(const std::optional<double>& share) {
    return share ? fmt::format("{:.0f}%", 100 * *share) : "-";
}

// Each period's top-pick bets, in date and race order.
std::vector<std::vector<Bet>> periodBets(const BacktestSummary& s) {
    std::vector<std::vector<Bet>> out(s.periods.empty() ? 1 : 2);
    for (const PickedRace& p : s.picks) {
        if (p.odds > 0) {
            out[!s.periods.empty() && p.test ? 1 : 0].push_back({p.date, p.race, 1, p.odds, p.won});
        }
    }
    return out;
}

void addStaking(BacktestTables& out, const BacktestSummary& s) {
    const double commission = s.options.commission / 100;
    const std::vector<std::vector<Bet>> bets = periodBets(s);

    Table& t = out.staking;
    t.labelHeader = "Staking";
    t.labelWidth = 26;
    t.columns = {{"Bets", 7},      {"Staked", 10},    {"Profit", 10},     {"ROI", 8},
                 {"Drawdown", 10}, {"Days back", 11}, {"Losing run", 12}, {"Top 3 share", 13}};
    t.ruled = true;
    namePeriods(t, s);
    for (const auto& [label, plan] : {std::pair{"Level (1 unit a bet)", Staking::Level},
                                      std::pair{"To win 1 unit (1 / odds)", Staking::ToWin}}) {
        std::vector<Cells> cells;
        for (const std::vector<Bet>& b : bets) {
            const PathSummary path = followBets(staked(b, plan), commission);
            const std::optional<double> roi = path.roi();
            cells.push_back({std::to_string(path.bets), money(path.staked), money(path.profit),
                             percentText(roi ? std::optional(*roi * 100) : std::nullopt),
                             money(path.drawdown.units), daysText(path.drawdown),
                             std::to_string(path.longestLosingRun), shareText(path.topThreeShare)});
        }
        t.add(label, std::move(cells));
    }

    // The profit of each month and year, both plans, in the periods that
    // had bets in it.
    for (const auto& [table, span, what] : {std::tuple{&out.months, Span::Month, "Month"},
                                            std::tuple{&out.years, Span::Year, "Year"}}) {
        Table& m = *table;
        m.labelHeader = what;
        m.labelWidth = 10;
        m.columns = {{"Bets", 7}, {"Level", 10}, {"To win", 10}};
        namePeriods(m, s);
        std::map<std::string, std::vector<Cells>> rows;
        for (std::size_t p = 0; p < bets.size(); ++p) {
            const auto level = profitBy(staked(bets[p], Staking::Level), span, commission);
            const auto toWin = profitBy(staked(bets[p], Staking::ToWin), span, commission);
            for (std::size_t i = 0; i < level.size(); ++i) {
                std::vector<Cells>& r = rows[level[i].label];
                r.resize(bets.size(), Cells{"0", "-", "-"});
                r[p] = {std::to_string(level[i].bets), money(level[i].profit),
                        money(toWin[i].profit)};
            }
        }
        for (auto& [label, cells] : rows) {
            m.add(label, std::move(cells));
        }
    }
}

}  // namespace

BacktestTables backtestTables(const BacktestSummary& s) {
    BacktestTables out;
    const std::vector<const Tallies*> periods = shownPeriods(s);
    Tested tested;

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
                      {{base::toIso(*s.firstRated) + " to " + base::toIso(*s.lastRated)}});
    }

    const TopPickGroups groups{s.byMargin.size(), s.byGrade.size(), s.byDistance.size()};
    const std::vector<std::optional<Range>> roi = roiRanges(s, groups);
    auto topRow = [&](Table& t, std::string label, auto tallyOf, auto groupOf) {
        std::vector<Cells> cells;
        for (std::size_t p = 0; p < periods.size(); ++p) {
            cells.push_back(topPickCells(tallyOf(*periods[p]), roi[groupOf(p)], tested));
        }
        t.add(std::move(label), std::move(cells));
    };
    out.allRaces = topPickTable(s);
    topRow(
        out.allRaces, "All races", [](const Tallies& t) { return t.all; },
        [&](std::size_t p) { return groups.all(p); });

    out.splits = topPickTable(s);
    auto addSplits = [&](std::string heading, std::vector<Split> Tallies::*list, auto groupOf) {
        out.splits.addHeading(std::move(heading));
        for (std::size_t i = 0; i < (s.*list).size(); ++i) {
            const std::string& label = (s.*list)[i].label;
            topRow(
                out.splits, label.empty() ? "(none)" : label,
                [&](const Tallies& t) { return (t.*list)[i].tally; },
                [&](std::size_t p) { return groupOf(p, i); });
        }
    };
    addSplits("By Score margin over the second dog", &Tallies::byMargin,
              [&](std::size_t p, std::size_t i) { return groups.margin(p, i); });
    addSplits("By grade", &Tallies::byGrade,
              [&](std::size_t p, std::size_t i) { return groups.grade(p, i); });
    addSplits("By distance", &Tallies::byDistance,
              [&](std::size_t p, std::size_t i) { return groups.distance(p, i); });

    out.figures = countTable(s, "Figure", "Races", &Tallies::figures, tested);
    out.alerts = countTable(s, "Alert", "Dogs", &Tallies::alerts, tested);

    out.advice.labelHeader = "Advice";
    out.advice.labelWidth = 43;
    out.advice.columns = {{"Races", 7}, {"Win %", 8}, {"Others %", 10}};
    out.advice.columns.insert(out.advice.columns.end(), kMarketColumns.begin(),
                              kMarketColumns.end());
    namePeriods(out.advice, s);
    for (std::size_t i = 0; i < s.advice.size(); ++i) {
        std::vector<Cells> cells;
        for (const Tallies* p : periods) {
            const AdviceCount& a = p->advice[i];
            Cells one = {std::to_string(a.races), percentText(percent(a.topWon, a.races)),
                         percentText(percent(p->all.topWon - a.topWon, p->all.races - a.races))};
            addMarketCells(one, a.topWon, a.races, a.market, tested);
            cells.push_back(std::move(one));
        }
        out.advice.add(s.advice[i].label, std::move(cells));
    }

    out.scoreBands = countTable(s, "Score", "Dogs", &Tallies::scoreBands, tested);
    addStaking(out, s);

    out.tested = tested.rows;
    out.significant = tested.below;
    return out;
}

std::vector<std::string> evidenceNotes(const BacktestTables& t, bool testPeriod) {
    std::vector<std::string> out = {
        fmt::format("{} rows were set against the market (an A/E with its p-value). Even if "
                    "no row had any edge, about {:.1f} of them would show a p below 0.05 by "
                    "chance alone; {} do here.",
                    t.tested, 0.05 * static_cast<double>(t.tested), t.significant),
        "A/E is the winners over the winners the odds expected; a row expecting fewer than 5 "
        "says \"too few to judge\". The ranges are 95%: Wilson for a win %, a bootstrap over "
        "races (2,000 resamples, fixed seed) for a ROI."};
    if (testPeriod) {
        out.push_back(
            "Only the test column is evidence for anything chosen by looking at the "
            "development column.");
    }
    return out;
}

}  // namespace vz::analysis
