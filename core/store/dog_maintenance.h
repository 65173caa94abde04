#pragma once

// Whole-table work on the dog database for the running-style update and the
// clean-up commands: one ordered scan of the dogs with their race lines, and
// the bulk updates and deletions. The callers run these inside one
// DogDatabase::Transaction.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/dates.h"
#include "core/store/dog_database.h"

namespace vz::store {

// One row of the scan: a dog joined with one of its race lines. A dog
// without lines gives one row with hasLine false. The views are valid only
// during the callback.
struct DogLineRow {
    std::int64_t dogRowId = 0;
    std::string_view RegName;
    std::optional<std::string_view> RunningStyle;
    bool hasLine = false;
    std::optional<int> Post;
    std::optional<std::string_view> Distance;
    std::optional<int> Finish;
    // The numeric value of the stored time; a text value is read as a number
    // the classic way (val), an empty field is no value.
    std::optional<double> FinishTime;
};

// Every dog in RegName order, each followed by its lines newest first (lines
// of one date in the order they were added). Lines whose RegName matches no
// dog (letter case ignored) are not visited. Returns the number of rows.
long scanDogsWithLines(const DogDatabase& db, const std::function<void(const DogLineRow&)>& row);

// Sets RunningStyle of the dogs given by row id.
void setRunningStyles(DogDatabase& db,
                      const std::vector<std::pair<std::int64_t, std::string>>& styles);

// Sets the four counters of every dog to 0; returns the number of dogs.
long zeroDogCounters(DogDatabase& db);

// Deletes the race lines of known dogs dated before `before` (lines of that
// day stay; lines without a date stay). Returns the number deleted.
long deleteRaceLinesBefore(DogDatabase& db, base::Date before);

// Deletes the dogs whose newest dated line is before `since`, and the dogs
// without any line. Their race lines stay. Returns the number deleted.
long deleteDogsNotRacedSince(DogDatabase& db, base::Date since);

}  // namespace vz::store
