#pragma once

// Reads of the race history for looking back at rated races: every line in
// date order for the backtest, and one dog's lines around one race day for
// the results check of a race file.

#include <functional>
#include <string_view>
#include <vector>

#include "core/store/dates.h"
#include "core/store/dog_database.h"
#include "core/store/records.h"

namespace vz::store {

// Every race line, oldest date first; lines of one date in the order they
// were stored; lines without a date first of all. `visit` may move from the
// line it is given and returns false to stop the scan. Returns the number of
// lines visited.
long scanLinesByDate(const DogDatabase& db, const std::function<bool(RaceLine&)>& visit);

// The dog's newest lines dated before `day`, at most `count`, newest first
// (lines of one date in the order they were stored), as processing orders a
// dog's lines. The name compares without regard to letter case.
std::vector<RaceLine> raceLinesBefore(const DogDatabase& db, std::string_view regName, Date day,
                                      int count);

// The dog's lines of one race: dated `day` with race number `raceNum`, in the
// order they were stored.
std::vector<RaceLine> raceLinesOfRace(const DogDatabase& db, std::string_view regName, Date day,
                                      int raceNum);

}  // namespace vz::store
