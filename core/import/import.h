#pragma once

// One import run as the windows and the terminal tool start it.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/import/import_failed.h"
#include "core/import/session.h"
#include "core/store/dates.h"
#include "core/store/paths.h"

namespace vz::import {

struct ImportRequest {
    std::string format;  // registry key: "trackinfo", "rosnet", "derbylane", "dogpak", "qav"
    std::vector<std::filesystem::path> inputs;
    // The new race file: made (or replaced) as a fresh copy of the template.
    // Required for every format that writes one, ignored otherwise.
    std::optional<std::filesystem::path> raceFile;
    store::AppPaths paths;
    store::Date today;
    ProgressFn progress;
};

// Runs the import as one unit: on success the dog database and the race
// file hold the whole card; on any failure the dog database is unchanged.
// An input that is not of the format's kind is refused before the race file
// is made, which then stays as it was; a later failure leaves the race file
// an empty copy of the template.
// Throws ImportFailed when the input is not of the format (the two-line
// message), vz::Error for anything else (an unknown format, a missing file,
// a database that cannot be opened or written).
ImportSummary runImport(const ImportRequest& request);

}  // namespace vz::import
