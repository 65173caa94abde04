#pragma once

// Timing a piece of work in a child process of its own, so that its peak
// resident memory is its own: wall time and counts come back through a pipe,
// processor time and peak memory from the kernel.

#include <array>
#include <functional>

namespace vz::bench {

// What a run counted, sent back from its process.
using Counts = std::array<double, 6>;

struct Measure {
    double wall = 0;       // seconds
    double processor = 0;  // user + system seconds
    long peakKb = 0;       // peak resident memory
    Counts counts{};
};

Measure inChild(const std::function<Counts()>& work);

// The best wall and processor time of `reps` runs, the largest peak.
Measure best(int reps, const std::function<Counts()>& work);

}  // namespace vz::bench
