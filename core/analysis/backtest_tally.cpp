#include "core/analysis/backtest_tally.h"

#include <algorithm>
#include <set>
#include <string_view>

#include <fmt/format.h>

namespace vz::analysis {

namespace {

constexpr std::string_view kSpeedGap = "Speed Gap between";
constexpr int kBandWidth = 3;
constexpr int kBands = 8;  // 0-2 up to 21-23

// The distinct non-empty pieces of `text` cut at `sep`: an alert given twice
// to one dog counts once, and so do a race's speed gaps, whose lines differ
// only in the posts they name.
std::set<std::string> pieces(std::string_view text, std::string_view sep) {
    std::set<std::string> out;
    while (!text.empty()) {
        const std::size_t at = text.find(sep);
        const std::string_view piece = text.substr(0, at);
        if (piece.starts_with(kSpeedGap)) {
            out.emplace(kSpeedGap);
        } else if (!piece.empty()) {
            out.emplace(piece);
        }
        text = at == std::string_view::npos ? std::string_view() : text.substr(at + sep.size());
    }
    return out;
}

void startLists(Tallies& t) {
    for (const char* label : {"0", "1-2", "3-5", "6 and more"}) {
        t.byMargin.push_back({label, {}});
    }
    for (const char* label : {"Cla", "Rec", "AvSp", "Last", "EaSp", "LaSp"}) {
        t.figures.push_back({label, 0, 0, {}});
    }
    for (int b = 0; b < kBands; ++b) {
        t.scoreBands.push_back(
            {fmt::format("{}-{}", b * kBandWidth, b * kBandWidth + kBandWidth - 1), 0, 0, {}});
    }
}

void count(Count& c, const RatedDog& d) {
    ++c.given;
    c.won += d.result.won() ? 1 : 0;
    c.market.add(d.marketChance, d.result.won());
}

// The rows of `whole` in its order, each with the period's counts (none
// where the period has none).
template <class Row, class Value>
std::vector<Row> alongWhole(const std::vector<Row>& whole,
                            const std::map<std::string, Value>& period,
                            Row (*make)(const std::string&, const Value&)) {
    std::vector<Row> out;
    for (const Row& w : whole) {
        const auto it = period.find(w.label);
        out.push_back(make(w.label, it == period.end() ? Value{} : it->second));
    }
    return out;
}

Split splitOf(const std::string& label, const Tally& t) {
    return {label, t};
}

Count countOf(const std::string& label, const Count& c) {
    return {label, c.given, c.won, c.market};
}

AdviceCount adviceOf(const std::string& label, const AdviceCount& c) {
    return {label, c.races, c.topWon, c.market};
}

std::uint16_t idOf(std::map<std::string, std::uint16_t>& ids, const std::string& label) {
    return ids.try_emplace(label, static_cast<std::uint16_t>(ids.size())).first->second;
}

}  // namespace

Summing::Summing(BacktestSummary& s) : s_(s) {
    startLists(s_);
    if (s_.options.testFrom) {
        s_.periods.resize(2);
        periods_.resize(2);
        for (Tallies& t : s_.periods) {
            startLists(t);
        }
    }
}

void Summing::addTo(Tallies& t, Maps& m, const RatedPastRace& r, std::size_t margin) {
    t.all.add(r.outcome);
    t.byMargin[margin].tally.add(r.outcome);
    m.byGrade[r.race.Grade.value_or("")].add(r.outcome);
    m.byDistance[r.race.Distance.value_or("")].add(r.outcome);

    static constexpr int processing::Points::*kFigures[] = {
        &processing::Points::cla,  &processing::Points::rec,  &processing::Points::avSp,
        &processing::Points::last, &processing::Points::eaSp, &processing::Points::laSp};
    for (std::size_t f = 0; f < std::size(kFigures); ++f) {
        // The figure's own pick: the most points in it, ties to the lower
        // post, as the figure's ranking puts them.
        const RatedDog* pick = nullptr;
        for (const RatedDog& d : r.dogs) {
            const int pts = d.points.*kFigures[f];
            if (!pick || pts > pick->points.*kFigures[f] ||
                (pts == pick->points.*kFigures[f] && d.post < pick->post)) {
                pick = &d;
            }
        }
        count(t.figures[f], *pick);
    }

    for (const RatedDog& d : r.dogs) {
        count(t.scoreBands[static_cast<std::size_t>(
                  std::clamp(d.points.score / kBandWidth, 0, kBands - 1))],
              d);
        for (const std::string& alert : pieces(d.alerts, " - ")) {
            count(m.alerts[alert], d);
        }
    }
    for (const std::string& line : pieces(r.advice, "\r\n")) {
        AdviceCount& c = m.advice[line];
        ++c.races;
        c.topWon += r.outcome.topWon ? 1 : 0;
        c.market.add(r.outcome.topChance, r.outcome.topWon);
    }
}

void Summing::add(const RatedPastRace& r) {
    const int top = r.dogs.front().points.score;
    const int second = r.dogs.size() > 1 ? r.dogs[1].points.score : 0;
    const int gap = top - second;
    const std::size_t margin = gap <= 0 ? 0 : gap <= 2 ? 1 : gap <= 5 ? 2 : 3;
    const base::Date day = *r.race.RaceDate;
    const bool test = s_.options.testFrom && day >= *s_.options.testFrom;
    addTo(s_, whole_, r, margin);
    if (!periods_.empty()) {
        const std::size_t p = test ? 1 : 0;
        addTo(s_.periods[p], periods_[p], r, margin);
    }

    if (r.outcome.hasResult) {
        PickedRace pick;
        pick.date = day;
        pick.race = r.race.RaceNum.value_or(0);
        pick.odds = r.outcome.bet ? r.outcome.topOdds : 0;
        pick.won = r.outcome.topWon;
        pick.test = test;
        pick.margin = static_cast<std::uint8_t>(margin);
        pick.grade = idOf(grades_, r.race.Grade.value_or(""));
        pick.distance = idOf(distances_, r.race.Distance.value_or(""));
        s_.picks.push_back(std::move(pick));
    }

    if (!s_.firstRated) {
        s_.firstRated = day;
    }
    s_.lastRated = day;
    if (s_.profitByDate.empty() || s_.profitByDate.back().first != day) {
        s_.profitByDate.emplace_back(day, 0);
    }
    s_.profitByDate.back().second = s_.all.profit();
}

void Summing::finish() {
    auto fill = [](Tallies& t, const Maps& m) {
        for (const auto& [label, tally] : m.byGrade) {
            t.byGrade.push_back({label, tally});
        }
        for (const auto& [label, tally] : m.byDistance) {
            t.byDistance.push_back({label, tally});
        }
        for (const auto& [label, c] : m.alerts) {
            t.alerts.push_back(countOf(label, c));
        }
        for (const auto& [label, c] : m.advice) {
            t.advice.push_back(adviceOf(label, c));
        }
        std::stable_sort(t.alerts.begin(), t.alerts.end(),
                         [](const Count& a, const Count& b) { return a.given > b.given; });
        std::stable_sort(
            t.advice.begin(), t.advice.end(),
            [](const AdviceCount& a, const AdviceCount& b) { return a.races > b.races; });
    };
    fill(s_, whole_);
    // The picks' grades and distances by their place in the lists (sorted
    // by label, as the maps are).
    auto places = [](const std::map<std::string, std::uint16_t>& ids) {
        std::vector<std::uint16_t> place(ids.size());
        std::uint16_t at = 0;
        for (const auto& [label, id] : ids) {
            place[id] = at++;
        }
        return place;
    };
    const std::vector<std::uint16_t> grade = places(grades_);
    const std::vector<std::uint16_t> distance = places(distances_);
    for (PickedRace& p : s_.picks) {
        p.grade = grade[p.grade];
        p.distance = distance[p.distance];
    }
    for (std::size_t p = 0; p < periods_.size(); ++p) {
        Tallies& t = s_.periods[p];
        const Maps& m = periods_[p];
        t.byGrade = alongWhole(s_.byGrade, m.byGrade, &splitOf);
        t.byDistance = alongWhole(s_.byDistance, m.byDistance, &splitOf);
        t.alerts = alongWhole(s_.alerts, m.alerts, &countOf);
        t.advice = alongWhole(s_.advice, m.advice, &adviceOf);
    }
}

}  // namespace vz::analysis
