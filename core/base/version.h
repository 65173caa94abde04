#pragma once

#include <string_view>

namespace vz {

// The system's version, as the reports, the About window and --version show
// it. It comes from the build's project version, so one edit changes all.
std::string_view programVersion();

}  // namespace vz
