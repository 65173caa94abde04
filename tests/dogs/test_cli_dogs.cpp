// The dog upkeep commands of the terminal tool, run as a user would. Without
// a terminal, questions cannot be asked: the commands that need one refuse
// unless --yes is given.

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

class CliDogsTest : public ::testing::Test {
  protected:
    TempDir dir;
    base::AppPaths paths = makeAppFolder(dir.path());

    CliResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--today", "2026-12-07"});
        return runCliIn(dir.path(), args);
    }

    void addDog(const std::string& name, std::optional<base::Date> lineDate) {
        store::DogDatabase db(paths.dogDatabase());
        db.addDog(base::Dog{0, name, "M", 4, 1, 1, 1, std::nullopt});
        if (lineDate) {
            base::RaceLine l;
            l.RegName = name;
            l.RaceDate = lineDate;
            l.Distance = "S";
            l.Post = 7;
            l.Break = l.Eighth = l.Stretch = 1;
            l.Finish = 1;
            l.FinishTime = 3000;
            db.addRaceLine(l);
        }
    }

    long dogCount() { return store::DogDatabase(paths.dogDatabase()).dogCount(); }
    long lineCount() { return store::DogDatabase(paths.dogDatabase()).raceLineCount(); }
};

TEST_F(CliDogsTest, UpdateStylesPrintsTheChangesAndWritesTheSettings) {
    addDog("Wide Boy", ymd(2026, 11, 1));
    const auto r = run({"update-styles", "--list"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Update Running Style complete.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Styles changed: 1 (to R: 0, to M: 0, to W: 1)"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  Wide Boy: M -> W\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("TimeFactorL: 0.8191767 (kept"), std::string::npos) << r.out;
    const auto s = base::readSettings(paths.settingsFile());
    ASSERT_FALSE(s.error);
    EXPECT_EQ(s.settings.LastStyleUpdate, ymd(2026, 12, 7));
    EXPECT_EQ(store::DogDatabase(paths.dogDatabase()).findDog("wide boy")->RunningStyle, "W");
}

TEST_F(CliDogsTest, ZeroCountersNeedsNoQuestion) {
    addDog("A", std::nullopt);
    const auto r = run({"zero-counters"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Zeroing complete.\nDogs zeroed: 1\n");
    EXPECT_EQ(store::DogDatabase(paths.dogDatabase()).findDog("A")->NumStarts, 0);
}

TEST_F(CliDogsTest, RecentDatesAreRefusedWithoutATerminalUnlessYes) {
    addDog("Old", ymd(2026, 1, 1));
    addDog("Recent", ymd(2026, 12, 1));
    struct Case {
        std::vector<std::string> args;
        std::string question;
    };
    const Case cases[] = {
        {{"delete-race-data", "--before", "2026-12-06"},
         "Are you sure you want to delete all race data before 12/6/2026?"},
        {{"delete-dogs", "--not-raced-since", "2026-09-09"},
         "Are you sure you want to delete all dogs that have not raced since 9/9/2026?"},
        {{"delete-results", "--before", "2026-12-01"},
         "Are you sure you want to delete all results and race files prior to 12/1/2026?"},
    };
    for (const Case& c : cases) {
        const auto r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0];
        EXPECT_NE(r.err.find(c.question), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << c.args[0];
    }
    EXPECT_EQ(dogCount(), 2);
    EXPECT_EQ(lineCount(), 2);

    auto r = run({"delete-dogs", "--not-raced-since", "2026-09-09", "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Finished deleting dogs that have not raced since 9/9/2026.\nDogs deleted: 1\n");
    EXPECT_EQ(dogCount(), 1);

    r = run({"delete-race-data", "--before", "2026-12-02", "--yes"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The deleted dog's line is no longer visited; the other one goes.
    EXPECT_EQ(r.out, "Finished deleting race data before 12/2/2026.\nRace lines deleted: 1\n");
    EXPECT_EQ(lineCount(), 1);
}

TEST_F(CliDogsTest, DatesAtOrBeforeTheThresholdNeedNoQuestion) {
    addDog("Old", ymd(2026, 1, 1));
    const fs::path oldFile = paths.resultsDir() / "Old - Results.txt";
    writeText(oldFile, "report");
    fs::last_write_time(oldFile, fs::last_write_time(oldFile) - std::chrono::hours(24 * 30));

    auto r = run({"delete-race-data", "--before", "2026-09-08"});  // exactly 90 days back
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lineCount(), 0);
    r = run({"delete-results", "--before", "2026-11-30"});  // exactly 7 days back
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Finished deleting results and race files prior to 11/30/2026.\nFiles deleted: 1\n");
    EXPECT_FALSE(fs::exists(oldFile));
}

TEST_F(CliDogsTest, BadDatesAreUsageErrors) {
    for (const char* text : {"2026-13-01", "12/1/2026", ""}) {
        const auto r = run({"delete-results", "--before", text, "--yes"});
        EXPECT_EQ(r.exitCode, 2) << text;
    }
    EXPECT_EQ(run({"delete-dogs"}).exitCode, 2);  // the date is required
}

// A data folder copied to a read-only place (a backup, a shared folder):
// processing reads it; every command that would change the dog database
// says that the folder must be writable, and nothing is changed.
TEST_F(CliDogsTest, AReadOnlyDataFolderIsProcessedButNotChanged) {
    addDog("Fast Lady", ymd(2026, 11, 1));
    addDog("Slow Sam", ymd(2026, 11, 2));
    const fs::path card = dir / "Card.rac";
    makeRaceFile(card);
    {
        store::RaceFile f(card);
        f.addRace(base::Race{0, 1, "S", "B", ymd(2026, 12, 7)});
        f.addPost(base::Post{0, ymd(2026, 12, 7), 1, 1, "Fast Lady"});
        f.addPost(base::Post{0, ymd(2026, 12, 7), 1, 2, "Slow Sam"});
    }
    ASSERT_EQ(run({"paths"}).exitCode, 0);  // makes the settings file
    const std::string settings = readText(paths.settingsFile());
    test::removeWritePermission(paths.dataDir());
    const std::string refusal = "The dog database " + paths.dogDatabase().string() +
                                " cannot be changed: its folder " + paths.dataDir().string() +
                                " must be writable";
    const std::vector<std::string> writers[] = {
        {"update-styles"},
        {"zero-counters"},
        {"delete-race-data", "--before", "2026-11-02", "--yes"},
        {"delete-dogs", "--not-raced-since", "2026-11-02", "--yes"},
        {"import", "rosnet", (sourceDir() / "data" / "samples" / "rosnet_sample.txt").string(),
         "--race-file", (dir / "New.rac").string()},
    };
    for (const auto& args : writers) {
        const auto r = run(args);
        EXPECT_EQ(r.exitCode, 1) << args[0];
        EXPECT_NE(r.err.find(refusal), std::string::npos) << args[0] << ": " << r.err;
    }
    const auto processed = run({"process", card.string()});
    EXPECT_EQ(processed.exitCode, 0) << processed.err;
    EXPECT_TRUE(fs::exists(paths.resultsDir() / "Card - Results.txt"));

    EXPECT_EQ(readText(paths.settingsFile()), settings);
    EXPECT_EQ(std::distance(fs::directory_iterator(paths.dataDir()), fs::directory_iterator()), 1);
    store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    EXPECT_EQ(db.dogCount(), 2);
    EXPECT_EQ(db.raceLineCount(), 2);
    EXPECT_EQ(db.findDog("Fast Lady")->NumStarts, 4);
}

TEST_F(CliDogsTest, OnATerminalAWriterShowsThatItWaitsForAnotherProgram) {
    addDog("Fast Lady", std::nullopt);
    std::atomic<bool> holding{false};
    // Another program's import holds the dog database for a while.
    std::jthread other([&] {
        store::DogDatabase db(paths.dogDatabase());
        store::DogDatabase::Transaction tx(db);
        db.addDog(base::Dog{0, "Imported", "M", 1, 0, 0, 0, std::nullopt});
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1800));
        tx.commit();
    });
    while (!holding) {
        std::this_thread::yield();
    }
    const CliResult r =
        runCliOnTerminal({"--app-dir", paths.appDir.string(), "--profile-dir",
                          paths.profileDir.string(), "--today", "2026-12-07", "zero-counters"});
    other.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("\rWaiting for another program to finish writing the dog database... 1 s"),
              std::string::npos)
        << r.err;
    // The progress line takes over again once the wait is over.
    EXPECT_NE(r.err.find("\rZeroing all Starts, 1sts, 2nds and 3rds, please wait... 100%"),
              std::string::npos)
        << r.err;
    store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    EXPECT_EQ(db.findDog("Fast Lady")->NumStarts, 0);
    EXPECT_EQ(db.findDog("Imported")->NumStarts, 0);
}

}  // namespace
}  // namespace vz::test
