#include <algorithm>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

const std::string kTitle = "DERBY LANE GREYHOUND PROGRAM\r\n";

// A race header; the words after DERBY LANE are counted from LANE (1):
// 4 to 6 the date, 9 the race number, 11 the grade, 13 the distance.
std::string header(int race, const std::string& grade = "C", const std::string& distance = "5/16",
                   const std::string& date = "December 8, 2026") {
    return "DERBY LANE St. Petersburg, " + date + " Matinee Race " + std::to_string(race) +
           "   Grade " + grade + "   Distance " + distance + "\r\n";
}

// The four lines a header is followed by.
const std::string kAfterHeader =
    "  Purse $500\r\n  Post time 1:05\r\n" + std::string(60, '=') + "\r\n  PP Dog  Owner\r\n";

std::string entry(int post, const std::string& name) {
    return columns({{1, std::to_string(post)}, {3, fit(name, 17)}, {21, "Kennel: Bayside"}}) +
           "\r\n";
}

// The two lines an entry is followed by.
const std::string kAfterEntry = "  Brindle male 3/24\r\n  Date     Race Dist    Win\r\n";

struct Past {
    std::string date = "11-28-26";
    std::string race = " 5";
    std::string distance = "5/16";
    std::string winSeconds = "30";
    std::string winHundredths = "45";
    std::string post = "3", brk = "2", eighth = "2", stretch = "1", finish = "1";
    std::string lengths = " 2";
    std::string ownSeconds = "30";
    std::string ownHundredths = "61";
    std::string odds = " 4.50";
    std::string grade = "C ";
};

std::string past(const Past& p) {
    return columns({{1, "PL"},
                    {3, p.date},
                    {14, p.race},
                    {17, p.distance},
                    {25, p.winSeconds},
                    {27, "."},
                    {28, p.winHundredths},
                    {35, p.post},
                    {37, p.brk},
                    {39, p.eighth},
                    {44, p.stretch},
                    {49, p.finish},
                    {51, p.lengths},
                    {54, p.ownSeconds},
                    {56, "."},
                    {57, p.ownHundredths},
                    {61, p.odds},
                    {67, p.grade}}) +
           "\r\n";
}

std::string octoberDay(unsigned day) {
    return "10-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "-26";
}

class DerbyLaneTest : public ImportFixture {
  protected:
    std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow") {
        return kTitle + header(4) + kAfterHeader + entry(6, name) + kAfterEntry + pastLines;
    }
    import::ImportSummary importDl(const std::string& text) {
        return importText("derbylane", {text});
}
// Imports past lines made by `make` for cases 0..n-1, returns the lines
// oldest first.
template <typename Make>
std::vector<store::RaceLine> importCases(std::size_t n, Make make) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        Past p;
        p.date = octoberDay(static_cast<unsigned>(i + 1));
        make(p, i);
        text += past(p);
    }
    importDl(oneDog(text));
    auto got = lines("Swift Arrow");
    std::reverse(got.begin(), got.end());
    EXPECT_EQ(got.size(), n);
    return got;
}
};  // namespace

TEST_F(DerbyLaneTest, PastLineFields) {
    Past p;
    p.race = "12";
    p.distance = "3/8";
    p.winSeconds = "37";
    p.winHundredths = "91";
    p.post = "8";
    p.brk = "1";
    p.eighth = "2";
    p.stretch = "3";
    p.finish = "2";
    p.lengths = " 3";
    p.ownSeconds = "38";
    p.ownHundredths = "02";
    p.odds = "12.50";
    p.grade = "B ";
    const auto s = importDl(oneDog(past(p)));
    EXPECT_EQ(s.linesAdded, 1);
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 1u);
    const store::RaceLine& l = got[0];
    EXPECT_EQ(l.RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(l.RaceNum, 12);
    EXPECT_EQ(l.Distance, "L");
    EXPECT_EQ(l.WinningTime, 3791);
    EXPECT_EQ(l.Post, 8);
    EXPECT_EQ(l.Break, 1);
    EXPECT_EQ(l.Eighth, 2);
    EXPECT_EQ(l.Stretch, 3);
    EXPECT_EQ(l.Finish, 2);
    EXPECT_EQ(l.FinishLength, 3);
    EXPECT_EQ(l.FinishTime, 3802);
    EXPECT_EQ(l.Odds, 12.5);
    EXPECT_EQ(l.Grade, "B");
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 1);
    EXPECT_EQ(d->NumSeconds, 1);
}

