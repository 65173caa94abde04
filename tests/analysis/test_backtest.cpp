#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/analysis/backtest.h"
#include "core/analysis/backtest_report.h"
#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "tests/analysis/history.h"
#include "tests/processing/sample_card.h"
#include "tests/support/test_support.h"

namespace vz::analysis {
namespace {

using test::PastRace;
using test::Runner;
using test::ymd;

// Five dogs, all middle runners, over two race days.
//
// 1/5/2026, race 1 (S, B, winning time 3000): A to E in posts 1 to 5, each
// finishing in its post's place, break, eighth and stretch the same as the
// finish, finish time 3000 + 10 per place behind; A wins at 2.0.
//   Nobody has an earlier line: every figure would tie, so the race is
//   skipped ("no dog has an earlier line").
//
// 1/12/2026, race 2 (S, B, 3010): E1 D2 C3 B4 A5, each rated from its one
// line of 1/5 (grade B: Cla 4 each; Rec from finish 6/5/4/0/0; times
// 3000..3040; early speed 2 4 6 8 10; break 1..5; late speed 0):
//   Cla  all tie           -> posts 1-4: 4, post 5 (A): 0
//   Rec  A6 B5 C4 D0 E0    -> A4 B3 C2, then E before D on the tie (lower
//                             post first): E1, D (last position) 0
//   AvSp, Last A..E        -> A4 B3 C2 D1 E0 (gaps of 10: no speed gap)
//   EaSp 2 4 6 8 10        -> A5 B4 C3 D2 E0; B's break 2 - 0.2 > A's 1:
//                             "Extra Break Adv" to A
//   LaSp all tie           -> posts 1-4: 2, A: 0
//   Scores A 17, B 19, C 15, D 10, E 7: order B A C D E, margin 2.
//   B (post 4): EaSp 4 and Cla 4: "Must Play"; its break 2 is not 0.2
//   better than A's 1 beside it. A (post 5, the last): 1 <= 2 - 0.2:
//   "Break Adv". Advice: Include the 1 (E's LaSp 2); 4 Post will block
//   (B: EaSp 4, Cla 4); the 4 has a split (B: AvSp 3, EaSp 4); the 5 has a
//   split (A: AvSp 4, EaSp 5).
//   A wins at 4.5, B second at 1.5: the top pick loses its stake but is in
//   the first three, and the winner stood 2nd.
//
// One race rated: the top pick lost (in the first three), one bet of 1,
// returned 0, profit -1, ROI -100%.
class HandHistory : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());
    store::DogDatabase db{paths.dogDatabase()};
    const PastRace race1{ymd(2026, 1, 5), 1, "S", "B", 3000};
    const PastRace race2{ymd(2026, 1, 12), 2, "S", "B", 3010};

    void SetUp() override {
        test::addDogs(db, {"A", "B", "C", "D", "E"});
        test::addRace(db, race1,
                      {{"A", 1, 1, 2.0, 3000},
                       {"B", 2, 2, 3.0, 3010},
                       {"C", 3, 3, 5.0, 3020},
                       {"D", 4, 4, 8.0, 3030},
                       {"E", 5, 5, 9.0, 3040}});
        test::addRace(db, race2,
                      {{"E", 1, 5, 7.0, 3070},
                       {"D", 2, 4, 6.0, 3050},
                       {"C", 3, 3, 5.0, 3040},
                       {"B", 4, 2, 1.5, 3020},
                       {"A", 5, 1, 4.5, 3010}});
    }

    std::vector<RatedPastRace> races(BacktestOptions options = {}) {
        std::vector<RatedPastRace> out;
        BacktestRequest rq;
        rq.options = options;
        rq.onRace = [&](const RatedPastRace& r) { out.push_back(r); };
        summary = backtest(db, rq);
        return out;
    }

    BacktestSummary summary;
};

struct DogRow {
    int post;
    const char* name;
    processing::Points points;
    const char* alerts;
    int finish;
};

void expectDogs(const RatedPastRace& r, const std::vector<DogRow>& rows) {
    ASSERT_EQ(r.dogs.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(r.dogs[i].rank, static_cast<int>(i) + 1);
        EXPECT_EQ(r.dogs[i].post, rows[i].post);
        EXPECT_EQ(r.dogs[i].dogName, rows[i].name);
        EXPECT_EQ(r.dogs[i].points, rows[i].points);
        EXPECT_EQ(r.dogs[i].alerts, rows[i].alerts);
        EXPECT_EQ(r.dogs[i].result.finish, rows[i].finish);
    }
}

