#include "core/base/shipped_files.h"

#include <unistd.h>

#include <array>
#include <cerrno>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/fileio.h"

namespace vz::base {
namespace fs = std::filesystem;

namespace {

constexpr std::array kShipped{
    ShippedFile{"Data/Data.mdb", true, true},     ShippedFile{"Static.mdb", true, false},
    ShippedFile{"RaceTemplate.tmp", true, false}, ShippedFile{"help.htm", false, false},
    ShippedFile{"License.rtf", false, false},
};

bool present(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

// Makes `to` from `bytes` unless a file appeared there meanwhile (another
// program starting at the same moment): the whole file is written beside it
// and linked in, which never replaces.
void writeIfMissing(const fs::path& to, const std::string& bytes) {
    const fs::path staged = to.parent_path() / fmt::format(".{}.{}.new", to.filename().string(),
                                                           static_cast<long>(::getpid()));
    writeFileAtomic(staged, bytes);
    const int linked = ::link(staged.c_str(), to.c_str()) == 0 ? 0 : errno;
    std::error_code ec;
    if (linked != 0 && linked != EEXIST && !fs::exists(to, ec)) {
        // A file system without hard links: the rename is as good there.
        fs::rename(staged, to, ec);
        if (ec) {
            throw Error(fmt::format("Cannot write {}: {}", to.string(), ec.message()),
                        Error::kPermissionDenied);
        }
        return;
    }
    fs::remove(staged, ec);
}

}  // namespace

std::span<const ShippedFile> shippedFiles() {
    return kShipped;
}

Placement placeShippedFiles(const fs::path& shippedDir, const fs::path& appDir,
                            const std::optional<fs::path>& placedDir) {
    for (const ShippedFile& f : kShipped) {
        if (f.required && !present(shippedDir / f.name)) {
            throw Error(
                fmt::format("The shipped file {} is missing.", (shippedDir / f.name).string()),
                Error::kFileNotFound);
        }
    }
    Placement placement;
    for (const ShippedFile& f : kShipped) {
        const fs::path from = shippedDir / f.name;
        const fs::path to = appDir / f.name;
        if (!present(from)) {
            continue;
        }
        const std::string shipped = readFile(from);
        const auto remember = [&] {
            if (placedDir && !f.userData) {
                const fs::path copy = *placedDir / f.name;
                if (!present(copy) || readFile(copy) != shipped) {
                    fs::create_directories(copy.parent_path());
                    writeFileAtomic(copy, shipped);
                }
            }
        };
        if (!present(to)) {
            fs::create_directories(to.parent_path());
            writeIfMissing(to, shipped);
            placement.made.push_back(to);
            remember();
            continue;
        }
        if (f.userData) {
            continue;
        }
        const std::string there = readFile(to);
        if (there == shipped) {
            remember();
            continue;
        }
        const fs::path copy = placedDir ? *placedDir / f.name : fs::path();
        if (placedDir && present(copy) && readFile(copy) == there) {
            writeFileAtomic(to, shipped);
            placement.updated.push_back(to);
            remember();
            continue;
        }
        placement.kept.push_back(to);
    }
    return placement;
}

fs::path openDefaultAppFolder(const ProgramFolders& folders, const Environment& env) {
    const fs::path appDir = defaultAppFolder(folders, env);
    if (folders.installed) {
        placeShippedFiles(folders.shippedDir, appDir);
    }
    return appDir;
}

}  // namespace vz::base
