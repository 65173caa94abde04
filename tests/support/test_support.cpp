#include "tests/support/test_support.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vz::test {
namespace fs = std::filesystem;

base::Date ymd(int y, unsigned m, unsigned d) {
    return base::Date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

base::RaceLine line(const std::string& dog, base::Date date, const char* distance,
                    const char* grade, std::optional<int> finishTime, int brk, int eighth,
                    int stretch, int finish) {
    base::RaceLine l;
    l.RegName = dog;
    l.RaceDate = date;
    l.RaceNum = 1;
    l.Distance = distance;
    l.WinningTime = finishTime;
    l.Post = 1;
    l.Break = brk;
    l.Eighth = eighth;
    l.Stretch = stretch;
    l.Finish = finish;
    l.FinishLength = 0;
    l.FinishTime = finishTime;
    l.Odds = 2.5;
    l.Grade = grade;
    return l;
}

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

base::AppPaths makeAppFolder(const fs::path& root) {
    base::AppPaths paths{root / "app", root / "profile"};
    fs::create_directories(paths.dataDir());
    fs::create_directories(paths.resultsDir());
    const base::AppPaths shipped{shippedDir(), {}};
    fs::copy_file(shipped.dogDatabase(), paths.dogDatabase(), fs::copy_options::overwrite_existing);
    fs::copy_file(shipped.staticDatabase(), paths.staticDatabase(),
                  fs::copy_options::overwrite_existing);
    fs::copy_file(shipped.raceTemplate(), paths.raceTemplate(),
                  fs::copy_options::overwrite_existing);
    return paths;
}

void makeRaceFile(const fs::path& path) {
    fs::copy_file(base::AppPaths{shippedDir(), {}}.raceTemplate(), path,
                  fs::copy_options::overwrite_existing);
}

std::vector<std::string> hiddenFiles(const fs::path& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().filename().string().front() == '.') {
            out.push_back(e.path().filename().string());
        }
    }
    return out;
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

void removeWritePermission(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

std::string asOrdinaryUser(const std::function<std::string()>& body) {
    auto guarded = [&]() -> std::string {
        try {
            return body();
        } catch (const std::exception& e) {
            return std::string("exception: ") + e.what();
        }
    };
    if (::geteuid() != 0) {
        return guarded();
    }
    int fds[2];
    if (::pipe(fds) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        throw std::runtime_error("cannot fork");
    }
    if (pid == 0) {
        ::close(fds[0]);
        constexpr uid_t kNobody = 65534;
        std::string result =
            ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0
                ? guarded()
                : std::string("exception: cannot give up root's rights");
        const char* p = result.data();
        std::size_t left = result.size();
        while (left > 0) {
            const ssize_t n = ::write(fds[1], p, left);
            if (n <= 0) {
                break;
            }
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return out;
}

}  // namespace vz::test