TEST_F(HandHistory, RatesEachRaceFromTheLinesBeforeIt) {
    const std::vector<RatedPastRace> rated = races();
    ASSERT_EQ(rated.size(), 1u);
    EXPECT_EQ(summary.skipped[static_cast<std::size_t>(Skip::NoEarlierLine)], 1);
    // Points are score, Cla, Rec, AvSp, Last, EaSp, LaSp.
    expectDogs(rated[0], {{4, "B", {19, 4, 3, 3, 3, 4, 2}, "Must Play", 2},
                          {5, "A", {17, 0, 4, 4, 4, 5, 0}, "Extra Break Adv - Break Adv", 1},
                          {3, "C", {15, 4, 2, 2, 2, 3, 2}, "", 3},
                          {2, "D", {10, 4, 0, 1, 1, 2, 2}, "", 4},
                          {1, "E", {7, 4, 1, 0, 0, 0, 2}, "", 5}});
    EXPECT_EQ(rated[0].advice,
              "Include the 1\r\n4 Post will block, play 1234\r\nThe 4 has a split\r\n"
              "The 5 has a split");
    EXPECT_EQ(rated[0].outcome.winnerRanks, std::vector<int>{2});
}

TEST_F(HandHistory, TalliesTheTopPicks) {
    races();
    const Tally& t = summary.all;
    EXPECT_EQ(t.races, 1);
    EXPECT_EQ(t.topWon, 0);
    EXPECT_EQ(t.topInThree, 1);
    EXPECT_EQ(t.winnerInTopTwo, 1);
    EXPECT_EQ(t.bets, 1);
    EXPECT_DOUBLE_EQ(t.returned, 0.0);
    EXPECT_DOUBLE_EQ(t.profit(), -1.0);
    EXPECT_DOUBLE_EQ(*t.roi(), -1.0);
    EXPECT_EQ(summary.linesRead, 10);
    EXPECT_EQ(summary.racesFound, 2);

    // Margins: race 2 is 2 (lost, -1).
    ASSERT_EQ(summary.byMargin.size(), 4u);
    EXPECT_EQ(summary.byMargin[0].tally.races, 0);
    EXPECT_EQ(summary.byMargin[1].tally.races, 1);
    EXPECT_DOUBLE_EQ(summary.byMargin[1].tally.profit(), -1.0);
    EXPECT_EQ(summary.byMargin[2].tally.races + summary.byMargin[3].tally.races, 0);
    ASSERT_EQ(summary.byGrade.size(), 1u);
    EXPECT_EQ(summary.byGrade[0].label, "B");
    EXPECT_EQ(summary.byGrade[0].tally.races, 1);

    // The profit after the one day rated: -1.
    ASSERT_EQ(summary.profitByDate.size(), 1u);
    EXPECT_EQ(summary.profitByDate[0].first, race2.date);
    EXPECT_DOUBLE_EQ(summary.profitByDate[0].second, -1.0);
}

struct Want {
    std::string label;
    long given;
    long won;
};

void expectCounts(const std::vector<Count>& got, const std::vector<Want>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].label, want[i].label);
        EXPECT_EQ(got[i].given, want[i].given) << want[i].label;
        EXPECT_EQ(got[i].won, want[i].won) << want[i].label;
    }
}

TEST_F(HandHistory, CountsFiguresAlertsAdviceAndScores) {
    races();
    // Each figure's pick in race 2: Cla and LaSp go to E (post 1 among the
    // tied), the other four to A (won).
    expectCounts(summary.figures, {{"Cla", 1, 0},
                                   {"Rec", 1, 1},
                                   {"AvSp", 1, 1},
                                   {"Last", 1, 1},
                                   {"EaSp", 1, 1},
                                   {"LaSp", 1, 0}});

    // Must Play to B (lost); A's two alerts won. Most given first, then by
    // name.
    expectCounts(summary.alerts,
                 {{"Break Adv", 1, 1}, {"Extra Break Adv", 1, 1}, {"Must Play", 1, 0}});

    // Four advice lines, in the one race; the top pick lost.
    std::vector<Count> advice;
    for (const AdviceCount& a : summary.advice) {
        advice.push_back({a.label, a.races, a.topWon, {}});
    }
    expectCounts(advice, {{"4 Post will block, play 1234", 1, 0},
                          {"Include the 1", 1, 0},
                          {"The 4 has a split", 1, 0},
                          {"The 5 has a split", 1, 0}});

    // Scores 19, 17 (A won), 15, 10 and 7.
    expectCounts(summary.scoreBands, {{"0-2", 0, 0},
                                      {"3-5", 0, 0},
                                      {"6-8", 1, 0},
                                      {"9-11", 1, 0},
                                      {"12-14", 0, 0},
                                      {"15-17", 2, 1},
                                      {"18-20", 1, 0},
                                      {"21-23", 0, 0}});
}

