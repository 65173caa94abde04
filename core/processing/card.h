#pragma once

// The values a run works on: a race of the card with the dogs in its boxes,
// each dog with its newest race lines.

#include <optional>
#include <string>
#include <vector>

#include "core/base/records.h"

namespace vz::processing {

// One past race of a dog, as stored.
using HistoryLine = base::RaceLine;

// The factors that bring "L" and "R" times to the "S" scale.
struct TimeFactors {
    double L = 0.8191767;
    double R = 0.8;
};

// A dog entered in one box of a race.
struct Entry {
    int post = 0;
    std::string dogName;             // as written in the race file
    std::string style;               // RunningStyle of the dog on file
    std::vector<HistoryLine> lines;  // newest first; only the eight newest count
};

// One race of the card: its row and its occupied boxes, by post.
struct RaceCard {
    base::Race race;
    std::vector<Entry> entries;
};

// "race 3 of 12/7/2026", for messages.
std::string describeRace(const base::Race& race);

}  // namespace vz::processing
