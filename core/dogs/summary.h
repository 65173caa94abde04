#pragma once

// What the running-style update, the counter reset and the deletions report
// once they have run, as values: a heading and "label: value" rows, each
// value as the report writes it. The terminal prints them, so a new row is
// added here once.

#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/base/settings.h"
#include "core/dogs/running_style.h"
#include "core/dogs/texts.h"

namespace vz::dogs {

struct SummaryRow {
    std::string label;
    std::string value;
    // One entry of the list under the rows ("  Wide Boy: M -> W").
    bool listed = false;
};

struct Summary {
    std::string heading;  // the completion message the windows show
    std::vector<SummaryRow> rows;
};

// The update's counts, each dog whose style changed when `listChanges`, the
// two factors against `before` (the settings it started from) and the day
// it ran.
Summary styleUpdateSummary(const base::Settings& before, const StyleUpdateResult& result,
                           base::Date today, bool listChanges);
Summary zeroCountersSummary(long dogs);
// `deleted` counts race lines, dogs or files, as the deletion does.
Summary deletionSummary(Deletion d, base::Date chosen, long deleted);

// The heading and then each row on a line of its own, each ending in "\n".
std::string summaryText(const Summary& summary);

}  // namespace vz::dogs
