#pragma once

// Rating a race as of its own day: each dog is rated from its eight newest
// lines dated before the race, never from a line of that day or later, by
// processing's own rating.

#include <vector>

#include "core/base/dates.h"
#include "core/processing/card.h"
#include "core/processing/rating.h"

namespace vz::analysis {

// Keeps of `lines` (newest first, as processing orders a dog's lines) the
// eight newest dated before `day`, in the same order. A line without a date
// is dropped too: it may be of the race's day or later.
void keepLinesBefore(std::vector<processing::HistoryLine>& lines, base::Date day);

// Rates the race of `card` as of its date. Each entry holds its dog's lines
// newest first; lines of the race's day or later are dropped here, so an
// entry may hold the dog's whole history. Throws vz::Error when the race
// has no date, or as processing does when a line cannot be rated.
processing::RatedRace rateAsOf(processing::RaceCard card, processing::TimeFactors factors);

}  // namespace vz::analysis
