// The terminal tool's check and backtest commands, through the built program.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/store/dog_database.h"
#include "tests/analysis/history.h"
#include "tests/e2e/cli_runner.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

class CliAnalysis : public ::testing::Test {
  protected:
    TempDir root;
    base::AppPaths paths = makeAppFolder(root.path());

    // Five dogs in a race, then again each week for two weeks: the first
    // race is skipped (no dog has an earlier line), the other two rate.
    void SetUp() override {
        store::DogDatabase db(paths.dogDatabase());
        addDogs(db, {"A", "B", "C", "D", "E"});
        for (int week = 0; week < 3; ++week) {
            addRace(db, {ymd(2026, 3, 1 + 7 * week), 1},
                    {{"A", 1, 1, 2.0}, {"B", 2, 2}, {"C", 3, 3}, {"D", 4, 4}, {"E", 5, 5}});
        }
    }

    CliResult run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--today", "2026-12-07"});
        return runCliIn(root.path(), args);
    }
};

TEST_F(CliAnalysis, BacktestPrintsItsSummaryAndWritesTheReport) {
    const CliResult r = run({"backtest"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path report = paths.resultsDir() / "Backtest - Results.txt";
    EXPECT_NE(r.out.find("Races rated                                              2\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Report: " + report.string() + "\n"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists(report));
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
}

// A test period from the third week: one race rated in each period, the two
// printed together.
TEST_F(CliAnalysis, BacktestPrintsBothPeriods) {
    const CliResult r = run({"backtest", "--test-from", "2026-03-15"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\nAll races       Development          1 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\n                Test                 1 "), std::string::npos) << r.out;
}

TEST_F(CliAnalysis, BacktestShowsProgressOnATerminal) {
    const CliResult r = runCliOnTerminal({"--app-dir", (root / "app").string(), "--profile-dir",
                                          (root / "profile").string(), "backtest"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Backtesting, please wait... 100%"), std::string::npos) << r.err;
}

TEST_F(CliAnalysis, BacktestRefusesOptionsItCannotUse) {
    const std::vector<std::vector<std::string>> cases = {
        {"backtest", "--distance", "X"},
        {"backtest", "--from", "2026-13-01"},
        {"backtest", "--from", "2026-03-09", "--to", "2026-03-01"},
        {"backtest", "--min-field", "0"},
        {"backtest", "--test-from", "2026-02-30"},
        {"backtest", "--commission", "100"},
    };
    for (const auto& args : cases) {
        const CliResult r = run(args);
        EXPECT_EQ(r.exitCode, 2) << args[1] << ": " << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(paths.resultsDir() / "Backtest - Results.txt"));
}

// What the terminal says when a command cannot do its work; the backtest's
// last report stays as it was.
TEST_F(CliAnalysis, MessagesSayWhatWentWrong) {
    const fs::path report = paths.resultsDir() / "Backtest - Results.txt";
    writeText(report, "the last report");
    const std::string noRac = (root / "Nope.rac").string();
    const std::string hint = "\nRace files are kept in the application folder's Data folder: " +
                             paths.dataDir().string() + "\n";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"backtest", "--from", "2026-11-31"}, 2, "--from: 2026-11-31 is an impossible date\n"},
        {{"backtest", "--from", "1/3/2026"},
         2,
         "--from: not a date in the form YYYY-MM-DD: 1/3/2026\n"},
        // The three races are in March.
        {{"backtest", "--from", "2026-04-01"},
         1,
         "No race was chosen: none of the 3 races the lines rebuild is within the dates, grade "
         "and distance asked for. The last report is kept.\n"},
        {{"check", noRac}, 1, "The race file " + noRac + " does not exist." + hint},
        {{"process", noRac},
         1,
         "Error - unable to process race\nThe race file " + noRac + " does not exist." + hint},
    };
    for (const auto& c : cases) {
        const CliResult r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args[0] << " " << c.args[1];
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(readText(report), "the last report");
}

// The next week's TrackInfo sample holds the results of every race of the
// TrackInfo sample card in its past lines: the check finds all twelve.
TEST_F(CliAnalysis, TheResultsSampleGivesTheCheckEveryRace) {
    const fs::path samples = sourceDir() / "data" / "samples";
    const fs::path card = paths.dataDir() / "Card.rac";
    for (const auto& [file, raceFile] :
         {std::pair{"trackinfo_sample.txt", card}, {"trackinfo_results.txt", root / "Next.rac"}}) {
        const CliResult r = run(
            {"import", "trackinfo", (samples / file).string(), "--race-file", raceFile.string()});
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    const CliResult r = run({"check", card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Races on the card                                       12\n"
                         "Races with results                                      12\n"),
              std::string::npos)
        << r.out;
}

// The CSV is the user's file: an existing one is replaced only when asked.
TEST_F(CliAnalysis, BacktestAsksBeforeReplacingTheCsv) {
    const fs::path csv = root / "mine.csv";
    writeText(csv, "keep me");
    const CliResult refused = run({"backtest", "--csv", csv.string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("give --overwrite"), std::string::npos) << refused.err;
    EXPECT_EQ(readText(csv), "keep me");

    const CliResult replaced =
        run({"backtest", "--distance", "s", "--csv", csv.string(), "--overwrite"});
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    const std::string rows = readText(csv);
    EXPECT_EQ(rows.substr(0, 10), "Date,Race,");
    // Header and the five dogs of each of the two races rated.
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 11);
}

TEST_F(CliAnalysis, CheckPrintsTheCardsTallies) {
    const fs::path card = root / "Sample Card.rac";
    makeSampleCard(paths, card);
    const CliResult r = run({"check", card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Races on the card                                        3\n"
                         "Races with results                                       0\n"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(fs::exists(paths.resultsDir() / "Sample Card - Results Check.txt"));

    const CliResult missing = run({"check", (root / "None.rac").string()});
    EXPECT_EQ(missing.exitCode, 1);
}

}  // namespace
}  // namespace vz::test
