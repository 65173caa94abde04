#include "bench/synthetic.h"

#include <random>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fmt/format.h>

#include "core/store/fileio.h"

namespace vz::bench {
namespace fs = std::filesystem;

std::string syntheticDogName(int i) {
    return fmt::format("Dog {:06d}", i);
}

namespace {

std::string shapeTag(const SyntheticShape& shape) {
    return fmt::format("{} {} {} {}", shape.dogs, shape.lines, shape.seed,
                       store::toIso(shape.newest));
}

}  // namespace

void makeSyntheticDogDatabase(const fs::path& shippedDir, const fs::path& dogDb,
                              const SyntheticShape& shape) {
    const fs::path tagFile = dogDb.string() + ".shape";
    std::error_code ec;
    if (fs::exists(dogDb, ec) && fs::exists(tagFile, ec)) {
        try {
            if (store::readFile(tagFile) == shapeTag(shape)) {
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
    const char* const styles[] = {"R", "M", "W"};
    const char* const grades[] = {"AA", "A", "B", "C", "D", "E", "J", "M", "TA", "SB"};
    const char* const distances[] = {"S", "S", "S", "L", "L", "R"};
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
    for (int d = 0; d < shape.dogs; ++d) {
        const std::string name = syntheticDogName(d);
        long lines = perDog + (extra > 0 ? 1 : 0);
        if (extra > 0) {
            --extra;
        }
        addDog.bind(1, name);
        addDog.bind(2, styles[rng() % 3]);
        addDog.bind(3, static_cast<int>(lines));
        addDog.bind(4, static_cast<int>(rng() % (lines / 4 + 1)));
        addDog.bind(5, static_cast<int>(rng() % (lines / 4 + 1)));
        addDog.bind(6, static_cast<int>(rng() % (lines / 4 + 1)));
        addDog.exec();
        addDog.reset();
        long dayOffset = static_cast<long>(rng() % 5);
        for (long l = 0; l < lines; ++l) {
            const char* dist = distances[rng() % 6];
            const int base = dist[0] == 'S' ? 3050 : dist[0] == 'L' ? 3720 : 4300;
            const int win = base + static_cast<int>(rng() % 120) - 60;
            const int finish = 1 + static_cast<int>(rng() % 8);
            const store::Date date{newest - std::chrono::days{dayOffset}};
            dayOffset += 3 + static_cast<long>(rng() % 6);
            addLine.bind(1, name);
            addLine.bind(2, store::toIso(date));
            addLine.bind(3, 1 + static_cast<int>(rng() % 15));
            addLine.bind(4, dist);
            addLine.bind(5, win);
            addLine.bind(6, 1 + static_cast<int>(rng() % 8));
            addLine.bind(7, 1 + static_cast<int>(rng() % 8));
            addLine.bind(8, 1 + static_cast<int>(rng() % 8));
            addLine.bind(9, 1 + static_cast<int>(rng() % 8));
            addLine.bind(10, finish);
            addLine.bind(11, finish == 1 ? 0.0 : 0.5 * static_cast<double>(rng() % 20));
            addLine.bind(12, win + (finish - 1) * 12 + static_cast<int>(rng() % 10));
            addLine.bind(13, 0.5 * static_cast<double>(2 + rng() % 40));
            addLine.bind(14, grades[rng() % 10]);
            addLine.exec();
            addLine.reset();
        }
    }
    tx.commit();
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    store::writeFileAtomic(tagFile, shapeTag(shape));
}

}  // namespace vz::bench
