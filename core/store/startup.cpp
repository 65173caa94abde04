#include "core/store/startup.h"

#include <fmt/format.h>

#include "core/base/fileio.h"
#include "core/store/new_race_file.h"
#include "core/store/pending_settings.h"

namespace vz::store {
namespace fs = std::filesystem;

namespace {

void createFolder(const fs::path& dir, std::vector<Error>& errors) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) {
        return;
    }
    fs::create_directories(dir, ec);
    if (ec) {
        errors.emplace_back(
            fmt::format("Cannot create the folder {}: {}", dir.string(), ec.message()),
            Error::kPathNotFound);
    }
}

}  // namespace

ProgramState initializeProgram(const base::AppPaths& paths, ScreenSize screen, base::Date today) {
    ProgramState state;
    createFolder(paths.dataDir(), state.errors);
    createFolder(paths.resultsDir(), state.errors);
    const std::vector<Error> unfinished = completeInterruptedImports(paths.dogDatabase());
    state.errors.insert(state.errors.end(), unfinished.begin(), unfinished.end());
    clearLeftTemporaryFilesOfAllFolders(paths);
    const std::optional<std::string> pendingSettings =
        completeInterruptedSettings(paths, state.errors);

    // A damaged file leaves the values after the fault as they were, but the
    // two time factors must not be 0: they keep their first values instead.
    base::Settings previous;
    previous.TimeFactorL = base::kFirstTimeFactorL;
    previous.TimeFactorR = base::kFirstTimeFactorR;
    std::error_code ec;
    if (pendingSettings) {
        base::SettingsRead read =
            settingsFromText(*pendingSettings, paths.settingsFile(), previous);
        state.settings = read.settings;
        state.errors.insert(state.errors.end(), read.errors.begin(), read.errors.end());
    } else if (!fs::exists(paths.settingsFile(), ec)) {
        base::FirstSettings first =
            base::firstSettings(screen.widthTwips, screen.heightTwips, today);
        state.settings = first.settings;
        if (first.error) {
            state.errors.push_back(*first.error);
        }
        try {
            base::writeSettings(paths.settingsFile(), state.settings);
        } catch (const Error& e) {
            state.errors.push_back(e);
        }
    } else {
        base::SettingsRead read = base::readSettings(paths.settingsFile(), previous);
        state.settings = read.settings;
        state.errors.insert(state.errors.end(), read.errors.begin(), read.errors.end());
    }

    base::RecentFilesRead recent = base::readRecentFiles(paths.recentFile());
    state.recentFiles = recent.files;
    if (recent.error) {
        state.errors.push_back(*recent.error);
    }

    state.currentFolder = paths.dataDir();
    return state;
}

void clearLeftTemporaryFilesOfAllFolders(const base::AppPaths& paths) {
    for (const fs::path& dir : {paths.appDir, paths.dataDir(), paths.resultsDir()}) {
        base::clearLeftTemporaryFilesIn(dir);
    }
}

bool styleReminderDue(const base::Settings& settings, base::Date today) {
    if (!settings.LastStyleUpdate) {
        return true;
    }
    return base::daysBetween(*settings.LastStyleUpdate, today) > 30;
}

}  // namespace vz::store
