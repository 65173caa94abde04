#include "core/analysis/backtest.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <tuple>

#include <fmt/format.h>

#include "core/analysis/as_of.h"
#include "core/analysis/backtest_tally.h"
#include "core/analysis/held_lines.h"
#include "core/base/error.h"
#include "core/base/text.h"
#include "core/processing/rating.h"
#include "core/store/history_scan.h"

namespace vz::analysis {

namespace {

using base::RaceLine;

constexpr long kProgressEvery = 8192;

// A line of the day being read, with its dog and the numbers of its texts.
struct DayLine {
    RaceLine line;
    std::uint32_t dog = 0;
    std::uint32_t distance = 0;
    std::uint32_t grade = 0;

    bool hasRaceKey() const { return line.RaceNum && distance && grade && line.WinningTime; }
    // Lines with the same key ran in one race (the date is the day's).
    auto raceKey() const { return std::tie(*line.RaceNum, distance, grade, *line.WinningTime); }
};

// ---------------------------------------------------------------------------
// The pass.

class Pass {
  public:
    // Every dog in Main is numbered first, with its running style; a name
    // met only in the history gets a dog without one.
    Pass(const store::DogDatabase& db, const BacktestRequest& rq, BacktestSummary& s)
        : rq_(rq), s_(s), summing_(s) {
        for (const base::Dog& d : db.dogs()) {
            held_.dog(d.RegName, d.RunningStyle.value_or(""));
        }
    }

    // A line in date order; false to stop.
    bool take(RaceLine& line) {
        ++s_.linesRead;
        if (s_.linesRead % kProgressEvery == 0) {
            showProgress();
            if (stopAsked()) {
                return false;
            }
        }
        if (!line.RaceDate) {
            ++s_.linesOutsideRaces;  // nothing tells where it stands in time
            return true;
        }
        if (!day_.empty() && *day_.front().line.RaceDate != *line.RaceDate) {
            closeDay();
        }
        const std::uint32_t dog = held_.dog(line.RegName, "");
        const std::uint32_t distance = held_.textNumber(line.Distance);
        const std::uint32_t grade = held_.textNumber(line.Grade);
        day_.push_back({std::move(line), dog, distance, grade});
        return true;
    }

    void finish() {
        if (!s_.cancelled && !stopAsked()) {
            closeDay();
            summing_.finish();
        }
    }

    void setTotal(long total) { total_ = total; }

    void showProgress() const {
        if (rq_.progress) {
            rq_.progress(s_.linesRead, total_);
        }
    }

    bool stopAsked() {
        s_.cancelled = rq_.cancelled && rq_.cancelled();
        return s_.cancelled;
    }

  private:
    bool chosen(const RaceLine& l) const {
        const BacktestOptions& o = rq_.options;
        return (!o.from || *l.RaceDate >= *o.from) && (!o.to || *l.RaceDate <= *o.to) &&
               (!o.grade || *l.Grade == *o.grade) && (!o.distance || *l.Distance == *o.distance);
    }

    std::optional<Skip> fault(const std::vector<const DayLine*>& group) const {
        if (std::none_of(group.begin(), group.end(),
                         [](const DayLine* d) { return d->line.Finish == 1; })) {
            return Skip::NoWinner;
        }
        if (static_cast<int>(group.size()) < rq_.options.minField) {
            return Skip::SmallField;
        }
        // The group is in post order: a missing post comes first, a post
        // held twice stands twice in a row. A post processing has no box for
        // is refused by its rating (below).
        if (group.front()->line.Post.value_or(0) < 1 ||
            std::adjacent_find(group.begin(), group.end(), [](const DayLine* a, const DayLine* b) {
                return a->line.Post == b->line.Post;
            }) != group.end()) {
            return Skip::Posts;
        }
        if (std::all_of(group.begin(), group.end(),
                        [&](const DayLine* d) { return held_.count(d->dog) == 0; })) {
            return Skip::NoEarlierLine;
        }
        return std::nullopt;
    }

    // `group` in post order.
    void rate(const std::vector<const DayLine*>& group) {
        for (const DayLine* d : group) {
            held_.warm(d->dog);
        }
        const RaceLine& first = group.front()->line;
        processing::RaceCard card;
        card.race.RaceDate = first.RaceDate;
        card.race.RaceNum = first.RaceNum;
        card.race.Distance = first.Distance;
        card.race.Grade = first.Grade;
        for (const DayLine* d : group) {
            card.entries.push_back(
                {*d->line.Post, d->line.RegName, held_.style(d->dog), held_.lines(d->dog)});
        }
        RatedPastRace r;
        r.race = card.race;
        std::vector<DogForm> forms;  // by entry, in post order
        for (const processing::Entry& e : card.entries) {
            forms.push_back(formOf(e.lines, card.race.RaceDate));
        }
        processing::RatedRace rated;
        try {
            rated = rateAsOf(std::move(card), rq_.factors);
        } catch (const processing::PostFault&) {
            ++s_.skipped[static_cast<std::size_t>(Skip::Posts)];
            return;
        } catch (const Error&) {
            ++s_.skipped[static_cast<std::size_t>(Skip::Unreadable)];
            return;
        }
        std::vector<Result> results;
        for (int post : rated.finalOrder) {
            const processing::Box& box = rated.table.box(post);
            const auto it = std::find_if(group.begin(), group.end(),
                                         [&](const DayLine* d) { return *d->line.Post == post; });
            const Result result{true, (*it)->line.Finish, (*it)->line.Odds};
            results.push_back(result);
            r.dogs.push_back({static_cast<int>(r.dogs.size()) + 1, post, box.dogName, box.points,
                              box.alerts, result, std::nullopt, box.figures, box.style,
                              forms[static_cast<std::size_t>(it - group.begin())]});
        }
        const std::vector<std::optional<double>> chances = marketChances(results);
        for (std::size_t i = 0; i < r.dogs.size(); ++i) {
            r.dogs[i].marketChance = chances[i];
        }
        r.advice = std::move(rated.advice);
        r.outcome = outcomeOf(results);
        summing_.add(r);
        if (rq_.onRace) {
            rq_.onRace(r);
        }
    }

