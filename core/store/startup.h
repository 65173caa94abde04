#pragma once

#include <filesystem>
#include <vector>

#include "core/base/dates.h"
#include "core/base/error.h"
#include "core/base/paths.h"
#include "core/base/recent_files.h"
#include "core/base/settings.h"

namespace vz::store {

// Screen size in twips, for the first-creation window size.
struct ScreenSize {
    long widthTwips = 0;
    long heightTwips = 0;
};

// The screen the terminal tool assumes: 1024 x 768 pixels at 15 twips a pixel.
inline constexpr ScreenSize kDefaultScreen{1024 * 15, 768 * 15};

// Program-wide state filled at start-up.
struct ProgramState {
    base::Settings settings;
    base::RecentFiles recentFiles;
    std::filesystem::path currentFolder;  // where the race-file dialogs open
    // Each step that failed, in order; the steps after a failure still ran.
    std::vector<Error> errors;
};

// The start-up procedure: creates the data and results folders when missing,
// completes the imports and style updates that were cut short, deletes the
// temporary files killed programs left, reads `Vovoziruzu.ini` or
// creates it with the first values, reads the recent-file list.
ProgramState initializeProgram(const base::AppPaths& paths, ScreenSize screen, base::Date today);

// Deletes what killed programs left half-written beside the files they
// write: in the application, data and results folders.
void clearLeftTemporaryFilesOfAllFolders(const base::AppPaths& paths);

// The 30-day reminder is due when the last style update is more than 30 days
// before today (or was never recorded).
bool styleReminderDue(const base::Settings& settings, base::Date today);

}  // namespace vz::store
