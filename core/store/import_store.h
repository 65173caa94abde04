#pragma once

// The statements of an import run: every dog looked up, every race line and
// card row added. Prepared once per run, since a program brings tens of
// thousands of lines. The caller owns the transactions.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/base/records.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::store {

class ImportStore {
  public:
    // `raceFile` may be null for a source that writes no race card.
    ImportStore(DogDatabase& dogs, RaceFile* raceFile);
    ~ImportStore();
    ImportStore(const ImportStore&) = delete;
    ImportStore& operator=(const ImportStore&) = delete;

    // The rowid of the dog of this name (letter case ignored), if on file.
    std::optional<std::int64_t> findDog(std::string_view regName);
    std::int64_t addDog(const base::Dog& dog);
    // The dates of the dog's race lines (rows without a readable date left out).
    std::vector<base::Date> lineDates(std::string_view regName);
    void addRaceLine(const base::RaceLine& line);
    // Adds to the four start counters of one dog; an empty counter counts as 0.
    void addToCounters(std::int64_t rowId, int starts, int firsts, int seconds, int thirds);

    bool hasRaceFile() const { return raceFile_ != nullptr; }
    void addRace(const base::Race& race);
    void addPost(const base::Post& post);

    // Leaves no statement running (before a rollback or commit).
    void resetAll();

  private:
    // Throws when this import writes no race file.
    Connection& raceFileConnection() const;

    DogDatabase& dogs_;
    RaceFile* raceFile_;
    struct Statements;
    std::unique_ptr<Statements> st_;
};

}  // namespace vz::store
