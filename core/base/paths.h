#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/base/environment.h"

namespace vz::base {

// Where every file of the system lies: the application folder and the user's
// profile folder.
struct AppPaths {
    std::filesystem::path appDir;
    std::filesystem::path profileDir;

    std::filesystem::path dataDir() const { return appDir / "Data"; }
    std::filesystem::path dogDatabase() const { return dataDir() / "Data.mdb"; }
    std::filesystem::path staticDatabase() const { return appDir / "Static.mdb"; }
    std::filesystem::path raceTemplate() const { return appDir / "RaceTemplate.tmp"; }
    std::filesystem::path settingsFile() const { return appDir / "Vovoziruzu.ini"; }
    std::filesystem::path recentFile() const { return appDir / "VudozuridaZAZ.dat"; }
    // The dog editor's size, beside the settings file rather than in it.
    std::filesystem::path dogEditorSizeFile() const { return appDir / "DogEditor.ini"; }
    std::filesystem::path errorReport() const { return appDir / "Error.txt"; }
    std::filesystem::path helpPage() const { return appDir / "help.htm"; }
    std::filesystem::path licenseFile() const { return appDir / "License.rtf"; }
    std::filesystem::path resultsDir() const { return profileDir / "Results"; }
    std::filesystem::path resultsFile(std::string_view raceFileTitle) const;
    // Settings file of one import source, such as "QAV.ini".
    std::filesystem::path importSettings(std::string_view fileName) const {
        return appDir / std::filesystem::path(std::string(fileName));
    }
};

// The folder that holds the running executable.
std::filesystem::path executableFolder();

// Where the programs lie, where their shipped data files lie, and whether
// they run installed.
struct ProgramFolders {
    std::filesystem::path programDir;  // the executables
    std::filesystem::path shippedDir;  // the data files as they ship, for a new application folder
    bool installed = false;
};

// The shipped files seen from the programs' folder: installed under a prefix
// (lib/vovoziruzu -> share/vovoziruzu), and in the build tree (app -> shipped).
std::filesystem::path installedShippedFolder(const std::filesystem::path& programDir);
std::filesystem::path builtShippedFolder(const std::filesystem::path& programDir);

// Programs with the lookup database beside them run where they lie (the
// build's application folder, or a folder made by hand). Programs without it
// but with the installed shipped files run installed. Otherwise they run
// where they lie, and the missing files are reported when they are needed.
ProgramFolders findProgramFolders(const std::filesystem::path& programDir);

// The application folder when none is chosen: installed, the user's data
// folder, $XDG_DATA_HOME/vovoziruzu (an absolute XDG_DATA_HOME; by default
// $HOME/.local/share/vovoziruzu); otherwise the programs' own folder. Throws
// vz::Error when an installed program finds neither variable.
std::filesystem::path defaultAppFolder(const ProgramFolders& folders, const Environment& env);

// USERPROFILE when set, else HOME; throws vz::Error when neither is set.
std::filesystem::path profileFolderFromEnvironment();

// The results report's file name for a race file title: the title cut before
// the first ".rac" (any letter case), followed by " - Results.txt"; a title
// without ".rac" keeps its whole text.
std::string resultsFileName(std::string_view raceFileTitle);

}  // namespace vz::base