// No line of a race's day or later enters its rating: lines dated on race 2's
// day (another race of A and B that day, with grade AA wins) and after it
// change nothing in race 2.
TEST_F(HandHistory, NoLineOfTheRaceDayOrLaterLeaksIn) {
    const RatedPastRace before = races().at(0);
    test::addRace(db, {race2.date, 9, "S", "AA", 2900},
                  {{"A", 1, 1, 2.0, 2900}, {"B", 2, 1, 2.0, 2900}});
    test::addRace(db, {ymd(2026, 1, 13), 1, "S", "AA", 2900},
                  {{"E", 1, 1, 2.0, 2900}, {"D", 2, 1, 2.0, 2900}});
    const std::vector<RatedPastRace> after = races();
    const auto it = std::find_if(after.begin(), after.end(),
                                 [&](const RatedPastRace& r) { return r.race == before.race; });
    ASSERT_NE(it, after.end());
    ASSERT_EQ(it->dogs.size(), before.dogs.size());
    for (std::size_t i = 0; i < before.dogs.size(); ++i) {
        EXPECT_EQ(it->dogs[i].post, before.dogs[i].post);
        EXPECT_EQ(it->dogs[i].points, before.dogs[i].points);
        EXPECT_EQ(it->dogs[i].alerts, before.dogs[i].alerts);
    }
    EXPECT_EQ(it->advice, before.advice);
}

// The options choose the races, never the lines: with race 1 left out, race
// 2 still rates from race 1's lines.
TEST_F(HandHistory, OptionsChooseRacesNotLines) {
    const RatedPastRace all = races().at(0);
    struct Case {
        const char* what;
        std::function<void(BacktestOptions&)> set;
        long rated;
        long notChosen;
    };
    const std::vector<Case> cases = {
        {"from race 2's day", [&](BacktestOptions& o) { o.from = race2.date; }, 1, 1},
        {"to race 1's day", [&](BacktestOptions& o) { o.to = race1.date; }, 0, 1},
        {"grade B", [](BacktestOptions& o) { o.grade = "B"; }, 1, 0},
        {"grade b (stored text only)", [](BacktestOptions& o) { o.grade = "b"; }, 0, 2},
        {"distance L", [](BacktestOptions& o) { o.distance = "L"; }, 0, 2},
        {"fields of six", [](BacktestOptions& o) { o.minField = 6; }, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BacktestOptions options;
        c.set(options);
        const std::vector<RatedPastRace> rated = races(options);
        EXPECT_EQ(summary.racesRated(), c.rated);
        EXPECT_EQ(summary.racesNotChosen, c.notChosen);
        for (const RatedPastRace& r : rated) {
            if (r.race == all.race) {
                EXPECT_EQ(r.dogs.front().points, all.dogs.front().points);
            }
        }
    }
    EXPECT_EQ(summary.skipped[static_cast<std::size_t>(Skip::SmallField)], 2);
}

// A small reader of what the CSV writes: quoted fields with doubled quotes,
// rows ending in CR LF.
std::vector<std::vector<std::string>> readCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.back().push_back(std::move(field));
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    rows.pop_back();  // after the last row end
    return rows;
}

