#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/rosnet_text.h"

namespace vz::test {
namespace {

namespace rn = rosnet;

class RosnetTest : public ImportFixture {
  protected:
    std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow") {
        return rn::firstLine() + "\n" + rn::race("4", "C", "5/16") + "\n" + rn::entry(6, name) +
               "\n" + rn::afterEntry() + pastLines;
    }

    // Imports `cases` past lines of one dog, dated 1, 2, 3... October 2026, and
    // returns the stored lines oldest first.
    std::vector<store::RaceLine> importPasts(std::vector<rn::Past> ps) {
        std::string text;
        int day = 1;
        for (rn::Past& p : ps) {
            p.date = "10/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/26";
            ++day;
            text += rn::past(p) + "\n";
        }
        importText("rosnet", {oneDog(text)});
        auto got = lines("Swift Arrow");
        std::reverse(got.begin(), got.end());
        EXPECT_EQ(got.size(), ps.size());
        return got;
    }
};

TEST_F(RosnetTest, PastLineFields) {
    rn::Past p;
    p.date = "11/28/26";
    p.race = "12";
    p.distance = "3/8";
    p.winTime = "37.91";
    p.post = "5";
    p.brk = "4";
    p.eighth = "3";
    p.stretch = "2";
    p.finish = "2";
    p.lengths = "12";
    p.ownTime = "38.02";
    p.odds = "12.50";
    p.grade = "B  ";
    importText("rosnet", {oneDog(rn::past(p) + "\n")});
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 1u);
    const store::RaceLine& l = got[0];
    EXPECT_EQ(l.RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(l.RaceNum, 12);
    EXPECT_EQ(l.Distance, "L");
    EXPECT_EQ(l.WinningTime, 3791);
    EXPECT_EQ(l.Post, 5);
    EXPECT_EQ(l.Break, 4);
    EXPECT_EQ(l.Eighth, 3);
    EXPECT_EQ(l.Stretch, 2);
    EXPECT_EQ(l.Finish, 2);
    EXPECT_EQ(l.FinishLength, 12);
    EXPECT_EQ(l.FinishTime, 3802);
    EXPECT_EQ(l.Odds, 12.5);
    EXPECT_EQ(l.Grade, "B");
    EXPECT_EQ(dog("Swift Arrow")->NumSeconds, 1);
}

TEST_F(RosnetTest, GradesAndStarts) {
    const struct {
        const char* cols;  // 78 to 80
        const char* grade;
        bool counted;
    } cases[] = {
        {"C  ", "C", true},  {"SA ", "AS", true}, {"TB ", "BT", true}, {"C X", "L", false},
        {"SAX", "L", false}, {"AA ", "A", true},  {"L  ", "L", false}, {"T  ", " T", true},
    };
    std::vector<rn::Past> ps;
    for (const auto& c : cases) {
        rn::Past p;
        p.grade = c.cols;
        p.finish = "3";
        ps.push_back(p);
    }
    const auto got = importPasts(ps);
    ASSERT_EQ(got.size(), std::size(cases));
    int counted = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Grade, cases[i].grade) << cases[i].cols;
        counted += cases[i].counted ? 1 : 0;
    }
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, counted);
    EXPECT_EQ(dog("Swift Arrow")->NumThirds, counted);
}

TEST_F(RosnetTest, ShortLineHasNoSchoolingMark) {
    // A publisher that trims trailing blanks ends the line at column 78.
    rn::Past p;
    p.grade = "C";
    const auto got = importPasts({p});
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].Grade, "C");
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 1);
}

TEST_F(RosnetTest, LengthsAndDistances) {
    const struct {
        const char* lengths;
        const char* distance;
        double storedLengths;
        const char* cls;
    } cases[] = {
        {" 0", "5/16", 1, "S"}, {"  ", "3/8", 1, "L"}, {"12", "7/16", 12, "R"},
        {" 5", "660", 5, "L"},  {"ns", "770", 1, "R"}, {"1", "550", 1, "S"},
    };
    std::vector<rn::Past> ps;
    for (const auto& c : cases) {
        rn::Past p;
        p.lengths = c.lengths;
        p.distance = c.distance;
        ps.push_back(p);
    }
    const auto got = importPasts(ps);
    ASSERT_EQ(got.size(), std::size(cases));
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].FinishLength, cases[i].storedLengths) << i;
        EXPECT_EQ(got[i].Distance, cases[i].cls) << i;
    }
}

TEST_F(RosnetTest, RaceLines) {
    const struct {
        const char* word;
        const char* num;
        const char* grade;
        const char* distance;
        int storedNum;
        const char* storedGrade;
        const char* cls;
    } cases[] = {
        {"race", "3", "D", "5/16", 3, "D", "S"},   {"RACE", "4", "D", "3/8", 4, "D", "L"},
        {"Race", "5", "D", "7/16", 5, "D", "R"},   {"race", "11", "TB", "3/8", 11, "BT", "L"},
        {"rAcE", "12", "MA", "550", 12, "M", "S"}, {"race", "13", "TC", "660", 13, "CT", "L"},
    };
    std::string text = rn::firstLine() + "\n";
    for (const auto& c : cases) {
        text += rn::race(c.num, c.grade, c.distance, c.word) + "\n";
    }
    const auto s = importText("rosnet", {text});
    EXPECT_EQ(s.racesWritten, static_cast<long>(std::size(cases)));
    const auto rs = races();
    ASSERT_EQ(rs.size(), std::size(cases));
    for (std::size_t i = 0; i < rs.size(); ++i) {
        EXPECT_EQ(rs[i].RaceNum, cases[i].storedNum) << i;
        EXPECT_EQ(rs[i].Grade, cases[i].storedGrade) << i;
        EXPECT_EQ(rs[i].Distance, cases[i].cls) << i;
        EXPECT_EQ(rs[i].RaceDate, ymd(2026, 12, 8));
    }
    // The fields are cut by width, so they may run into the next word.
    importText("rosnet", {rn::firstLine() + "\nrace 3 D 5/16\n"});
    ASSERT_EQ(races().size(), 1u);
    EXPECT_EQ(races()[0].RaceNum, 3);
    EXPECT_EQ(races()[0].Grade, "D 5");
    EXPECT_EQ(races()[0].Distance, "S");
}

