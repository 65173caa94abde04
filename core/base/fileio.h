#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/error.h"

namespace vz::base {

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

// Replaces the file whole: the bytes go to a new temporary file in the same
// folder (one without a name until it is complete where the file system
// allows, else one of a unique name created exclusively, so nothing already
// at that name is ever followed or overwritten), are flushed to disk, and the
// temporary file is renamed over the target, so a crash never leaves a
// half-written file behind and two writers never mix their bytes. A file
// being replaced keeps its permissions.
void writeFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                     std::string_view what = "file");

// The two halves of writeFileAtomic, for a file that is filled by other
// means before it takes its place (a new race file that an import fills).
// The file is made beside `target` under a unique hidden name, exclusively,
// with `bytes` in it flushed to disk and the permissions of the file at
// `target` when there is one. While the object lives the file stays open and
// locked, so that another program can tell it is in use (see
// lockUnusedFile); it is deleted with the object unless it was moved into
// place or kept.
class TemporaryFile {
  public:
    // `name` is the temporary file's path; empty draws a unique one beside
    // `target` (temporaryNameBeside).
    TemporaryFile(const std::filesystem::path& target, std::string_view bytes,
                  std::string_view what, const std::filesystem::path& name = {});
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Flushes to disk what was written to the file since, by any means.
    void sync();
    // Renames the file over `target`, durably. Throws vz::Error, the file
    // then staying where it is.
    void moveIntoPlace();
    // Leaves the file on disk when the object goes.
    void keep() { owned_ = false; }

  private:
    std::filesystem::path target_;
    std::filesystem::path path_;
    std::string what_;
    int fd_ = -1;
    bool owned_ = true;
};

// A new unique name beside `target`: ".<name>.<random hex>.tmp".
std::filesystem::path temporaryNameBeside(const std::filesystem::path& target);

// Renames `from` over `to` and makes the rename durable; throws vz::Error
// naming `to` as `what`.
void renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::string_view what = "file");

// An exclusive lock on a file that no running program holds (a TemporaryFile
// of a program that ended without removing it), kept while the object lives.
class FileLock {
  public:
    // InUse: a running program holds it, or it cannot be opened here.
    enum class State { Locked, Missing, InUse };
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    State state() const { return state_; }

  private:
    int fd_ = -1;
    State state_ = State::Missing;
};

// Byte-for-byte copy, replacing any file at `to`, done atomically as above.
void copyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                       std::string_view what = "file");

// Deletes the temporary files (temporaryNameBeside's names) in `dir` that a
// program cut short left: those no running program holds locked. A race
// file's card waiting for its import's completion stays. Returns what it
// deleted.
std::vector<std::filesystem::path> clearLeftTemporaryFilesIn(const std::filesystem::path& dir);

// Deletes the file when it exists.
void removeFileIfPresent(const std::filesystem::path& path, std::string_view what = "file");

}  // namespace vz::base
