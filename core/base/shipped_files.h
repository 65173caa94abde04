#pragma once

// The data files the system ships, and how they reach an application folder
// without ever costing the user a change.

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/base/environment.h"
#include "core/base/paths.h"

namespace vz::base {

struct ShippedFile {
    std::string_view name;  // relative to an application folder
    bool required;          // an application folder is not usable without it
    bool userData;          // the user's from the moment it is placed: never replaced
};

// Data/Data.mdb, Static.mdb, RaceTemplate.tmp, help.htm, License.rtf.
std::span<const ShippedFile> shippedFiles();

struct Placement {
    std::vector<std::filesystem::path> made;     // were missing
    std::vector<std::filesystem::path> updated;  // were still the copy placed last
    // Differ from the shipped file and are not known to be an unchanged
    // copy: left as they are.
    std::vector<std::filesystem::path> kept;
};

// Places the shipped files of `shippedDir` into `appDir`. A missing file is
// made; a file that is there is never replaced, unless `placedDir` holds the
// copies placed there last (the build keeps them) and a read-only file is
// still equal to its copy: then it is brought up to date. The dog database
// is never replaced. A required shipped file that is missing throws vz::Error
// before anything is written.
Placement placeShippedFiles(const std::filesystem::path& shippedDir,
                            const std::filesystem::path& appDir,
                            const std::optional<std::filesystem::path>& placedDir = std::nullopt);

// The application folder when none is chosen (defaultAppFolder). Installed,
// it is made from the shipped files at first start, and a shipped file the
// user removed comes back at the next.
std::filesystem::path openDefaultAppFolder(const ProgramFolders& folders, const Environment& env);

}  // namespace vz::base
