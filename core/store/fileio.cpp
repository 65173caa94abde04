#include "core/store/fileio.h"

#include <fcntl.h>
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
