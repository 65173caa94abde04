#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/base/error.h"
#include "core/processing/run.h"
#include "core/store/dog_database.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::processing {
namespace {

namespace fs = std::filesystem;
using test::ymd;

std::string expectedSample() {
    return test::readText(test::sourceDir() / "tests/processing/data/Sample Card - Results.txt");
}

class RunTest : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());

    RunRequest request(const fs::path& raceFile, const std::string& title) const {
        RunRequest r;
        r.paths = paths;
        r.raceFile = raceFile;
        r.raceFileTitle = title;
        r.today = ymd(2026, 12, 7);
        return r;
    }

    // A race file with the given posts (date 12/7/2026), every race in it.
    fs::path card(const std::string& name,
                  const std::vector<std::tuple<int, int, std::optional<std::string>>>& posts,
                  std::vector<int> races = {}) {
        const fs::path file = root / name;
        test::makeRaceFile(file);
        store::RaceFile f(file);
        if (races.empty()) {
            for (const auto& [race, post, dog] : posts) {
                if (std::find(races.begin(), races.end(), race) == races.end()) {
                    races.push_back(race);
                }
            }
        }
        for (int r : races) {
            base::Race race;
            race.RaceDate = ymd(2026, 12, 7);
            race.RaceNum = r;
            race.Grade = "C";
            race.Distance = "S";
            f.addRace(race);
        }
        for (const auto& [race, post, dog] : posts) {
            base::Post p;
            p.RaceDate = ymd(2026, 12, 7);
            p.RaceNum = race;
            p.Post = post;
            p.RegName = dog;
            f.addPost(p);
        }
        return file;
    }

    void addDogs(const std::vector<std::string>& names) {
        store::DogDatabase db(paths.dogDatabase());
        for (const std::string& n : names) {
            test::addDog(db, n, "M");
            db.addRaceLine(test::line(n, ymd(2026, 12, 1), "S", "B", 3050, 2, 2, 2, 2));
        }
    }

    std::string failure(const RunRequest& r) {
        try {
            processRaceFile(r);
        } catch (const Error& e) {
            return e.what();
        }
        return "(no error)";
    }
};

TEST_F(RunTest, SampleCardMatchesTheExpectedReport) {
    const fs::path file = root / "Sample Card.rac";
    test::makeSampleCard(paths, file);
    test::writeText(paths.errorReport(), "old");  // from an earlier run

    std::vector<std::pair<int, int>> progress;
    RunRequest r = request(file, test::kSampleTitle);
    r.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    const RunOutcome out = processRaceFile(r);

    EXPECT_EQ(out.kind, RunOutcome::Kind::Report);
    EXPECT_EQ(out.file, paths.resultsDir() / "Sample Card - Results.txt");
    EXPECT_EQ(test::readText(out.file), expectedSample());
    EXPECT_FALSE(fs::exists(paths.errorReport()));
    // Only the report: no temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(paths.resultsDir()), fs::directory_iterator()),
              1);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));

    // A second run replaces the report.
    test::writeText(out.file, "stale");
    processRaceFile(r);
    EXPECT_EQ(test::readText(out.file), expectedSample());
}

TEST_F(RunTest, MissingDogsGiveTheErrorReportOnly) {
    addDogs({"Known"});
    const fs::path file = card("Card 12.rac", {{3, 5, "Fast Lady"},
                                               {3, 1, " Known "},
                                               {4, 2, "Fast Lady "},
                                               {4, 3, "   "},
                                               {4, 4, std::nullopt}});
    const RunOutcome out = processRaceFile(request(file, "Card 12.rac"));
    EXPECT_EQ(out.kind, RunOutcome::Kind::DogsMissing);
    EXPECT_EQ(out.file, paths.errorReport());
    EXPECT_EQ(test::readText(out.file),
              "Errors occurred when processing Card 12.rac\r\n"
              "Correct the following and try processing again.\r\n"
              " \r\n"
              "The following dogs are not in your main database: \r\n"
              " \r\n"
              "     Fast Lady, 12/7/2026 race 3, post 5\r\n"
              "     Fast Lady , 12/7/2026 race 4, post 2\r\n"
              " \r\n"
              " \r\n"
              "End of Error Report\r\n");
    EXPECT_TRUE(fs::is_empty(paths.resultsDir()));
}

