#include "core/analysis/dog_form.h"

#include <algorithm>
#include <chrono>

#include "core/processing/figures.h"

namespace vz::analysis {

DogForm formOf(std::span<const processing::HistoryLine> lines, std::optional<base::Date> day) {
    DogForm f;
    f.earlierLines = static_cast<int>(
        std::min<std::size_t>(lines.size(), static_cast<std::size_t>(processing::kLinesRead)));
    if (lines.empty()) {
        return f;
    }
    const processing::HistoryLine& newest = lines.front();
    f.lastFinish = newest.Finish;
    if (day && newest.RaceDate) {
        const auto days =
            (std::chrono::sys_days(*day) - std::chrono::sys_days(*newest.RaceDate)).count();
        f.daysSinceLast = static_cast<int>(std::max<long>(0, static_cast<long>(days)));
    }
    return f;
}

}  // namespace vz::analysis
