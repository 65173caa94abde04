#pragma once

// Reads of the race history for looking back at rated races: every line in
// date order for the backtest, and one dog's lines around one race day for
// the results check of a race file.

#include <functional>
#include <string_view>
#include <vector>

#include "core/base/dates.h"
#include "core/base/records.h"
#include "core/store/dog_database.h"

namespace vz::store {

// Every race line, oldest date first; lines of one date in the order they
// were stored; lines without a date first of all. `visit` may move from the
// line it is given and returns false to stop the scan. Returns the number of
// lines visited.
long scanLinesByDate(const DogDatabase& db, const std::function<bool(base::RaceLine&)>& visit);

// The dog's newest lines dated before `day`, at most `count`, newest first
// (lines of one date in the order they were stored), as processing orders a
// dog's lines. The name compares without regard to letter case.
std::vector<base::RaceLine> raceLinesBefore(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int count);

// The dog's lines of one race: dated `day` with race number `raceNum`, in the
// order they were stored.
std::vector<base::RaceLine> raceLinesOfRace(const DogDatabase& db, std::string_view regName,
                                            base::Date day, int raceNum);

}  // namespace vz::store
