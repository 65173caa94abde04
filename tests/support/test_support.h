#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/dates.h"
#include "core/base/paths.h"
#include "core/base/records.h"

namespace vz::test {

base::Date ymd(int y, unsigned m, unsigned d);

// A race line (race 1, post 1) in the order the columns are usually read
// out: date, distance, grade, finish time, break, eighth, stretch, finish.
// The finish time is also the winning time; the odds are 2.5.
base::RaceLine line(const std::string& dog, base::Date date, const char* distance,
                    const char* grade, std::optional<int> finishTime, int brk, int eighth,
                    int stretch, int finish);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// The folder where the build placed the shipped data files.
std::filesystem::path shippedDir();
// The repository's root (for data/samples and expected files).
std::filesystem::path sourceDir();

// A usable application folder under `root`/app with fresh copies of the
// shipped Data/Data.mdb, Static.mdb and RaceTemplate.tmp, and a profile
// folder `root`/profile with its Results folder.
base::AppPaths makeAppFolder(const std::filesystem::path& root);

// A new race file at `path`, copied from the shipped template.
void makeRaceFile(const std::filesystem::path& path);

// The names of the hidden files in `dir` (temporary files left behind).
std::vector<std::string> hiddenFiles(const std::filesystem::path& dir);

void writeText(const std::filesystem::path& path, std::string_view bytes);
std::string readText(const std::filesystem::path& path);

// Takes every write permission bit off a file or folder, as a copy on a
// read-only share has them.
void removeWritePermission(const std::filesystem::path& path);

// Runs `body` with the rights of an ordinary user, whose permissions the
// file system enforces: in a child process that gives up root's rights (to
// user nobody) when the tests run as root, else right here. Returns what
// `body` returned, or "exception: " and its message. What it touches must be
// open to that user (folders made by TempDir are).
std::string asOrdinaryUser(const std::function<std::string()>& body);

}  // namespace vz::test
