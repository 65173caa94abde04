#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vz::store {

// Whole file as bytes. A missing or unreadable file throws vz::Error
// ("File not found", 53, or "Permission denied", 70) naming the path.
std::string readFile(const std::filesystem::path& path);

// As readFile, for a file the user names as input: only a regular file is
// read (a pipe, a device or a folder is refused without waiting on it), and
// one larger than `maxBytes` is refused; both with a vz::Error naming the
// path and the reason.
std::string readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes);

// Replaces the file whole: the bytes go to a temporary file in the same
// folder, are flushed to disk, and the temporary file is renamed over the
// target, so a crash never leaves a half-written file behind.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Byte-for-byte copy, replacing any file at `to`, done atomically as above.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vz::store
