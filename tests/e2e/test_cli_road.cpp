// The road of a card from the terminal: import the bundled sample programs,
// update the running styles, process each card, and compare the reports
// with the expected files.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

// The fixed copies of the sample programs the expected reports were worked
// out from.
std::string sample(const char* name) {
    return (sourceDir() / "tests" / "e2e" / "data" / "samples" / name).string();
}

struct Card {
    const char* format;
    std::vector<const char*> samples;
    const char* title;  // race file name without ".rac"; empty: the source has no card
};

// The sources in the order of the import menu, as the demo imports them.
const Card kCards[] = {
    {"trackinfo", {"trackinfo_sample.txt"}, "TrackInfo Card"},
    {"rosnet", {"rosnet_sample.txt"}, "Rosnet Card"},
    {"dogpak", {"dogpak_setup.txt", "dogpak_lines.txt"}, "DogPak Card"},
    {"derbylane", {"derbylane_sample.txt"}, "Derby Lane Card"},
    {"qav", {"qav_TEST"}, ""},
};

CliResult run(const TempDir& dir, std::vector<std::string> args) {
    args.insert(args.begin(), {"--today", "2026-12-08"});
    return runCliIn(dir.path(), args);
}

TEST(CliRoad, ImportUpdateStylesAndProcessGiveTheExpectedReports) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    for (const Card& c : kCards) {
        std::vector<std::string> args = {"import", c.format};
        for (const char* f : c.samples) {
            args.push_back(sample(f));
        }
        const bool hasCard = *c.title != '\0';
        if (hasCard) {
            args.push_back("--race-file");
            args.push_back((paths.dataDir() / (std::string(c.title) + ".rac")).string());
        }
        const CliResult r = run(dir, args);
        ASSERT_EQ(r.exitCode, 0) << c.format << ": " << r.err;
        EXPECT_EQ(r.out.find("You should run 'Update Running Style' (update-styles) before "
                             "processing a race.\n") != std::string::npos,
                  hasCard)
            << r.out;
        EXPECT_EQ(r.out.find("Dogs added:         0\n"), std::string::npos) << r.out;
    }

    CliResult r = run(dir, {"update-styles"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Update Running Style complete.\n", 0), 0u) << r.out;
    const base::Settings s = base::readSettings(paths.settingsFile()).settings;
    EXPECT_NE(s.TimeFactorL, base::kFirstTimeFactorL);
    EXPECT_NE(s.TimeFactorR, base::kFirstTimeFactorR);
    EXPECT_EQ(s.LastStyleUpdate, base::fromIso("2026-12-08"));
    {
        store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
        long rail = 0, middle = 0, wide = 0;
        for (const base::Dog& d : db.dogs()) {
            const std::string style = d.RunningStyle.value_or("");
            rail += style == "R";
            middle += style == "M";
            wide += style == "W";
        }
        EXPECT_EQ(rail + middle + wide, db.dogCount()) << "every dog has one of the three styles";
        EXPECT_GT(rail, 0);
        EXPECT_GT(wide, 0);
    }

    for (const Card& c : kCards) {
        if (*c.title == '\0') {
            continue;
        }
        const std::string report = std::string(c.title) + " - Results.txt";
        r = run(dir, {"process", (paths.dataDir() / (std::string(c.title) + ".rac")).string()});
        ASSERT_EQ(r.exitCode, 0) << c.title << ": " << r.err;
        EXPECT_EQ(r.out, (paths.resultsDir() / report).string() + "\n");
        EXPECT_EQ(readText(paths.resultsDir() / report),
                  readText(sourceDir() / "tests" / "e2e" / "data" / report))
            << c.title;
    }
    // Each command closed the dog database cleanly: a copy of the lone file
    // is the whole database.
    for (const char* journal : {"-wal", "-shm"}) {
        EXPECT_FALSE(fs::exists(paths.dogDatabase().string() + journal)) << journal;
    }
}

TEST(CliRoad, TheStyleUpdateRefusesAReadOnlyDogDatabaseAndKeepsTheSettings) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    ASSERT_EQ(run(dir, {"import", "rosnet", sample("rosnet_sample.txt"), "--race-file",
                        (paths.dataDir() / "r.rac").string()})
                  .exitCode,
              0);
    writeText(paths.settingsFile(), "10,10,15160,11320,0,1,0.8191767,0.8,#2026-10-01#\r\n");
    const std::string settingsBefore = readText(paths.settingsFile());
    ASSERT_EQ(::chmod(paths.dogDatabase().c_str(), 0444), 0);
    const std::string before = readText(paths.dogDatabase());
    const CliResult r = run(dir, {"update-styles"});
    ::chmod(paths.dogDatabase().c_str(), 0644);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("is read-only: it cannot be changed."), std::string::npos) << r.err;
    EXPECT_EQ(readText(paths.dogDatabase()), before);
    EXPECT_EQ(readText(paths.settingsFile()), settingsBefore);
}

