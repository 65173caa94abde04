#include "core/processing/card.h"

#include <fmt/format.h>

#include "core/store/dates.h"

namespace vz::processing {

std::string describeRace(const store::Race& race) {
    return fmt::format("race {} of {}", race.RaceNum ? std::to_string(*race.RaceNum) : "(none)",
                       race.RaceDate ? store::shortDate(*race.RaceDate) : "(no date)");
}

}  // namespace vz::processing
