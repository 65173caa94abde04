#include <algorithm>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

// A past line of the lines file, field by field, at its columns.
struct Past {
    std::string name = "Swift Arrow";
    std::string date = "11/28/26";
    std::string race = " 7";
    std::string distance = "5";
    std::string grade = "C ";
    std::string winTime = "30.45";
    std::string positions = "45321";  // post, break, eighth, stretch, finish
    std::string ownTime = "30.88";
    std::string odds = "4.50";
};

std::string octoberDay(unsigned day) {
    return "10/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/26";
}

std::string pastLine(const Past& p) {
    return columns({{1, "00017"},
                    {6, fit(p.name, 16)},
                    {25, p.date},
                    {33, p.race},
                    {37, p.distance},
                    {38, p.grade},
                    {45, p.winTime},
                    {50, p.positions},
                    {55, p.ownTime},
                    {60, p.odds}});
}

// A line of the setup file: up to eight names, distance code, grade, date
// and race number.
std::string setupLine(const std::vector<std::string>& names, const std::string& distance = "5",
                      const std::string& grade = "C", const std::string& date = "12/08/26",
                      const std::string& race = " 1") {
    std::string line;
    for (std::size_t i = 0; i < 8; ++i) {
        line += fit(i < names.size() ? names[i] : "", 16) + " ";
    }
    line.resize(216, ' ');
    return line + fit(distance, 1) + fit(grade, 2) + " " + fit(date, 8) + race;
}

// A one-race card: a program is a card and its lines.
const std::string kSetup = setupLine({"Swift Arrow"}) + "\r\n";

class DogPakTest : public ImportFixture {
  protected:
    import::ImportSummary importLines(const std::string& lines, const std::string& setup = kSetup) {
        return importText("dogpak", {setup, lines});
} store::RaceLine importOne(const Past& p) {
    const auto s = importLines(pastLine(p) + "\r\n");
    EXPECT_EQ(s.linesAdded, 1);
    const auto got = lines(p.name);
    EXPECT_EQ(got.size(), 1u);
    return got.empty() ? store::RaceLine{} : got[0];
}
};  // namespace

TEST_F(DogPakTest, PastLineFields) {
    Past p;
    p.race = "12";
    p.distance = "3";
    p.grade = "SA";
    p.winTime = "37.91";
    p.positions = "81234";
    p.ownTime = "38.02";
    p.odds = "12.5";
    const store::RaceLine l = importOne(p);
    EXPECT_EQ(l.RegName, "Swift Arrow");
    EXPECT_EQ(l.RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(l.RaceNum, 12);
    EXPECT_EQ(l.Distance, "L");
    EXPECT_EQ(l.Grade, "AS");
    EXPECT_EQ(l.WinningTime, 3791);
    EXPECT_EQ(l.Post, 8);
    EXPECT_EQ(l.Break, 1);
    EXPECT_EQ(l.Eighth, 2);
    EXPECT_EQ(l.Stretch, 3);
    EXPECT_EQ(l.Finish, 4);
    EXPECT_EQ(l.FinishTime, 3802);
    EXPECT_EQ(l.Odds, 12.5);
    EXPECT_EQ(l.FinishLength, 0);
    const auto d = dog("Swift Arrow");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->RunningStyle, "M");
    EXPECT_EQ(d->NumStarts, 1);
    EXPECT_EQ(d->NumFirsts, 0);
}

TEST_F(DogPakTest, GradesAndWhichLinesCountAsStarts) {
    const struct {
        const char* columns38and39;
        const char* grade;
        bool counted;
    } cases[] = {
        {"SA", "AS", true},  {"TA", "AT", true}, {"TB", "BT", true}, {"C ", "C", true},
        {"B1", "B", true},   {" D", "", true},   {"L ", "L", false}, {"LA", "L", false},
        {"SL", "LS", false},  // S moves behind: the grade starts with L, a schooling race
        {"AA", "A", true},
    };
    std::string text;
    unsigned day = 1;
    for (const auto& c : cases) {
        Past p;
        p.date = octoberDay(day++);
        p.grade = c.columns38and39;
        p.positions = "11111";
        text += pastLine(p) + "\n";
    }
    importLines(text);
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());
    int starts = 0;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Grade, cases[i].grade) << cases[i].columns38and39;
        starts += cases[i].counted ? 1 : 0;
    }
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, starts);
    EXPECT_EQ(d->NumFirsts, starts);
}