TEST_F(DerbyLaneTest, Times) {
    const struct {
        const char* seconds;
        const char* hundredths;
        int stored;
    } cases[] = {{"30", "45", 3045}, {"30", "5", 3050},  {"30", " 5", 3050}, {"31", "  ", 3100},
                 {"  ", "  ", 0},    {"29", "07", 2907}, {" 9", "5 ", 950}};
    const auto got = importCases(std::size(cases), [&](Past& p, std::size_t i) {
        p.winSeconds = cases[i].seconds;
        p.winHundredths = cases[i].hundredths;
        p.ownSeconds = cases[i].seconds;
        p.ownHundredths = cases[i].hundredths;
    });
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].WinningTime, cases[i].stored) << i;
        EXPECT_EQ(got[i].FinishTime, cases[i].stored) << i;
    }
}

TEST_F(DerbyLaneTest, GradesAndStarts) {
    const struct {
        const char* columns67and68;
        const char* grade;
        bool counted;
    } cases[] = {{"C ", "C", true},  {"S ", "L", false}, {"SA", "L", false},
                 {"TB", "BT", true}, {"AA", "A", true},  {"T ", " T", true}};
    const auto got = importCases(std::size(cases), [&](Past& p, std::size_t i) {
        p.grade = cases[i].columns67and68;
        p.finish = "1";
    });
    int starts = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Grade, cases[i].grade) << cases[i].columns67and68;
        starts += cases[i].counted ? 1 : 0;
    }
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, starts);
    EXPECT_EQ(dog("Swift Arrow")->NumFirsts, starts);
}

TEST_F(DerbyLaneTest, LengthsDistancesAndFinish) {
    const struct {
        const char* lengths;
        double stored;
        const char* distance;
        const char* cls;
    } cases[] = {{"00", 1, "5/16", "S"},  {"  ", 1, "3/8", "L"}, {" 0", 1, "3-8", "L"},
                 {"12", 12, "7/16", "R"}, {"5 ", 5, "660", "L"}, {"ns", 1, "770", "R"},
                 {" 1", 1, "550", "S"}};
    const auto got = importCases(std::size(cases), [&](Past& p, std::size_t i) {
        p.lengths = cases[i].lengths;
        p.distance = cases[i].distance;
    });
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].FinishLength, cases[i].stored) << cases[i].lengths;
        EXPECT_EQ(got[i].Distance, cases[i].cls) << cases[i].distance;
    }
}

TEST_F(DerbyLaneTest, HeaderGivesTheRace) {
    const struct {
        std::string line;
        int race;
        const char* grade;
        const char* distance;
        store::Date date;
    } cases[] = {
        {header(1, "C", "5/16"), 1, "C", "S", ymd(2026, 12, 8)},
        {header(12, "TB", "3/8"), 12, "BT", "L", ymd(2026, 12, 8)},
        {header(3, "MDN", "7/16"), 3, "M", "R", ymd(2026, 12, 8)},
        {header(4, "TM", "660"), 4, "M", "L", ymd(2026, 12, 8)},  // TM becomes MT, then M
        {header(5, "AA", "550", "Dec 9 2026"), 5, "AA", "S", ymd(2026, 12, 9)},
        // Lower case is recognised: the test is made in capitals.
        {"derby lane st. petersburg, december 10, 2026 evening race 6   grade d   distance "
         "770\r\n",
         6, "d", "R", ymd(2026, 12, 10)},
        // Text before the mark is not counted.
        {"Program of DERBY LANE St. Petersburg, December 11, 2026 Matinee Race 7 Grade E   "
         "Distance 5/16\r\n",
         7, "E", "S", ymd(2026, 12, 11)},
    };
    std::string text = kTitle;
    for (const auto& c : cases) {
        text += c.line + kAfterHeader;
    }
    const auto s = importDl(text);
    EXPECT_EQ(s.racesWritten, static_cast<long>(std::size(cases)));
    auto rs = races();
    ASSERT_EQ(rs.size(), std::size(cases));
    for (const auto& c : cases) {
        const auto it = std::find_if(rs.begin(), rs.end(),
                                     [&](const store::Race& r) { return r.RaceNum == c.race; });
        ASSERT_NE(it, rs.end()) << c.line;
        EXPECT_EQ(it->Grade, c.grade) << c.line;
        EXPECT_EQ(it->Distance, c.distance) << c.line;
        EXPECT_EQ(it->RaceDate, c.date) << c.line;
    }
}

