#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/trackinfo_text.h"

namespace vz::test {
namespace {

namespace ti = trackinfo;

class TrackInfoTest : public ImportFixture {
  protected:
    std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow",
                       const std::string& grade = "C", const std::string& distance = "5/16") {
        return "Track Handicapper: Lee Marsh          Program Format 2\n" +
               ti::header(4, "12/08/26", grade, distance) + "\n" + ti::afterHeader() +
               ti::entry(6, name) + "\n" + ti::afterEntry() + pastLines;
    }

    // Imports one past line for a new dog and returns the stored line.
    store::RaceLine importPast(const ti::Past& p) {
        const auto s = importText("trackinfo", {oneDog(ti::past(p) + "\n")});
        EXPECT_EQ(s.linesAdded, 1);
        const auto got = lines("Swift Arrow");
        EXPECT_EQ(got.size(), 1u);
        return got.empty() ? store::RaceLine{} : got[0];
    }
};

TEST_F(TrackInfoTest, PastLineFields) {
    ti::Past p;
    p.date = "11/28/26";
    p.race = "12";
    p.distance = "3/8";
    p.winTime = "37.91";
    p.post = "5";
    p.brk = "4";
    p.eighth = "3";
    p.stretch = " 2";
    p.finish = "2-1 1/2";
    p.ownTime = "38.02";
    p.odds = "12.50";
    p.grade = "B";
    const store::RaceLine l = importPast(p);
    EXPECT_EQ(l.RegName, "Swift Arrow");
    EXPECT_EQ(l.RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(l.RaceNum, 12);
    EXPECT_EQ(l.Distance, "L");
    EXPECT_EQ(l.WinningTime, 3791);
    EXPECT_EQ(l.Post, 5);
    EXPECT_EQ(l.Break, 4);
    EXPECT_EQ(l.Eighth, 3);
    EXPECT_EQ(l.Stretch, 2);
    EXPECT_EQ(l.Finish, 2);
    EXPECT_EQ(l.FinishLength, 11);
    EXPECT_EQ(l.FinishTime, 3802);
    EXPECT_EQ(l.Odds, 12.5);
    EXPECT_EQ(l.Grade, "B");
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 1);
    EXPECT_EQ(d->NumSeconds, 1);
}

TEST_F(TrackInfoTest, DistanceOfPastLines) {
    const struct {
        const char* text;
        const char* cls;
    } cases[] = {{"3/8", "L"}, {"660", "L"}, {"7/16", "R"},
                 {"770", "R"}, {"550", "S"}, {"5/16", "S"}};
    std::string text;
    int day = 1;
    for (const auto& c : cases) {
        ti::Past p;
        p.date = "08/0" + std::to_string(day++) + "/26";
        p.distance = c.text;
        text += ti::past(p) + "\n";
    }
    importText("trackinfo", {oneDog(text)});
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Distance, cases[i].cls) << cases[i].text;
    }
}

TEST_F(TrackInfoTest, FinishAndLengths) {
    const struct {
        const char* text;  // from column 48
        int finish;
        double lengths;
    } cases[] = {
        {"2-1 1/2", 2, 11}, {"1-ns", 1, 1},  {"1-nk", 1, 1}, {"3-hd", 3, 1}, {"5-12", 5, 12},
        {"4-OO", 4, 99},    {"8-oo", 8, 99}, {"6-0", 6, 1},  {"", 9, 99},    {"7 -3", 0, 3},
    };
    int day = 1;
    std::string text;
    for (const auto& c : cases) {
        ti::Past p;
        p.date = "10/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/26";
        ++day;
        p.finish = c.text;
        text += ti::past(p) + "\n";
    }
    importText("trackinfo", {oneDog(text)});
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());  // oldest first, as written
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Finish, cases[i].finish) << cases[i].text;
        EXPECT_EQ(got[i].FinishLength, cases[i].lengths) << cases[i].text;
    }
}

