// Win chances on the results report: process --win-chances with a model of
// the post inputs alone, so every chance is worked by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "core/analysis/win_model.h"
#include "core/base/fileio.h"
#include "tests/e2e/cli_runner.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::analysis {
namespace {

namespace fs = std::filesystem;

class WinReport : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());
    fs::path card = paths.dataDir() / test::kSampleTitle;

    void SetUp() override { test::makeSampleCard(paths, card); }

    // Post 2 at ln 2, post 8 at ln 3, every other post 0.
    void writeModel() {
        WinModel m;
        m.groups = {InputGroup::Post};
        for (const std::string& n : inputNames(m.groups)) {
            m.inputs.push_back({n, true,
                                n == "Post2"   ? std::log(2.0)
                                : n == "Post8" ? std::log(3.0)
                                               : 0.0,
                                0.1});
        }
        m.races = 600;
        m.firstDay = test::ymd(2026, 1, 5);
        m.lastDay = test::ymd(2026, 6, 30);
        saveModel(modelFile(paths.appDir), m);
    }

    std::string report() {
        return base::readFile(paths.resultsDir() / "Sample Card - Results.txt");
    }
};

// Race 1, posts 1 to 8: weights 1 2 1 1 1 1 1 3 (sum 11): post 8 3/11 =
// 27.3%, fair 8/3 = 2.67; post 2 2/11 = 18.2%, fair 4.50; post 1 1/11 =
// 9.1%, fair 10.00. The widest line of the race (No Record's alerts, 27
// letters after the 55 places of the points) sets where the columns start.
// Race 2, posts 1 to 5: weights 1 2 1 1 1 (sum 6): post 2 33.3%, fair 2.00;
// its widest alerts hold 51 letters.
TEST_F(WinReport, ColumnsAtTheRightAndTheModelNamedUnderEachRace) {
    writeModel();
    const test::CliResult r = test::runCliIn(
        root.path(), {"--today", "2026-12-07", "process", card.string(), "--win-chances"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string text = report();
    const std::string points = "16   3   3    4    3    3    0  ";
    struct Row {
        std::string line;
    };
    for (const Row& row : std::vector<Row>{
             {"PP Dog              Score Cla Rec AvSp Last EaSp LaSp  Alerts" +
              std::string(21, ' ') + "   Win%   Fair\r\n"},
             {" 8 Eight Ball          " + points + std::string(27, ' ') + "   27.3   2.67\r\n"},
             {" 2 Wide Willow          3   2   1    0    0    0    0  " + std::string(27, ' ') +
              "   18.2   4.50\r\n"},
             {" 1 Rail Rocket         16   4   4    2    2    4    0  Break Adv - Must Play" +
              std::string(6, ' ') + "    9.1  10.00\r\n"},
             {" 2 Extraordinarily     14   2   2    3    3    3    1  " + std::string(51, ' ') +
              "   33.3   2.00\r\n"},
             {" 5 Slow Sam             1   1   0    0    0    0    0  " + std::string(27, ' ') +
              "    9.1  10.00\r\nWin% and Fair from the model WinChances.json (600 races, "
              "2026-01-05 to 2026-06-30)\r\n\r\nSpeed Gap between 1 and 3\r\n"},
         }) {
        EXPECT_NE(text.find(row.line), std::string::npos) << row.line << "\n" << text;
    }
}

TEST_F(WinReport, WithoutAModelFileNothingIsWritten) {
    const test::CliResult r =
        test::runCliIn(root.path(), {"process", card.string(), "--win-chances"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(modelFile(paths.appDir).string()), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(paths.resultsDir() / "Sample Card - Results.txt"));
}

}  // namespace
}  // namespace vz::analysis
