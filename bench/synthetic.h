#pragma once

// A large dog database made up for the benchmarks: realistic shapes (eight
// posts, S/L/R distances, grades, times around 30 seconds), reproducible from
// a seed.

#include <filesystem>
#include <string>

#include "core/store/dates.h"

namespace vz::bench {

struct SyntheticShape {
    int dogs = 100000;
    long lines = 2000000;  // spread evenly over the dogs
    unsigned seed = 42;
    store::Date newest{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{1}};
};

// Name of dog number i (0-based), as written into the database.
std::string syntheticDogName(int i);

// Makes `dogDb` as a copy of the shipped empty dog database (from
// `shippedDir`/Data/Data.mdb) filled in that shape. When a file made with the
// same shape is already there, it is reused (the first fill takes seconds).
void makeSyntheticDogDatabase(const std::filesystem::path& shippedDir,
                              const std::filesystem::path& dogDb, const SyntheticShape& shape);

}  // namespace vz::bench
