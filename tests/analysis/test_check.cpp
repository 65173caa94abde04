#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/analysis/check.h"
#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::analysis {
namespace {

namespace fs = std::filesystem;
using test::ymd;

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) {
        out += l + "\r\n";
    }
    return out;
}

class Check : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());
    fs::path card = root / test::kSampleTitle;

    void SetUp() override { test::makeSampleCard(paths, card); }

    void result(const char* dog, int race, int finish, std::optional<double> odds) {
        store::DogDatabase db(paths.dogDatabase());
        base::RaceLine l = test::line(dog, ymd(2026, 12, 7), "S", "B", 3050, 3, 3, 3, finish);
        l.RaceNum = race;
        l.Odds = odds;
        db.addRaceLine(l);
    }

    CheckOutcome check() {
        CheckRequest rq;
        rq.paths = paths;
        rq.raceFile = card;
        rq.raceFileTitle = test::kSampleTitle;
        rq.today = ymd(2026, 12, 9);
        return checkRaceFile(rq);
    }
};

// The sample card's order and points are those of its hand-worked results
// report (tests/processing/data). The later import brought three lines of
// race 1 (the top pick Rail Rocket 2nd at 1.20, Eight Ball, 2nd in the
// order, winning at 3.00) and two of race 2 (Say "When" wins at 2.50);
// race 3 has none. So: 2 races with results, the top pick won 1, was in
// the first three in both, the winner stood 1st or 2nd in both; two bets,
// 3.50 back: profit 1.50, ROI 75%.
// Wilson's 95% range of 1 win in 2 (z = 1.96): 0.5 -+ 0.405469, 9.5-90.5%.
// The market's chances of the top picks, 1/(odds+1) over the dogs that
// ran: race 1 0.454545 of 0.454545 + 0.25 + 0.2 = 0.502513, race 2
// 0.285714 of 0.285714 + 0.142857 = 0.666667; 1.17 winners expected, under
// 5: too few to judge, no p-value. Two races with results: under 30.
TEST_F(Check, ComparesEachRaceWithItsResults) {
    result("Rail Rocket", 1, 2, 1.2);
    result("Eight Ball", 1, 1, 3.0);
    result("Rail Six", 1, 3, 4.0);
    result("Say \"When\"", 2, 1, 2.5);
    result("Case Dog", 2, 3, 6.0);
    const CheckOutcome out = check();
    EXPECT_EQ(out.report, paths.resultsDir() / "Sample Card - Results Check.txt");
    const std::string stars = "*** " + std::string(61, '*') + " ***";
    const std::string header = "Rank PP Dog              Score  Fin   Odds  Alerts";
    const std::string dashes(69, '-');
    const std::string expected = joined({
        "     Vellicor Vovoziruzu - Version 1.0.5",
        " ",
        "     Results check of Sample Card.rac",
        "     Prepared on 09-Dec-26",
        " ",
        stars,
        "     DATE: 12/07/26     RACE # 1       GRADE: B     DISTANCE: S",
        stars,
        "",
        header,
        dashes,
        "   1  1 Rail Rocket         16    2   1.20  Break Adv - Must Play",
        "   2  8 Eight Ball          16    1   3.00  ",
        "   3  6 Rail Six            10    3   4.00  ",
        "   4  3 Middle Mist          7    -      -  ",
        "   5  7 Seven Up             6    -      -  ",
        "   6  4 No Record            5    -      -  Extra Break Adv - Break Adv",
        "   7  2 Wide Willow          3    -      -  ",
        "   8  5 Slow Sam             1    -      -  ",
        "",
        "Winner: 8 Eight Ball, 2nd in the order",
        "Top pick bet: 1.00 staked, 0.00 returned",
        "",
        "",
        stars,
        "     DATE: 12/07/26     RACE # 2       GRADE: A     DISTANCE: L",
        stars,
        "",
        header,
        dashes,
        "   1  1 Say \"When\"          21    1   2.50  "
        "Extra Break Adv - Break Adv - Break Adv - Must Play",
        "   2  2 Extraordinarily     14    -      -  ",
        "   3  4 CASE DOG            10    3   6.00  Break Adv",
        "   4  3 Trailing Tom         7    -      -  ",
        "   5  5 Fifth Dog            6    -      -  ",
        "",
        "Winner: 1 Say \"When\", 1st in the order",
        "Top pick bet: 1.00 staked, 3.50 returned",
        "",
        "",
        stars,
        "     DATE: 12/08/26     RACE # 1       GRADE: C     DISTANCE: S",
        stars,
        "",
        "no result yet",
        "",
        "",
        stars,
        "     SUMMARY",
        stars,
        "",
        "Races on the card                                        3",
        "Races with results                                       2",
        "Top pick won                                        1 of 2  50.0%",
        "Top pick's win %, 95% range                      9.5-90.5%",
        "Top pick in the first three                         2 of 2  100.0%",
        "Winner among the top two                            2 of 2  100.0%",
        "Flat 1-unit win bets on the top pick                     2",
        "Returned                                              3.50",
        "Profit                                                1.50",
        "ROI (profit / stakes)                                75.0%",
        "Top pick winners the odds expected                     1.2",
        "A/E (actual / expected)                       too few to judge",
        "p-value of A/E against 1                                 -",
        "",
        "One card proves nothing: 2 races with results are far too few to judge the",
        "ratings; the backtest rates every past race the lines rebuild.",
    });
    EXPECT_EQ(test::readText(out.report), expected);
    EXPECT_EQ(out.tally.races, 2);
    EXPECT_DOUBLE_EQ(out.tally.profit(), 1.5);
}

// A winner whose line carries no odds places no bet; a race whose lines name
// no winner says so.
TEST_F(Check, SaysWhatTheLinesDoNotTell) {
    result("Rail Rocket", 1, 1, std::nullopt);
    result("Say \"When\"", 2, 4, 2.0);
    const std::string report = test::readText(check().report);
    EXPECT_NE(report.find("Winner: 1 Rail Rocket, 1st in the order\r\n"
                          "Top pick bet: none, its odds are not known\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("Winner: none of these dogs has a first place in its line\r\n"
                          "Top pick bet: 1.00 staked, 0.00 returned\r\n"),
              std::string::npos);
}

TEST_F(Check, ADogNoLongerOnFileIsStillRated) {
    {
        store::DogDatabase db(paths.dogDatabase());
        db.deleteDog(db.findDog("Rail Rocket")->rowId);
    }
    result("Rail Rocket", 1, 1, 2.0);
    const CheckOutcome out = check();
    const processing::Box& box = out.races[0].rated.table.box(1);
    EXPECT_EQ(box.dogName, "Rail Rocket");
    EXPECT_EQ(box.style, "");
    // Its two lines of grade A still give the best class: Cla 4.
    EXPECT_EQ(box.points.cla, 4);
    EXPECT_TRUE(out.races[0].outcome.topWon);
}

TEST_F(Check, RefusesACardWithoutRaces) {
    const fs::path empty = root / "Empty.rac";
    test::makeRaceFile(empty);
    card = empty;
    try {
        check();
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "The race file Empty.rac has no races.");
    }
    EXPECT_EQ(checkReportName("a.rac.rac"), "a - Results Check.txt");
}

}  // namespace
}  // namespace vz::analysis
