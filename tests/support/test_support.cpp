#include "tests/support/test_support.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vz::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        fs::path candidate =
            base / ("vz-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave files read-only; make them writable so they go.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path shippedDir() {
    return fs::path(VZ_SHIPPED_DIR);
}
fs::path sourceDir() {
    return fs::path(VZ_SOURCE_DIR);
}

store::AppPaths makeAppFolder(const fs::path& root) {
    store::AppPaths paths{root / "app", root / "profile"};
    fs::create_directories(paths.dataDir());
    fs::create_directories(paths.resultsDir());
    const store::AppPaths shipped{shippedDir(), {}};
    fs::copy_file(shipped.dogDatabase(), paths.dogDatabase(), fs::copy_options::overwrite_existing);
    fs::copy_file(shipped.staticDatabase(), paths.staticDatabase(),
                  fs::copy_options::overwrite_existing);
    fs::copy_file(shipped.raceTemplate(), paths.raceTemplate(),
                  fs::copy_options::overwrite_existing);
    return paths;
}

void makeRaceFile(const fs::path& path) {
    fs::copy_file(store::AppPaths{shippedDir(), {}}.raceTemplate(), path,
                  fs::copy_options::overwrite_existing);
}

void writeText(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace vz::test
