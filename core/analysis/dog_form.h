#pragma once

// A dog's recent form as of a race's day, read from the lines its rating
// used: how many there were, how long since the newest, and how it finished.

#include <optional>
#include <span>

#include "core/base/dates.h"
#include "core/processing/card.h"

namespace vz::analysis {

struct DogForm {
    int earlierLines = 0;              // 0 to 8
    std::optional<int> daysSinceLast;  // none without a line or a race day
    std::optional<int> lastFinish;     // the newest line's finish

    bool operator==(const DogForm&) const = default;
};

// `lines` newest first, as the rating reads them; only the eight newest count.
// A newest line dated after `day` counts as run on it (0 days).
DogForm formOf(std::span<const processing::HistoryLine> lines, std::optional<base::Date> day);

}  // namespace vz::analysis
