#pragma once

// A large dog database made up for the benchmarks, reproducible from a seed:
// its lines come from simulated races. Dogs race in kennels of forty; on each
// race day a kennel's dogs are drawn into fields of eight that share date,
// race number, distance, grade and winning time, as real programs record
// them, so the backtest rebuilds and rates most of the races. Stronger dogs
// tend to finish in front and go off at shorter odds.

#include <filesystem>
#include <string>

#include "core/base/dates.h"

namespace vz::bench {

struct SyntheticShape {
    int dogs = 100000;
    long lines = 2000000;  // spread evenly over the dogs
    unsigned seed = 42;
    base::Date newest{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{1}};
};

// Name of dog number i (0-based), as written into the database.
std::string syntheticDogName(int i);

// Makes `dogDb` as a copy of the shipped empty dog database (from
// `shippedDir`/Data/Data.mdb) filled in that shape. When a file made with the
// same shape is already there, it is reused (the first fill takes seconds).
void makeSyntheticDogDatabase(const std::filesystem::path& shippedDir,
                              const std::filesystem::path& dogDb, const SyntheticShape& shape);

}  // namespace vz::bench
