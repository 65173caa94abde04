#include "core/dogs/cleanup.h"

#include <chrono>
#include <ctime>
#include <system_error>
#include <vector>

#include "core/base/error.h"
#include "core/store/dog_maintenance.h"

namespace vz::dogs {

namespace fs = std::filesystem;

namespace {

// One statement in one transaction, with a start and an end to report.
template <typename Work>
long inTransaction(store::DogDatabase& db, const base::Progress& progress, Work work) {
    store::DogDatabase::Transaction tx(db);
    if (progress) {
        progress(0, 1);
    }
    const long n = work();
    if (progress) {
        progress(1, 1);
    }
    tx.commit();
    return n;
}

}  // namespace

long zeroCounters(store::DogDatabase& db, const base::Progress& progress) {
    return inTransaction(db, progress, [&] { return store::zeroDogCounters(db); });
}

long zeroCounters(const base::AppPaths& paths, const base::Progress& progress) {
    store::DogDatabase db(paths.dogDatabase());
    return zeroCounters(db, progress);
}

long deleteRaceData(store::DogDatabase& db, base::Date before, const base::Progress& progress) {
    return inTransaction(db, progress, [&] { return store::deleteRaceLinesBefore(db, before); });
}

long deleteRaceData(const base::AppPaths& paths, base::Date before,
                    const base::Progress& progress) {
    store::DogDatabase db(paths.dogDatabase());
    return deleteRaceData(db, before, progress);
}

long deleteDogs(store::DogDatabase& db, base::Date since, const base::Progress& progress) {
    return inTransaction(db, progress, [&] { return store::deleteDogsNotRacedSince(db, since); });
}

long deleteDogs(const base::AppPaths& paths, base::Date since, const base::Progress& progress) {
    store::DogDatabase db(paths.dogDatabase());
    return deleteDogs(db, since, progress);
}

base::Date localDate(fs::file_time_type t) {
    const auto sys = std::chrono::file_clock::to_sys(t);
    const std::time_t tt = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
    std::tm tm{};
    localtime_r(&tt, &tm);
    return base::Date{std::chrono::year{tm.tm_year + 1900},
                      std::chrono::month{static_cast<unsigned>(tm.tm_mon + 1)},
                      std::chrono::day{static_cast<unsigned>(tm.tm_mday)}};
}

long deleteResultFiles(const fs::path& folder, base::Date before, const base::Progress& progress) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        throw Error("Path not found: " + folder.string(), Error::kPathNotFound);
    }
    // The list is taken first, so that deleting does not disturb the walk.
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc)) {
            files.push_back(it->path());
        }
    }
    if (ec) {
        throw Error("Permission denied: " + folder.string(), Error::kPermissionDenied);
    }
    const auto total = static_cast<base::ProgressCount>(files.size());
    base::ProgressCount done = 0;
    long deleted = 0;
    for (const fs::path& file : files) {
        std::error_code timeEc;
        const auto modified = fs::last_write_time(file, timeEc);
        if (!timeEc && localDate(modified) < before) {
            std::error_code removeEc;
            fs::remove(file, removeEc);
            if (removeEc) {
                throw Error("Permission denied: " + file.string() + " (" + removeEc.message() + ")",
                            Error::kPermissionDenied);
            }
            ++deleted;
        }
        ++done;
        if (progress) {
            progress(done, total);
        }
    }
    return deleted;
}

long deleteResults(const base::AppPaths& paths, base::Date before, const base::Progress& progress) {
    return deleteResultFiles(paths.resultsDir(), before, progress);
}

}  // namespace vz::dogs
