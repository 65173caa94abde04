#include "core/base/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include <fmt/format.h>

namespace vz::base {
namespace fs = std::filesystem;

namespace {

std::string folderOf(const fs::path& path) {
    const fs::path dir = path.parent_path();
    return dir.empty() ? std::string(".") : dir.string();
}

// The reason of a failed write or replace, as the user reads it, and its number.
std::pair<std::string, int> writeReason(const fs::path& path, int err) {
    switch (err) {
        case ENOSPC:
            return {"the disk is full", Error::kDiskFull};
        case EDQUOT:
            return {"the disk quota is used up", Error::kDiskFull};
        case EACCES:
        case EPERM:
            return {
                fmt::format("the folder {} is not writable (permission denied)", folderOf(path)),
                Error::kPermissionDenied};
        case EROFS:
            return {fmt::format("the folder {} is on a read-only disk", folderOf(path)),
                    Error::kPermissionDenied};
        case ENOENT:
            return {fmt::format("the folder {} does not exist", folderOf(path)),
                    Error::kPathNotFound};
        case ENOTDIR:
            return {fmt::format("{} is not a folder", folderOf(path)), Error::kPathNotFound};
        case EISDIR:
            return {"a folder of that name is in the way", Error::kPermissionDenied};
        case EIO:
            return {"the disk reported an input/output error", Error::kDeviceIO};
        default:
            return {std::strerror(err), Error::kPathFileAccess};
    }
}

// Whether the file open as `fd` has no name any more.
bool unlinked(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_nlink == 0;
}

// A new file at `tmp`, created exclusively and locked. A start of another
// program clearing left temporary files may take the file between the two
// steps and delete it: the lock then comes on a file without a name, and it
// is made again.
int openExclusive(const fs::path& tmp) {
    for (;;) {
        const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            return fd;
        }
        int locked = 0;
        do {
            locked = ::flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            errno = err;
            return -1;
        }
        if (!unlinked(fd)) {
            return fd;
        }
        ::close(fd);
    }
}

int openTemporary(const fs::path& path, fs::path& tmp) {
    // A name already taken (by a link someone placed, or another writer's
    // file) is never opened: another name is drawn.
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmp = temporaryNameBeside(path);
        const int fd = openExclusive(tmp);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// The permissions of the file being replaced (a settings file the user made
// private stays private).
void keepPermissions(int fd, const fs::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
    }
}

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a file system that cannot sync a folder
// has nothing more to do.
void syncFolder(const fs::path& path) {
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// writeFileAtomic through a file that has no name until it is complete, so
// that a program killed while writing leaves nothing behind. It takes a
// temporary name only for the moment between its link and the rename, and
// holds its lock meanwhile. False when the file system cannot make such a
// file (or /proc is missing): the caller writes the named way.
bool writeUnnamed(const fs::path& path, std::string_view bytes, std::string_view what) {
    const fs::path dir = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const FdCloser closer{fd};
    if (::flock(fd, LOCK_EX) != 0 || !writeAll(fd, bytes)) {
        throw fileError(FileStep::Write, what, path, errno);
    }
    keepPermissions(fd, path);
    if (::fsync(fd) != 0) {
        throw fileError(FileStep::Write, what, path, errno);
    }
    const std::string self = fmt::format("/proc/self/fd/{}", fd);
    fs::path tmp;
    for (int attempt = 0;; ++attempt) {
        tmp = temporaryNameBeside(path);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            break;
        }
        if (errno == EEXIST && attempt < 100) {
            continue;
        }
        if (errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
            return false;
        }
        throw fileError(FileStep::Write, what, path, errno);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw fileError(FileStep::Replace, what, path, err);
    }
    syncFolder(path);
    return true;
}

// The name temporaryNameBeside() gives: "." + name + "." + 16 hex + ".tmp".
bool isTemporaryName(const std::string& name) {
    constexpr std::size_t kHex = 16;
    constexpr std::string_view kTail = ".tmp";
    if (name.size() < 1 + 1 + 1 + kHex + kTail.size() || name.front() != '.' ||
        !name.ends_with(kTail)) {
        return false;
    }
    const std::size_t hexAt = name.size() - kTail.size() - kHex;
    if (name[hexAt - 1] != '.') {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(hexAt),
                       name.end() - static_cast<std::ptrdiff_t>(kTail.size()),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

Error fileError(FileStep step, std::string_view what, const fs::path& path, int err) {
    const std::string file = path.string();
    switch (step) {
        case FileStep::Read:
            switch (err) {
                case ENOENT:
                case ENOTDIR:
                    return Error(fmt::format("The {} {} does not exist.", what, file),
                                 Error::kFileNotFound);
                case EACCES:
                case EPERM:
                    return Error(
                        fmt::format("The {} {} cannot be read: permission denied.", what, file),
                        Error::kPermissionDenied);
                case EISDIR:
                    return Error(fmt::format("The {} {} is a folder, not a file.", what, file),
                                 Error::kPathFileAccess);
                case EIO:
                    return Error(fmt::format("The {} {} cannot be read: the disk reported an "
                                             "input/output error.",
                                             what, file),
                                 Error::kDeviceIO);
                default:
                    return Error(fmt::format("The {} {} cannot be read: {}.", what, file,
                                             std::strerror(err)),
                                 Error::kPathFileAccess);
            }
        case FileStep::Write: {
            const auto [reason, number] = writeReason(path, err);
            return Error(fmt::format("The {} {} cannot be written: {}.", what, file, reason),
                         number);
        }
        case FileStep::Replace: {
            const auto [reason, number] = writeReason(path, err);
            return Error(fmt::format("The {} {} cannot be replaced: {}.", what, file, reason),
                         number);
        }
        case FileStep::Remove: {
            const auto [reason, number] = writeReason(path, err);
            return Error(fmt::format("The {} {} cannot be deleted: {}.", what, file, reason),
                         number);
        }
    }
    return Error(fmt::format("The {} {}: {}", what, file, std::strerror(err)));
}

std::string readFile(const fs::path& path, std::string_view what) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        throw fileError(FileStep::Read, what, path, EISDIR);
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw fileError(FileStep::Read, what, path, errno);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        throw fileError(FileStep::Read, what, path, errno);
    }
    return std::move(bytes).str();
}

std::string readRegularFile(const fs::path& path, std::uintmax_t maxBytes, std::string_view what) {
    // Opened without waiting: a FIFO would wait for a writer. What was opened
    // is then checked, not the name, which may have changed meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw fileError(FileStep::Read, what, path, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throw fileError(FileStep::Read, what, path, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        throw Error(fmt::format("The {} {} is not a regular file: a pipe, a device or a folder "
                                "cannot be read.",
                                what, path.string()),
                    Error::kPathFileAccess);
    }
    const auto tooLarge = [&] {
        const std::string limit = maxBytes >= (1u << 20)   ? fmt::format("{} MB", maxBytes >> 20)
                                  : maxBytes >= (1u << 10) ? fmt::format("{} KB", maxBytes >> 10)
                                                           : fmt::format("{} bytes", maxBytes);
        return Error(
            fmt::format("The {} {} is larger than {}: it is not read.", what, path.string(), limit),
            Error::kPathFileAccess);
    };
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        throw tooLarge();
    }
    // The size may still grow while it is read: the limit holds for what is
    // read, not for what fstat said.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw fileError(FileStep::Read, what, path, errno);
        }
        if (n == 0) {
            return bytes;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            throw tooLarge();
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

fs::path temporaryNameBeside(const fs::path& target) {
    static thread_local std::mt19937_64 gen{std::random_device{}()};
    return target.parent_path() / fmt::format(".{}.{:016x}.tmp", target.filename().string(), gen());
}

TemporaryFile::TemporaryFile(const fs::path& target, std::string_view bytes, std::string_view what,
                             const fs::path& name)
    : target_(target), what_(what) {
    if (name.empty()) {
        fd_ = openTemporary(target, path_);
    } else {
        path_ = name;
        fd_ = openExclusive(path_);
    }
    if (fd_ < 0) {
        throw fileError(FileStep::Write, what_, target_, errno);
    }
    auto fail = [&](int err) {
        ::close(fd_);
        ::unlink(path_.c_str());
        return fileError(FileStep::Write, what_, target_, err);
    };
    if (!writeAll(fd_, bytes)) {
        throw fail(errno);
    }
    keepPermissions(fd_, target_);
    if (::fsync(fd_) != 0) {
        throw fail(errno);
    }
}

TemporaryFile::~TemporaryFile() {
    if (owned_) {
        ::unlink(path_.c_str());
    }
    ::close(fd_);
}

void TemporaryFile::sync() {
    if (::fsync(fd_) != 0) {
        throw fileError(FileStep::Write, what_, target_, errno);
    }
}

void TemporaryFile::moveIntoPlace() {
    renameReplacing(path_, target_, what_);
    owned_ = false;
}

void renameReplacing(const fs::path& from, const fs::path& to, std::string_view what) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throw fileError(FileStep::Replace, what, to, errno);
    }
    syncFolder(to);
}

