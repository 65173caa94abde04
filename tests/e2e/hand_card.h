#pragma once

// A small card built straight into the store, whose report was worked out by
// hand from the rating rules (tests/e2e/data/Hand Card - Results.txt): three
// races of 8, 6 and 4 dogs, with running styles set on the dogs so that the
// processing run needs no style update first.

#include <filesystem>

#include "core/base/paths.h"

namespace vz::test {

// Adds the card's fourteen dogs and their race lines to the dog database.
void addHandCardDogs(const base::AppPaths& paths);

// Writes the card into a new race file at `raceFile`.
void writeHandCard(const base::AppPaths& paths, const std::filesystem::path& raceFile);

}  // namespace vz::test
