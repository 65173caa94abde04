#pragma once

// The kind check of each format: whether an input is of that format at all,
// decided on its text (or bytes) alone, before anything is written. Each
// returns empty to accept the input, or what stands in the way.

#include <string_view>

#include "core/import/format.h"

namespace vz::import::formats {

Refusal trackInfoRefusal(std::string_view bytes);
Refusal rosnetRefusal(std::string_view bytes);
Refusal derbyLaneRefusal(std::string_view bytes);
Refusal dogPakSetupRefusal(std::string_view bytes);
Refusal dogPakLinesRefusal(std::string_view bytes);
Refusal qavRefusal(std::string_view bytes);

}  // namespace vz::import::formats
