#pragma once

#include <cstdint>
#include <functional>

namespace vz::base {

// One count for every long job's progress, wide enough for the rows of any
// database the system reads.
using ProgressCount = std::int64_t;

// Called now and then from the thread doing the work, with how much of it is
// done (`done` of `total` steps; a total of 0 when there is nothing to
// count); may be empty. An exception thrown from it stops the work, and the
// job leaves its data as it was.
using Progress = std::function<void(ProgressCount done, ProgressCount total)>;

}  // namespace vz::base
