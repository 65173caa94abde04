#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "core/base/error.h"

namespace vz::base {

struct RecentFile {
    std::string Title;  // file name without folder, shown as the menu caption
    std::string Path;   // full path

    bool operator==(const RecentFile&) const = default;
};

// Row 0 is the most recently closed race file.
inline constexpr std::size_t kRecentFileRows = 5;
using RecentFiles = std::array<RecentFile, kRecentFileRows>;

struct RecentFilesRead {
    RecentFiles files;
    std::optional<Error> error;  // a damaged line; the rows before it stay
};

// At most the first five lines are read; a missing file is an empty list.
RecentFilesRead readRecentFiles(const std::filesystem::path& file);

// The rows up to the first one whose title is empty.
std::size_t recentFileCount(const RecentFiles& files);

// The list after a race file (title, path) is closed: the file moves to the
// top, each file is listed once (by exact path), at most five are kept.
RecentFiles updateRecentFiles(const RecentFiles& files, const std::string& title,
                              const std::string& path);

// The file's text: one line per row up to the first empty title.
std::string recentFilesText(const RecentFiles& files);

// Writes the file whole, through a temporary file and a rename.
void writeRecentFiles(const std::filesystem::path& file, const RecentFiles& files);

}  // namespace vz::base
