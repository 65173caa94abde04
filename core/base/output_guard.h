#pragma once

// Which files a save may replace. Every file the system saves at a name the
// user chooses (a race file, a backtest CSV, a chart picture, a PDF) is
// checked here first, so that no output can land on the dog database, a
// settings file or a program by a slip of the name.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/paths.h"

namespace vz::base {

// A race file may replace a race file (the caller checks that the file there
// is one); any other output replaces only a file that is none of the
// system's own, no database and no race file, and never one in the data
// folder.
enum class OutputKind { RaceFile, Other };

// The names of the system's own files in the application folder, whether
// present or not: the dog database and its journal files (beside the real
// file when the database is a link), the lookup database, the template, the
// settings, recent-file and window-size files, the error report, the import
// settings files, the help page and the licence.
std::vector<std::filesystem::path> systemFiles(const base::AppPaths& paths);

// Why `file` may not be written by a save of `what` (as the user reads it:
// "a race file", "the CSV file"), or nothing when it may. `sameRun` names
// the files the same run writes besides (a report), which it may not take
// either. Refused: the system's own files (also through another name: a link
// or a second hard link), the files of `sameRun`, an existing program (a
// file with an execute permission) and, unless a race file is saved, any
// existing SQLite database, any name ending in ".rac" and anything under the
// data folder.
std::optional<std::string> outputRefusal(const base::AppPaths& paths,
                                         const std::filesystem::path& file, OutputKind kind,
                                         std::string_view what,
                                         std::span<const std::filesystem::path> sameRun = {});

// Whether the file begins with the header every SQLite database has.
bool hasSqliteHeader(const std::filesystem::path& file);

}  // namespace vz::base
