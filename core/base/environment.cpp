#include "core/base/environment.h"

#include <algorithm>
#include <cstdlib>

#include <fmt/format.h>

namespace vz::base {

Environment processEnvironment() {
    return [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::string(value);
    };
}

namespace {

bool isSet(const Environment& env, const char* name) {
    const std::optional<std::string> value = env(name);
    return value && !value->empty();
}

}  // namespace

std::optional<std::string> noDisplayMessage(std::string_view program,
                                            const std::vector<std::string>& args,
                                            const Environment& env) {
    const bool platformChosen =
        std::any_of(args.begin(), args.end(),
                    [](const std::string& a) { return a == "-platform" || a == "--platform"; }) ||
        isSet(env, "QT_QPA_PLATFORM");
    if (platformChosen || isSet(env, "DISPLAY") || isSet(env, "WAYLAND_DISPLAY")) {
        return std::nullopt;
    }
    return fmt::format(
        "{}: no display to open a window on. Start it in a desktop session, set DISPLAY (X11) "
        "or WAYLAND_DISPLAY (Wayland), or run it under xvfb-run.",
        program);
}

}  // namespace vz::base