TEST_F(TrackInfoTest, OwnTimeAndGradeAndStarts) {
    const struct {
        const char* ownTime;
        const char* grade;
        int storedTime;
        const char* storedGrade;
        bool counted;
    } cases[] = {
        {"30.45", "C", 3045, "C", true},   {"", "C", 9999, "C", true},
        {"31.1", "D", 311, "D", true},     {"30.45", "SA", 3045, "L", false},
        {"30.45", "TB", 3045, "BT", true}, {"30.45", "AA", 3045, "A", true},
        {"30.45", "L", 3045, "L", false},  {"30.45", "M", 3045, "M", true},
        {"30.45", "T", 3045, "T", true},
    };
    std::string text;
    int day = 10;
    for (const auto& c : cases) {
        ti::Past p;
        p.date = "09/" + std::to_string(day++) + "/26";
        p.ownTime = c.ownTime;
        p.grade = c.grade;
        p.finish = "1-2";
        text += ti::past(p) + "\n";
    }
    importText("trackinfo", {oneDog(text)});
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());
    int counted = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].FinishTime, cases[i].storedTime) << i;
        EXPECT_EQ(got[i].Grade, cases[i].storedGrade) << i;
        counted += cases[i].counted ? 1 : 0;
    }
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, counted);
    EXPECT_EQ(dog("Swift Arrow")->NumFirsts, counted);
}

TEST_F(TrackInfoTest, HeaderFields) {
    const struct {
        const char* grade;
        const char* distance;
        const char* storedGrade;
        const char* cls;
    } cases[] = {
        {"TC", "5/16", "CT", "S"},   {"MA", "3/8", "M", "L"}, {"Maiden", "660", "M", "L"},
        {" AA ", "7/16", "AA", "R"}, {"", "550", "", "S"},    {"B", "770 Yards", "B", "R"},
    };
    std::string text;
    int race = 1;
    for (const auto& c : cases) {
        text += ti::header(race++, "12/08/26", c.grade, c.distance) + "\n" + ti::afterHeader();
    }
    const auto s = importText("trackinfo", {text});
    EXPECT_EQ(s.racesWritten, static_cast<long>(std::size(cases)));
    const auto rs = races();
    ASSERT_EQ(rs.size(), std::size(cases));
    for (std::size_t i = 0; i < rs.size(); ++i) {
        EXPECT_EQ(rs[i].RaceNum, static_cast<int>(i + 1));
        EXPECT_EQ(rs[i].RaceDate, ymd(2026, 12, 8));
        EXPECT_EQ(rs[i].Grade, cases[i].storedGrade) << i;
        EXPECT_EQ(rs[i].Distance, cases[i].cls) << i;
    }
}

TEST_F(TrackInfoTest, HeaderWithoutDistanceLabelIsTheBaseClass) {
    importText("trackinfo", {" 1  12/08/26  RACE 1   Grade: C, 3/8 miles\nx\ny\n"});
    ASSERT_EQ(races().size(), 1u);
    EXPECT_EQ(races()[0].Distance, "S");
    EXPECT_EQ(races()[0].Grade, "C");
}

TEST_F(TrackInfoTest, PostsCarryTheCurrentRace) {
    std::string text = ti::header(3, "12/09/26", "C", "5/16") + "\n" + ti::afterHeader() +
                       ti::entry(1, "Swift Arrow") + "\n" + ti::afterEntry() +
                       ti::entry(2, "Blue \"Ace\" Comet") + "\n" + ti::afterEntry() +
                       ti::header(4, "12/09/26", "B", "3/8") + "\n" + ti::afterHeader() +
                       ti::entry(8, "swift arrow") + "\n" + ti::afterEntry();
    const auto s = importText("trackinfo", {text});
    EXPECT_EQ(s.dogsAdded, 2);  // the second swift arrow is the same dog
    const auto ps = posts();
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(ps[0].RaceNum, 3);
    EXPECT_EQ(ps[0].Post, 1);
    EXPECT_EQ(ps[1].RegName, "Blue \"Ace\" Comet");
    EXPECT_EQ(ps[2].RaceNum, 4);
    EXPECT_EQ(ps[2].Post, 8);
    EXPECT_EQ(ps[2].RegName, "swift arrow");
    EXPECT_EQ(ps[2].RaceDate, ymd(2026, 12, 9));
    EXPECT_TRUE(dog("Blue \"Ace\" Comet"));
}

TEST_F(TrackInfoTest, UnreadableDateKeepsThePreviousOneAndIsADuplicate) {
    ti::Past a;
    ti::Past bad;
    bad.date = "13/45/26";
    ti::Past c;
    c.date = "11/02/26";
    const auto s = importText(
        "trackinfo", {oneDog(ti::past(a) + "\n" + ti::past(bad) + "\n" + ti::past(c) + "\n")});
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.duplicatesSkipped, 1);
}

