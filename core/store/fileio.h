#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vz::store {

// Whole file as bytes. A missing or unreadable file throws vz::Error
// ("File not found", 53, or "Permission denied", 70) naming the path.
std::string readFile(const std::filesystem::path& path);

// Replaces the file whole: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary file is renamed over the
// target, so a crash never leaves a half-written file behind.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Byte-for-byte copy, replacing any file at `to`, done atomically as above.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vz::store
