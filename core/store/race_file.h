#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "core/base/records.h"
#include "core/store/database.h"

namespace vz::store {

// A race file (`*.rac`): tables `Races` and `Posts` of one race card.
class RaceFile {
  public:
    explicit RaceFile(const std::filesystem::path& file, OpenMode mode = OpenMode::ReadWrite);
    ~RaceFile();
    RaceFile(const RaceFile&) = delete;
    RaceFile& operator=(const RaceFile&) = delete;

    // A new race file is a byte-for-byte copy of the template, replacing any
    // file at `dest`.
    static void createFromTemplate(const std::filesystem::path& raceTemplate,
                                   const std::filesystem::path& dest);

    const std::filesystem::path& path() const { return path_; }

    // By race date, then race number (then the order they were added).
    std::vector<base::Race> races() const;
    // The posts of one race, by post. An empty date or number matches nothing.
    std::vector<base::Post> posts(const std::optional<base::Date>& raceDate,
                                  const std::optional<int>& raceNum) const;
    // Every post of the file, by date, race and post.
    std::vector<base::Post> allPosts() const;

    std::int64_t addRace(const base::Race& race);
    // Writes the race (by race.rowId). When its date or number changes, its
    // posts move with it in the same transaction, unless another race still
    // has the old date and number. A date and number that another race of
    // the file has already are refused: nothing is written, false returns.
    bool updateRace(const base::Race& race);
    void deleteRace(std::int64_t rowId);
    std::int64_t addPost(const base::Post& post);
    void updatePost(const base::Post& post);  // by post.rowId
    void deletePost(std::int64_t rowId);

    using Transaction = WriteTransaction;

    // For the other files of core/store only.
    Connection& connection() const { return *db_; }

  private:
    std::filesystem::path path_;
    std::unique_ptr<Connection> db_;
};

}  // namespace vz::store