TEST_F(TrackInfoTest, SkippedLineKinds) {
    ti::Past p;
    ti::Past noGrade;
    noGrade.date = "11/01/26";
    noGrade.grade = "";
    std::string rule = ti::past(p);
    rule[0] = '_';
    std::string eq = ti::past(p);
    eq[0] = '=';
    std::string sp = " " + ti::past(p).substr(1);
    const auto s = importText(
        "trackinfo",
        {oneDog("   \n" + rule + "\n" + eq + "\n" + sp + "\n" + ti::past(noGrade) + "\n" +
                "Program Format 2 " + ti::past(p).substr(17) + "\n" +
                "Track Handicapper: " + ti::past(p).substr(19) + "\n" + ti::past(p) + "\n")});
    EXPECT_EQ(s.linesAdded, 1);
    EXPECT_EQ(s.duplicatesSkipped, 0);
    EXPECT_EQ(lines("Swift Arrow")[0].RaceDate, ymd(2026, 11, 28));
}

TEST_F(TrackInfoTest, PastLinesWithoutADogAreLeftOut) {
    ti::Past p;
    const auto s =
        importText("trackinfo", {ti::header(1, "12/08/26", "C", "5/16") + "\n" + ti::afterHeader() +
                                 ti::past(p) + "\n" + ti::entry(1, "") + "\n" + ti::afterEntry() +
                                 ti::past(p) + "\n"});
    EXPECT_EQ(s.linesAdded, 0);
    EXPECT_EQ(s.linesWithoutDog, 2);
    EXPECT_EQ(s.dogsAdded, 0);
    EXPECT_EQ(dogs().dogCount(), 0);
    ASSERT_EQ(posts().size(), 1u);  // the card keeps its post
    EXPECT_EQ(posts()[0].RegName, "");
}

TEST_F(TrackInfoTest, LineEndsAndEncodings) {
    ti::Past p;
    std::string text = oneDog(ti::past(p) + "\n", "Caf\xE9 Noir");  // Windows-1252
    for (const char* eol : {"\r\n", "\r"}) {
        std::string t;
        for (char ch : text) {
            if (ch == '\n') {
                t += eol;
            } else {
                t += ch;
            }
        }
        const auto s = importText("trackinfo", {t});
        EXPECT_EQ(s.racesWritten, 1);
        EXPECT_EQ(s.postsWritten, 1);
    }
    const auto got = lines("Caf\xC3\xA9 Noir");
    ASSERT_EQ(got.size(), 1u);  // the second run found the line a duplicate
    // Columns count characters: the accented name did not shift the fields.
    EXPECT_EQ(got[0].Grade, "C");
    EXPECT_EQ(got[0].FinishTime, 3045);

    // A UTF-8 file with the same name reaches the same dog.
    const auto s = importText("trackinfo", {oneDog(ti::past(p) + "\n", "Caf\xC3\xA9 Noir")});
    EXPECT_EQ(s.dogsAdded, 0);
    EXPECT_EQ(s.duplicatesSkipped, 1);
}

TEST_F(TrackInfoTest, StructuralFaults) {
    const char* texts[] = {
        " 1  12/08/26  RACE 1   Class: C, Distance: 5/16\na\nb\n",
        " 1  12/08/26  RACE 1   Grade: C  Distance: 5/16\na\nb\n",
        " 1  12/08/26  RACE 1   Grade: C, Distance: 5/16\na\n",
        " 1 Swift Arrow\na\n",
        "1/2/ RACE Grade: C,\na\nb\n",  // no room for a date before the slash
        "",                             // no race at all
        " 1  12/xx/26  RACE 1   Grade: C, Distance: 5/16\na\nb\n",  // the first race undated
        " 1 Swift Arrow\na\nb\n 1  12/08/26  RACE 1   Grade: C, Distance: 5/16\na\nb\n",
    };
    for (const char* t : texts) {
        EXPECT_THROW(importText("trackinfo", {t}), import::ImportFailed) << t;
        EXPECT_EQ(dogs().dogCount(), 0) << t;
    }
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST_F(TrackInfoTest, NumbersTooLargeEndTheRunWithNothingKept) {
    ti::Past good;
    ti::Past huge;
    huge.date = "11/01/26";
    huge.odds = "1e9999";
    ti::Past longTime;
    longTime.date = "11/02/26";
    longTime.winTime = "9e.99";
    for (const ti::Past& bad : {huge, longTime}) {
        EXPECT_THROW(
            importText("trackinfo", {oneDog(ti::past(good) + "\n" + ti::past(bad) + "\n")}),
            import::ImportFailed);
        EXPECT_EQ(dogs().dogCount(), 0);
        EXPECT_EQ(dogs().raceLineCount(), 0);
    }
}

}  // namespace
}  // namespace vz::test
