#pragma once

// A dog's figures from its newest race lines: class and finish points, the
// time figures on the "S" scale, the sectional figures and running-pattern
// flags. Pure functions over values.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/processing/card.h"

namespace vz::processing {

// The mark for "no time"; larger than any real adjusted time, so it ranks last.
inline constexpr double kNoTime = 9999;

// At most this many of a dog's newest lines are read.
using base::kLinesRead;
// The running-pattern flags look at this many of the newest lines.
inline constexpr int kPatternLines = 6;

// Every figure of one box. The default is an empty box: all zero and false,
// which is what the rules read for a box that holds no dog.
struct DogFigures {
    int gradePoints = 0;
    double finishPoints = 0;
    // Slots 1 to 3: the three best adjusted times, ascending; after the
    // average, slot 1 holds the average. Slot 0 is unused.
    std::array<double, 4> bestTimes{0, 0, 0, 0};
    int lastTime = 0;
    double avgTime = 0;
    int breakSum = 0;
    int eighthSum = 0;
    double earlySpeed = 0;
    double lateSpeed = 0;
    double avgBreak = 0;
    bool fastBreaker = false;
    bool closer = false;
    int linesRead = 0;

    bool operator==(const DogFigures&) const = default;
};

// Grade points of a line: exactly "AA" 6, then by the first character
// A 5, B 4, C 3, D/E/J 2, M 1, anything else (or none) 0. Case-sensitive.
int gradePoints(const std::optional<std::string>& grade);

// Finish points of a line: 1st, 2nd and 3rd place by the same grade classes
// ("AA" 8/7/6 down to "M" 3/2/1); any other finish, or none, gives 0.
int finishPoints(const std::optional<std::string>& grade, std::optional<int> finish);

// The line's finish time on the "S" scale; kNoTime for a time of 1000 or
// less, no time, or a distance other than "S", "L" and "R". Not rounded.
double adjustedTime(const HistoryLine& line, TimeFactors factors);

// Figures of a dog in a box, from its lines newest first (only the eight
// newest are read). A dog without lines gets zero class and sectional
// figures and no time. Throws vz::Error naming the dog and the line's date
// when a line read has no Break, Eighth, Stretch or Finish, or a sum does not
// fit a 32-bit integer.
DogFigures dogFigures(std::span<const HistoryLine> lines, TimeFactors factors,
                      std::string_view dogName);

}  // namespace vz::processing
