#pragma once

#include <filesystem>
#include <string>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/support/test_support.h"

namespace vz::test {

void addDog(store::DogDatabase& db, const std::string& name, const char* style);

// The sample card of tests/processing/data/Sample Card - Results.txt: its
// dogs and lines go into the dog database of `paths`, its races into a new
// race file at `raceFile`.
void makeSampleCard(const base::AppPaths& paths, const std::filesystem::path& raceFile);

inline constexpr const char* kSampleTitle = "Sample Card.rac";

}  // namespace vz::test
