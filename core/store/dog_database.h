#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/records.h"
#include "core/store/database.h"

namespace vz::store {

// The dog database `Data/Data.mdb`: tables `Main` (one row per dog) and
// `RaceHistory` (the dogs' past race lines). Names compare without regard to
// letter case, as the stored column collation says.
class DogDatabase {
  public:
    explicit DogDatabase(const std::filesystem::path& file, OpenMode mode = OpenMode::ReadWrite);
    ~DogDatabase();
    DogDatabase(const DogDatabase&) = delete;
    DogDatabase& operator=(const DogDatabase&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // Main
    std::vector<base::Dog> dogs() const;        // by RegName
    std::vector<std::string> dogNames() const;  // by RegName
    std::optional<base::Dog> findDog(std::string_view regName) const;
    std::int64_t dogCount() const;
    std::int64_t addDog(const base::Dog& dog);  // returns the new row's id
    void updateDog(const base::Dog& dog);       // by dog.rowId
    void deleteDog(std::int64_t rowId);

    // RaceHistory. A dog's lines come newest first; lines of one date come in
    // the order they were added.
    std::vector<base::RaceLine> raceLines(std::string_view regName) const;
    std::vector<base::RaceLine> newestRaceLines(std::string_view regName, int count) const;
    std::int64_t raceLineCount() const;
    std::int64_t addRaceLine(const base::RaceLine& line);
    void updateRaceLine(const base::RaceLine& line);  // by line.rowId
    void deleteRaceLine(std::int64_t rowId);

    using Transaction = WriteTransaction;

    // For the other files of core/store only.
    Connection& connection() const { return *db_; }

    // Empty when changes are allowed; else why they are refused (a data
    // folder that is not writable, a read-only file).
    const std::string& readOnlyReason() const { return db_->readOnlyReason(); }

  private:
    std::filesystem::path path_;
    std::unique_ptr<Connection> db_;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace vz::store