TEST(CliRoad, LongCommandsShowProgressOnATerminalAndStayQuietOtherwise) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    const std::vector<std::string> importArgs = {"--app-dir",
                                                 (dir / "app").string(),
                                                 "--profile-dir",
                                                 (dir / "profile").string(),
                                                 "import",
                                                 "trackinfo",
                                                 sample("trackinfo_sample.txt"),
                                                 "--race-file",
                                                 (paths.dataDir() / "t.rac").string()};
    ASSERT_EQ(runCli(importArgs).exitCode, 0);

    struct Case {
        std::vector<std::string> args;
        const char* label;
    } cases[] = {
        {{"update-styles"}, "Updating running style, please wait..."},
        {{"process", (paths.dataDir() / "t.rac").string()}, "Processing, please wait..."},
        {{"zero-counters"}, "Zeroing all Starts, 1sts, 2nds and 3rds, please wait..."},
        {{"delete-race-data", "--before", "2000-01-01"}, "Deleting, please wait..."},
        {{"delete-dogs", "--not-raced-since", "2000-01-01"}, "Deleting, please wait..."},
        // The report written by the process case above is the file visited.
        {{"delete-results", "--before", "2000-01-01"}, "Deleting, please wait..."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--app-dir",     (dir / "app").string(),
                                         "--profile-dir", (dir / "profile").string(),
                                         "--today",       "2026-12-08"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CliResult quiet = runCli(args);
        EXPECT_EQ(quiet.exitCode, 0) << c.args[0] << ": " << quiet.err;
        EXPECT_EQ(quiet.err, "") << c.args[0];

        const CliResult shown = runCliOnTerminal(args);
        EXPECT_EQ(shown.exitCode, 0) << c.args[0] << ": " << shown.err;
        EXPECT_EQ(shown.err.rfind(std::string("\r") + c.label + " ", 0), 0u)
            << c.args[0] << ": " << shown.err;
        EXPECT_NE(shown.err.find(std::string("\r") + c.label + " 100%\n"), std::string::npos)
            << c.args[0] << ": " << shown.err;
        // What the command prints on stdout is the same either way.
        EXPECT_EQ(shown.out.substr(0, 20), quiet.out.substr(0, 20)) << c.args[0];
    }
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST(CliRoad, ARecentDeletionDateIsAskedOnTheTerminal) {
    struct Case {
        const char* answer;
        int exitCode;
        bool deleted;
    } cases[] = {{"y\n", 0, true}, {"n\n", 1, false}, {"\n", 1, false}};
    for (const Case& c : cases) {
        TempDir dir;
        const base::AppPaths paths = makeAppFolder(dir.path());
        ASSERT_EQ(run(dir, {"import", "rosnet", sample("rosnet_sample.txt"), "--race-file",
                            (paths.dataDir() / "r.rac").string()})
                      .exitCode,
                  0);
        const auto lines = [&] {
            return store::DogDatabase(paths.dogDatabase(), store::OpenMode::ReadOnly)
                .raceLineCount();
        };
        const std::int64_t before = lines();
        const CliResult r = runCliOnTerminal(
            {"--app-dir", (dir / "app").string(), "--profile-dir", (dir / "profile").string(),
             "--today", "2026-12-08", "delete-race-data", "--before", "2026-12-01"},
            c.answer);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.answer << r.err;
        EXPECT_NE(r.err.find("Are you sure you want to delete all race data before 12/1/2026? "
                             "[y/N] "),
                  std::string::npos)
            << r.err;
        if (c.deleted) {
            EXPECT_LT(lines(), before);
            EXPECT_NE(r.out.find("Finished deleting race data before 12/1/2026.\n"),
                      std::string::npos)
                << r.out;
        } else {
            EXPECT_EQ(lines(), before);
            EXPECT_NE(r.err.find("Nothing was deleted.\n"), std::string::npos) << r.err;
        }
    }
}

}  // namespace
}  // namespace vz::test
