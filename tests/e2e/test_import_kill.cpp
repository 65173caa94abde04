// A real import killed at many moments: after the next start of any command,
// the dog database and the new race file are both as before the import or
// both as after it, and both pass the database's own integrity check.

#include <gtest/gtest.h>

#include <signal.h>

#include <SQLiteCpp/Database.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDogs = 8000;  // in races of eight
constexpr int kLinesPerDog = 8;
constexpr int kRaces = kDogs / 8;

std::string at(std::string line, std::size_t column, const std::string& text) {
    if (line.size() < column - 1 + text.size()) {
        line.resize(column - 1 + text.size(), ' ');
    }
    line.replace(column - 1, text.size(), text);
    return line;
}

// A TrackInfo program: races of eight dogs, each dog with eight past lines
// of different dates; every dog, line, race and post is new to an empty dog
// database, so the import adds kDogs dogs, kDogs * kLinesPerDog lines,
// kRaces races and kDogs posts. About 100,000 text lines.
std::string bigProgram() {
    std::string text;
    for (int d = 0; d < kDogs; ++d) {
        const int race = d / 8;
        if (d % 8 == 0) {
            // Race numbers 1 to 15 of each day from 01/01/27 on.
            const int day = race / 15;
            text += fmt::format("{:>2}  {:02d}/{:02d}/27  RACE {}   Grade: C, Distance: 5/16\n",
                                race % 15 + 1, 1 + day / 28, 1 + day % 28, race % 15 + 1);
            text += "    Purse $400\n" + std::string(80, '_') + "\n";
        }
        text += fmt::format("{:>2} Kill Test {:06d}  Trainer: K. Doe\n", d % 8 + 1, d);
        text += "   Owner: Jay Kennels\n";
        text += "   Date     Race  Dist  Win    Cond  P B E  Str  Fin         Time   Odds  Gr\n";
        for (int i = 0; i < kLinesPerDog; ++i) {
            std::string line;
            line = at(line, 1, fmt::format("{:02d}/{:02d}/26", 1 + i, 1 + d % 28));
            line = at(line, 10, fmt::format("{:>2}", 1 + i));
            line = at(line, 17, "5/16");
            line = at(line, 23, "30.45");
            line = at(line, 35, std::to_string(1 + i));
            line = at(line, 37, "2");
            line = at(line, 39, "3");
            line = at(line, 44, " 2");
            line = at(line, 48, "2-1");
            line = at(line, 59, "30.60");
            line = at(line, 66, "4.50");
            line = at(line, 73, "C");
            text += line + "\n";
        }
    }
    return text;
}

struct Files {
    std::int64_t dogs = 0;
    std::int64_t lines = 0;
    std::optional<std::size_t> races;  // nothing: no race file
    std::size_t posts = 0;
    bool operator==(const Files&) const = default;
};

Files filesOf(const base::AppPaths& paths, const fs::path& card) {
    Files f;
    const store::DogDatabase dogs(paths.dogDatabase(), store::OpenMode::ReadOnly);
    f.dogs = dogs.dogCount();
    f.lines = dogs.raceLineCount();
    if (fs::exists(card)) {
        const store::RaceFile rf(card, store::OpenMode::ReadOnly);
        f.races = rf.races().size();
        f.posts = rf.allPosts().size();
    }
    return f;
}

std::string integrity(const fs::path& db) {
    SQLite::Database d(db.string(), SQLite::OPEN_READONLY);
    return d.execAndGet("PRAGMA integrity_check").getString();
}

