// The backtest over a synthetic dog database of 100,000 dogs and 2,000,000
// race lines from simulated races, beside one bare scan of all lines in date
// order (the same ordered query, each line read and nothing else done).
// Targets: the backtest within 3x of the scan and under 15 seconds; its
// memory bounded by the number of dogs (the peak is reported).
//
// Run from the repository root (one line; see README.md in this folder).
// Optional argument: the number of repetitions (default 3; the best time of
// each side is kept). Each run is made in a child process, so that its peak
// resident memory is its own.

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "bench/analysis/measure.h"
#include "bench/synthetic.h"
#include "core/analysis/backtest.h"
#include "core/store/dog_database.h"
#include "core/store/history_scan.h"

namespace {

namespace fs = std::filesystem;
using namespace vz;
using bench::best;
using bench::Counts;
using bench::Measure;

}  // namespace

int main(int argc, char** argv) {
    const int reps = std::max(1, argc > 1 ? std::atoi(argv[1]) : 3);
    const fs::path shipped(VZ_SHIPPED_DIR);
    const fs::path cache = shipped.parent_path() / "bench" / "data" / "synthetic-100k-2m.mdb";
    std::printf("Making the synthetic dog database (reused when present)...\n");
    const bench::SyntheticShape shape;
    bench::makeSyntheticDogDatabase(shipped, cache, shape);

    const Measure scan = best(reps, [&] {
        const store::DogDatabase db(cache, store::OpenMode::ReadOnly);
        double sink = 0;
        const long n = store::scanLinesByDate(db, [&](base::RaceLine& l) {
            sink += l.Finish.value_or(0);
            return true;
        });
        return Counts{static_cast<double>(n), sink};
    });
    const Measure run = best(reps, [&] {
        const store::DogDatabase db(cache, store::OpenMode::ReadOnly);
        const analysis::BacktestSummary s = analysis::backtest(db, {});
        return Counts{static_cast<double>(s.linesRead),
                      static_cast<double>(s.racesFound),
                      static_cast<double>(s.racesRated()),
                      static_cast<double>(s.all.topWon),
                      s.all.profit(),
                      static_cast<double>(s.all.bets)};
    });

    const auto& c = run.counts;
    std::printf("Dogs: %d, race lines: %.0f, races rebuilt: %.0f, rated: %.0f (%.1f%%)\n",
                shape.dogs, c[0], c[1], c[2], 100.0 * c[2] / std::max(1.0, c[1]));
    std::printf("Top pick: %.1f%% won, profit %.2f on %.0f bets\n",
                100.0 * c[3] / std::max(1.0, c[2]), c[4], c[5]);
    std::printf("                           wall (s)  processor (s)  peak memory (MB)\n");
    std::printf("Bare scan in date order:   %8.3f  %13.3f  %16.1f\n", scan.wall, scan.processor,
                static_cast<double>(scan.peakKb) / 1024);
    std::printf("Backtest:                  %8.3f  %13.3f  %16.1f\n", run.wall, run.processor,
                static_cast<double>(run.peakKb) / 1024);
    std::printf("Ratio backtest / scan:     %8.2f  %13.2f   (target: at most 3, and under 15 s)\n",
                run.wall / scan.wall, run.processor / scan.processor);
    const bool ok = run.wall / scan.wall <= 3 && run.wall < 15;
    std::printf("%s\n", ok ? "Targets met." : "Targets NOT met.");
    return 0;
}
