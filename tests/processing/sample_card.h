#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"

namespace vz::test {

base::Date day(int y, int m, int d);

// A race line in the order the columns are usually read out:
// date, distance, grade, finish time, break, eighth, stretch, finish.
base::RaceLine line(const std::string& dog, base::Date date, const char* distance,
                    const char* grade, std::optional<int> finishTime, int brk, int eighth,
                    int stretch, int finish);

void addDog(store::DogDatabase& db, const std::string& name, const char* style);

// The sample card of tests/processing/data/Sample Card - Results.txt: its
// dogs and lines go into the dog database of `paths`, its races into a new
// race file at `raceFile`.
void makeSampleCard(const base::AppPaths& paths, const std::filesystem::path& raceFile);

inline constexpr const char* kSampleTitle = "Sample Card.rac";

}  // namespace vz::test
