#include <gtest/gtest.h>

#include <string>

#include "core/processing/report.h"

namespace vz::processing {
namespace {

using namespace std::chrono;

const base::Date kDec7{year{2026}, month{12}, day{7}};

TEST(DogLine, MatchesTheColumnHeader) {
    const std::string l = dogLine(3, "Fast Lady", Points{15, 4, 3, 4, 2, 5, 0}, "Must Play");
    EXPECT_EQ(l, " 3 Fast Lady           15   4   3    4    2    5    0  Must Play");
    // Each header word starts at the first place of its field.
    const std::string_view h = kColumnHeader;
    EXPECT_EQ(h.find("Dog"), 3u);
    EXPECT_EQ(h.find("Score"), 20u);
    EXPECT_EQ(h.find("LaSp"), 49u);
    EXPECT_EQ(h.find("Alerts"), 55u);
    EXPECT_EQ(l.find("Must Play"), 55u);
}

TEST(DogLine, Table) {
    struct Case {
        const char* what;
        int post;
        std::string name;
        Points points;
        std::string alerts;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no alerts ends with two spaces",
         1,
         "A",
         {},
         "",
         " 1 A                    0   0   0    0    0    0    0  "},
        {"full marks fit",
         8,
         "Sixteen Letters!",
         {23, 4, 4, 4, 4, 5, 2},
         "Break Adv",
         " 8 Sixteen Letters!    23   4   4    4    4    5    2  Break Adv"},
        {"long name cut to 16",
         2,
         "A Very Long Dog Name Indeed",
         {1, 1, 0, 0, 0, 0, 0},
         "",
         " 2 A Very Long Dog      1   1   0    0    0    0    0  "},
        {"accented name counts characters",
         4,
         "Señorita",
         {},
         "",
         " 4 Señorita             0   0   0    0    0    0    0  "},
        {"two-digit post",
         10,
         "X",
         {},
         "",
         "10 X                    0   0   0    0    0    0    0  "},
        {"name kept untrimmed",
         5,
         "  Lady ",
         {},
         "",
         " 5   Lady               0   0   0    0    0    0    0  "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dogLine(c.post, c.name, c.points, c.alerts), c.expected) << c.what;
    }
}

TEST(RaceTitleLine, NumbersHaveABlankEachSide) {
    base::Race race;
    race.RaceNum = 3;
    race.Grade = "B";
    race.Distance = "S";
    race.RaceDate = kDec7;
    EXPECT_EQ(raceTitleLine(race),
              "     DATE: 12/07/26     RACE # 3       GRADE: B     DISTANCE: S");
    race.RaceNum = 12;
    race.Grade = "AA";
    race.RaceDate = base::Date{year{2027}, month{1}, day{5}};
    EXPECT_EQ(raceTitleLine(race),
              "     DATE: 01/05/27     RACE # 12       GRADE: AA     DISTANCE: S");
    race.RaceNum = -1;
    race.Grade.reset();
    EXPECT_EQ(raceTitleLine(race),
              "     DATE: 01/05/27     RACE #-1       GRADE:      DISTANCE: S");
}

TEST(Banner, Text) {
    EXPECT_EQ(banner("Card 12.rac", kDec7),
              "     Vellicor Vovoziruzu - Version 1.0.5\r\n \r\n     Results for Card 12.rac\r\n"
              "     Prepared on 07-Dec-26\r\n \r\n");
}

TEST(RaceSeparator, PageBreakAfterEverySecondRace) {
    EXPECT_EQ(raceSeparator(1, true), "\r\n\r\n");
    EXPECT_EQ(raceSeparator(2, true), "\r\n\f\r\n");
    EXPECT_EQ(raceSeparator(3, true), "\r\n\r\n");
    EXPECT_EQ(raceSeparator(4, false), "\r\n\r\n");
}

TEST(ErrorReport, Text) {
    base::Race race;
    race.RaceNum = 3;
    race.RaceDate = kDec7;
    base::Race race5 = race;
    race5.RaceNum = 5;
    EXPECT_EQ(errorReport("Card 12.rac", {{"Fast Lady", race, 5}, {"Fast Lady ", race5, 2}}),
              "Errors occurred when processing Card 12.rac\r\n"
              "Correct the following and try processing again.\r\n"
              " \r\n"
              "The following dogs are not in your main database: \r\n"
              " \r\n"
              "     Fast Lady, 12/7/2026 race 3, post 5\r\n"
              "     Fast Lady , 12/7/2026 race 5, post 2\r\n"
              " \r\n"
              " \r\n"
              "End of Error Report\r\n");
}

RaceTable tableOf(int dogs) {
    RaceTable t;
    for (int p = 1; p <= dogs; ++p) {
        DogFigures f;
        f.avgTime = 9999;
        f.lastTime = 9999;
        t.place(p, "Dog " + std::to_string(p), "M", f);
    }
    return t;
}

TEST(RaceSection, EmptyLineAfterTheFifthDogOnly) {
    base::Race race;
    race.RaceNum = 1;
    race.RaceDate = kDec7;
    race.Grade = "C";
    race.Distance = "S";
    for (int dogs : {4, 5, 8}) {
        const std::string s = raceSection(race, rateRace(tableOf(dogs)));
        const std::size_t header = s.find(std::string(69, '-') + "\r\n");
        ASSERT_NE(header, std::string::npos);
        const std::string body = s.substr(header + 71);
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < body.size();) {
            const std::size_t end = body.find("\r\n", at);
            lines.push_back(body.substr(at, end - at));
            at = end + 2;
        }
        SCOPED_TRACE(dogs);
        if (dogs < 5) {
            for (int k = 0; k < dogs; ++k) {
                EXPECT_FALSE(lines[static_cast<std::size_t>(k)].empty());
            }
            EXPECT_TRUE(lines[static_cast<std::size_t>(dogs)].empty());  // before the advice
        } else {
            EXPECT_TRUE(lines[5].empty());
            EXPECT_FALSE(lines[4].empty());
        }
    }
}

}  // namespace
}  // namespace vz::processing
