#pragma once

// One import run's shared steps over the dog database and the new race file,
// applied to the records a format reader made, in their order: find-or-add
// dog, the history lookup with its duplicate test by date, the counter
// update, the race card rows. Every rule of the shared steps lives here.
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

#include "core/base/dates.h"
#include "core/base/progress.h"
#include "core/base/records.h"
#include "core/import/records.h"
#include "core/store/import_store.h"

namespace vz::import {

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
    explicit Session(store::ImportStore& store, base::Progress progress = {});
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Applies the records in order, reporting progress after each. Throws
    // ImportFailed when a record to be stored holds a field fault (naming
    // its line and field) or a name that is no text, and after the last
    // record when the reading broke off.
    void apply(const Reading& reading);

    // Writes the counters gathered. Called once, after the last record.
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

    void apply(const Record& record);
    void applyRace(const RaceRecord& r);
    void applyEntry(const EntryRecord& e);
    void applyPast(const PastRecord& p, const Record& record);
    void applyDog(const DogRecord& d);

    // Find-or-add dog: a dog not on file is added with style "M" and zero
    // counters. An empty name is never added (the dog stays unknown).
    void findOrAddDog(std::string_view name);
    bool dogKnown(std::string_view name);
    // Adds a dog with the values given; throws ImportFailed when its name
    // holds control characters (as does every step that stores a name).
    void addDog(const base::Dog& dog);
    // History lookup: whether the known dog already has a line of this date
    // (stored before the run, also under a deleted dog's name, or added by
    // it). A duplicate is counted in the summary.
    bool isDuplicate(std::string_view name, base::Date date);
    // Adds a race line of a known dog and, when `countedFinish` is given, the
    // counter update: one start, and a first, second or third for 1, 2 or 3.
    void addRaceLine(const base::RaceLine& line, std::optional<int> countedFinish);
    void addPost(const base::Post& post);
    void progress(base::ProgressCount done, base::ProgressCount total);

    // nullptr when the dog is not on file.
    DogState* lookUp(std::string_view name);
    DogState& known(std::string_view name);

    store::ImportStore& store_;
    base::Progress progress_;
    long lastPermille_ = -1;
    ImportSummary summary_;
    std::unordered_map<std::string, DogState> dogs_;  // by upper-case name
    bool finished_ = false;
};

}  // namespace vz::import
