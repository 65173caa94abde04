#include <gtest/gtest.h>

#include <vector>

#include "core/base/error.h"
#include "core/processing/figures.h"

namespace vz::processing {
namespace {

using std::nullopt;

HistoryLine timed(const char* distance, std::optional<int> finishTime) {
    HistoryLine l;
    l.Distance = distance;
    l.FinishTime = finishTime;
    l.Break = 3;
    l.Eighth = 3;
    l.Stretch = 3;
    l.Finish = 3;
    return l;
}

HistoryLine placed(std::optional<std::string> grade, std::optional<int> finish) {
    HistoryLine l = timed("S", 3000);
    l.Grade = std::move(grade);
    l.Finish = finish;
    if (!finish) {
        l.Finish = 5;
    }
    return l;
}

HistoryLine run(int brk, int eighth, int stretch, int finish) {
    HistoryLine l = timed("S", 3000);
    l.Break = brk;
    l.Eighth = eighth;
    l.Stretch = stretch;
    l.Finish = finish;
    return l;
}

const TimeFactors kDefault{};

TEST(GradeAndFinishPoints, ByGradeClassAndPlace) {
    struct Case {
        std::optional<std::string> grade;
        int grade_points;
        int first, second, third;
    };
    const std::vector<Case> cases = {
        {"AA", 6, 8, 7, 6}, {"A", 5, 7, 6, 5},     {"A1", 5, 7, 6, 5}, {"AAA", 5, 7, 6, 5},
        {"B", 4, 6, 5, 4},  {"C2", 3, 5, 4, 3},    {"D", 2, 4, 3, 2},  {"E", 2, 4, 3, 2},
        {"J", 2, 4, 3, 2},  {"M", 1, 3, 2, 1},     {"aa", 0, 0, 0, 0}, {"T", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},   {nullopt, 0, 0, 0, 0}, {" A", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.grade.value_or("(null)"));
        EXPECT_EQ(gradePoints(c.grade), c.grade_points);
        EXPECT_EQ(finishPoints(c.grade, 1), c.first);
        EXPECT_EQ(finishPoints(c.grade, 2), c.second);
        EXPECT_EQ(finishPoints(c.grade, 3), c.third);
        EXPECT_EQ(finishPoints(c.grade, 4), 0);
        EXPECT_EQ(finishPoints(c.grade, 0), 0);
        EXPECT_EQ(finishPoints(c.grade, nullopt), 0);
    }
}

TEST(DogFigures, ClassFiguresSumOverTheEightNewestLines) {
    std::vector<HistoryLine> lines;
    for (int i = 0; i < 8; ++i) {
        lines.push_back(placed("AA", 1));
    }
    for (int i = 0; i < 4; ++i) {
        lines.push_back(placed("B", 1));  // older than the eight: ignored
    }
    const DogFigures f = dogFigures(lines, kDefault, "Dog");
    EXPECT_EQ(f.gradePoints, 48);
    EXPECT_EQ(f.finishPoints, 64);
    EXPECT_EQ(f.linesRead, 8);

    const DogFigures g = dogFigures(std::vector{placed("A1", 4)}, kDefault, "Dog");
    EXPECT_EQ(g.gradePoints, 5);  // a fourth place still has its grade points
    EXPECT_EQ(g.finishPoints, 0);
}

TEST(AdjustedTime, FactorsAndTheLowerLimit) {
    struct Case {
        std::optional<std::string> distance;
        std::optional<int> time;
        double expected;
    };
    const std::vector<Case> cases = {
        {"S", 3120, 3120},     {"L", 3800, 3800 * 0.8191767},
        {"R", 3950, 3160},     {"S", 1001, 1001},
        {"S", 1000, 9999},     {"L", 1000, 9999},
        {"S", 0, 9999},        {"S", nullopt, 9999},
        {"s", 3000, 9999},     {"X", 3000, 9999},
        {nullopt, 3000, 9999},
    };
    for (const Case& c : cases) {
        HistoryLine l;
        l.Distance = c.distance;
        l.FinishTime = c.time;
        EXPECT_EQ(adjustedTime(l, kDefault), c.expected)
            << c.distance.value_or("(null)") << " " << c.time.value_or(-1);
    }
}

TEST(DogFigures, WorkedSpeedExample) {
    const std::vector<HistoryLine> lines = {timed("S", 3120), timed("L", 3800), timed("S", 0),
                                            timed("R", 3950), timed("S", 3105)};
    const DogFigures f = dogFigures(lines, kDefault, "Dog");
    EXPECT_EQ(f.bestTimes[2], 3800 * 0.8191767);
    EXPECT_NEAR(f.bestTimes[2], 3112.87146, 1e-5);
    EXPECT_EQ(f.bestTimes[3], 3120);
    EXPECT_NEAR(f.avgTime, 3112.62382, 1e-5);
    EXPECT_EQ(f.avgTime, (3105 + 3800 * 0.8191767 + 3120) / 3);
    EXPECT_EQ(f.bestTimes[1], f.avgTime);
    EXPECT_EQ(f.lastTime, 3120);
}

TEST(DogFigures, TimeEdgeCases) {
    // Only zero times at "S": no average, but the last time is the stored 0.
    DogFigures f = dogFigures(std::vector{timed("S", 0), timed("S", 0)}, kDefault, "Dog");
    EXPECT_EQ(f.avgTime, 9999);
    EXPECT_EQ(f.lastTime, 0);

    f = dogFigures(std::vector{timed("S", 3050)}, kDefault, "Dog");
    EXPECT_EQ(f.avgTime, 3050);
    f = dogFigures(std::vector{timed("S", 3050), timed("R", 3850)}, kDefault, "Dog");
    EXPECT_EQ(f.avgTime, (3050 + 3850 * 0.8) / 2);

    // Equal times both stay in the best three.
    f = dogFigures(
        std::vector{timed("S", 3050), timed("S", 3050), timed("S", 3100), timed("S", 3000)},
        kDefault, "Dog");
    EXPECT_EQ(f.bestTimes[2], 3050);
    EXPECT_EQ(f.bestTimes[3], 3050);
    EXPECT_EQ(f.avgTime, (3000 + 3050 + 3050) / 3.0);

    // "L" 3800 newest: last time rounds 3112.87 to 3113.
    f = dogFigures(std::vector{timed("L", 3800)}, kDefault, "Dog");
    EXPECT_EQ(f.lastTime, 3113);

    // The newest timed-distance line gives the last time even when it is
    // below the limit; a distance other than S, L, R is passed over.
    f = dogFigures(std::vector{timed("X", 2900), timed("S", 500), timed("S", 3100)}, kDefault,
                   "Dog");
    EXPECT_EQ(f.lastTime, 500);
    EXPECT_EQ(f.avgTime, 3100);

    // A line without any FinishTime is passed over for the last time.
    f = dogFigures(std::vector{timed("S", nullopt), timed("S", 3100)}, kDefault, "Dog");
    EXPECT_EQ(f.lastTime, 3100);

    // Rounding half to even on the last time: 3125 * 0.8 = 2500 exactly,
    // 3127 * 0.5 = 1563.5 goes to 1564, 3125 * 0.5 = 1562.5 to 1562.
    f = dogFigures(std::vector{timed("R", 3125)}, TimeFactors{0.8, 0.5}, "Dog");
    EXPECT_EQ(f.lastTime, 1562);
    f = dogFigures(std::vector{timed("R", 3127)}, TimeFactors{0.8, 0.5}, "Dog");
    EXPECT_EQ(f.lastTime, 1564);

    // Best three are chosen among the eight newest lines only.
    std::vector<HistoryLine> twelve(8, timed("S", 3200));
    for (int i = 0; i < 4; ++i) {
        twelve.push_back(timed("S", 2900));
    }
    f = dogFigures(twelve, kDefault, "Dog");
    EXPECT_EQ(f.avgTime, 3200);
}

TEST(DogFigures, LastTimeTooLargeForAnIntegerFails) {
    try {
        dogFigures(std::vector{timed("L", 2000000000)}, TimeFactors{4.0, 0.8}, "Dog");
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::kOverflow);
    }
}

TEST(DogFigures, SectionalFiguresOfOneLine) {
    const DogFigures f = dogFigures(std::vector{run(2, 3, 4, 1)}, kDefault, "Dog");
    EXPECT_EQ(f.earlySpeed, 5);
    EXPECT_EQ(f.avgBreak, 2);
    EXPECT_EQ(f.lateSpeed, 3);
    EXPECT_FALSE(f.fastBreaker);
    EXPECT_FALSE(f.closer);
}

TEST(DogFigures, SectionalAveragesAreDoubles) {
    const DogFigures f =
        dogFigures(std::vector{run(1, 2, 3, 1), run(2, 2, 2, 3), run(4, 3, 5, 5)}, kDefault, "D");
    EXPECT_EQ(f.breakSum, 7);
    EXPECT_EQ(f.eighthSum, 7);
    EXPECT_EQ(f.earlySpeed, 7 / 3.0 + 7 / 3.0);
    EXPECT_EQ(f.avgBreak, 7 / 3.0);
    EXPECT_EQ(f.lateSpeed, 1 / 3.0);
}

TEST(DogFigures, RunningPatternFlagsLookAtTheSixNewestLines) {
    struct Case {
        const char* what;
        std::vector<HistoryLine> lines;
        bool fast;
        bool closer;
    };
    const HistoryLine good = run(2, 2, 2, 2);
    const HistoryLine back = run(6, 6, 5, 3);  // bad break and a stretch gain
    const HistoryLine bad = run(7, 6, 4, 4);   // bad break, no gain
    const HistoryLine other = run(4, 4, 4, 4);
    const std::vector<Case> cases = {
        {"four good breaks", {good, good, other, good, other, good}, true, false},
        {"three lines never qualify", {good, good, good}, false, false},
        {"good breaks only after line six",
         {other, other, other, other, other, other, good, good},
         false,
         false},
        {"four back-and-gain", {back, back, back, back}, false, true},
        {"bad breaks but three gains", {back, back, back, bad, other, other}, false, false},
        {"break 6 is bad, break 2 is good",
         {run(6, 1, 2, 1), run(6, 1, 2, 1), run(6, 1, 2, 1), run(6, 1, 2, 1)},
         false,
         true},
        {"stretch equal to finish is no gain",
         {run(6, 1, 3, 3), run(6, 1, 3, 3), run(6, 1, 3, 3), run(6, 1, 3, 3)},
         false,
         false},
    };
    for (const Case& c : cases) {
        const DogFigures f = dogFigures(c.lines, kDefault, "Dog");
        EXPECT_EQ(f.fastBreaker, c.fast) << c.what;
        EXPECT_EQ(f.closer, c.closer) << c.what;
    }
}

TEST(DogFigures, AveragedOverTheEightNewestLines) {
    std::vector<HistoryLine> lines(8, run(1, 1, 2, 1));
    lines.push_back(run(8, 8, 1, 8));
    const DogFigures f = dogFigures(lines, kDefault, "Dog");
    EXPECT_EQ(f.avgBreak, 1);
    EXPECT_EQ(f.earlySpeed, 2);
    EXPECT_EQ(f.lateSpeed, 1);
}

TEST(DogFigures, DogWithoutLines) {
    const DogFigures f = dogFigures({}, kDefault, "Dog");
    EXPECT_EQ(f.gradePoints, 0);
    EXPECT_EQ(f.finishPoints, 0);
    EXPECT_EQ(f.avgTime, 9999);
    EXPECT_EQ(f.lastTime, 9999);
    EXPECT_EQ(f.earlySpeed, 0);
    EXPECT_EQ(f.avgBreak, 0);
    EXPECT_EQ(f.lateSpeed, 0);
    EXPECT_FALSE(f.fastBreaker);
    EXPECT_FALSE(f.closer);
    EXPECT_EQ(f.linesRead, 0);
}

TEST(DogFigures, MissingPositionNamesTheDogAndTheDate) {
    for (int field = 0; field < 4; ++field) {
        HistoryLine l = run(1, 1, 1, 1);
        l.RaceDate =
            base::Date{std::chrono::year{2026}, std::chrono::month{11}, std::chrono::day{3}};
        std::optional<int>* fields[] = {&l.Break, &l.Eighth, &l.Stretch, &l.Finish};
        *fields[field] = nullopt;
        try {
            dogFigures(std::vector{run(1, 1, 1, 1), l}, kDefault, "Fast Lady");
            FAIL() << "no error for field " << field;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find("Fast Lady"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("11/3/2026"), std::string::npos) << e.what();
        }
    }
    // A missing position in a line past the eighth is never read.
    std::vector<HistoryLine> lines(8, run(1, 1, 1, 1));
    lines.push_back(HistoryLine{});
    EXPECT_NO_THROW(dogFigures(lines, kDefault, "Dog"));
}

}  // namespace
}  // namespace vz::processing