TEST_F(HandHistory, WritesTheReportAndACsvThatReadsBack) {
    // A name that needs quoting.
    for (base::RaceLine& l : db.raceLines("C")) {
        l.RegName = "Say \"When\", Jr";
        db.updateRaceLine(l);
    }
    BacktestRun run;
    run.paths = paths;
    run.today = ymd(2026, 2, 1);
    run.csv = root / "rated dogs.csv";
    std::vector<RatedPastRace> rated;
    run.request.onRace = [&](const RatedPastRace& r) { rated.push_back(r); };
    const BacktestOutcome out = runBacktest(run);
    ASSERT_EQ(rated.size(), 1u);
    EXPECT_EQ(out.report, paths.resultsDir() / "Backtest - Results.txt");
    const std::string report = test::readText(out.report);
    EXPECT_NE(report.find("Prepared on 01-Feb-26\r\n"), std::string::npos);
    EXPECT_NE(report.find(backtestSummaryText(out.tables)), std::string::npos);

    const auto rows = readCsv(test::readText(*run.csv));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"Date", "Race", "Grade", "Distance", "Post", "Dog", "Score",
                                        "Cla", "Rec", "AvSp", "Last", "EaSp", "LaSp", "Alerts",
                                        "Rank", "Finish", "Odds", "MarketChance"}));
    // Race 2's second dog: A, post 5, 17 points, won at 4.5. Its market
    // chance: 1/(odds+1) over the field's odds 7, 6, 5, 1.5 and 4.5, that is
    // 0.181818 of 0.125 + 0.142857 + 0.166667 + 0.4 + 0.181818 = 1.016342:
    // 0.178895.
    std::vector<std::string> a = rows[2];
    ASSERT_EQ(a.size(), 18u);
    EXPECT_NEAR(std::stod(a.back()), 0.178895, 1e-6);
    a.pop_back();
    EXPECT_EQ(a, (std::vector<std::string>{"2026-01-12", "2", "B", "S", "5", "A", "17", "0", "4",
                                           "4", "4", "5", "0", "Extra Break Adv - Break Adv", "2",
                                           "1", "4.5"}));
    std::size_t row = 1;
    for (const RatedPastRace& r : rated) {
        for (const RatedDog& d : r.dogs) {
            ASSERT_EQ(rows[row].size(), 18u);
            EXPECT_EQ(rows[row][5], d.dogName);
            EXPECT_EQ(rows[row][6], std::to_string(d.points.score));
            EXPECT_EQ(rows[row][13], d.alerts);
            EXPECT_EQ(rows[row][14], std::to_string(d.rank));
            ++row;
        }
    }
    EXPECT_EQ(rows[3][5], "Say \"When\", Jr");
}

// The evidence of the one race rated (race 2), by hand, with a commission
// of 5%:
//   B, the top pick, ran second at 1.5: no win in 1, in the first three.
//   Wilson's range of 0 wins in 1 with z = 1.96: 0 to z^2 / (1 + z^2) =
//   3.8416 / 4.8416 = 79.3%.
//   B's market chance: 1/(1.5+1) = 0.4 of 1/8 + 1/7 + 1/6 + 0.4 + 1/5.5 =
//   1.016342: 0.393568, 0.4 winners expected: too few to judge.
//   Bootstrap over the one race: every resample loses it all: -100% to -100%.
//   Level stakes: B loses 1: -1.00 on 1.00 (-100.0%), a fall of 1.00 not yet
//   made good, one losing bet; no profit, so no share of it.
//   To win 1 unit: B staked 1/1.5 = 0.67 and lost: -0.67, a fall of 0.67.
TEST_F(HandHistory, TheReportCarriesTheEvidenceWorkedByHand) {
    BacktestRun run;
    run.paths = paths;
    run.today = ymd(2026, 2, 1);
    run.request.options.commission = 5;
    const std::string report = test::readText(runBacktest(run).report);
    const std::vector<std::string> lines = {
        std::string("All races       ") + "        1" + "       0" + "   0.0%" + "   100.0%" +
            "       1" + "      -1.00" + " -100.0%" + "    0.0-79.3%" + "     0.4" +
            "  too few to judge" + "       -" + "  -100.0 to -100.0%",
        "Commission: 5% of a winning bet's net winnings",
        std::string("Level (1 unit a bet)      ") + "      1" + "      1.00" + "     -1.00" +
            " -100.0%" + "      1.00" + "    not yet" + "           1" + "            -",
        std::string("To win 1 unit (1 / odds)  ") + "      1" + "      0.67" + "     -0.67" +
            " -100.0%" + "      0.67" + "    not yet" + "           1" + "            -",
        std::string("2026-01   ") + "      1" + "     -1.00" + "     -0.67",
    };
    for (const std::string& line : lines) {
        EXPECT_NE(report.find(line + "\r\n"), std::string::npos) << line;
    }
}