TEST_F(DerbyLaneTest, HeaderWithoutADateKeepsThePreviousOne) {
    const std::string text = kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket") +
                             kAfterEntry + header(2, "B", "3/8", "Someday soon, later") +
                             kAfterHeader + entry(1, "Bay Thunder") + kAfterEntry;
    importDl(text);
    const auto rs = races();
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[1].RaceNum, 2);
    EXPECT_EQ(rs[1].RaceDate, ymd(2026, 12, 8));
    for (const auto& p : posts()) {
        EXPECT_EQ(p.RaceDate, ymd(2026, 12, 8));
    }
}

TEST_F(DerbyLaneTest, EntriesGivePostsAndDogs) {
    addDog("RUBY ROCKET", 20, 4);
    const std::string text = kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket") +
                             kAfterEntry + entry(2, "Blue \"Ace\" Comet") + kAfterEntry +
                             entry(8, "O'Malley's Joy") + kAfterEntry + header(2) + kAfterHeader +
                             entry(3, "Caf\xE9 Noir") + kAfterEntry;
    const auto s = importDl(text);
    EXPECT_EQ(s.dogsAdded, 3);
    EXPECT_EQ(s.postsWritten, 4);
    const auto ps = posts();
    ASSERT_EQ(ps.size(), 4u);
    EXPECT_EQ(ps[0].RaceNum, 1);
    EXPECT_EQ(ps[0].Post, 1);
    EXPECT_EQ(ps[0].RegName, "Ruby Rocket");  // as read; the dog on file is RUBY ROCKET
    EXPECT_EQ(ps[1].RegName, "Blue \"Ace\" Comet");
    EXPECT_EQ(ps[2].Post, 8);
    EXPECT_EQ(ps[2].RegName, "O'Malley's Joy");
    EXPECT_EQ(ps[3].RaceNum, 2);
    EXPECT_EQ(ps[3].RegName, "Caf\xC3\xA9 Noir");
    EXPECT_EQ(dog("Ruby Rocket")->NumStarts, 20);
    EXPECT_TRUE(dog("Blue \"Ace\" Comet"));
}

TEST_F(DerbyLaneTest, LineKinds) {
    // Rule and continuation lines are skipped; so is the title line, even
    // when it is a header; a line of no known kind is a past line of the
    // current dog.
    const std::string text = header(9) + header(1) + kAfterHeader + entry(6, "Swift Arrow") +
                             kAfterEntry + "________________\r\n" + "================\r\n" + " " +
                             past(Past{}) + "   \r\n" + "\r\n" + past(Past{});
    const auto s = importDl(text);
    EXPECT_EQ(s.racesWritten, 1);
    EXPECT_EQ(races()[0].RaceNum, 1);
    EXPECT_EQ(s.linesAdded, 1);
    EXPECT_EQ(s.duplicatesSkipped, 0);
}

TEST_F(DerbyLaneTest, UnreadableDatesAndMissingDogs) {
    Past a;
    a.date = "11-20-26";
    Past bad = a;
    bad.date = "11-xx-26";
    Past c = a;
    c.date = "11-21-26";
    // A past line before any entry has no dog.
    const std::string text = kTitle + header(1) + kAfterHeader + past(a) + entry(2, "Swift Arrow") +
                             kAfterEntry + past(a) + past(bad) + past(c);
    const auto s = importDl(text);
    EXPECT_EQ(s.linesWithoutDog, 1);
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.duplicatesSkipped, 1);  // the bad date kept 20 November
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].RaceDate, ymd(2026, 11, 21));
}

TEST_F(DerbyLaneTest, FirstPastLineWithoutADate) {
    Past p;
    p.date = "        ";
    const auto s = importDl(oneDog(past(p)));
    EXPECT_EQ(s.linesWithoutDate, 1);
    EXPECT_EQ(s.linesAdded, 0);
}

TEST_F(DerbyLaneTest, ImportingTwiceCountsNothingAgain) {
    std::string pasts;
    for (unsigned d = 1; d <= 6; ++d) {
        Past p;
        p.date = octoberDay(d);
        p.finish = std::to_string(d);
        pasts += past(p);
    }
    const std::string text = oneDog(pasts);
    const auto first = importDl(text);
    EXPECT_EQ(first.linesAdded, 6);
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 6);
    EXPECT_EQ(d->NumFirsts, 1);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    const auto again = importDl(text);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 6);
    EXPECT_EQ(dog("Swift Arrow"), d);
}

