#include "bench/synthetic.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fmt/format.h>

#include "core/base/fileio.h"

namespace vz::bench {
namespace fs = std::filesystem;

std::string syntheticDogName(int i) {
    return fmt::format("Dog {:06d}", i);
}

namespace {

// The simulation changed once: a cached database of an older make is
// made again.
constexpr const char* kMake = "races by dog";

std::string shapeTag(const SyntheticShape& shape) {
    return fmt::format("{} {} {} {} {}", kMake, shape.dogs, shape.lines, shape.seed,
                       base::toIso(shape.newest));
}

constexpr int kKennel = 40;  // dogs that race together
constexpr int kField = 8;

struct Runner {
    int dog = 0;
    double strength = 0;
    long left = 0;  // lines still to run
};

// A line of a simulated race, before it is stored.
struct Line {
    int dog = 0;
    std::string date;
    int raceNum = 0;
    const char* distance = nullptr;
    int winningTime = 0;
    int post = 0;
    int brk = 0;
    int eighth = 0;
    int stretch = 0;
    int finish = 0;
    double lengths = 0;
    int finishTime = 0;
    double odds = 0;
    const char* grade = nullptr;
};

}  // namespace

void makeSyntheticDogDatabase(const fs::path& shippedDir, const fs::path& dogDb,
                              const SyntheticShape& shape) {
    const fs::path tagFile = dogDb.string() + ".shape";
    std::error_code ec;
    if (fs::exists(dogDb, ec) && fs::exists(tagFile, ec)) {
        try {
            if (base::readFile(tagFile) == shapeTag(shape)) {
                return;
            }
        } catch (...) {
        }
    }
    fs::create_directories(dogDb.parent_path());
    fs::remove(tagFile, ec);
    fs::remove(dogDb, ec);
    fs::remove(dogDb.string() + "-wal", ec);
    fs::remove(dogDb.string() + "-shm", ec);
    fs::copy_file(shippedDir / "Data" / "Data.mdb", dogDb);

    SQLite::Database db(dogDb.string(), SQLite::OPEN_READWRITE);
    db.exec("PRAGMA journal_mode=WAL");
    db.exec("PRAGMA synchronous=OFF");
    std::mt19937 rng(shape.seed);
    std::normal_distribution<double> normal(0, 1);
    const auto uniform = [&rng](int lo, int hi) {
        return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
    };
    const char* const styles[] = {"R", "M", "W"};
    const char* const grades[] = {"AA", "A", "B", "C", "D", "E", "J", "M", "TA", "SB"};
    const char* const distances[] = {"S", "S", "S", "L", "L", "R"};
    const double odds[kField] = {1.2, 2.2, 3.4, 4.5, 5.6, 7.9, 9.9, 14.3};
    const long perDog = shape.dogs > 0 ? shape.lines / shape.dogs : 0;
    long extra = shape.dogs > 0 ? shape.lines % shape.dogs : 0;

    SQLite::Transaction tx(db);
    SQLite::Statement addDog(db,
                             "INSERT INTO Main (RegName, RunningStyle, NumStarts, NumFirsts, "
                             "NumSeconds, NumThirds, Comments) VALUES (?, ?, ?, ?, ?, ?, NULL)");
    SQLite::Statement addLine(db,
                              "INSERT INTO RaceHistory (RegName, RaceDate, RaceNum, Distance, "
                              "WinningTime, Post, Break, Eighth, Stretch, Finish, FinishLength, "
                              "FinishTime, Odds, Grade) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                              "?, ?, ?)");
    const std::chrono::sys_days newest{shape.newest};
    std::vector<Runner> kennel;
    for (int first = 0; first < shape.dogs; first += kKennel) {
        kennel.clear();
        for (int d = first; d < std::min(first + kKennel, shape.dogs); ++d) {
            const long lines = perDog + (extra > 0 ? 1 : 0);
            if (extra > 0) {
                --extra;
            }
            addDog.bind(1, syntheticDogName(d));
            addDog.bind(2, styles[rng() % 3]);
            addDog.bind(3, static_cast<int>(lines));
            addDog.bind(4, static_cast<int>(rng() % (lines / 4 + 1)));
            addDog.bind(5, static_cast<int>(rng() % (lines / 4 + 1)));
            addDog.bind(6, static_cast<int>(rng() % (lines / 4 + 1)));
            addDog.exec();
            addDog.reset();
            kennel.push_back({d, normal(rng), lines});
        }
        // Each kennel runs its own race numbers, so that kennels racing on
        // one day rarely make one race of their lines.
        const int firstRace = 1 + (first / kKennel) % 3 * 5;
        long dayOffset = uniform(0, 6);
        std::vector<Runner*> running;
        std::vector<Line> lines;
        while (true) {
            running.clear();
            for (Runner& r : kennel) {
                if (r.left > 0) {
                    running.push_back(&r);
                }
            }
            if (running.empty()) {
                break;
            }
            std::shuffle(running.begin(), running.end(), rng);
            const std::string date = base::toIso(base::Date{newest - std::chrono::days{dayOffset}});
            dayOffset += uniform(5, 12);
            for (std::size_t start = 0; start < running.size(); start += kField) {
                const std::size_t size = std::min<std::size_t>(kField, running.size() - start);
                std::vector<Runner*> field(
                    running.begin() + static_cast<std::ptrdiff_t>(start),
                    running.begin() + static_cast<std::ptrdiff_t>(start + size));
                std::vector<Runner*> favourites = field;
                std::sort(
                    favourites.begin(), favourites.end(),
                    [](const Runner* a, const Runner* b) { return a->strength > b->strength; });
                std::vector<std::pair<double, Runner*>> run;
                for (Runner* r : field) {
                    run.emplace_back(r->strength + 1.2 * normal(rng), r);
                }
                std::sort(run.begin(), run.end(),
                          [](const auto& a, const auto& b) { return a.first > b.first; });
                int posts[kField] = {1, 2, 3, 4, 5, 6, 7, 8};
                std::shuffle(std::begin(posts), std::end(posts), rng);
                const char* dist = distances[rng() % 6];
                const int base = dist[0] == 'S' ? 3050 : dist[0] == 'L' ? 3720 : 4300;
                const int win = base + uniform(-90, 90);
                const char* grade = grades[rng() % 10];
                const int raceNum = firstRace + static_cast<int>(start / kField);
                for (std::size_t i = 0; i < field.size(); ++i) {
                    Runner* r = field[i];
                    const int finish = 1 + static_cast<int>(std::find_if(run.begin(), run.end(),
                                                                         [r](const auto& x) {
                                                                             return x.second == r;
                                                                         }) -
                                                            run.begin());
                    const auto call = [&] { return std::clamp(finish + uniform(-2, 2), 1, 8); };
                    const auto favourite =
                        std::find(favourites.begin(), favourites.end(), r) - favourites.begin();
                    Line l{r->dog, date,   raceNum, dist, win, posts[i], call(),
                           call(), call(), finish,  0,    0,   0,        grade};
                    l.lengths = finish == 1 ? 0.0 : 0.5 * static_cast<double>(uniform(1, 20));
                    l.finishTime = win + (finish - 1) * uniform(6, 14);
                    l.odds = std::round(odds[favourite] * (85 + uniform(0, 35))) / 100;
                    lines.push_back(std::move(l));
                    --r->left;
                }
            }
        }
        // Stored dog by dog, newest first, as imported programs list them.
        std::stable_sort(lines.begin(), lines.end(),
                         [](const Line& a, const Line& b) { return a.dog < b.dog; });
        for (const Line& l : lines) {
            addLine.bind(1, syntheticDogName(l.dog));
            addLine.bind(2, l.date);
            addLine.bind(3, l.raceNum);
            addLine.bind(4, l.distance);
            addLine.bind(5, l.winningTime);
            addLine.bind(6, l.post);
            addLine.bind(7, l.brk);
            addLine.bind(8, l.eighth);
            addLine.bind(9, l.stretch);
            addLine.bind(10, l.finish);
            addLine.bind(11, l.lengths);
            addLine.bind(12, l.finishTime);
            addLine.bind(13, l.odds);
            addLine.bind(14, l.grade);
            addLine.exec();
            addLine.reset();
        }
    }
    tx.commit();
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    base::writeFileAtomic(tagFile, shapeTag(shape));
}

}  // namespace vz::bench
