#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/store/error.h"

namespace vz::store {

// What a failed file operation was doing; it picks the words of the message.
enum class FileStep { Read, Write, Replace, Remove };

// The error the user reads when a file operation fails with the system error
// `err`: it names the file as `what` ("results report", "settings file") and
// its path, and says the reason in words with the classic number: a full disk
// (61), no permission (70), a folder that is missing (76), a file that is not
// there (53), a failing disk (57).
Error fileError(FileStep step, std::string_view what, const std::filesystem::path& path, int err);

// Whole file as bytes. A missing or unreadable file throws vz::Error naming
// the path.
std::string readFile(const std::filesystem::path& path, std::string_view what = "file");

// As readFile, for a file the user names as input: only a regular file is
// read (a pipe, a device or a folder is refused without waiting on it), and
// one larger than `maxBytes` is refused; both with a vz::Error naming the
// path and the reason.
std::string readRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes,
                            std::string_view what = "file");

// Replaces the file whole: the bytes go to a new temporary file of a unique
// name in the same folder (created exclusively, so nothing already at that
// name is ever followed or overwritten), are flushed to disk, and the
// temporary file is renamed over the target, so a crash never leaves a
// half-written file behind and two writers never mix their bytes. A file
// being replaced keeps its permissions.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::string_view what = "file");

// Byte-for-byte copy, replacing any file at `to`, done atomically as above.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string_view what = "file");

// Deletes the file when it exists.
void removeFileIfPresent(const std::filesystem::path& path, std::string_view what = "file");

}  // namespace vz::store
