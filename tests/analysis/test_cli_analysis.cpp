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

    // Six dogs in two races of one day, then again a week later: the second
    // day's race rates, the first has no earlier lines but rates too.
    void SetUp() override {
        store::DogDatabase db(paths.dogDatabase());
        addDogs(db, {"A", "B", "C", "D", "E"});
        for (int week = 0; week < 2; ++week) {
            addRace(db, {day(2026, 3, 1 + 7 * week), 1},
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

// A test period from the second week: one race in each period, the two
// printed together.
TEST_F(CliAnalysis, BacktestPrintsBothPeriods) {
    const CliResult r = run({"backtest", "--test-from", "2026-03-08"});
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
    // Header and ten dogs.
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
