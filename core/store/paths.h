#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vz::store {

// Where every file of the system lies: the application folder (the folder of
// the running executable) and the user's profile folder.
struct AppPaths {
    std::filesystem::path appDir;
    std::filesystem::path profileDir;

    std::filesystem::path dataDir() const { return appDir / "Data"; }
    std::filesystem::path dogDatabase() const { return dataDir() / "Data.mdb"; }
    std::filesystem::path staticDatabase() const { return appDir / "Static.mdb"; }
    std::filesystem::path raceTemplate() const { return appDir / "RaceTemplate.tmp"; }
    std::filesystem::path settingsFile() const { return appDir / "Vovoziruzu.ini"; }
    std::filesystem::path recentFile() const { return appDir / "VudozuridaZAZ.dat"; }
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

// USERPROFILE when set, else HOME; throws vz::Error when neither is set.
std::filesystem::path profileFolderFromEnvironment();

// The results report's file name for a race file title: the title cut before
// the first ".rac" (any letter case), followed by " - Results.txt"; a title
// without ".rac" keeps its whole text.
std::string resultsFileName(std::string_view raceFileTitle);

}  // namespace vz::store
