#pragma once

#include <string_view>
#include <vector>

#include "core/import/format.h"

namespace vz::import {

// Every format, in the order of the import menu.
const std::vector<const Format*>& allFormats();

// The format of a registry key ("trackinfo", "rosnet", "dogpak",
// "derbylane", "qav"), or nullptr.
const Format* findFormat(std::string_view key);

}  // namespace vz::import
