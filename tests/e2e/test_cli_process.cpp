// Processing as a user runs it: a card whose report was worked out by hand,
// a card naming unknown dogs, and the ways a run can fail.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/e2e/hand_card.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

fs::path expectedFile(const char* name) {
    return sourceDir() / "tests" / "e2e" / "data" / name;
}

TEST(CliProcess, TheHandWorkedCardGivesItsReportByteForByte) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    addHandCardDogs(paths);
    writeHandCard(paths, paths.dataDir() / "Hand Card.rac");
    const CliResult r = runCliIn(dir.path(), {"--today", "2026-12-08", "process",
                                              (paths.dataDir() / "Hand Card.rac").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path report = paths.resultsDir() / "Hand Card - Results.txt";
    EXPECT_EQ(r.out, report.string() + "\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(readText(report), readText(expectedFile("Hand Card - Results.txt")));
    EXPECT_FALSE(fs::exists(paths.errorReport()));
}

TEST(CliProcess, ARunAgainReplacesTheReportAndAReadOnlyDogDatabaseIsEnough) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    addHandCardDogs(paths);
    const fs::path card = paths.dataDir() / "Hand Card.rac";
    writeHandCard(paths, card);
    const fs::path report = paths.resultsDir() / "Hand Card - Results.txt";
    writeText(report, "an older report\r\n");
    // Processing only reads the dog database.
    ASSERT_EQ(::chmod(paths.dogDatabase().c_str(), 0444), 0);
    const CliResult r = runCliIn(dir.path(), {"--today", "2026-12-08", "process", card.string()});
    ::chmod(paths.dogDatabase().c_str(), 0644);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readText(report), readText(expectedFile("Hand Card - Results.txt")));
}

TEST(CliProcess, DogsMissingFromTheDogDatabaseGiveTheErrorReportAndExitThree) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    addHandCardDogs(paths);
    const fs::path card = paths.dataDir() / "Card 12.rac";
    makeRaceFile(card);
    {
        store::RaceFile file(card);
        const base::Date day{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{7}};
        struct Entry {
            int race;
            int post;
            const char* name;
        } entries[] = {
            {3, 1, "Rail Rocket"},  {3, 2, "  wide boy "}, {3, 3, "Middle Man"},
            {3, 4, "Steady Eddie"}, {3, 5, "Fast Lady"},   {4, 1, "Late Lou"},
            {4, 2, "Fast Lady"},    {4, 3, "No Time Ned"}, {4, 4, "Fresh Face"},
            {4, 5, "Slow Sam "},
        };
        for (int race : {3, 4}) {
            base::Race r;
            r.RaceNum = race;
            r.RaceDate = day;
            r.Grade = "B";
            r.Distance = "S";
            file.addRace(r);
        }
        for (const Entry& e : entries) {
            base::Post p;
            p.RaceDate = day;
            p.RaceNum = e.race;
            p.Post = e.post;
            p.RegName = e.name;
            file.addPost(p);
        }
    }
    writeText(paths.errorReport(), "an older report\r\n");
    const CliResult r = runCliIn(dir.path(), {"--today", "2026-12-08", "process", card.string()});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(r.out, paths.errorReport().string() + "\n");
    EXPECT_NE(r.err.find("not in the dog database"), std::string::npos) << r.err;
    // Names are found whatever their letter case and surrounding blanks; a
    // dog missing twice is listed twice; the name is written as the card has it.
    EXPECT_EQ(readText(paths.errorReport()),
              "Errors occurred when processing Card 12.rac\r\n"
              "Correct the following and try processing again.\r\n"
              " \r\n"
              "The following dogs are not in your main database: \r\n"
              " \r\n"
              "     Fast Lady, 12/7/2026 race 3, post 5\r\n"
              "     Fast Lady, 12/7/2026 race 4, post 2\r\n"
              "     Slow Sam , 12/7/2026 race 4, post 5\r\n"
              " \r\n"
              " \r\n"
              "End of Error Report\r\n");
    EXPECT_FALSE(fs::exists(paths.resultsDir() / "Card 12 - Results.txt"));
}

TEST(CliProcess, FailuresSayWhyAndLeaveNoReport) {
    struct Case {
        const char* name;
        // Prepares the folder; returns the race file to process.
        std::function<fs::path(const base::AppPaths&)> prepare;
        std::string expectedErr;  // with {card} and {results} for the paths
    } cases[] = {
        {"a race file that is not a database",
         [](const base::AppPaths& p) {
             writeText(p.dataDir() / "Notes.rac", "Race 1: pick the 4\r\n");
             return p.dataDir() / "Notes.rac";
         },
         "Error - unable to process race\nThe race file {card} is not a database. 3000\n"},
        {"an empty name", [](const base::AppPaths&) { return fs::path(); },
         "Error - unable to process race\nThe name of the race file to process is empty: name a "
         "race file (.rac). 52\n"},
        {"a race file that does not exist",
         [](const base::AppPaths& p) { return p.dataDir() / "Gone.rac"; },
         "Error - unable to process race\nThe race file {card} does not exist.\nRace files are "
         "kept in the application folder's Data folder: "},
        {"a race file without races",
         [](const base::AppPaths& p) {
             makeRaceFile(p.dataDir() / "Empty.rac");
             return p.dataDir() / "Empty.rac";
         },
         "Error - unable to process race\nThe race file Empty.rac has no races. 3021\n"},
        {"a Results that is a file, not a folder",
         [](const base::AppPaths& p) {
             fs::remove_all(p.resultsDir());
             writeText(p.resultsDir(), "");
             writeHandCard(p, p.dataDir() / "Hand Card.rac");
             return p.dataDir() / "Hand Card.rac";
         },
         "Cannot create the folder {results}: Not a directory - 76\n"
         "Error - unable to process race\nThe results report {results}/Hand Card - Results.txt "
         "cannot be written: {results} is not a folder. 76\n"},
        {"a report that cannot be written (a folder of its name)",
         [](const base::AppPaths& p) {
             fs::create_directories(p.resultsDir() / "Hand Card - Results.txt");
             writeHandCard(p, p.dataDir() / "Hand Card.rac");
             return p.dataDir() / "Hand Card.rac";
         },
         "Error - unable to process race\nThe results report {results}/Hand Card - Results.txt "
         "cannot be replaced: a folder of that name is in the way. 70\n"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const base::AppPaths paths = makeAppFolder(dir.path());
        addHandCardDogs(paths);
        const fs::path card = c.prepare(paths);
        const CliResult r =
            runCliIn(dir.path(), {"--today", "2026-12-08", "process", card.string()});
        EXPECT_EQ(r.exitCode, 1) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "") << c.name;
        std::string expected = c.expectedErr;
        for (const auto& [key, value] :
             {std::pair<std::string, std::string>{"{card}", card.string()},
              {"{results}", paths.resultsDir().string()}}) {
            for (std::size_t at; (at = expected.find(key)) != std::string::npos;) {
                expected.replace(at, key.size(), value);
            }
        }
        EXPECT_EQ(r.err.substr(0, expected.size()), expected) << c.name;
        EXPECT_FALSE(fs::exists(paths.errorReport())) << c.name;
        std::error_code ec;
        if (fs::is_directory(paths.resultsDir(), ec)) {
            for (const fs::directory_entry& e : fs::directory_iterator(paths.resultsDir())) {
                EXPECT_TRUE(e.is_directory()) << c.name << ": " << e.path();
            }
        }
    }
}

}  // namespace
}  // namespace vz::test
