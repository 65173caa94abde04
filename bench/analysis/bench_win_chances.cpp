// The win chances over the synthetic dog database of 100,000 dogs and
// 2,000,000 race lines, whose simulated dogs' ability drives both their
// times and their finishes: the fit over every race, and the walk-forward
// backtest with a refit every 28 days and every 2 days, beside the plain
// backtest timed in the same run.
// Targets: the fit under 10 s; each walk-forward backtest under 60 s and
// within 5x of the plain backtest; peak memory under 1 GB.
//
// Run from the repository root (one line; see README.md in this folder).
// Optional argument: the number of repetitions (default 1). Each run is made
// in a child process, so that its peak resident memory is its own.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench/analysis/measure.h"
#include "bench/synthetic.h"
#include "core/analysis/backtest.h"
#include "core/analysis/walk_forward.h"
#include "core/analysis/win_model.h"
#include "core/store/dog_database.h"

namespace {

namespace fs = std::filesystem;
using namespace vz;
using bench::best;
using bench::Counts;
using bench::Measure;

Counts walkForward(const fs::path& db, int refitDays) {
    const store::DogDatabase dogs(db, store::OpenMode::ReadOnly);
    analysis::WalkForwardOptions o;
    o.groups = analysis::parseInputGroups(analysis::kDefaultInputs);
    o.refitDays = refitDays;
    analysis::WalkForward walk(o);
    analysis::BacktestRequest rq;
    rq.onRace = [&](const analysis::RatedPastRace& r) { walk.take(r); };
    analysis::backtest(dogs, rq);
    const analysis::WalkForwardSummary& s = walk.summary();
    return Counts{static_cast<double>(s.racesPriced), static_cast<double>(s.refits),
                  s.model.pseudoR2().value_or(0),     s.market.pseudoR2().value_or(0),
                  s.together.pseudoR2().value_or(0),  s.kellyBank};
}

void row(const char* label, const Measure& m) {
    std::printf("%-34s %8.3f  %13.3f  %16.1f\n", label, m.wall, m.processor,
                static_cast<double>(m.peakKb) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
    const int reps = std::max(1, argc > 1 ? std::atoi(argv[1]) : 1);
    const fs::path shipped(VZ_SHIPPED_DIR);
    const fs::path cache = shipped.parent_path() / "bench" / "data" / "synthetic-100k-2m.mdb";
    std::printf("Making the synthetic dog database (reused when present)...\n");
    bench::makeSyntheticDogDatabase(shipped, cache, bench::SyntheticShape{});

    const Measure plain = best(reps, [&] {
        const store::DogDatabase db(cache, store::OpenMode::ReadOnly);
        const analysis::BacktestSummary s = analysis::backtest(db, {});
        return Counts{static_cast<double>(s.racesRated())};
    });
    // The fit command's work: the rating pass that gathers the rows, then
    // Newton's method, timed apart inside the run.
    const Measure fit = best(reps, [&] {
        const store::DogDatabase db(cache, store::OpenMode::ReadOnly);
        analysis::FitRequest rq;
        rq.groups = analysis::parseInputGroups(analysis::kDefaultInputs);
        const auto t0 = std::chrono::steady_clock::now();
        const analysis::FitOutcome out = analysis::fitHistory(db, rq);
        const double total =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        return Counts{static_cast<double>(out.model.races), out.model.pseudoR2(), total};
    });
    const Measure every28 = best(reps, [&] { return walkForward(cache, 28); });
    const Measure every2 = best(reps, [&] { return walkForward(cache, 2); });

    std::printf("Races rated: %.0f; fitted: %.0f (in-sample pseudo-R2 %.4f)\n", plain.counts[0],
                fit.counts[0], fit.counts[1]);
    for (const auto& [label, m] :
         {std::pair{"every 28 days", &every28}, {"every 2 days", &every2}}) {
        std::printf(
            "Walk-forward, refit %s: %.0f races priced, %.0f refits; pseudo-R2 model "
            "%.4f, market %.4f, together %.4f; quarter-Kelly bank 100 -> %.2f\n",
            label, m->counts[0], m->counts[1], m->counts[2], m->counts[3], m->counts[4],
            m->counts[5]);
    }
    std::printf("                                   wall (s)  processor (s)  peak memory (MB)\n");
    row("Plain backtest:", plain);
    row("Fit over every race:", fit);
    row("Walk-forward, refit every 28 days:", every28);
    row("Walk-forward, refit every 2 days:", every2);
    const double r28 = every28.wall / plain.wall;
    const double r2 = every2.wall / plain.wall;
    std::printf("Walk-forward / plain backtest: %.2f (28 days), %.2f (2 days)\n", r28, r2);
    const long peak = std::max({fit.peakKb, every28.peakKb, every2.peakKb});
    const bool ok = fit.wall < 10 && every28.wall < 60 && every2.wall < 60 && r28 <= 5 && r2 <= 5 &&
                    peak < 1024 * 1024;
    std::printf("Targets (fit < 10 s; walk-forward < 60 s and within 5x; memory < 1 GB): %s\n",
                ok ? "met." : "NOT met.");
    return 0;
}