TEST_F(RunTest, ResultsNameIgnoresLetterCase) {
    addDogs({"A", "B"});
    struct Case {
        std::string title;
        std::string report;
    };
    for (const Case& c :
         {Case{"CARD.RAC", "CARD - Results.txt"}, Case{"a.rac.rac", "a - Results.txt"},
          Case{"Tuesday.Rac", "Tuesday - Results.txt"},
          Case{"NoExtension", "NoExtension - Results.txt"}}) {
        const fs::path file = card(c.title, {{1, 1, "A"}, {1, 2, "B"}});
        const RunOutcome out = processRaceFile(request(file, c.title));
        EXPECT_EQ(out.file.filename().string(), c.report);
        EXPECT_TRUE(fs::exists(out.file)) << c.title;
    }
}

TEST_F(RunTest, CardsThatCannotBeRatedNameTheRace) {
    addDogs({"A", "B"});
    struct Case {
        const char* what;
        fs::path file;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no races", card("empty.rac", {}), "The race file x.rac has no races."},
        {"a race without a dog", card("nodog.rac", {{1, 1, "A"}}, {1, 2}),
         "There is no dog in race 2 of 12/7/2026."},
        {"only blank names", card("blank.rac", {{1, 1, "  "}, {1, 2, std::nullopt}}),
         "There is no dog in race 1 of 12/7/2026."},
        {"a post held twice", card("twice.rac", {{1, 1, "A"}, {1, 1, "B"}}),
         "Post 1 of race 1 of 12/7/2026 holds more than one dog."},
        {"post 0", card("range.rac", {{1, 0, "A"}}),
         "The dog A in race 1 of 12/7/2026 has no post number of 1 or more."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(failure(request(c.file, "x.rac")), c.message) << c.what;
        EXPECT_TRUE(fs::is_empty(paths.resultsDir())) << c.what;
        EXPECT_FALSE(fs::exists(paths.errorReport())) << c.what;
    }
}

TEST_F(RunTest, APostBeyondTheRaceTablesEndsTheRun) {
    // The tables of a race reach four posts past its named dogs, and post 8
    // at least: 4 dogs reach 8, 5 dogs 9, 3 dogs 8.
    addDogs({"A", "B", "C", "D", "E"});
    struct Case {
        const char* what;
        std::vector<std::tuple<int, int, std::optional<std::string>>> posts;
        std::string message;  // empty: rated
    };
    const std::vector<Case> cases = {
        {"four dogs, post 9",
         {{1, 1, "A"}, {1, 2, "B"}, {1, 3, "C"}, {1, 9, "D"}},
         "Post 9 of race 1 of 12/7/2026 (D) is outside the race's posts 1 to 8."},
        {"five dogs, post 9",
         {{1, 1, "A"}, {1, 2, "B"}, {1, 3, "C"}, {1, 4, "D"}, {1, 9, "E"}},
         ""},
        {"five dogs, post 10",
         {{1, 1, "A"}, {1, 2, "B"}, {1, 3, "C"}, {1, 4, "D"}, {1, 10, "E"}},
         "Post 10 of race 1 of 12/7/2026 (E) is outside the race's posts 1 to 9."},
        {"three dogs at 1, 5 and 8", {{1, 1, "A"}, {1, 5, "B"}, {1, 8, "C"}}, ""},
        {"empty boxes do not count",
         {{1, 1, "A"}, {1, 2, "B"}, {1, 3, "C"}, {1, 4, "  "}, {1, 5, std::nullopt}, {1, 9, "D"}},
         "Post 9 of race 1 of 12/7/2026 (D) is outside the race's posts 1 to 8."},
        {"a dog in box 16 of a race of nine",
         [] {
             std::vector<std::tuple<int, int, std::optional<std::string>>> ps;
             for (int p = 1; p <= 8; ++p) {
                 ps.emplace_back(2, p, std::string(1, static_cast<char>('A' + (p - 1) % 5)));
             }
             ps.emplace_back(2, 16, "A");
             return ps;
         }(),
         "Post 16 of race 2 of 12/7/2026 (A) is outside the race's posts 1 to 13."},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string name = "bound" + std::to_string(++n) + ".rac";
        const RunRequest r = request(card(name, c.posts), name);
        if (c.message.empty()) {
            EXPECT_EQ(processRaceFile(r).kind, RunOutcome::Kind::Report) << c.what;
        } else {
            EXPECT_EQ(failure(r), c.message) << c.what;
            EXPECT_FALSE(fs::exists(paths.resultsFile(name))) << c.what;
        }
    }
}

TEST_F(RunTest, AMissingDogIsReportedBeforeAPostBeyondTheTables) {
    addDogs({"A", "B", "C", "D"});
    const fs::path file =
        card("both.rac",
             {{1, 1, "A"}, {1, 2, "Nobody"}, {2, 1, "A"}, {2, 2, "B"}, {2, 3, "C"}, {2, 9, "D"}});
    const RunOutcome out = processRaceFile(request(file, "both.rac"));
    EXPECT_EQ(out.kind, RunOutcome::Kind::DogsMissing);
    EXPECT_NE(test::readText(paths.errorReport()).find("     Nobody, 12/7/2026 race 1, post 2\r\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(paths.resultsFile("both.rac")));
}

TEST_F(RunTest, MissingPositionNamesTheDogAndDate) {
    {
        store::DogDatabase db(paths.dogDatabase());
        test::addDog(db, "Holey", "M");
        base::RaceLine l = test::line("Holey", ymd(2026, 11, 3), "S", "B", 3050, 2, 2, 2, 2);
        l.Stretch.reset();
        db.addRaceLine(l);
    }
    const fs::path file = card("c.rac", {{1, 1, "Holey"}});
    EXPECT_EQ(failure(request(file, "c.rac")),
              "The race line of Holey of 11/3/2026 has no stretch position.");
    EXPECT_TRUE(fs::is_empty(paths.resultsDir()));
}

TEST_F(RunTest, SmallRacesAndGapsAreRated) {
    addDogs({"Solo", "Left", "Right"});
    const fs::path file = card("small.rac", {{1, 1, "Solo"}, {2, 2, "Left"}, {2, 7, "Right"}});
    const RunOutcome out = processRaceFile(request(file, "small.rac"));
    const std::string text = test::readText(out.file);
    // A lone dog takes the top points of every figure.
    EXPECT_NE(text.find(" 1 Solo                23   4   4    4    4    5    2  Must Play\r\n"
                        "\r\nInclude the 1\r\n"),
              std::string::npos)
        << text;
    // Equal dogs in posts 2 and 7: the first in post order takes the points,
    // the second is in the last position.
    EXPECT_NE(text.find(" 2 Left                23   4   4    4    4    5    2  Must Play"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(" 7 Right                0   0   0    0    0    0    0  "),
              std::string::npos)
        << text;
}

TEST_F(RunTest, DogNamesWithQuotesAndOtherCase) {
    addDogs({"Say \"When\"", "Mixed Case"});
    const fs::path file = card("q.rac", {{1, 1, "say \"when\""}, {1, 2, " MIXED CASE"}});
    const RunOutcome out = processRaceFile(request(file, "q.rac"));
    ASSERT_EQ(out.kind, RunOutcome::Kind::Report);
    const std::string text = test::readText(out.file);
    EXPECT_NE(text.find(" 1 say \"when\"          23"), std::string::npos) << text;
    EXPECT_NE(text.find(" 2  MIXED CASE          0"), std::string::npos) << text;
}

TEST_F(RunTest, PageBreaksAfterRacesTwoAndFour) {
    addDogs({"A", "B"});
    const fs::path file = card("five.rac", {{1, 1, "A"},
                                            {1, 2, "B"},
                                            {2, 1, "A"},
                                            {2, 2, "B"},
                                            {3, 1, "A"},
                                            {3, 2, "B"},
                                            {4, 1, "A"},
                                            {4, 2, "B"},
                                            {5, 1, "A"},
                                            {5, 2, "B"}});
    const std::string text = test::readText(processRaceFile(request(file, "five.rac")).file);
    std::vector<std::string> before;  // the two lines before each star line pair
    std::size_t at = 0;
    int breaks = 0;
    while ((at = text.find("\r\n\f\r\n", at)) != std::string::npos) {
        ++breaks;
        at += 4;
    }
    EXPECT_EQ(breaks, 2);
    const std::size_t race3 = text.find("RACE # 3 ");
    const std::size_t race5 = text.find("RACE # 5 ");
    const std::size_t firstBreak = text.find('\f');
    const std::size_t lastBreak = text.rfind('\f');
    EXPECT_LT(text.find("RACE # 2 "), firstBreak);
    EXPECT_LT(firstBreak, race3);
    EXPECT_LT(text.find("RACE # 4 "), lastBreak);
    EXPECT_LT(lastBreak, race5);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
}

TEST_F(RunTest, AResultsFolderThatCannotBeWrittenIsNamedWithTheReason) {
    addDogs({"A", "B"});
    const fs::path file = card("c.rac", {{1, 1, "A"}, {1, 2, "B"}});
    const std::string report = (paths.resultsDir() / "c - Results.txt").string();
    const std::string folder = paths.resultsDir().string();
    test::removeWritePermission(paths.resultsDir());
    EXPECT_EQ(test::asOrdinaryUser([&] { return failure(request(file, "c.rac")); }),
              "The results report " + report + " cannot be written: the folder " + folder +
                  " is not writable (permission denied).");
    fs::remove_all(paths.resultsDir());
    EXPECT_EQ(failure(request(file, "c.rac")), "The results report " + report +
                                                   " cannot be written: the folder " + folder +
                                                   " does not exist.");
    EXPECT_FALSE(fs::exists(paths.resultsDir()));
}

TEST_F(RunTest, AnEmptyRaceFileNameIsRefusedInWords) {
    EXPECT_EQ(failure(request(fs::path(), "")),
              "The name of the race file to process is empty: name a race file (.rac).");
}

// Another user of the machine may plant a link where a report's temporary
// file used to go: the run must write its own files only.
TEST_F(RunTest, ALinkWhereATemporaryFileWentIsNotFollowed) {
    addDogs({"A", "B"});
    const fs::path victim = root / "victim.txt";
    test::writeText(victim, "keep me");
    const fs::path links[] = {paths.resultsDir() / ".c - Results.txt.tmp",
                              paths.appDir / ".Error.txt.tmp"};
    for (const fs::path& link : links) {
        fs::create_symlink(victim, link);
    }
    const RunOutcome missing = processRaceFile(request(card("c.rac", {{1, 1, "Nobody"}}), "c.rac"));
    EXPECT_TRUE(test::readText(missing.file).find("     Nobody, 12/7/2026 race 1, post 1") !=
                std::string::npos);
    const RunOutcome rated =
        processRaceFile(request(card("c.rac", {{1, 1, "A"}, {1, 2, "B"}}), "c.rac"));
    EXPECT_EQ(rated.kind, RunOutcome::Kind::Report);
    EXPECT_FALSE(fs::is_symlink(rated.file));
    EXPECT_EQ(test::readText(victim), "keep me");
    for (const fs::path& link : links) {
        EXPECT_TRUE(fs::is_symlink(link)) << link;
    }
}

TEST_F(RunTest, RunsOfOneCardAtOnceAllSucceed) {
    addDogs({"A", "B", "C"});
    const fs::path file = card("c.rac", {{1, 1, "A"}, {1, 2, "B"}, {2, 1, "C"}, {2, 3, "A"}});
    const std::string expected = test::readText(processRaceFile(request(file, "c.rac")).file);
    std::vector<std::string> failures(8);
    {
        std::vector<std::jthread> runs;
        for (std::string& f : failures) {
            runs.emplace_back([&] {
                for (int round = 0; round < 5; ++round) {
                    const std::string why = failure(request(file, "c.rac"));
                    if (why != "(no error)") {
                        f = why;
                    }
                }
            });
        }
    }
    EXPECT_EQ(failures, std::vector<std::string>(8));
    EXPECT_EQ(test::readText(paths.resultsDir() / "c - Results.txt"), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(paths.resultsDir()), fs::directory_iterator()),
              1);
    // The readers closed the dog database cleanly. Runs closing at the same
    // moment may each leave the WAL file to the other (SQLite removes it only
    // when it closes the last connection), so one more open and close: it
    // removes the file unless a run left its connection open.
    { store::DogDatabase last(paths.dogDatabase()); }
    EXPECT_FALSE(fs::exists(paths.dogDatabase().string() + "-wal"));
}

TEST_F(RunTest, DatabaseFaultsAreErrors) {
    RunRequest r = request(root / "nowhere.rac", "nowhere.rac");
    EXPECT_THROW(processRaceFile(r), Error);
    r = request(card("c.rac", {{1, 1, "A"}}), "c.rac");
    fs::remove(paths.dogDatabase());
    EXPECT_THROW(processRaceFile(r), Error);
}

}  // namespace
}  // namespace vz::processing