TEST_F(DogPakTest, DistanceCodesOfTheLinesFile) {
    // Only 3 is the long class here; the setup file knows 6 and 7 too.
    const struct {
        const char* code;
        const char* cls;
    } cases[] = {{"3", "L"}, {"6", "S"}, {"7", "S"}, {"5", "S"}, {" ", "S"}, {"R", "S"}};
    std::string text;
    unsigned day = 1;
    for (const auto& c : cases) {
        Past p;
        p.date = octoberDay(day++);
        p.distance = c.code;
        text += pastLine(p) + "\n";
    }
    importLines(text);
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Distance, cases[i].cls) << "code '" << cases[i].code << "'";
    }
}

TEST_F(DogPakTest, Times) {
    const struct {
        const char* printed;
        int stored;
    } cases[] = {{"30.45", 3045}, {"     ", 0}, {"31.0 ", 310}, {"29.07", 2907}, {"ns   ", 0}};
    std::string text;
    unsigned day = 1;
    for (const auto& c : cases) {
        Past p;
        p.date = octoberDay(day++);
        p.winTime = c.printed;
        p.ownTime = c.printed;
        text += pastLine(p) + "\n";
    }
    importLines(text);
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(cases));
    std::reverse(got.begin(), got.end());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].WinningTime, cases[i].stored) << cases[i].printed;
        EXPECT_EQ(got[i].FinishTime, cases[i].stored) << cases[i].printed;
    }
}

TEST_F(DogPakTest, FinishPositionsFeedThePlaceCounters) {
    std::string text;
    unsigned day = 1;
    for (const char* finish : {"1", "1", "2", "3", "5", " "}) {
        Past p;
        p.date = octoberDay(day++);
        p.positions = std::string("1111") + finish;
        text += pastLine(p) + "\n";
    }
    addDog("SWIFT ARROW", 10, 2);  // on file in other letter case
    const auto first = importLines(text);
    EXPECT_EQ(first.dogsAdded, 0);
    EXPECT_EQ(first.linesAdded, 6);
    auto d = dog("Swift Arrow");
    EXPECT_EQ(d->RegName, "SWIFT ARROW");
    EXPECT_EQ(d->NumStarts, 16);
    EXPECT_EQ(d->NumFirsts, 4);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    EXPECT_EQ(d->RunningStyle, "R");  // a known dog keeps its style

    const auto again = importLines(text);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 6);
    EXPECT_EQ(dog("Swift Arrow"), d);
    EXPECT_EQ(lines("Swift Arrow").size(), 6u);
}

TEST_F(DogPakTest, UnreadableDateKeepsThePreviousOne) {
    Past a;
    a.date = "11/20/26";
    Past bad = a;
    bad.date = "11/xx/26";
    bad.race = " 9";
    Past b = a;
    b.date = "13/01/26";  // no such month
    Past c = a;
    c.date = "11/21/26";
    const auto s = importLines(pastLine(a) + "\n" + pastLine(bad) + "\n" + pastLine(b) + "\n" +
                               pastLine(c) + "\n");
    // Lines 2 and 3 take the date of line 1 and so are duplicates.
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.duplicatesSkipped, 2);
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].RaceDate, ymd(2026, 11, 21));
    EXPECT_EQ(got[1].RaceDate, ymd(2026, 11, 20));
    EXPECT_EQ(got[1].RaceNum, 7);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 2);
}

TEST_F(DogPakTest, LinesWithoutADateOrAName) {
    Past good;
    good.name = "Ruby Rocket";
    Past noDate;
    noDate.date = "        ";
    Past noName;
    noName.name = "";
    const auto s =
        importLines(pastLine(good) + "\n" + pastLine(noDate) + "\n" + pastLine(noName) + "\n");
    // A line without a date takes the one of the line before.
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.linesWithoutDog, 1);
    EXPECT_EQ(s.dogsAdded, 2);
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].RaceDate, ymd(2026, 11, 28));
}

TEST_F(DogPakTest, AwkwardNamesAndLineEnds) {
    Past quote;
    quote.name = "Blue \"Ace\" Comet";
    Past apostrophe;
    apostrophe.name = "O'Malley's Joy";
    Past accented;
    accented.name = "Caf\xE9 Noir";  // Windows-1252
    // LF, CR and CR LF line ends, and blank lines between.
    const std::string text = pastLine(quote) + "\r\n   \r\n" + pastLine(apostrophe) + "\r\r" +
                             pastLine(accented) + "\n\n";
    const auto s = importLines(text);
    EXPECT_EQ(s.dogsAdded, 3);
    EXPECT_EQ(s.linesAdded, 3);
    for (const char* name : {"Blue \"Ace\" Comet", "O'Malley's Joy", "Caf\xC3\xA9 Noir"}) {
        const auto got = lines(name);
        ASSERT_EQ(got.size(), 1u) << name;
        EXPECT_EQ(got[0].Odds, 4.5) << name;  // the columns after the name hold
    }
}

