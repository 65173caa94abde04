#include "core/analysis/backtest.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string_view>

#include <fmt/format.h>

#include "core/analysis/as_of.h"
#include "core/analysis/backtest_tally.h"
#include "core/base/error.h"
#include "core/base/text.h"
#include "core/processing/figures.h"
#include "core/processing/rating.h"
#include "core/store/history_scan.h"

namespace vz::analysis {

namespace {

using base::RaceLine;

constexpr long kProgressEvery = 8192;

// ---------------------------------------------------------------------------
// The lines each dog holds between races. Two million lines pass through, a
// hundred thousand dogs hold up to eight each: a held line keeps only what
// the rating reads, its texts as numbers of a shared table.

// Distances and grades: a handful of distinct texts, found by a short walk.
class Texts {
  public:
    std::uint32_t id(const std::optional<std::string>& text) {
        if (!text) {
            return 0;
        }
        const auto it = std::find(all_.begin(), all_.end(), *text);
        if (it != all_.end()) {
            return static_cast<std::uint32_t>(it - all_.begin()) + 1;
        }
        all_.push_back(*text);
        return static_cast<std::uint32_t>(all_.size());
    }
    std::optional<std::string> text(std::uint32_t id) const {
        if (id == 0) {
            return std::nullopt;
        }
        return all_[id - 1];
    }

  private:
    std::vector<std::string> all_;
};

// The dogs by name, letter case ignored as the database compares names: an
// open-addressing table of numbers, so that the two million lookups of a
// pass neither allocate nor chase list nodes.
class Names {
  public:
    // The number of `name`, and whether it is new.
    std::pair<std::uint32_t, bool> find(std::string_view name) {
        if ((names_.size() + 1) * 2 > slots_.size()) {
            grow();
        }
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash(name) & mask;; at = (at + 1) & mask) {
            const std::uint32_t slot = slots_[at];
            if (slot == 0) {
                names_.emplace_back(name);
                slots_[at] = static_cast<std::uint32_t>(names_.size());
                return {static_cast<std::uint32_t>(names_.size() - 1), true};
            }
            if (base::equalsNoCase(names_[slot - 1], name)) {
                return {slot - 1, false};
            }
        }
    }

  private:
    static std::size_t hash(std::string_view name) {
        std::size_t h = 1469598103934665603ULL;
        for (const char c : name) {
            const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
            h = (h ^ static_cast<unsigned char>(upper)) * 1099511628211ULL;
        }
        return h;
    }

    void grow() {
        slots_.assign(std::max<std::size_t>(1024, slots_.size() * 2), 0);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = 0; i < names_.size(); ++i) {
            std::size_t at = hash(names_[i]) & mask;
            while (slots_[at] != 0) {
                at = (at + 1) & mask;
            }
            slots_[at] = static_cast<std::uint32_t>(i + 1);
        }
    }

    std::vector<std::string> names_;
    std::vector<std::uint32_t> slots_;  // 0 empty, else the name's number + 1
};

struct HeldLine {
    std::int32_t day = 0;  // days since 1970-01-01
    // RaceNum, Post, Break, Eighth, Stretch, Finish, FinishTime
    std::array<std::int32_t, 7> number{};
    std::uint32_t distance = 0;
    std::uint32_t grade = 0;
    std::uint8_t present = 0;  // bit i: number[i] has a value
};

std::int32_t dayNumber(base::Date d) {
    return static_cast<std::int32_t>(std::chrono::sys_days(d).time_since_epoch().count());
}

base::Date dateOf(std::int32_t day) {
    return base::Date{std::chrono::sys_days{std::chrono::days{day}}};
}

std::array<std::optional<int>*, 7> numbersOf(RaceLine& l) {
    return {&l.RaceNum, &l.Post, &l.Break, &l.Eighth, &l.Stretch, &l.Finish, &l.FinishTime};
}

