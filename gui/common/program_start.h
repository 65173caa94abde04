#pragma once

// What both desktop programs do before their first window: answer --help and
// --version, refuse plainly to start without a display, and find the
// application folder (the user's own folder, made at first start, when the
// programs are installed).

#include <optional>
#include <string_view>

#include "core/base/paths.h"

namespace vz::gui {

struct ProgramDescription {
    std::string_view command;  // as the user types it: "vovoziruzu"
    std::string_view name;     // as the program names itself: "Vovoziruzu"
    std::string_view summary;  // one line of what it does
};

// Call before the QApplication is made. The exit code to end with at once,
// or nothing to go on.
std::optional<int> answerCommandLine(int argc, char** argv, const ProgramDescription& program);

// Names the menu entry the program belongs to ("com.vellicor.Vovoziruzu"),
// so that the desktop shows its icon; the installed icon is the windows' too.
void useDesktopEntry(const char* desktopId);

// The folders to run in, with the profile folder from the environment (the
// application folder when that is unset). A failure is shown with the common
// error message and gives nothing.
std::optional<base::AppPaths> findRunFolders(base::ProgramFolders& programs);

}  // namespace vz::gui