TEST_F(DerbyLaneTest, StructuralFaultsEndTheRun) {
    const std::string cases[] = {
        "",                                                           // not even a title
        kTitle + header(1),                                           // header at the end
        kTitle + header(1) + "  Purse\r\n  Post\r\n===\r\n",          // three lines after it
        kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket"),  // entry at the end
        kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket") + "  Brindle\r\n",
        kTitle + "DERBY LANE St. Petersburg, December 8, 2026 Race 1\r\n" +  // too few words
            kAfterHeader,
        kTitle + entry(1, "Ruby Rocket") + kAfterEntry + header(1) + kAfterHeader,  // runner first
        kTitle + header(1, "C", "5/16", "Someday soon, later") + kAfterHeader,      // race undated
        kTitle,                                                                     // no race
        kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket") + kAfterEntry +
            [] {
                Past p;
                p.ownSeconds = "9E";  // 9E99 hundredths: no whole number holds it
                p.ownHundredths = "99";
                return past(p);
            }(),
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(importDl(text), import::ImportFailed) << text;
        EXPECT_EQ(dogs().dogCount(), 0) << text;
        // A file refused at once leaves no race file; one that fails later an
        // empty one.
        EXPECT_TRUE(!std::filesystem::exists(raceFile()) || races().empty()) << text;
    }
}

}  // namespace vz::test
}  // namespace vz::test

namespace vz::test {
namespace {

class DerbyLaneSampleTest : public ImportFixture {
  protected:
    import::ImportSummary importSample() {
        return importFiles("derbylane",
                           {sourceDir() / "data" / "samples" / "derbylane_sample.txt"});
}
};  // namespace

TEST_F(DerbyLaneSampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    const auto first = importSample();
    EXPECT_EQ(first.dogsAdded, 96);
    EXPECT_EQ(first.linesAdded, 752);
    EXPECT_EQ(first.duplicatesSkipped, 2);
    EXPECT_EQ(first.racesWritten, 12);
    EXPECT_EQ(first.postsWritten, 96);
    EXPECT_EQ(first.linesWithoutDog + first.linesWithoutDate, 0);

    const auto all = dogs().dogs();
    long starts = 0;
    std::vector<store::RaceLine> ls;
    for (const auto& d : all) {
        starts += d.NumStarts.value_or(0);
        auto x = lines(d.RegName);
        ls.insert(ls.end(), x.begin(), x.end());
    }
    ASSERT_EQ(ls.size(), 752u);
    const auto count = [&](auto pred) { return std::count_if(ls.begin(), ls.end(), pred); };
    EXPECT_EQ(count([](const auto& l) { return l.Grade == "L"; }), 2);
    EXPECT_EQ(starts, 750);
    EXPECT_GE(count([](const auto& l) { return l.Grade == "BT"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime == 0; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime.value_or(0) % 10 == 0; }), 1);
    EXPECT_EQ(count([](const auto& l) { return l.FinishLength == 0; }), 0);
    for (const char* cls : {"S", "L", "R"}) {
        EXPECT_GE(count([&](const auto& l) { return l.Distance == cls; }), 1) << cls;
    }
    for (const char* name : {"Mister \"Q\" Jet", "Jos\xC3\xA9's Rose", "O'Brien Flyer"}) {
        EXPECT_GE(lines(name).size(), 6u) << name;
    }

    const auto rs = races();
    ASSERT_EQ(rs.size(), 12u);
    for (const auto& r : rs) {
        EXPECT_EQ(r.RaceDate, ymd(2026, 12, 8));  // race 5's unreadable date keeps race 4's
    }
    EXPECT_EQ(rs[1].Grade, "BT");
    EXPECT_EQ(rs[3].Grade, "M");
    EXPECT_EQ(rs[6].Grade, "CT");
    EXPECT_EQ(rs[8].Grade, "m");  // the lower-case header
    EXPECT_EQ(rs[8].Distance, "L");
    EXPECT_EQ(rs[5].Distance, "R");
    for (const auto& p : posts()) {
        EXPECT_TRUE(dog(*p.RegName)) << *p.RegName;
    }

    const auto again = importSample();
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 754);
    EXPECT_EQ(again.postsWritten, 96);
    EXPECT_EQ(dogs().dogs(), all);
}

}  // namespace vz::test
}  // namespace vz::test