TEST_F(DogPakTest, Utf8NamesCountCharactersNotBytes) {
    // 11 characters in 14 bytes, padded to column 24 by characters.
    const std::string line =
        "00017Ren\xC3\xA9\xC3\xA9 Fl\xC3\xBBte" + std::string(8, ' ') + pastLine(Past{}).substr(24);
    importLines(line + "\n");
    const auto got = lines("Ren\xC3\xA9\xC3\xA9 Fl\xC3\xBBte");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(got[0].WinningTime, 3045);
    EXPECT_EQ(got[0].FinishTime, 3088);
}

TEST_F(DogPakTest, SetupFileGivesTheCard) {
    const std::string setup =
        setupLine({"Swift Arrow", "Ruby Rocket", "Bay Thunder"}, "6", "B", "12/08/26", " 1") +
        "\r\n\r\n" +
        setupLine({"A", "B", "C", "D", "E", "F", "G", "H"}, "7", "TA", "12/08/26", "12") + "\r\n" +
        setupLine({"Lone Dog"}, "3", "M", "12/08/26", " 3") + "\r\n" +
        setupLine({"Short Dog"}, "5", "AA", "12/08/26", " 4") + "\r\n";
    const auto s = importLines(pastLine(Past{}) + "\n", setup);
    EXPECT_EQ(s.racesWritten, 4);
    EXPECT_EQ(s.postsWritten, 32);
    // The card does not add dogs: only the lines file does.
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_FALSE(dog("Ruby Rocket"));

    const auto rs = races();
    ASSERT_EQ(rs.size(), 4u);
    EXPECT_EQ(rs[0].RaceNum, 1);
    EXPECT_EQ(rs[0].Distance, "L");
    EXPECT_EQ(rs[0].Grade, "B");
    EXPECT_EQ(rs[0].RaceDate, ymd(2026, 12, 8));
    EXPECT_EQ(rs[1].RaceNum, 3);
    EXPECT_EQ(rs[1].Distance, "L");
    EXPECT_EQ(rs[2].RaceNum, 4);
    EXPECT_EQ(rs[2].Distance, "S");
    EXPECT_EQ(rs[2].Grade, "AA");
    EXPECT_EQ(rs[3].RaceNum, 12);
    EXPECT_EQ(rs[3].Distance, "L");
    EXPECT_EQ(rs[3].Grade, "TA");  // the setup file's grade is kept as printed

    auto ps = posts();
    ASSERT_EQ(ps.size(), 32u);
    const auto race1 = [&] {
        std::vector<store::Post> out;
        std::copy_if(ps.begin(), ps.end(), std::back_inserter(out),
                     [](const store::Post& p) { return p.RaceNum == 1; });
        return out;
    }();
    ASSERT_EQ(race1.size(), 8u);
    const char* names[] = {"Swift Arrow", "Ruby Rocket", "Bay Thunder", "", "", "", "", ""};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(race1[i].Post, i + 1);
        EXPECT_EQ(race1[i].RegName, names[i]) << i;
        EXPECT_EQ(race1[i].RaceDate, ymd(2026, 12, 8));
    }
}

TEST_F(DogPakTest, SetupLineWithAnUnreadableDateKeepsThePreviousDate) {
    const std::string setup = setupLine({"A"}, "5", "C", "12/09/26", " 1") + "\n" +
                              setupLine({"B"}, "5", "C", "12/99/26", " 2") + "\n";
    importLines(pastLine(Past{}) + "\n", setup);
    const auto rs = races();
    ASSERT_EQ(rs.size(), 2u);
    EXPECT_EQ(rs[0].RaceDate, ymd(2026, 12, 9));
    EXPECT_EQ(rs[1].RaceDate, ymd(2026, 12, 9));
    EXPECT_EQ(rs[1].RaceNum, 2);
}

TEST_F(DogPakTest, ShortLinesReadAsBlankFields) {
    // A line that stops after the date: every later field is empty.
    const auto s = importLines("00001Stubby Tail        11/28/26\n");
    EXPECT_EQ(s.linesAdded, 1);
    const auto got = lines("Stubby Tail");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].RaceNum, 0);
    EXPECT_EQ(got[0].Distance, "S");
    EXPECT_EQ(got[0].Grade, "");
    EXPECT_EQ(got[0].Finish, 0);
    EXPECT_EQ(dog("Stubby Tail")->NumStarts, 1);
}