    // Rates the races of the day read, then gives each dog its lines of the
    // day: newest first, lines of one date in the order they were stored.
    void closeDay() {
        if (day_.empty()) {
            return;
        }
        std::vector<const DayLine*> keyed;
        for (const DayLine& d : day_) {
            if (d.hasRaceKey()) {
                keyed.push_back(&d);
            } else {
                ++s_.linesOutsideRaces;
            }
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const DayLine* a, const DayLine* b) {
            return a->raceKey() < b->raceKey();
        });
        std::vector<const DayLine*> group;
        for (std::size_t i = 0; i < keyed.size();) {
            std::size_t j = i;
            while (j < keyed.size() && keyed[j]->raceKey() == keyed[i]->raceKey()) {
                ++j;
            }
            group.assign(keyed.begin() + static_cast<std::ptrdiff_t>(i),
                         keyed.begin() + static_cast<std::ptrdiff_t>(j));
            std::sort(group.begin(), group.end(), [](const DayLine* a, const DayLine* b) {
                return a->line.Post.value_or(0) < b->line.Post.value_or(0);
            });
            i = j;
            ++s_.racesFound;
            if (!chosen(group.front()->line)) {
                ++s_.racesNotChosen;
            } else if (const std::optional<Skip> f = fault(group)) {
                ++s_.skipped[static_cast<std::size_t>(*f)];
            } else {
                rate(group);
            }
        }
        constexpr std::ptrdiff_t kAhead = 8;
        for (auto it = day_.rbegin(); it != day_.rend(); ++it) {
            if (day_.rend() - it > kAhead) {
                held_.warm((it + kAhead)->dog);
            }
            held_.putInFront(it->dog, it->line, it->distance, it->grade);
        }
        day_.clear();
    }

    const BacktestRequest& rq_;
    BacktestSummary& s_;
    Summing summing_;
    HeldLines held_;
    std::vector<DayLine> day_;
    long total_ = 0;
};

}  // namespace

void checkOptions(const BacktestOptions& o) {
    if (o.from && o.to && *o.from > *o.to) {
        throw Error(fmt::format("The first day {} is after the last day {}.", base::toIso(*o.from),
                                base::toIso(*o.to)));
    }
    if (o.distance && distanceOption(*o.distance) != *o.distance) {
        throw Error("The distance must be S, L or R, not \"" + *o.distance + "\".");
    }
    if (o.minField < 1) {
        throw Error(fmt::format("A race needs at least 1 dog, not {}.", o.minField));
    }
    if (!(o.commission >= 0 && o.commission < 100)) {
        throw Error(
            fmt::format("The commission must be from 0 up to below 100%, not {}.", o.commission));
    }
}

std::optional<std::string> gradeOption(std::string_view typed) {
    std::string g = base::trim(typed);
    if (g.empty()) {
        return std::nullopt;
    }
    return g;
}

std::string distanceOption(std::string_view typed) {
    const std::string d = base::toUpper(base::trim(typed));
    if (d != "S" && d != "L" && d != "R") {
        throw Error("The distance must be S, L or R, not \"" + std::string(typed) + "\".");
    }
    return d;
}

std::string skipText(Skip reason, int minField) {
    switch (reason) {
        case Skip::NoWinner:
            return "no winner (no finish of 1)";
        case Skip::SmallField:
            return fmt::format("fewer than {} dogs", minField);
        case Skip::Posts:
            return "a post missing, doubled or too high";
        case Skip::Unreadable:
            return "a dog's earlier line cannot be rated";
        case Skip::NoEarlierLine:
            return "no dog has an earlier line";
    }
    return {};
}

BacktestSummary backtest(const store::DogDatabase& db, const BacktestRequest& request) {
    checkOptions(request.options);
    BacktestSummary s;
    s.options = request.options;
    Pass pass(db, request, s);
    pass.setTotal(static_cast<long>(db.raceLineCount()));
    pass.showProgress();
    if (!pass.stopAsked()) {
        store::scanLinesByDate(db, [&](RaceLine& line) { return pass.take(line); });
    }
    pass.finish();
    if (!s.cancelled) {
        pass.showProgress();
    }
    return s;
}

}  // namespace vz::analysis