TEST_F(RosnetTest, EveryCardRowCarriesTheProgramDate) {
    rn::Past p;
    p.date = "10/01/26";
    const std::string text = rn::firstLine("12/11/2026") + "\n" + rn::race("1", "C", "5/16") +
                             "\n" + rn::entry(1, "Swift Arrow") + "\n" + rn::afterEntry() +
                             rn::past(p) + "\n" + rn::race("2", "B", "3/8") + "\n" +
                             rn::entry(2, "Swift Arrow", "POST") + "\n" + rn::afterEntry() +
                             rn::entry(3, "Blue \"Ace\" Comet", "Post") + "\n" + rn::afterEntry();
    const auto s = importText("rosnet", {text});
    EXPECT_EQ(s.dogsAdded, 2);
    EXPECT_EQ(s.postsWritten, 3);
    for (const auto& r : races()) {
        EXPECT_EQ(r.RaceDate, ymd(2026, 12, 11));
    }
    const auto ps = posts();
    ASSERT_EQ(ps.size(), 3u);
    for (const auto& x : ps) {
        EXPECT_EQ(x.RaceDate, ymd(2026, 12, 11));
    }
    EXPECT_EQ(ps[0].RaceNum, 1);
    EXPECT_EQ(ps[1].RaceNum, 2);
    EXPECT_EQ(ps[2].RegName, "Blue \"Ace\" Comet");
    EXPECT_EQ(ps[2].Post, 3);
    EXPECT_EQ(lines("Swift Arrow")[0].RaceDate, ymd(2026, 10, 1));
}

TEST_F(RosnetTest, OtherLinesAreReadAsPastLinesAndBecomeDuplicates) {
    rn::Past a;
    rn::Past b;
    b.date = "11/14/26";
    const auto s = importText(
        "rosnet", {oneDog(rn::past(a) + "\n" + "  Comment: closing well, watch next time\n" +
                          "\n   \n" + rn::past(b) + "\n" + "13/45/26 unreadable date line\n")});
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.duplicatesSkipped, 2);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 2);
}

TEST_F(RosnetTest, NotARosnetProgramIsRefusedWithNothingWritten) {
    const std::string race = rn::race("1", "C", "5/16") + "\n";
    const std::string entry = rn::entry(1, "Swift Arrow") + "\n" + rn::afterEntry();
    const std::string texts[] = {
        "",                                                                  // no first line
        "no date here\n" + race,                                             // no slash
        "1/2/2026\n" + race,                                                 // no room
        "PROGRAM 12/xx\n" + race,                                            // no date at the slash
        rn::firstLine() + "\n",                                              // no race
        rn::firstLine() + "\n" + entry + race,                               // a runner first
        rn::firstLine() + "\nrace 3 D\n",                                    // too few words
        rn::firstLine() + "\n" + race + "post 1 Bell\x07Ringer\n\n",         // a control character
        rn::firstLine() + "\n" + race + rn::entry(1, "Swift Arrow") + "\n",  // entry last
        rn::firstLine() + "\n" + race + rn::entry(1, "Swift Arrow"),         // without line end
    };
    for (const std::string& t : texts) {
        EXPECT_THROW(importText("rosnet", {t}), import::ImportFailed) << t;
        EXPECT_EQ(dogs().dogCount(), 0) << t;
    }
}

TEST_F(RosnetTest, ADeletedDogIsAddedAgainWithoutItsOldLinesTwice) {
    // SLY STAR's line of 19 September 2021 is on file; the dog itself is not
    // (deleted as old: its lines stay).
    addLine("SLY STAR", ymd(2021, 9, 19));
    rn::Past p;
    p.date = "09/19/21";
    const auto s = importText("rosnet", {oneDog(rn::past(p) + "\n", "SLY STAR")});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 0);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    const auto d = dog("SLY STAR");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->RunningStyle, "M");
    EXPECT_EQ(d->NumStarts, 0);
    EXPECT_EQ(d->NumFirsts, 0);
    EXPECT_EQ(lines("SLY STAR").size(), 1u);
    ASSERT_EQ(posts().size(), 1u);
    EXPECT_EQ(posts()[0].RegName, "SLY STAR");
}

TEST_F(RosnetTest, SecondImportAddsNothing) {
    rn::Past a;
    rn::Past b;
    b.date = "11/21/26";
    b.finish = "1";
    const std::string text = oneDog(rn::past(a) + "\n" + rn::past(b) + "\n");
    const auto first = importText("rosnet", {text});
    EXPECT_EQ(first.linesAdded, 2);
    const auto second = importText("rosnet", {text});
    EXPECT_EQ(second.linesAdded, 0);
    EXPECT_EQ(second.dogsAdded, 0);
    EXPECT_EQ(second.duplicatesSkipped, 2);
    EXPECT_EQ(second.racesWritten, 1);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 2);
    EXPECT_EQ(dog("Swift Arrow")->NumFirsts, 2);
}

}  // namespace
}  // namespace vz::test
