#include "core/analysis/as_of.h"

#include "core/base/error.h"
#include "core/processing/figures.h"

namespace vz::analysis {

void keepLinesBefore(std::vector<processing::HistoryLine>& lines, base::Date day) {
    std::erase_if(lines, [&](const processing::HistoryLine& l) {
        return !l.RaceDate || !(*l.RaceDate < day);
    });
    if (lines.size() > static_cast<std::size_t>(processing::kLinesRead)) {
        lines.resize(static_cast<std::size_t>(processing::kLinesRead));
    }
}

processing::RatedRace rateAsOf(processing::RaceCard card, processing::TimeFactors factors) {
    if (!card.race.RaceDate) {
        throw Error("A race without a date cannot be rated as of its day.", Error::kTypeMismatch);
    }
    for (processing::Entry& e : card.entries) {
        keepLinesBefore(e.lines, *card.race.RaceDate);
    }
    return processing::rateRace(processing::tableFor(card, factors));
}

}  // namespace vz::analysis
