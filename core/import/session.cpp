#include "core/import/session.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "core/import/import_failed.h"
#include "core/import/rules.h"
#include "core/store/error.h"
#include "core/store/text.h"

namespace vz::import {

namespace {

int dayNumber(store::Date d) {
    return static_cast<int>(std::chrono::sys_days(d).time_since_epoch().count());
}

// A name of control characters or byte noise comes from a file that is not
// a program: it is never stored.
void requirePrintableName(std::string_view name) {
    if (!isPrintableText(name)) {
        throw ImportFailed("a name holds control characters or is not text");
    }
}

}  // namespace

Session::Session(store::ImportStore& store, store::Date today, ProgressFn progress)
    : store_(store), today_(today), progress_(std::move(progress)) {}

Session::~Session() = default;

Session::DogState* Session::lookUp(std::string_view name) {
    std::string key = store::toUpper(name);
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

bool Session::findOrAddDog(std::string_view name) {
    if (name.empty() || lookUp(name) != nullptr) {
        return false;
    }
    store::Dog dog;
    dog.RegName = std::string(name);
    dog.RunningStyle.emplace(1, 'M');
    dog.NumStarts = 0;
    dog.NumFirsts = 0;
    dog.NumSeconds = 0;
    dog.NumThirds = 0;
    addDog(dog);
    return true;
}

bool Session::dogKnown(std::string_view name) {
    return !name.empty() && lookUp(name) != nullptr;
}

void Session::addDog(const store::Dog& dog) {
    if (dog.RegName.empty()) {
        throw Error("A dog without a name cannot be added.");
    }
    requirePrintableName(dog.RegName);
    if (lookUp(dog.RegName) != nullptr) {
        throw Error("A dog named " + dog.RegName + " is already on file.", Error::kDatabase);
    }
    DogState& s = dogs_[store::toUpper(dog.RegName)];
    s.rowId = store_.addDog(dog);
    // Its dates are still read on first use: deleting a dog keeps its race
    // lines, so a dog new to Main may have lines stored under its name.
    ++summary_.dogsAdded;
}

void Session::enterDog(const std::string& name, int raceNum,
                       const std::optional<store::Date>& raceDate, int post) {
    findOrAddDog(name);
    store::Post p;
    p.RaceNum = raceNum;
    p.RaceDate = raceDate;
    p.Post = post;
    p.RegName = name;
    addPost(p);
}

bool Session::wantsPastLine(std::string_view name, const std::optional<store::Date>& date) {
    if (!dogKnown(name)) {
        skipLineWithoutDog();
        return false;
    }
    if (!date) {
        skipLineWithoutDate();
        return false;
    }
    return !isDuplicate(name, *date);
}

bool Session::isDuplicate(std::string_view name, store::Date date) {
    DogState& s = known(name);
    if (!s.datesLoaded) {
        for (const store::Date d : store_.lineDates(name)) {
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

void Session::addRaceLine(const store::RaceLine& line, std::optional<int> countedFinish) {
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

void Session::addRace(const store::Race& race) {
    store_.addRace(race);
    ++summary_.racesWritten;
}

void Session::addPost(const store::Post& post) {
    if (post.RegName) {
        requirePrintableName(*post.RegName);
    }
    store_.addPost(post);
    ++summary_.postsWritten;
}

void Session::progress(long done, long total) {
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
