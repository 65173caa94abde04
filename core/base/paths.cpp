#include "core/base/paths.h"

#include <cstdlib>

#include "core/base/error.h"
#include "core/base/text.h"

namespace vz::base {
namespace fs = std::filesystem;

fs::path AppPaths::resultsFile(std::string_view raceFileTitle) const {
    return resultsDir() / resultsFileName(raceFileTitle);
}

fs::path executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        throw Error("Cannot find the program's own folder: " + ec.message());
    }
    return exe.parent_path();
}

fs::path installedShippedFolder(const fs::path& programDir) {
    return (programDir / VZ_SHIPPED_FROM_INSTALLED_PROGRAMS).lexically_normal();
}

fs::path builtShippedFolder(const fs::path& programDir) {
    return (programDir / VZ_SHIPPED_FROM_BUILT_PROGRAMS).lexically_normal();
}

namespace {

bool holdsLookupDatabase(const fs::path& dir) {
    std::error_code ec;
    return fs::is_regular_file(AppPaths{dir, {}}.staticDatabase(), ec);
}

}  // namespace

ProgramFolders findProgramFolders(const fs::path& programDir) {
    ProgramFolders folders{programDir, programDir, false};
    if (holdsLookupDatabase(programDir)) {
        // The build's application folder holds the user's data; a new folder
        // is made from the files as they ship, which the build keeps apart.
        if (holdsLookupDatabase(builtShippedFolder(programDir))) {
            folders.shippedDir = builtShippedFolder(programDir);
        }
    } else if (holdsLookupDatabase(installedShippedFolder(programDir))) {
        folders.shippedDir = installedShippedFolder(programDir);
        folders.installed = true;
    }
    return folders;
}

fs::path defaultAppFolder(const ProgramFolders& folders, const Environment& env) {
    if (!folders.installed) {
        return folders.programDir;
    }
    // A relative XDG_DATA_HOME is ignored, as the XDG base-directory rules say.
    if (const auto xdg = env("XDG_DATA_HOME"); xdg && fs::path(*xdg).is_absolute()) {
        return fs::path(*xdg) / "vovoziruzu";
    }
    if (const auto home = env("HOME"); home && !home->empty()) {
        return fs::path(*home) / ".local" / "share" / "vovoziruzu";
    }
    throw Error("Neither XDG_DATA_HOME nor HOME is set: cannot find your application folder",
                Error::kPathNotFound);
}

fs::path profileFolderFromEnvironment() {
    for (const char* name : {"USERPROFILE", "HOME"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return fs::path(value);
        }
    }
    throw Error("Neither USERPROFILE nor HOME is set: cannot find the results folder");
}

std::string resultsFileName(std::string_view raceFileTitle) {
    const std::size_t at = instrNoCase(raceFileTitle, ".rac");
    const std::string stem = at == 0 ? std::string(raceFileTitle) : left(raceFileTitle, at - 1);
    return stem + " - Results.txt";
}

}  // namespace vz::base
