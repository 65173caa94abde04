#include <algorithm>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

struct SampleCase {
    const char* format;
    const char* file;
    long dogs, lines, duplicates, races, posts;
    long schoolingLines;  // stored as grade L, no start
    base::Date cardDate;
};

class SampleTest : public ImportFixture, public ::testing::WithParamInterface<SampleCase> {
  protected:
    long totalStarts() {
        long n = 0;
        for (const auto& d : dogs().dogs()) {
            n += d.NumStarts.value_or(0);
        }
        return n;
    }
    std::vector<base::RaceLine> allLines() {
        std::vector<base::RaceLine> out;
        for (const auto& d : dogs().dogs()) {
            auto ls = lines(d.RegName);
            out.insert(out.end(), ls.begin(), ls.end());
        }
        return out;
    }
};

TEST_P(SampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    const SampleCase& c = GetParam();
    const auto file = sourceDir() / "tests" / "e2e" / "data" / "samples" / c.file;
    const auto first = importFiles(c.format, {file});
    EXPECT_EQ(first.dogsAdded, c.dogs);
    EXPECT_EQ(first.linesAdded, c.lines);
    EXPECT_EQ(first.duplicatesSkipped, c.duplicates);
    EXPECT_EQ(first.racesWritten, c.races);
    EXPECT_EQ(first.postsWritten, c.posts);
    EXPECT_EQ(first.linesWithoutDog, 0);
    EXPECT_EQ(first.linesWithoutDate, 0);
    EXPECT_EQ(dogs().dogCount(), c.dogs);
    EXPECT_EQ(dogs().raceLineCount(), c.lines);
    EXPECT_EQ(totalStarts(), c.lines - c.schoolingLines);
    const auto rs = races();
    EXPECT_EQ(static_cast<long>(rs.size()), c.races);
    for (const auto& r : rs) {
        EXPECT_EQ(r.RaceDate, c.cardDate);
    }
    const auto ps = posts();
    EXPECT_EQ(static_cast<long>(ps.size()), c.posts);
    // Every runner of the card is a dog of the database.
    for (const auto& p : ps) {
        EXPECT_TRUE(dog(*p.RegName)) << *p.RegName;
    }
    const auto ls = allLines();
    EXPECT_EQ(std::count_if(ls.begin(), ls.end(), [](const auto& l) { return l.Grade == "L"; }),
              c.schoolingLines);

    const auto before = dogs().dogs();
    const auto again = importFiles(c.format, {file});
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, c.lines + c.duplicates);
    EXPECT_EQ(again.racesWritten, c.races);
    EXPECT_EQ(again.postsWritten, c.posts);
    EXPECT_EQ(dogs().dogs(), before);  // no start counted twice
    EXPECT_EQ(dogs().raceLineCount(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest,
                         ::testing::Values(SampleCase{"trackinfo", "trackinfo_sample.txt", 96, 766,
                                                      2, 12, 96, 2, ymd(2026, 12, 8)},
                                           SampleCase{"rosnet", "rosnet_sample.txt", 104, 815, 3,
                                                      13, 104, 2, ymd(2026, 12, 9)}),
                         [](const auto& p) { return std::string(p.param.format); });

class TrackInfoSampleTest : public ImportFixture {};

TEST_F(TrackInfoSampleTest, AwkwardLinesAreStoredAsTheLayoutSays) {
    importFiles("trackinfo",
                {sourceDir() / "tests" / "e2e" / "data" / "samples" / "trackinfo_sample.txt"});
    // Names with a quote, an accent (the file is Windows-1252) and an apostrophe.
    for (const char* name : {"Blue \"Ace\" Comet", "Caf\xC3\xA9 Noir", "O'Malley's Pride"}) {
        const auto d = dog(name);
        ASSERT_TRUE(d) << name;
        EXPECT_EQ(d->RunningStyle, "M");
        EXPECT_GE(lines(name).size(), 6u) << name;
    }
    std::vector<base::RaceLine> ls;
    for (const auto& d : dogs().dogs()) {
        auto x = lines(d.RegName);
        ls.insert(ls.end(), x.begin(), x.end());
    }
    const auto has = [&](auto pred) { return std::any_of(ls.begin(), ls.end(), pred); };
    EXPECT_TRUE(has([](const auto& l) { return l.Finish == 2 && l.FinishLength == 11; }));
    EXPECT_TRUE(has([](const auto& l) { return l.Finish == 9 && l.FinishLength == 99; }));
    EXPECT_TRUE(has([](const auto& l) { return l.FinishTime == 9999; }));
    EXPECT_TRUE(has([](const auto& l) { return l.Grade == "BT"; }));
    for (const char* cls : {"S", "L", "R"}) {
        EXPECT_TRUE(has([&](const auto& l) { return l.Distance == cls; })) << cls;
    }
    const auto rs = races();
    EXPECT_TRUE(std::any_of(rs.begin(), rs.end(), [](const auto& r) { return r.Grade == "CT"; }));
    EXPECT_TRUE(std::any_of(rs.begin(), rs.end(), [](const auto& r) { return r.Grade == "M"; }));
}

}  // namespace
}  // namespace vz::test
