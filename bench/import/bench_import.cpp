// How fast a TrackInfo program of 50,000 past lines goes into a dog database
// of 100,000 dogs and 2,000,000 lines, beside bare inserts of the same rows
// in one transaction. Run (one line):
//   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DVZ_BUILD_BENCH=ON
//   -DVZ_BUILD_GUI=OFF && cmake --build build-rel --target bench_import -j2 &&
//   build-rel/bench/bench_import
// Optional arguments: the number of past lines and of repetitions.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "bench/synthetic.h"
#include "core/base/dates.h"
#include "core/base/fileio.h"
#include "core/import/import.h"
#include "core/store/dog_database.h"
#include "core/store/import_store.h"

namespace {

namespace fs = std::filesystem;
using namespace vz;
using Clock = std::chrono::steady_clock;

std::string fit(const std::string& s, std::size_t w) {
    std::string out = s.substr(0, w);
    out.resize(w, ' ');
    return out;
}

// A TrackInfo program: races of eight dogs, eight past lines each, all dated
// after the newest line of the synthetic database (so every line is new).
// One dog in twenty-five is not on file yet.
std::vector<std::string> makeProgram(long pastLines, std::vector<std::string>& dogNames) {
    std::mt19937 rng(7);
    const base::Date firstDay{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{2}};
    const int dogs = static_cast<int>(pastLines / 8);
    std::vector<std::string> out;
    const char* dists[] = {"5/16", "3/8", "550", "660", "7/16"};
    const char* grades[] = {"A", "B", "C", "D", "TB", "SA", "AA"};
    for (int d = 0; d < dogs; ++d) {
        if (d % 8 == 0) {
            const int race = d / 8 % 15 + 1;
            out.push_back(fmt::format("{:>2}  12/{:02d}/26  RACE {}   Grade: C, Distance: 5/16",
                                      race, 10 + d / 8 / 15 % 18, race));
            out.push_back("    Purse $400");
            out.push_back(std::string(80, '_'));
        }
        const std::string name = d % 25 == 0
                                     ? fmt::format("New Dog {:06d}", d)
                                     : bench::syntheticDogName(static_cast<int>(rng() % 100000));
        dogNames.push_back(name);
        out.push_back(fmt::format("{:>2} {} Trainer: K. Doe", d % 8 + 1, fit(name, 17)));
        out.push_back("   Owner: Jay Kennels");
        out.push_back(
            "   Date     Race  Dist  Win    Cond  P B E  Str  Fin         Time   Odds  Gr");
        for (int i = 0; i < 8; ++i) {
            const int win = 3000 + static_cast<int>(rng() % 150);
            std::string line(80, ' ');
            // Character by character: std::string::replace here trips a false
            // -Wrestrict warning of GCC 12 at -O3.
            auto put = [&line](std::size_t col, const std::string& t) {
                for (std::size_t k = 0; k < t.size() && col - 1 + k < line.size(); ++k) {
                    line[col - 1 + k] = t[k];
                }
            };
            put(1, base::mmddyy(base::addDays(firstDay, 4L * i)));
            put(10, fmt::format("{:>2}", 1 + rng() % 15));
            put(17, dists[rng() % 5]);
            put(23, fmt::format("{:02d}.{:02d}", win / 100, win % 100));
            put(35, std::to_string(1 + rng() % 8));
            put(37, std::to_string(1 + rng() % 8));
            put(39, std::to_string(1 + rng() % 8));
            put(44, fmt::format("{:>2}", 1 + rng() % 8));
            put(48, fmt::format("{}-{}", 1 + rng() % 8, 1 + rng() % 9));
            const int own = win + static_cast<int>(rng() % 80);
            put(59, fmt::format("{:02d}.{:02d}", own / 100, own % 100));
            put(66, fmt::format("{:.2f}", 0.5 * static_cast<double>(2 + rng() % 40)));
            put(73, grades[rng() % 7]);
            out.push_back(line);
        }
    }
    return out;
}

void copyDatabase(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::remove(to.string() + "-wal", ec);
    fs::remove(to.string() + "-shm", ec);
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const long pastLines = argc > 1 ? std::atol(argv[1]) : 50000;
    const int reps = argc > 2 ? std::atoi(argv[2]) : 3;
    const fs::path shipped(VZ_SHIPPED_DIR);
    const fs::path work = fs::temp_directory_path() / "vz-bench-import";
    const fs::path cache = shipped.parent_path() / "bench" / "data" / "synthetic-100k-2m.mdb";
    fs::create_directories(work / "app" / "Data");

    std::printf("Making the synthetic dog database (reused when present)...\n");
    bench::SyntheticShape shape;
    bench::makeSyntheticDogDatabase(shipped, cache, shape);

    base::AppPaths paths{work / "app", work / "profile"};
    fs::copy_file(shipped / "RaceTemplate.tmp", paths.raceTemplate(),
                  fs::copy_options::overwrite_existing);
    std::vector<std::string> names;
    const std::vector<std::string> program = makeProgram(pastLines, names);
    std::string text;
    for (const std::string& l : program) {
        text += l;
        text += "\r\n";
    }
    const fs::path input = work / "program.txt";
    base::writeFileAtomic(input, text);

    double bestImport = 1e100;
    double bestBare = 1e100;
    import::ImportSummary summary;
    for (int r = 0; r < reps; ++r) {
        copyDatabase(cache, paths.dogDatabase());
        import::ImportRequest req;
        req.format = "trackinfo";
        req.inputs = {input};
        req.raceFile = work / "card.rac";
        req.paths = paths;
        req.today = base::today();
        const auto t0 = Clock::now();
        summary = import::runImport(req);
        bestImport = std::min(bestImport, seconds(Clock::now() - t0));

        // The rows the import wrote, read back for the bare inserts.
        std::vector<base::RaceLine> rows;
        {
            store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
            std::sort(names.begin(), names.end());
            names.erase(std::unique(names.begin(), names.end()), names.end());
            const base::Date newest = shape.newest;
            for (const std::string& n : names) {
                for (const base::RaceLine& l : db.raceLines(n)) {
                    if (l.RaceDate && *l.RaceDate > newest) {
                        rows.push_back(l);
                    }
                }
            }
        }
        copyDatabase(cache, paths.dogDatabase());
        const auto t1 = Clock::now();
        {
            store::DogDatabase db(paths.dogDatabase());
            store::DogDatabase::Transaction tx(db);
            store::ImportStore st(db, nullptr);
            for (const base::RaceLine& l : rows) {
                st.addRaceLine(l);
            }
            st.resetAll();
            tx.commit();
        }
        bestBare = std::min(bestBare, seconds(Clock::now() - t1));
        if (static_cast<long>(rows.size()) != summary.linesAdded) {
            std::fprintf(stderr, "read back %zu rows, the import added %ld\n", rows.size(),
                         summary.linesAdded);
            return 1;
        }
    }

    const double importRate = static_cast<double>(summary.linesAdded) / bestImport;
    const double bareRate = static_cast<double>(summary.linesAdded) / bestBare;
    std::printf(
        "Program: %zu text lines, %ld past lines added, %ld dogs added, %ld duplicates, "
        "%ld races, %ld posts\n",
        program.size(), summary.linesAdded, summary.dogsAdded, summary.duplicatesSkipped,
        summary.racesWritten, summary.postsWritten);
    std::printf("Import:       %8.3f s  %10.0f lines/s\n", bestImport, importRate);
    std::printf("Bare inserts: %8.3f s  %10.0f lines/s\n", bestBare, bareRate);
    std::printf("Ratio (import time / bare insert time): %.2f  (target: at most 2.00)\n",
                bestImport / bestBare);
    std::error_code ec;
    fs::remove_all(work, ec);
    return 0;
}
