// The dog editor's moves on 100,000 dogs and 2,000,000 race lines: the store
// queries alone, and the window on the offscreen platform (opening it, paging,
// jumping to the end, searching).
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_dog_editor

#include <benchmark/benchmark.h>

#include <QApplication>
#include <filesystem>
#include <random>

#include "bench/synthetic.h"
#include "core/base/paths.h"
#include "core/store/dog_browser.h"
#include "core/store/dog_database.h"
#include "gui/vovoziruzu/edit_dogs.h"

namespace fs = std::filesystem;
using namespace vz;

namespace {

constexpr int kDogs = 100000;

const base::AppPaths& bigApp() {
    static const base::AppPaths paths = [] {
        const fs::path root = fs::temp_directory_path() / "vz_bench_dog_editor";
        base::AppPaths p{root / "app", root / "profile"};
        fs::create_directories(p.dataDir());
        const base::AppPaths shipped{VZ_SHIPPED_DIR, {}};
        fs::copy_file(shipped.staticDatabase(), p.staticDatabase(),
                      fs::copy_options::overwrite_existing);
        bench::SyntheticShape shape;
        shape.dogs = kDogs;
        shape.lines = 2000000;
        bench::makeSyntheticDogDatabase(VZ_SHIPPED_DIR, p.dogDatabase(), shape);
        return p;
    }();
    return paths;
}

void BM_BrowserCount(benchmark::State& state) {
    store::DogDatabase db(bigApp().dogDatabase(), store::OpenMode::ReadOnly);
    store::DogBrowser b(db);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.count());
    }
}
BENCHMARK(BM_BrowserCount)->Unit(benchmark::kMicrosecond);

// A jump to a position, as Re-Sort or a deletion does; the worst offset is
// the middle of the list.
void BM_BrowserAtPosition(benchmark::State& state) {
    store::DogDatabase db(bigApp().dogDatabase(), store::OpenMode::ReadOnly);
    store::DogBrowser b(db);
    const std::int64_t k = state.range(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.at(k));
    }
}
BENCHMARK(BM_BrowserAtPosition)
    ->Arg(0)
    ->Arg(kDogs / 2)
    ->Arg(kDogs - 1)
    ->Unit(benchmark::kMicrosecond);

void BM_BrowserNext(benchmark::State& state) {
    store::DogDatabase db(bigApp().dogDatabase(), store::OpenMode::ReadOnly);
    store::DogBrowser b(db);
    auto d = b.at(kDogs / 2);
    for (auto _ : state) {
        auto n = b.next(d->rowId);
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_BrowserNext)->Unit(benchmark::kMicrosecond);

// The caption's position of a dog near the end: a count over the name index.
void BM_BrowserPositionOf(benchmark::State& state) {
    store::DogDatabase db(bigApp().dogDatabase(), store::OpenMode::ReadOnly);
    store::DogBrowser b(db);
    auto d = b.at(kDogs - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.positionOf(d->rowId));
    }
}
BENCHMARK(BM_BrowserPositionOf)->Unit(benchmark::kMicrosecond);

// A search whose only match is near the end, and one that matches nothing:
// both read the whole name index once.
void BM_BrowserSearch(benchmark::State& state) {
    store::DogDatabase db(bigApp().dogDatabase(), store::OpenMode::ReadOnly);
    store::DogBrowser b(db);
    const std::string text = state.range(0) ? bench::syntheticDogName(kDogs - 7) : "no such dog";
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.firstMatch(text));
    }
}
BENCHMARK(BM_BrowserSearch)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Opening the window: databases, lookups, first dog and its lines.
void BM_EditorOpen(benchmark::State& state) {
    const auto& paths = bigApp();
    for (auto _ : state) {
        gui::EditDogs ed(paths);
        benchmark::DoNotOptimize(ed.dogCount());
    }
}
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond);

// Page Down through the dogs from the middle (saves, moves, caption, lines).
void BM_EditorPageDown(benchmark::State& state) {
    gui::EditDogs ed(bigApp());
    ed.moveToDog(*ed.browser().at(kDogs / 2));
    for (auto _ : state) {
        ed.moveNext();
    }
    state.counters["position"] = static_cast<double>(ed.position());
}
BENCHMARK(BM_EditorPageDown)->Unit(benchmark::kMicrosecond);

// Ctrl+Page Down then Ctrl+Page Up: the two ends.
void BM_EditorLastAndFirst(benchmark::State& state) {
    gui::EditDogs ed(bigApp());
    for (auto _ : state) {
        ed.moveLast();
        ed.moveFirst();
    }
}
BENCHMARK(BM_EditorLastAndFirst)->Unit(benchmark::kMicrosecond);

// A random dog, as the search window's finds land anywhere.
void BM_EditorMoveToRandomDog(benchmark::State& state) {
    gui::EditDogs ed(bigApp());
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int64_t> pick(0, kDogs - 1);
    for (auto _ : state) {
        state.PauseTiming();
        const auto d = ed.browser().at(pick(rng));
        state.ResumeTiming();
        ed.moveToDog(*d);
    }
}
BENCHMARK(BM_EditorMoveToRandomDog)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bigApp();  // made once, outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