// Waits until the run has written its card into its temporary file, which
// then outgrows the empty template: the commits and the rename follow at
// once. Gives up after `limit`.
void waitForTheCard(const fs::path& dir, std::uintmax_t templateSize, Clock::duration limit) {
    const auto end = Clock::now() + limit;
    while (Clock::now() < end) {
        for (const auto& e : fs::directory_iterator(dir)) {
            std::error_code ec;
            if (e.path().filename().string().front() == '.' &&
                fs::file_size(e.path(), ec) > templateSize && !ec) {
                return;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

TEST(ImportKilled, LeavesBothFilesAsBeforeOrBothAsAfter) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    const fs::path program = dir / "program.txt";
    writeText(program, bigProgram());
    const fs::path card = paths.dataDir() / "Tonight.rac";
    // An earlier card of that name, for the runs that replace one: one race.
    const fs::path oldCard = dir / "old.rac";
    makeRaceFile(oldCard);
    {
        base::Race r;
        r.RaceNum = 99;
        store::RaceFile(oldCard).addRace(r);
    }
    const fs::path freshDogs = dir / "fresh.mdb";
    fs::copy_file(paths.dogDatabase(), freshDogs);

    const auto restore = [&](bool replacing) {
        for (const char* tail : {"", "-wal", "-shm"}) {
            fs::remove(paths.dogDatabase().string() + tail);
        }
        fs::copy_file(freshDogs, paths.dogDatabase());
        fs::remove(card);
        if (replacing) {
            fs::copy_file(oldCard, card);
        }
    };
    const std::vector<std::string> importArgs = {
        "--app-dir",      paths.appDir.string(), "--profile-dir", paths.profileDir.string(),
        "--today",        "2026-12-08",          "import",        "trackinfo",
        program.string(), "--race-file",         card.string(),   "--overwrite"};
    const std::vector<std::string> pathsArgs = {"--app-dir", paths.appDir.string(), "--profile-dir",
                                                paths.profileDir.string(), "paths"};

    const Files before{0, 0, std::nullopt, 0};
    const Files beforeReplacing{0, 0, 1, 0};
    const Files after{kDogs, kDogs * kLinesPerDog, kRaces, kDogs};

    // One whole run, to know how long the import takes here.
    restore(false);
    const auto t0 = Clock::now();
    StartedCli whole = startCli(importArgs);
    const CliResult wholeResult = finishCli(whole);
    const auto duration = Clock::now() - t0;
    ASSERT_EQ(wholeResult.exitCode, 0) << wholeResult.err;
    ASSERT_EQ(filesOf(paths, card), after);

    // A quarter of the kills spread over the run; the others follow the moment
    // its card is written by up to a tenth of the run, where the files are
    // committed, renamed and checkpointed; the last one comes after the end.
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<double> anywhere(0.05, 1.0);
    std::uniform_real_distribution<double> soonAfter(0.0, 0.1);
    const std::uintmax_t templateSize = fs::file_size(paths.raceTemplate());
    int asBefore = 0;
    int asAfter = 0;
    int completedByTheStart = 0;  // killed between the commit and the rename
    int clearedByTheStart = 0;    // killed before the commit, its card half written
    constexpr int kKills = 16;
    for (int k = 0; k < kKills; ++k) {
        const bool replacing = k % 2 == 1;
        const bool anchored = k % 4 != 0 && k != kKills - 1;
        const double share = k == kKills - 1 ? 1.5 : anchored ? soonAfter(rng) : anywhere(rng);
        SCOPED_TRACE(fmt::format("kill {} at {:.3f} of the run {}, {}", k, share,
                                 anchored ? "after its card was written" : "from its start",
                                 replacing ? "replacing a race file" : "a new race file"));
        restore(replacing);
        StartedCli run = startCli(importArgs);
        if (anchored) {
            waitForTheCard(paths.dataDir(), templateSize, 3 * duration);
        }
        std::this_thread::sleep_for(std::chrono::duration_cast<Clock::duration>(duration * share));
        ::kill(run.pid, SIGKILL);
        finishCli(run);
        const bool leftATemporaryFile = !hiddenFiles(paths.dataDir()).empty();

        // The next start of any command settles what the killed run left.
        const CliResult start = runCli(pathsArgs);
        ASSERT_EQ(start.exitCode, 0) << start.err;
        EXPECT_EQ(start.err, "");

        const Files got = filesOf(paths, card);
        // Before: the earlier card is there byte for byte.
        const bool isBefore = got == (replacing ? beforeReplacing : before) &&
                              (!replacing || readText(card) == readText(oldCard));
        const bool isAfter = got == after;
        EXPECT_TRUE(isBefore || isAfter)
            << got.dogs << " dogs, " << got.lines << " lines, "
            << (got.races ? std::to_string(*got.races) : std::string("no")) << " races, "
            << got.posts << " posts";
        asBefore += isBefore ? 1 : 0;
        asAfter += isAfter ? 1 : 0;
        if (leftATemporaryFile) {
            completedByTheStart += isAfter ? 1 : 0;
            clearedByTheStart += isBefore ? 1 : 0;
        }
        EXPECT_EQ(integrity(paths.dogDatabase()), "ok");
        if (fs::exists(card)) {
            EXPECT_EQ(integrity(card), "ok");
        }
        EXPECT_TRUE(hiddenFiles(paths.dataDir()).empty());
    }
    std::printf(
        "Import of %.2f s killed %d times: %d left as before (%d cleared away by the "
        "start), %d as after (%d completed by the start)\n",
        std::chrono::duration<double>(duration).count(), kKills, asBefore, clearedByTheStart,
        asAfter, completedByTheStart);
    // The kills landed on both sides of the commit.
    EXPECT_GT(asBefore, 0);
    EXPECT_GT(asAfter, 0);
}

}  // namespace
}  // namespace vz::test
