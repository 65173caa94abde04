#pragma once

// One import run as the windows and the terminal tool start it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/import/import_failed.h"
#include "core/import/session.h"

namespace vz::import {

// The largest input an import reads. A race program is well under 10 MB (a
// card of 15 races with eight past lines a runner is about 100 kB); 64 MB
// leaves room for any real file, yet keeps a run's records (some times the
// size of the text) within a few hundred MB of memory.
inline constexpr std::uintmax_t kMaxInputBytes = 64u << 20;

struct ImportRequest {
    std::string format;  // registry key: "trackinfo", "rosnet", "derbylane", "dogpak", "qav"
    std::vector<std::filesystem::path> inputs;
    // The new race file: a fresh copy of the template filled with the card,
    // replacing an existing race file of that name. Required for every format
    // that writes one, ignored otherwise.
    std::optional<std::filesystem::path> raceFile;
    base::AppPaths paths;
    base::Date today;
    base::Progress progress;
};

// The input files of a format that takes two were each given in the other's
// place: not the wrong type, the wrong order.
class InputsSwapped : public ImportFailed {
  public:
    using ImportFailed::ImportFailed;
};

// Runs the import as one unit: on success the dog database and the race
// file hold the whole card; on any failure, or when the run is cut short,
// both stay as they were (an earlier race file of the name included), or the
// next start completes the run (see core/store/new_race_file.h).
// Throws ImportFailed when the input is not of the format (the two-line
// message; InputsSwapped when two inputs are in each other's place), vz::Error for anything else
// (an unknown format, a missing file, an input that is no regular file or larger than
// kMaxInputBytes, a race file name that may not be used, a database that cannot be opened or
// written).
ImportSummary runImport(const ImportRequest& request);

}  // namespace vz::import
