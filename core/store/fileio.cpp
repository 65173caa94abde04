#include "core/store/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include <fmt/format.h>
#include <fmt/std.h>

#include "core/store/error.h"

namespace vz::store {
namespace fs = std::filesystem;

namespace {

Error ioError(const char* what, const fs::path& path, int err) {
    const int number = err == ENOENT    ? Error::kFileNotFound
                       : err == EACCES  ? Error::kPermissionDenied
                       : err == EPERM   ? Error::kPermissionDenied
                       : err == ENOTDIR ? Error::kPathNotFound
                                        : Error::kGeneric;
    return Error(fmt::format("{} {}: {}", what, path.string(), std::strerror(err)), number);
}

fs::path temporaryBeside(const fs::path& path) {
    std::random_device rd;
    return path.parent_path() /
           fmt::format(".{}.{:08x}.tmp", path.filename().string(), static_cast<unsigned>(rd()));
}

}  // namespace

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw ioError("Cannot read", path, errno);
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        throw ioError("Cannot read", path, errno);
    }
    return std::move(bytes).str();
}

std::string readRegularFile(const fs::path& path, std::uintmax_t maxBytes) {
    // Opened without waiting: a FIFO would wait for a writer. What was opened
    // is then checked, not the name, which may have changed meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        throw ioError("Cannot read", path, errno);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        throw ioError("Cannot read", path, errno);
    }
    if (!S_ISREG(st.st_mode)) {
        throw Error(
            fmt::format("The file {} is not a regular file: a pipe, a device or a "
                        "folder cannot be read.",
                        path.string()));
    }
    const auto tooLarge = [&] {
        return Error(fmt::format("The file {} is larger than {} MB: it is not read.", path.string(),
                                 maxBytes >> 20));
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
            throw ioError("Cannot read", path, errno);
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

void writeFileAtomic(const fs::path& path, std::string_view bytes) {
    const fs::path tmp = temporaryBeside(path);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw ioError("Cannot write", path, errno);
    }
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            ::close(fd);
            ::unlink(tmp.c_str());
            throw ioError("Cannot write", path, err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw ioError("Cannot write", path, err);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(tmp.c_str());
        throw ioError("Cannot replace", path, err);
    }
}

void copyFileReplacing(const fs::path& from, const fs::path& to) {
    writeFileAtomic(to, readFile(from));
}

}  // namespace vz::store
