#pragma once

// The kind check of each format: whether an input is of that format at all,
// decided on its text (or bytes) alone, before anything is written. Each
// returns empty to accept the input, or what stands in the way.

#include <string>
#include <string_view>
#include <vector>

#include "core/import/format.h"

namespace vz::import::formats {

Refusal trackInfoRefusal(const std::vector<std::string>& lines);
Refusal rosnetRefusal(const std::vector<std::string>& lines);
Refusal derbyLaneRefusal(const std::vector<std::string>& lines);
Refusal dogPakSetupRefusal(const std::vector<std::string>& lines);
Refusal dogPakLinesRefusal(const std::vector<std::string>& lines);
Refusal qavRefusal(std::string_view bytes);

}  // namespace vz::import::formats
