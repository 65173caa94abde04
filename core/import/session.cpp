#include "core/import/session.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/import/import_failed.h"
#include "core/import/rules.h"

namespace vz::import {

namespace {

int dayNumber(base::Date d) {
    return static_cast<int>(std::chrono::sys_days(d).time_since_epoch().count());
}

// A name of control characters or byte noise comes from a file that is not
// a program: it is never stored.
void requirePrintableName(std::string_view name) {
    if (!isPrintableText(name)) {
        throw ImportFailed("a name holds control characters or is not text");
    }
}

// The end of a run on a field that could not be stored: the user is told
// the line and the field.
[[noreturn]] void failOn(const Origin& at, const FieldFault& fault) {
    const std::string where = at.input.empty()
                                  ? fmt::format("Line {}", at.line)
                                  : fmt::format("Line {} of the {}", at.line, at.input);
    const std::string cause =
        fmt::format("{}, field {}: \"{}\" is too large a number.", where, fault.field, fault.text);
    throw ImportFailed(cause, cause);
}

}  // namespace

Session::Session(store::ImportStore& store, base::Progress progress)
    : store_(store), progress_(std::move(progress)) {}

Session::~Session() = default;

void Session::apply(const Reading& reading) {
    const auto total = static_cast<base::ProgressCount>(reading.records.size());
    base::ProgressCount done = 0;
    for (const Record& record : reading.records) {
        apply(record);
        progress(++done, total);
    }
    if (reading.failure) {
        throw ImportFailed(*reading.failure);
    }
}

void Session::apply(const Record& record) {
    // A card row is always stored: a fault in it ends the run at once. A
    // past line is stored only when it is no duplicate, so its fields count
    // only then.
    if (const auto* past = std::get_if<PastRecord>(&record.item)) {
        applyPast(*past, record);
        return;
    }
    if (record.fault) {
        failOn(record.at, *record.fault);
    }
    if (const auto* race = std::get_if<RaceRecord>(&record.item)) {
        applyRace(*race);
    } else if (const auto* entry = std::get_if<EntryRecord>(&record.item)) {
        applyEntry(*entry);
    } else if (const auto* dog = std::get_if<DogRecord>(&record.item)) {
        applyDog(*dog);
    } else {
        switch (std::get<Skip>(record.item)) {
            case Skip::LineWithoutDog:
                ++summary_.linesWithoutDog;
                break;
            case Skip::RecordOfNoDog:
                ++summary_.recordsRefused;
                break;
        }
    }
}

void Session::applyRace(const RaceRecord& r) {
    store_.addRace(r.race);
    ++summary_.racesWritten;
}

void Session::applyEntry(const EntryRecord& e) {
    if (e.findsOrAddsDog && e.post.RegName) {
        findOrAddDog(*e.post.RegName);
    }
    addPost(e.post);
}

void Session::applyPast(const PastRecord& p, const Record& record) {
    const std::string& name = p.line.RegName;
    if (p.findsOrAddsDog) {
        findOrAddDog(name);
    }
    if (!dogKnown(name)) {
        ++summary_.linesWithoutDog;
        return;
    }
    if (!p.line.RaceDate) {
        ++summary_.linesWithoutDate;
        return;
    }
    if (isDuplicate(name, *p.line.RaceDate)) {
        return;
    }
    if (record.fault) {
        failOn(record.at, *record.fault);
    }
    addRaceLine(p.line, p.countsAsStart ? p.line.Finish : std::nullopt);
}

void Session::applyDog(const DogRecord& d) {
    const std::string& name = d.dog.RegName;
    // Whether the dog was on file before its record decides the distance
    // letters of its lines.
    const bool newDog = !dogKnown(name);
    if (newDog) {
        addDog(d.dog);
    }
    // A new dog's lines are tested only against lines stored before its
    // record (a deleted dog's), never against each other: two races of one
    // day (a heat and a final) are both kept. A known dog's are tested one
    // by one, each against the lines added before it too. The record's own
    // counters stand: its lines are no extra starts.
    std::vector<base::RaceLine> fresh;
    for (const DogRecord::Line& l : d.lines) {
        if (!l.line.RaceDate || isDuplicate(name, *l.line.RaceDate)) {
            continue;
        }
        base::RaceLine line = l.line;
        line.Distance = newDog ? l.distanceIfNew : l.distanceIfKnown;
        if (newDog) {
            fresh.push_back(std::move(line));
        } else {
            addRaceLine(line, std::nullopt);
        }
    }
    for (const base::RaceLine& line : fresh) {
        addRaceLine(line, std::nullopt);
    }
}

Session::DogState* Session::lookUp(std::string_view name) {
    std::string key = base::toUpper(name);
    if (auto it = dogs_.find(key); it != dogs_.end()) {
        return &it->second;
    }
    const auto rowId = store_.findDog(name);
    if (!rowId) {
        return nullptr;
    }
    DogState& s = dogs_[std::move(key)];
    s.rowId = *rowId;
    return &s;
}

Session::DogState& Session::known(std::string_view name) {
    DogState* s = lookUp(name);
    if (s == nullptr) {
        throw std::logic_error("import: a race line for a dog that is not on file");
    }
    return *s;
}

void Session::findOrAddDog(std::string_view name) {
    if (name.empty() || lookUp(name) != nullptr) {
        return;
    }
    base::Dog dog;
    dog.RegName = std::string(name);
    dog.RunningStyle.emplace(1, 'M');
    dog.NumStarts = 0;
    dog.NumFirsts = 0;
    dog.NumSeconds = 0;
    dog.NumThirds = 0;
    addDog(dog);
}

bool Session::dogKnown(std::string_view name) {
    return !name.empty() && lookUp(name) != nullptr;
}

void Session::addDog(const base::Dog& dog) {
    if (dog.RegName.empty()) {
        throw Error("A dog without a name cannot be added.");
    }
    requirePrintableName(dog.RegName);
    if (lookUp(dog.RegName) != nullptr) {
        throw Error("A dog named " + dog.RegName + " is already on file.", Error::kDatabase);
    }
    DogState& s = dogs_[base::toUpper(dog.RegName)];
    s.rowId = store_.addDog(dog);
    // Its dates are still read on first use: deleting a dog keeps its race
    // lines, so a dog new to Main may have lines stored under its name.
    ++summary_.dogsAdded;
}

bool Session::isDuplicate(std::string_view name, base::Date date) {
    DogState& s = known(name);
    if (!s.datesLoaded) {
        for (const base::Date d : store_.lineDates(name)) {
            s.days.push_back(dayNumber(d));
        }
        s.datesLoaded = true;
    }
    const bool dup = std::find(s.days.begin(), s.days.end(), dayNumber(date)) != s.days.end();
    if (dup) {
        ++summary_.duplicatesSkipped;
    }
    return dup;
}

void Session::addRaceLine(const base::RaceLine& line, std::optional<int> countedFinish) {
    DogState& s = known(line.RegName);
    store_.addRaceLine(line);
    ++summary_.linesAdded;
    if (line.RaceDate && s.datesLoaded) {
        s.days.push_back(dayNumber(*line.RaceDate));
    }
    if (countedFinish) {
        ++s.starts;
        switch (*countedFinish) {
            case 1:
                ++s.firsts;
                break;
            case 2:
                ++s.seconds;
                break;
            case 3:
                ++s.thirds;
                break;
            default:
                break;
        }
    }
}

void Session::addPost(const base::Post& post) {
    if (post.RegName) {
        requirePrintableName(*post.RegName);
    }
    store_.addPost(post);
    ++summary_.postsWritten;
}

void Session::progress(base::ProgressCount done, base::ProgressCount total) {
    if (!progress_ || total <= 0) {
        return;
    }
    const long permille = static_cast<long>(std::min(done, total) * 1000LL / total);
    if (permille / 10 != lastPermille_ / 10 || done >= total) {
        lastPermille_ = permille;
        progress_(done, total);
    }
}

void Session::finish() {
    if (finished_) {
        return;
    }
    finished_ = true;
    for (const auto& [key, s] : dogs_) {
        if (s.starts != 0) {
            store_.addToCounters(s.rowId, s.starts, s.firsts, s.seconds, s.thirds);
        }
    }
}

}  // namespace vz::import