// The staking section of a run whose top picks won at 2.0 on 1/5 and lost
// at 1.5 on 1/12, with a commission of 5%, by hand:
//   Level stakes: the winner makes 2 less 5%: +1.90, the loser -1: profit
//   0.90 on 2 (45.0%); the fall from 1.90 to 0.90 is 1.00, not yet made
//   good; one losing bet; the winner's 1.90 is 211% of the profit.
//   To win 1 unit: 0.50 staked wins 0.95, 0.67 staked is lost: 0.28 on 1.17
//   (24.3%), a fall of 0.67; 0.95 is 335% of the profit.
TEST(BacktestReport, StakingRowsWorkedByHand) {
    BacktestSummary s;
    s.options.commission = 5;
    // Both of margin 0, grade B, distance S.
    s.byMargin = {{"0", {}}, {"1-2", {}}, {"3-5", {}}, {"6 and more", {}}};
    s.byGrade = {{"B", {}}};
    s.byDistance = {{"S", {}}};
    s.picks = {{ymd(2026, 1, 5), 1, 2.0, true}, {ymd(2026, 1, 12), 2, 1.5, false}};
    const std::string report = backtestReport(s, backtestTables(s), ymd(2026, 2, 1));
    const std::vector<std::string> lines = {
        std::string("Level (1 unit a bet)      ") + "      2" + "      2.00" + "      0.90" +
            "   45.0%" + "      1.00" + "    not yet" + "           1" + "         211%",
        std::string("To win 1 unit (1 / odds)  ") + "      2" + "      1.17" + "      0.28" +
            "   24.3%" + "      0.67" + "    not yet" + "           1" + "         335%",
        std::string("2026-01   ") + "      2" + "      0.90" + "      0.28",
    };
    for (const std::string& line : lines) {
        EXPECT_NE(report.find(line + "\r\n"), std::string::npos) << line;
    }
}

// With a test period from race 2's day, race 1's day is the development
// period (its race is skipped: no earlier lines) and race 2 the test: each
// row's two periods add up to the whole run's.
TEST_F(HandHistory, TheTwoPeriodsAddUpToTheWhole) {
    BacktestOptions split;
    split.testFrom = race2.date;
    races(split);
    const BacktestSummary parts = summary;
    races();
    ASSERT_EQ(parts.periods.size(), 2u);
    EXPECT_EQ(parts.periods[0].all.races, 0);
    EXPECT_EQ(parts.periods[1].all.races, 1);
    const auto sameRows = [](const Tallies& t) {
        std::vector<std::pair<std::string, const Tally*>> rows = {{"all", &t.all}};
        for (const auto* list : {&t.byMargin, &t.byGrade, &t.byDistance}) {
            for (const Split& sp : *list) {
                rows.emplace_back(sp.label, &sp.tally);
            }
        }
        return rows;
    };
    const auto whole = sameRows(summary);
    const auto dev = sameRows(parts.periods[0]);
    const auto test = sameRows(parts.periods[1]);
    ASSERT_EQ(dev.size(), whole.size());
    ASSERT_EQ(test.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        SCOPED_TRACE(whole[i].first);
        EXPECT_EQ(dev[i].first, whole[i].first);
        EXPECT_EQ(dev[i].second->races + test[i].second->races, whole[i].second->races);
        EXPECT_EQ(dev[i].second->topWon + test[i].second->topWon, whole[i].second->topWon);
        EXPECT_DOUBLE_EQ(dev[i].second->returned + test[i].second->returned,
                         whole[i].second->returned);
        EXPECT_DOUBLE_EQ(dev[i].second->market.expected + test[i].second->market.expected,
                         whole[i].second->market.expected);
    }
    const auto counts = [](const Tallies& t) {
        std::vector<const Count*> rows;
        for (const auto* list : {&t.figures, &t.alerts, &t.scoreBands}) {
            for (const Count& c : *list) {
                rows.push_back(&c);
            }
        }
        return rows;
    };
    const auto wholeCounts = counts(summary);
    const auto devCounts = counts(parts.periods[0]);
    const auto testCounts = counts(parts.periods[1]);
    ASSERT_EQ(devCounts.size(), wholeCounts.size());
    for (std::size_t i = 0; i < wholeCounts.size(); ++i) {
        SCOPED_TRACE(wholeCounts[i]->label);
        EXPECT_EQ(devCounts[i]->given + testCounts[i]->given, wholeCounts[i]->given);
        EXPECT_EQ(devCounts[i]->won + testCounts[i]->won, wholeCounts[i]->won);
    }

    // The report shows both periods of a row together, and says which is
    // evidence.
    const std::string text = backtestReport(parts, backtestTables(parts), ymd(2026, 2, 1));
    EXPECT_NE(text.find("\r\nAll races       Development          0       0      -"),
              std::string::npos);
    EXPECT_NE(text.find("\r\n                Test                 1       0   0.0%"),
              std::string::npos);
    EXPECT_NE(text.find("Only the test column is evidence"), std::string::npos);
}

