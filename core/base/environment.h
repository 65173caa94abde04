#pragma once

// What the programs read from their environment, behind a lookup that tests
// can fill.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::base {

// The value of one environment variable; empty when it is unset.
using Environment = std::function<std::optional<std::string>(const char* name)>;

// The running process's own environment.
Environment processEnvironment();

// A desktop program needs a display. Unless the command line or
// QT_QPA_PLATFORM chooses a platform, neither DISPLAY nor WAYLAND_DISPLAY set
// means there is none: the one line that says what to do, else nothing.
std::optional<std::string> noDisplayMessage(std::string_view program,
                                            const std::vector<std::string>& args,
                                            const Environment& env);

}  // namespace vz::base