TEST_F(DogPakTest, FaultsEndTheRunAndLeaveTheDatabaseAsItWas) {
    Past ok;
    Past huge;
    huge.date = "11/29/26";
    huge.ownTime = "9E.99";  // 9E99 hundredths: no whole number holds it
    const std::string cases[] = {
        pastLine(ok) + "\n" + pastLine(huge) + "\n",
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(importLines(text), import::ImportFailed) << text;
        EXPECT_EQ(dogs().dogCount(), 0);
        EXPECT_EQ(dogs().raceLineCount(), 0);
    }
    // A name of control characters, in the lines file or on the card.
    Past bell;
    bell.name = "Bell\aRinger";
    EXPECT_THROW(importLines(pastLine(ok) + "\n" + pastLine(bell) + "\n"), import::ImportFailed);
    EXPECT_THROW(importLines(pastLine(ok) + "\n", setupLine({"Swift Arrow",
                                                             "Esc\x1b"
                                                             "Dog"})),
                 import::ImportFailed);
    EXPECT_EQ(dogs().dogCount(), 0);
    try {
        importLines(cases[0]);
        FAIL() << "no fault";
    } catch (const import::ImportFailed& e) {
        // The two lines, and the line and field the run ended on.
        EXPECT_STREQ(e.what(),
                     "Error importing file.\nPerhaps you selected the wrong import type?\n"
                     "Line 2 of the lines file, field FinishTime: \"9E99\" is too large a "
                     "number.");
    }
}

TEST_F(DogPakTest, NeedsBothFiles) {
    EXPECT_THROW(importText("dogpak", {pastLine(Past{})}), Error);
}

}  // namespace vz::test
}  // namespace vz::test

namespace vz::test {
namespace {

class DogPakSampleTest : public ImportFixture {
  protected:
    import::ImportSummary importSample() { const auto dir = sourceDir() / "data" / "samples";
    return importFiles("dogpak", {dir / "dogpak_setup.txt", dir / "dogpak_lines.txt"});
} std::vector<store::RaceLine> allLines() {
    std::vector<store::RaceLine> out;
    for (const auto& d : dogs().dogs()) {
        auto ls = lines(d.RegName);
        out.insert(out.end(), ls.begin(), ls.end());
    }
    return out;
}
};  // namespace

TEST_F(DogPakSampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    const auto first = importSample();
    EXPECT_EQ(first.dogsAdded, 93);
    EXPECT_EQ(first.linesAdded, 733);
    EXPECT_EQ(first.duplicatesSkipped, 2);  // an unreadable date and a second race of a day
    EXPECT_EQ(first.racesWritten, 12);
    EXPECT_EQ(first.postsWritten, 96);
    EXPECT_EQ(first.linesWithoutDog + first.linesWithoutDate, 0);

    const auto all = dogs().dogs();
    long starts = 0;
    for (const auto& d : all) {
        starts += d.NumStarts.value_or(0);
    }
    const auto ls = allLines();
    EXPECT_EQ(static_cast<long>(ls.size()), 733);
    const auto count = [&](auto pred) { return std::count_if(ls.begin(), ls.end(), pred); };
    EXPECT_EQ(count([](const auto& l) { return l.Grade == "L"; }), 2);
    EXPECT_EQ(starts, 733 - 2);  // schooling lines are no start
    EXPECT_GE(count([](const auto& l) { return l.Grade == "AS"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Grade == "BT"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime == 0; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Distance == "L"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Distance == "S"; }), 1);
    for (const char* name : {"Blue \"Ace\" Comet", "Caf\xC3\xA9 Noir", "O'Malley's Joy"}) {
        EXPECT_GE(lines(name).size(), 6u) << name;
    }

    const auto rs = races();
    ASSERT_EQ(rs.size(), 12u);
    for (const auto& r : rs) {
        EXPECT_EQ(r.RaceDate, ymd(2026, 12, 8));
    }
    EXPECT_EQ(rs[3].Distance, "L");  // code 6
    EXPECT_EQ(rs[5].Distance, "L");  // code 7
    EXPECT_EQ(rs[0].Distance, "S");
    EXPECT_EQ(rs[6].Grade, "TC");
    const auto ps = posts();
    ASSERT_EQ(ps.size(), 96u);
    long empty = 0;
    for (const auto& p : ps) {
        if (p.RegName->empty()) {
            ++empty;
        } else {
            EXPECT_TRUE(dog(*p.RegName)) << *p.RegName;
        }
    }
    EXPECT_EQ(empty, 3);  // races of seven and six runners

    const auto again = importSample();
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 735);
    EXPECT_EQ(again.racesWritten, 12);
    EXPECT_EQ(dogs().dogs(), all);  // no start counted twice
}

}  // namespace vz::test
}  // namespace vz::test
