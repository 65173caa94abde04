#include "core/store/paths.h"

#include <cstdlib>

#include "core/store/error.h"
#include "core/store/text.h"

namespace vz::store {
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

}  // namespace vz::store