HeldLine hold(RaceLine& line, std::uint32_t distance, std::uint32_t grade) {
    HeldLine h;
    h.day = dayNumber(*line.RaceDate);
    const auto numbers = numbersOf(line);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (*numbers[i]) {
            h.number[i] = **numbers[i];
            h.present = static_cast<std::uint8_t>(h.present | (1U << i));
        }
    }
    h.distance = distance;
    h.grade = grade;
    return h;
}

RaceLine unhold(const HeldLine& h, const Texts& texts) {
    RaceLine l;
    l.RaceDate = dateOf(h.day);
    const auto numbers = numbersOf(l);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if ((h.present & (1U << i)) != 0) {
            *numbers[i] = h.number[i];
        }
    }
    l.Distance = texts.text(h.distance);
    l.Grade = texts.text(h.grade);
    return l;
}

// A dog's newest lines, newest first from `head` around the ring: a new line
// is put in front by moving the head back one place, which drops the oldest
// once eight are held.
struct Dog {
    std::string style;  // empty for a dog no longer in Main
    std::uint8_t count = 0;
    std::uint8_t head = 0;
    std::array<HeldLine, processing::kLinesRead> lines;

    const HeldLine& line(std::size_t newest) const {
        return lines[(head + newest) % processing::kLinesRead];
    }
    // Asks the processor for the whole record ahead of its use: the dogs of
    // a race lie far apart in memory, and their fetches may then overlap.
    void warm() const {
        const char* p = reinterpret_cast<const char*>(this);
        for (std::size_t at = 0; at < sizeof(Dog); at += 64) {
            __builtin_prefetch(p + at);
        }
    }
    void putInFront(const HeldLine& l) {
        head =
            static_cast<std::uint8_t>((head + processing::kLinesRead - 1) % processing::kLinesRead);
        lines[head] = l;
        count = static_cast<std::uint8_t>(std::min<int>(count + 1, processing::kLinesRead));
    }
};

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
    Pass(const store::DogDatabase& db, const BacktestRequest& rq, BacktestSummary& s)
        : rq_(rq), s_(s), summing_(s) {
        for (const base::Dog& d : db.dogs()) {
            dogIndex(d.RegName, d.RunningStyle.value_or(""));
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
        const std::uint32_t dog = dogIndex(line.RegName, std::nullopt);
        const std::uint32_t distance = texts_.id(line.Distance);
        const std::uint32_t grade = texts_.id(line.Grade);
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
    // The dog of a name (letter case ignored, as the database compares
    // names); a name not in Main gets a dog without running style.
    std::uint32_t dogIndex(const std::string& name, const std::optional<std::string>& style) {
        const auto [index, added] = names_.find(name);
        if (added) {
            dogs_.emplace_back().style = style.value_or("");
        }
        return index;
    }

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
                        [&](const DayLine* d) { return dogs_[d->dog].count == 0; })) {
            return Skip::NoEarlierLine;
        }
        return std::nullopt;
    }

    // `group` in post order.
    void rate(const std::vector<const DayLine*>& group) {
        for (const DayLine* d : group) {
            dogs_[d->dog].warm();
        }
        const RaceLine& first = group.front()->line;
        processing::RaceCard card;
        card.race.RaceDate = first.RaceDate;
        card.race.RaceNum = first.RaceNum;
        card.race.Distance = first.Distance;
        card.race.Grade = first.Grade;
        for (const DayLine* d : group) {
            const Dog& dog = dogs_[d->dog];
            processing::Entry e{*d->line.Post, d->line.RegName, dog.style, {}};
            e.lines.reserve(dog.count);
            for (std::size_t i = 0; i < dog.count; ++i) {
                e.lines.push_back(unhold(dog.line(i), texts_));
            }
            card.entries.push_back(std::move(e));
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
                dogs_[(it + kAhead)->dog].warm();
            }
            dogs_[it->dog].putInFront(hold(it->line, it->distance, it->grade));
        }
        day_.clear();
    }

    const BacktestRequest& rq_;
    BacktestSummary& s_;
    Summing summing_;
    Texts texts_;
    Names names_;
    std::vector<Dog> dogs_;
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
