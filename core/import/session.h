#pragma once

// One import run's shared steps over the dog database and the new race file:
// find-or-add dog, the history lookup with its duplicate test by date, the
// counter update, the race card rows. Every format drives one Session.
//
// Dogs met in the run are kept in memory (their rowid, the dates of their
// lines, the counters still to add), so a program of thousands of lines
// costs about one insert per line. Counters are written by finish().

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/store/dates.h"
#include "core/store/import_store.h"
#include "core/store/records.h"

namespace vz::import {

// Called with the work done so far and the whole; may be empty.
using ProgressFn = std::function<void(long done, long total)>;

struct ImportSummary {
    long dogsAdded = 0;
    long linesAdded = 0;
    long duplicatesSkipped = 0;
    long racesWritten = 0;
    long postsWritten = 0;
    // Past lines left out because no dog was current (before any entry line,
    // or an entry without a name) or no date had been read yet.
    long linesWithoutDog = 0;
    long linesWithoutDate = 0;
    // QAV TEST records that are no dog (byte noise, control characters,
    // negative counters), left out.
    long recordsRefused = 0;

    bool operator==(const ImportSummary&) const = default;
};

class Session {
  public:
    Session(store::ImportStore& store, store::Date today, ProgressFn progress = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The run's today (the QAV TEST year rule uses it).
    store::Date today() const { return today_; }

    // Find-or-add dog: the dog of this name, letter case ignored; a dog not
    // on file is added with style "M" and zero counters. Returns true when
    // it was added. An empty name is never added (returns false; the dog
    // stays unknown). A dog new to Main is tested against the lines already
    // stored under its name (those of a deleted dog stay).
    bool findOrAddDog(std::string_view name);

    // Whether a dog of this name is on file (or was added by this run).
    bool dogKnown(std::string_view name);

    // Adds a dog with the values given (a source that brings its own style
    // and counters). Throws vz::Error when the name is empty or known, and
    // ImportFailed when it holds control characters (as does every step that
    // stores a name).
    void addDog(const store::Dog& dog);

    // History lookup: whether the dog, which must be known, already has a
    // line of this date. A duplicate is counted in the summary.
    bool isDuplicate(std::string_view name, store::Date date);

    // Adds a race line for a known dog (line.RegName, as read from the file)
    // and, when `countedFinish` is given, the counter update with that finish
    // position: one start, and a first, second or third for 1, 2 or 3.
    // The line's date then counts for later duplicate tests.
    void addRaceLine(const store::RaceLine& line, std::optional<int> countedFinish);

    // Race card rows; throw vz::Error when the run has no race file.
    void addRace(const store::Race& race);
    void addPost(const store::Post& post);

    // An entry line of the card: the dog is found or added and entered at
    // its post of the race being read.
    void enterDog(const std::string& name, int raceNum, const std::optional<store::Date>& raceDate,
                  int post);

    // The tests every past line passes before its fields are read: a known
    // dog, a date (the caller keeps the previous line's when this one's is
    // unreadable), and no line of that dog on that date yet. The lines turned
    // away are counted in the summary.
    bool wantsPastLine(std::string_view name, const std::optional<store::Date>& date);

    // Notes a past line left out for want of a dog or a date.
    void skipLineWithoutDog() { ++summary_.linesWithoutDog; }
    void skipLineWithoutDate() { ++summary_.linesWithoutDate; }
    // Notes a record left out for not being shaped as a dog.
    void skipRecord() { ++summary_.recordsRefused; }

    // Reports progress to the callback, at most about once per percent.
    void progress(long done, long total);

    // Writes the counters gathered. Called once, after the format's run.
    void finish();

    const ImportSummary& summary() const { return summary_; }

  private:
    struct DogState {
        std::int64_t rowId = 0;
        bool datesLoaded = false;
        std::vector<int> days;  // dates of the dog's lines, as day numbers
        int starts = 0;
        int firsts = 0;
        int seconds = 0;
        int thirds = 0;
    };
    // nullptr when the dog is not on file.
    DogState* lookUp(std::string_view name);
    DogState& known(std::string_view name);

    store::ImportStore& store_;
    store::Date today_;
    ProgressFn progress_;
    long lastPermille_ = -1;
    ImportSummary summary_;
    std::unordered_map<std::string, DogState> dogs_;  // by upper-case name
    bool finished_ = false;
};

}  // namespace vz::import