// Cancelled: nothing is written.
TEST_F(HandHistory, ACancelledRunWritesNothing) {
    BacktestRun run;
    run.paths = paths;
    run.today = ymd(2026, 2, 1);
    run.csv = root / "rated dogs.csv";
    run.request.cancelled = [] { return true; };
    const BacktestOutcome out = runBacktest(run);
    EXPECT_TRUE(out.summary.cancelled);
    EXPECT_TRUE(out.report.empty());
    EXPECT_FALSE(std::filesystem::exists(paths.resultsDir() / "Backtest - Results.txt"));
    EXPECT_FALSE(std::filesystem::exists(*run.csv));
}

TEST(BacktestOptions, RefusesWhatCannotBeUsed) {
    struct Case {
        std::function<void(BacktestOptions&)> set;
        const char* message;
    };
    const std::vector<Case> cases = {
        {[](BacktestOptions& o) {
             o.from = ymd(2026, 2, 1);
             o.to = ymd(2026, 1, 1);
         },
         "The first day 2026-02-01 is after the last day 2026-01-01."},
        {[](BacktestOptions& o) { o.distance = "X"; },
         "The distance must be S, L or R, not \"X\"."},
        {[](BacktestOptions& o) { o.distance = "s"; },
         "The distance must be S, L or R, not \"s\"."},
        {[](BacktestOptions& o) { o.minField = 0; }, "A race needs at least 1 dog, not 0."},
    };
    for (const Case& c : cases) {
        BacktestOptions options;
        c.set(options);
        try {
            checkOptions(options);
            ADD_FAILURE() << c.message;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    BacktestOptions oneDay;
    oneDay.from = oneDay.to = ymd(2026, 1, 1);
    EXPECT_NO_THROW(checkOptions(oneDay));
    EXPECT_EQ(distanceOption(" l "), "L");
    EXPECT_THROW(distanceOption("SL"), Error);
}

// Each rebuilt race that cannot be rated is counted once, by its reason.
class SkippedRaces : public ::testing::Test {
  protected:
    test::TempDir root;
    base::AppPaths paths = test::makeAppFolder(root.path());
    store::DogDatabase db{paths.dogDatabase()};

    BacktestSummary run(BacktestOptions options = {}) {
        BacktestRequest rq;
        rq.options = options;
        return backtest(db, rq);
    }

    static std::vector<Runner> field(const std::string& prefix, int dogs) {
        std::vector<Runner> runs;
        for (int p = 1; p <= dogs; ++p) {
            runs.push_back({prefix + std::to_string(p), p, p, 3.0});
        }
        return runs;
    }
};

TEST_F(SkippedRaces, CountsEachReason) {
    const base::Date d = ymd(2026, 3, 1);
    std::vector<Runner> noWinner = field("N", 5);
    for (Runner& r : noWinner) {
        r.finish = *r.finish + 1;
    }
    test::addRace(db, {d, 1}, noWinner);
    test::addRace(db, {d, 2}, field("S", 4));
    std::vector<Runner> twice = field("T", 5);
    twice[4].post = 3;
    test::addRace(db, {d, 3}, twice);
    std::vector<Runner> noPost = field("P", 5);
    test::addRace(db, {d, 4}, noPost);
    base::RaceLine unposted = test::lineOf({d, 4}, {"P6", 6, 6});
    unposted.Post.reset();
    db.addRaceLine(unposted);
    // Post 150: the rating has no box for it.
    std::vector<Runner> farOut = field("F", 5);
    farOut[4].post = 150;
    test::addRace(db, {d, 10}, farOut);
    // U1 has an earlier line without its break: its race cannot be rated.
    Runner unreadable{"U1", 1, 1};
    unreadable.noBreak = true;
    test::addRace(db, {ymd(2026, 2, 1), 7}, {unreadable});
    test::addRace(db, {d, 5}, field("U", 5));
    // A race in which no dog has an earlier line (F1 in post 6, so that the
    // race of post 150 is rated and refused), then a race of the R dogs that
    // rates; and lines that fit no race.
    std::vector<Runner> firsts = field("R", 5);
    firsts.push_back({"F1", 6, 6, 3.0});
    test::addRace(db, {ymd(2026, 2, 1), 6}, firsts);
    test::addRace(db, {d, 6}, field("R", 5));
    test::addRace(db, {d, 8, "S", "B", std::nullopt}, field("W", 2));
    base::RaceLine undated = test::lineOf({d, 9}, {"X", 1, 1});
    undated.RaceDate.reset();
    db.addRaceLine(undated);

    const BacktestSummary s = run();
    const auto skipped = [&](Skip r) { return s.skipped[static_cast<std::size_t>(r)]; };
    EXPECT_EQ(s.linesRead, 5 + 4 + 5 + 6 + 5 + 1 + 5 + 6 + 5 + 2 + 1);
    EXPECT_EQ(s.linesOutsideRaces, 3);  // two without winning time, one undated
    // Groups: the seven races of 3/1, the two of 2/1 (one a lone dog).
    EXPECT_EQ(s.racesFound, 9);
    EXPECT_EQ(skipped(Skip::NoWinner), 1);
    EXPECT_EQ(skipped(Skip::SmallField), 2);  // the four-dog race and U1's race of 2/1
    EXPECT_EQ(skipped(Skip::Posts), 3);
    EXPECT_EQ(skipped(Skip::Unreadable), 1);
    EXPECT_EQ(skipped(Skip::NoEarlierLine), 1);  // the race of 2/1 of R1-R5 and F1
    EXPECT_EQ(s.racesRated(), 1);

    // Fields of one: U1's lone race of 2/1 and the four-dog race are big
    // enough now, but none of their dogs has an earlier line.
    BacktestOptions fieldsOfOne;
    fieldsOfOne.minField = 1;
    const BacktestSummary one = run(fieldsOfOne);
    EXPECT_EQ(one.skipped[static_cast<std::size_t>(Skip::SmallField)], 0);
    EXPECT_EQ(one.skipped[static_cast<std::size_t>(Skip::NoEarlierLine)], 3);
    EXPECT_EQ(one.racesRated(), 1);
}

// A dog deleted from Main keeps its lines: it counts for the field, the
// winner and the posts, and is rated from its own earlier lines with no
// running style.
//
// 4/8, race 1 (posts 1 to 5: Gone, K2 to K5), from the lines of 4/1: Gone won
// in grade AA in 29.90 (Cla 6, Rec 8, break 1, early speed 2); K2 to K5 ran
// 2nd to 5th in grade B in 30.00 (Cla 4; Rec 5, 4, 0, 0; breaks 2 to 5).
//   Cla  Gone 4, K2-K4 tie at 3, K5 (last) 0   Rec  4 3 2 1 0
//   AvSp, Last  Gone 4, K2-K4 tie at 3, K5 0   EaSp 5 4 3 2 0
//   LaSp all tie: posts 1-4 get 2
//   Gone 23 = 4+4+4+4+5+2, tops the order and wins. K2's break 2 - 0.2 >
//   Gone's 1: "Extra Break Adv"; 1 <= 2 - 0.2 beside it: "Break Adv"; EaSp 5
//   and Cla 4: "Must Play". Its empty style is not "W": "Include the 1" (as
//   the wide runner it was on file, it would not be).
TEST_F(SkippedRaces, ADeletedDogStillRan) {
    test::addDogs(db, {"K2", "K3", "K4", "K5"}, "M");
    test::addDogs(db, {"Gone"}, "W");
    const base::Date before = ymd(2026, 4, 1);
    const PastRace race{ymd(2026, 4, 8), 1};
    test::addRace(db, {before, 1, "S", "AA"}, {{"Gone", 1, 1, 2.0, 2990}});
    // No winner among these: the race of 4/1 is not rated.
    test::addRace(db, {before, 2}, {{"K2", 2, 2}, {"K3", 3, 3}, {"K4", 4, 4}, {"K5", 5, 5}});
    test::addRace(db, race,
                  {{"Gone", 1, 1, 2.0}, {"K2", 2, 2}, {"K3", 3, 3}, {"K4", 4, 4}, {"K5", 5, 5}});
    const auto gone = db.findDog("Gone");
    ASSERT_TRUE(gone);
    db.deleteDog(gone->rowId);

    std::vector<RatedPastRace> rated;
    BacktestRequest rq;
    rq.onRace = [&](const RatedPastRace& r) { rated.push_back(r); };
    const BacktestSummary s = backtest(db, rq);
    ASSERT_EQ(rated.size(), 1u);
    const RatedPastRace& r = rated.front();
    EXPECT_EQ(r.race.RaceDate, race.date);
    ASSERT_EQ(r.dogs.size(), 5u);
    EXPECT_EQ(r.dogs[0].dogName, "Gone");
    EXPECT_EQ(r.dogs[0].points, (processing::Points{23, 4, 4, 4, 4, 5, 2}));
    EXPECT_EQ(r.dogs[0].alerts, "Extra Break Adv - Break Adv - Must Play");
    EXPECT_EQ(r.advice.substr(0, 13), "Include the 1");
    EXPECT_EQ(s.all.topWon, 1);
}

// Finish times 30.00 to 30.80 twenty apart: in the second race the four
// fastest averages each lead the next by more than 0.15 seconds, three
// "Speed Gap between" lines that count as one race with the advice.
TEST_F(SkippedRaces, ARaceWithSpeedGapsCountsOnce) {
    std::vector<Runner> field;
    for (int p = 1; p <= 5; ++p) {
        field.push_back({"G" + std::to_string(p), p, p, 3.0, 2980 + 20 * p});
    }
    test::addRace(db, {ymd(2026, 5, 1), 1}, field);
    test::addRace(db, {ymd(2026, 5, 8), 1}, field);
    std::vector<RatedPastRace> rated;
    BacktestRequest rq;
    rq.onRace = [&](const RatedPastRace& r) { rated.push_back(r); };
    const BacktestSummary s = backtest(db, rq);
    ASSERT_EQ(rated.size(), 1u);  // the first race has no earlier line
    EXPECT_EQ(rated[0].advice.substr(0, 54),
              "Speed Gap between 1 and 2\r\nSpeed Gap between 2 and 3\r\n");
    const auto gap = std::find_if(s.advice.begin(), s.advice.end(), [](const AdviceCount& a) {
        return a.label == "Speed Gap between";
    });
    ASSERT_NE(gap, s.advice.end());
    EXPECT_EQ(gap->races, 1);
}

// Names compare without letter case, as the database compares them: the
// earlier line stored as "MIXED" and Main's wide runner "Mixed" are the dog
// of the line "mixed". Same race as above: it tops the order with 23, and as
// a wide runner in post 1 it keeps "Include the 1" away.
TEST_F(SkippedRaces, NamesCompareWithoutLetterCase) {
    test::addDogs(db, {"K2", "K3", "K4", "K5"}, "M");
    test::addDogs(db, {"Mixed"}, "W");
    test::addRace(db, {ymd(2026, 4, 1), 1, "S", "AA"}, {{"MIXED", 1, 1, 2.0, 2990}});
    test::addRace(db, {ymd(2026, 4, 1), 2},
                  {{"K2", 2, 2}, {"K3", 3, 3}, {"K4", 4, 4}, {"K5", 5, 5}});
    test::addRace(db, {ymd(2026, 4, 8), 1},
                  {{"mixed", 1, 1, 2.0}, {"K2", 2, 2}, {"K3", 3, 3}, {"K4", 4, 4}, {"K5", 5, 5}});
    std::vector<RatedPastRace> rated;
    BacktestRequest rq;
    rq.onRace = [&](const RatedPastRace& r) { rated.push_back(r); };
    backtest(db, rq);
    ASSERT_EQ(rated.size(), 1u);
    EXPECT_EQ(rated[0].dogs[0].dogName, "mixed");
    EXPECT_EQ(rated[0].dogs[0].points.score, 23);
    EXPECT_EQ(rated[0].advice.find("Include the 1"), std::string::npos) << rated[0].advice;
}

}  // namespace
}  // namespace vz::analysis
