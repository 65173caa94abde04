// How fast the running-style update goes over a dog database of 100,000 dogs
// and 2,000,000 race lines, beside one bare scan of the same joined rows (the
// same ordered query, each row read and nothing else done). The update runs
// on a fresh copy each time, so it writes as many styles as a first run does,
// and as the command does: with the settings file it writes.
// Run from the repository root (one line; see README.md in this folder).
// Optional arguments: the number of repetitions (default 3; the best time of
// each side is kept).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "bench/synthetic.h"
#include "core/base/settings.h"
#include "core/dogs/running_style.h"
#include "core/store/dog_database.h"
#include "core/store/dog_maintenance.h"

namespace {

namespace fs = std::filesystem;
using namespace vz;
using Clock = std::chrono::steady_clock;

void copyDatabase(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::remove(to.string() + "-wal", ec);
    fs::remove(to.string() + "-shm", ec);
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Processor time of this process: on a machine shared with other work the
// wall time says more about the neighbours than about the code.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
    const fs::path shipped(VZ_SHIPPED_DIR);
    const fs::path work = fs::temp_directory_path() / "vz-bench-styles";
    const fs::path cache = shipped.parent_path() / "bench" / "data" / "synthetic-100k-2m.mdb";
    // The whole command as the user runs it: styles and settings file.
    const base::AppPaths paths{work / "app", work / "profile"};
    const fs::path copy = paths.dogDatabase();
    fs::create_directories(paths.dataDir());

    std::printf("Making the synthetic dog database (reused when present)...\n");
    const bench::SyntheticShape shape;
    bench::makeSyntheticDogDatabase(shipped, cache, shape);

    base::Settings settings;
    settings.TimeFactorL = base::kFirstTimeFactorL;
    settings.TimeFactorR = base::kFirstTimeFactorR;
    const base::Date today{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{7}};

    double bestScan = 1e30;
    double bestUpdate = 1e30;
    double cpuScan = 1e30;
    double cpuUpdate = 1e30;
    long rows = 0;
    dogs::StyleUpdateResult last;
    for (int r = 0; r < reps; ++r) {
        copyDatabase(cache, copy);
        {
            store::DogDatabase db(copy);
            double sink = 0;
            const double c0 = cpuSeconds();
            const auto t0 = Clock::now();
            rows = store::scanDogsWithLines(db, [&](const store::DogLineRow& row) {
                sink += row.FinishTime.value_or(0) + row.Post.value_or(0);
            });
            bestScan = std::min(bestScan, seconds(Clock::now() - t0));
            cpuScan = std::min(cpuScan, cpuSeconds() - c0);
            if (sink < 0) {
                std::printf("?\n");
            }
        }
        {
            const double c0 = cpuSeconds();
            const auto t0 = Clock::now();
            last = dogs::runStyleUpdate(paths, settings, today);
            bestUpdate = std::min(bestUpdate, seconds(Clock::now() - t0));
            cpuUpdate = std::min(cpuUpdate, cpuSeconds() - c0);
        }
    }

    std::printf("Dogs: %ld, race lines: %ld, joined rows: %ld, styles changed: %zu\n", last.dogs,
                last.linesRead, rows, last.changes.size());
    std::printf("TimeFactorL: %.7f  TimeFactorR: %.7f\n", last.settings.TimeFactorL,
                last.settings.TimeFactorR);
    std::printf("                              wall (s)  processor (s)\n");
    std::printf("Bare scan of the joined rows: %8.3f  %8.3f\n", bestScan, cpuScan);
    std::printf("Running-style update:         %8.3f  %8.3f\n", bestUpdate, cpuUpdate);
    std::printf("Ratio update / bare scan:     %8.2f  %8.2f  (target: at most 3, and under 3 s)\n",
                bestUpdate / bestScan, cpuUpdate / cpuScan);
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
