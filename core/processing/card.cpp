#include "core/processing/card.h"

#include <fmt/format.h>

#include "core/base/dates.h"

namespace vz::processing {

std::string describeRace(const base::Race& race) {
    return fmt::format("race {} of {}", race.RaceNum ? std::to_string(*race.RaceNum) : "(none)",
                       race.RaceDate ? base::shortDate(*race.RaceDate) : "(no date)");
}

}  // namespace vz::processing
