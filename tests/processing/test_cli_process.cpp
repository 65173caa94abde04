// The terminal tool's process command, on an application folder made by its
// own init command and filled through the store.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

// Replaces PATH for the test and puts it back.
class PathOverride {
  public:
    explicit PathOverride(const fs::path& dir) {
        const char* old = ::getenv("PATH");
        old_ = old ? old : "";
        ::setenv("PATH", dir.c_str(), 1);
    }
    ~PathOverride() { ::setenv("PATH", old_.c_str(), 1); }

  private:
    std::string old_;
};

class CliProcess : public ::testing::Test {
  protected:
    TempDir root;
    base::AppPaths paths{root / "app", root / "profile"};

    void SetUp() override {
        fs::create_directories(paths.resultsDir());
        const CliResult init = runCliIn(root.path(), {"init"});
        ASSERT_EQ(init.exitCode, 0) << init.err;
    }

    CliResult process(const std::vector<std::string>& args) {
        std::vector<std::string> all{"--today", "2026-12-07", "process"};
        all.insert(all.end(), args.begin(), args.end());
        return runCliIn(root.path(), all);
    }
};

TEST_F(CliProcess, WritesTheReportAndPrintsItsPath) {
    const fs::path card = root / "cards" / "Sample Card.rac";
    fs::create_directories(card.parent_path());
    makeSampleCard(paths, card);
    const CliResult r = process({card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path report = paths.resultsDir() / "Sample Card - Results.txt";
    EXPECT_EQ(r.out, report.string() + "\n");
    EXPECT_EQ(readText(report),
              readText(sourceDir() / "tests/processing/data/Sample Card - Results.txt"));
    EXPECT_FALSE(fs::exists(paths.errorReport()));
}

TEST_F(CliProcess, MissingDogsExitThreeWithTheErrorReport) {
    const fs::path card = root / "Card 12.rac";
    makeRaceFile(card);
    {
        store::RaceFile f(card);
        base::Race race;
        race.RaceDate = ymd(2026, 12, 7);
        race.RaceNum = 3;
        f.addRace(race);
        base::Post p;
        p.RaceDate = race.RaceDate;
        p.RaceNum = 3;
        p.Post = 5;
        p.RegName = "Fast Lady";
        f.addPost(p);
    }
    const CliResult r = process({card.string()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, paths.errorReport().string() + "\n");
    EXPECT_NE(readText(paths.errorReport()).find("     Fast Lady, 12/7/2026 race 3, post 5\r\n"),
              std::string::npos);
}

TEST_F(CliProcess, FailureExitsOneWithTheReason) {
    const fs::path card = root / "empty.rac";
    makeRaceFile(card);
    const CliResult r = process({card.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Error - unable to process race\nThe race file empty.rac has no races. 3021\n");
}

TEST_F(CliProcess, APostBeyondTheRaceTablesExitsOneWithoutAReport) {
    const fs::path card = root / "Wide.rac";
    makeRaceFile(card);
    {
        store::DogDatabase db(paths.dogDatabase());
        store::RaceFile f(card);
        base::Race race;
        race.RaceDate = ymd(2026, 12, 7);
        race.RaceNum = 1;
        f.addRace(race);
        // Four dogs: the race's tables reach post 8.
        for (const auto& [post, name] :
             {std::pair<int, const char*>{1, "A"}, {2, "B"}, {3, "C"}, {9, "D"}}) {
            addDog(db, name, "M");
            base::Post p;
            p.RaceDate = race.RaceDate;
            p.RaceNum = 1;
            p.Post = post;
            p.RegName = name;
            f.addPost(p);
        }
    }
    const CliResult r = process({card.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Error - unable to process race\n"
              "Post 9 of race 1 of 12/7/2026 (D) is outside the race's posts 1 to 8. 9\n");
    EXPECT_FALSE(fs::exists(paths.resultsDir() / "Wide - Results.txt"));
}

TEST_F(CliProcess, TimeFactorsComeFromTheSettings) {
    const fs::path card = root / "f.rac";
    makeRaceFile(card);
    {
        store::DogDatabase db(paths.dogDatabase());
        addDog(db, "Short", "M");
        db.addRaceLine(line("Short", ymd(2026, 12, 1), "S", "B", 3100, 3, 3, 3, 3));
        addDog(db, "Long", "M");
        db.addRaceLine(line("Long", ymd(2026, 12, 1), "L", "B", 3800, 3, 3, 3, 3));
        store::RaceFile f(card);
        base::Race race;
        race.RaceDate = ymd(2026, 12, 7);
        race.RaceNum = 1;
        f.addRace(race);
        int post = 1;
        for (const char* name : {"Short", "Long"}) {
            base::Post p;
            p.RaceDate = race.RaceDate;
            p.RaceNum = 1;
            p.Post = post++;
            p.RegName = name;
            f.addPost(p);
        }
    }
    // With the first factor "Long" is 3112.87: "Short" is faster.
    CliResult r = process({card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path report = paths.resultsDir() / "f - Results.txt";
    EXPECT_NE(readText(report).find(" 1 Short               23"), std::string::npos);

    // At 0.8 it is 3040: "Long" takes both time figures.
    base::Settings s = base::readSettings(paths.settingsFile()).settings;
    s.TimeFactorL = 0.8;
    base::writeSettings(paths.settingsFile(), s);
    r = process({card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(readText(report).find(" 2 Long                 8   0   0    4    4    0    0  "),
              std::string::npos)
        << readText(report);
}

TEST_F(CliProcess, OpenStartsTheViewerOnTheFile) {
    const fs::path card = root / "My Card.rac";
    makeSampleCard(paths, card);
    const fs::path bin = root / "bin";
    fs::create_directories(bin);
    const fs::path seen = root / "viewer-args";
    writeText(bin / "xdg-open", "#!/bin/sh\nprintf '%s|' \"$@\" > '" + seen.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    CliResult r;
    {
        PathOverride path(bin);
        r = process({"--open", card.string()});
    }
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string report = (paths.resultsDir() / "My Card - Results.txt").string();
    // The viewer runs on its own; give it a moment to leave its trace.
    for (int i = 0; i < 200 && !fs::exists(seen); ++i) {
        ::usleep(10000);
    }
    ::usleep(20000);
    EXPECT_EQ(readText(seen), report + "|");
    EXPECT_EQ(r.err, "");
}

TEST_F(CliProcess, AViewerThatCannotStartIsReported) {
    const fs::path card = root / "c.rac";
    makeSampleCard(paths, card);
    CliResult r;
    {
        PathOverride path(root / "nothing-here");
        r = process({"--open", card.string()});
    }
    // The report is written: only the viewer is reported, not as a failed run.
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, (paths.resultsDir() / "c - Results.txt").string() + "\n");
    EXPECT_EQ(r.err, "The text viewer (xdg-open) could not be started; open the file yourself.\n");
}

}  // namespace
}  // namespace vz::test