FileLock::FileLock(const fs::path& file) {
    fd_ = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        // A file that is there but cannot be opened is left to whoever may.
        state_ = errno == ENOENT ? State::Missing : State::InUse;
        return;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        state_ = State::InUse;
        ::close(fd_);
        fd_ = -1;
        return;
    }
    state_ = State::Locked;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void writeFileAtomic(const fs::path& path, std::string_view bytes, std::string_view what) {
    if (writeUnnamed(path, bytes, what)) {
        return;
    }
    TemporaryFile tmp(path, bytes, what);
    tmp.moveIntoPlace();
}

void copyFileReplacing(const fs::path& from, const fs::path& to, std::string_view what) {
    writeFileAtomic(to, readFile(from), what);
}

std::vector<fs::path> clearLeftTemporaryFilesIn(const fs::path& dir) {
    std::vector<fs::path> removed;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const fs::path file = it->path();
        if (!isTemporaryName(file.filename().string())) {
            continue;
        }
        const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const FdCloser closer{fd};
        struct stat held {};
        struct stat named {};
        // Only a regular file no running program holds, and still the one at
        // that name once locked. A race file's card is left to the import's
        // own completion, which knows whether the dog database took it.
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode) ||
            ::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::lstat(file.c_str(), &named) != 0 ||
            named.st_ino != held.st_ino || named.st_dev != held.st_dev) {
            continue;
        }
        char head[16] = {};
        if (::pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
            std::memcmp(head, "SQLite format 3", sizeof head) == 0) {
            continue;
        }
        if (::unlink(file.c_str()) == 0) {
            removed.push_back(file);
        }
    }
    return removed;
}

void removeFileIfPresent(const fs::path& path, std::string_view what) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw fileError(FileStep::Remove, what, path, errno);
    }
}

}  // namespace vz::base
