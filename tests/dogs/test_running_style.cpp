#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/base/error.h"
#include "core/base/settings.h"
#include "core/dogs/running_style.h"
#include "tests/dogs/dog_fixture.h"

namespace vz::dogs {
namespace {

using test::ymd;

TEST(DecideStyle, FollowsTheOrderOfTheDecisionsAndItsTies) {
    struct Case {
        std::int64_t inside, middle, outside;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {9999, 9999, 9999, "R"},           // no lines at all
        {3050, 3050, 3100, "R"},           // inside ties middle
        {3000, 3100, 3000, "R"},           // inside ties outside
        {3100, 3050, 3000, "W"},           // outside fastest
        {3100, 3050, 3080, "M"},           // middle fastest
        {3100, 3000, 3000, std::nullopt},  // middle ties outside, both ahead of inside
        {3100, 3100, 3000, "W"},           // inside ties middle, outside ahead of both
        {3000, 3050, 9999, "R"},
        {9999, 3050, 9999, "M"},
        {9999, 9999, 3050, "W"},
        {100000, 9999, 9999, std::nullopt},  // above 9999: behind two empty groups, which tie
        {100000, 9999, 3050, "W"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decideStyle(c.inside, c.middle, c.outside), c.expected)
            << c.inside << " " << c.middle << " " << c.outside;
    }
}

TEST(GroupTimes, RoundsHalfToEvenAfterEachAdditionAndIsNotLimitedTo16Bits) {
    GroupTimes none;
    EXPECT_EQ(none.average(), kNoAverage);

    GroupTimes g;
    g.add(2000.5);  // 2000
    EXPECT_EQ(g.sum, 2000);
    g.add(2001.5);  // 4001.5 -> 4002
    EXPECT_EQ(g.sum, 4002);
    g.add(2002.5);  // 6004.5 -> 6004
    EXPECT_EQ(g.sum, 6004);
    EXPECT_EQ(g.average(), 2001);  // rounding only at the end would give 2002

    GroupTimes halves;
    halves.add(3050);
    halves.add(3051);
    EXPECT_EQ(halves.average(), 3050);  // 3050.5 to the even neighbour
    halves.add(3054);
    halves.add(3054);
    EXPECT_EQ(halves.average(), 3052);  // 3052.25

    GroupTimes big;
    big.add(5000000);
    EXPECT_EQ(big.average(), 5000000);
}

TEST(PostGroup, EightPostsInThreeGroups) {
    const std::pair<std::optional<int>, PostGroup> cases[] = {
        {std::nullopt, PostGroup::None}, {0, PostGroup::None},    {1, PostGroup::Inside},
        {3, PostGroup::Inside},          {4, PostGroup::Middle},  {5, PostGroup::Middle},
        {6, PostGroup::Outside},         {8, PostGroup::Outside}, {9, PostGroup::None},
        {-1, PostGroup::None},
    };
    for (const auto& [post, group] : cases) {
        EXPECT_EQ(postGroup(post), group) << post.value_or(-999);
    }
}

class StyleUpdateTest : public test::DogFixture {
  protected:
    StyleUpdateResult run(const base::Settings& s) { return updateRunningStyles(db, s, today); }
    StyleUpdateResult run() { return run(someSettings()); }
};

TEST_F(StyleUpdateTest, DogsWithoutCountingLinesBecomeRailRunners) {
    addDog("No Lines", "W");
    addDog("Short Times", "M");
    addStyleLine("Short Times", "S", 6, 2000);
    addStyleLine("Short Times", "L", 4, 1999);
    addDog("Only R", "W");
    addStyleLine("Only R", "R", 6, 4000);
    addDog("Other Codes", "M");
    addStyleLine("Other Codes", "s", 6, 3000);  // codes compare exactly
    addStyleLine("Other Codes", "X", 5, 3000);
    addDog("Odd Posts", "W");
    addStyleLine("Odd Posts", "S", 0, 3000);
    addStyleLine("Odd Posts", "S", 9, 3000);

    const auto result = run();
    for (const char* name : {"No Lines", "Short Times", "Only R", "Other Codes", "Odd Posts"}) {
        EXPECT_EQ(styleOf(name), "R") << name;
    }
    EXPECT_EQ(result.dogs, 5);
    EXPECT_EQ(result.changes.size(), 5u);
}

TEST_F(StyleUpdateTest, StylesFromTheGroupAverages) {
    addDog("Tie Inside Middle", "W");
    addStyleLine("Tie Inside Middle", "S", 1, 3050);
    addStyleLine("Tie Inside Middle", "S", 4, 3050);
    addStyleLine("Tie Inside Middle", "S", 7, 3100);
    addDog("Wide", "M");
    addStyleLine("Wide", "S", 2, 3100);
    addStyleLine("Wide", "S", 5, 3050);
    addStyleLine("Wide", "S", 8, 3000);
    addDog("Middle", "W");
    addStyleLine("Middle", "S", 3, 3100);
    addStyleLine("Middle", "S", 5, 3050);
    addStyleLine("Middle", "S", 6, 3080);
    addDog("Keeps", "W");
    addStyleLine("Keeps", "S", 1, 3100);
    addStyleLine("Keeps", "S", 4, 3000);
    addStyleLine("Keeps", "S", 6, 3000);
    addDog("Averaged", "M");  // inside (3000 + 3200) / 2 = 3100 beats middle 3101
    addStyleLine("Averaged", "S", 1, 3000);
    addStyleLine("Averaged", "S", 2, 3200);
    addStyleLine("Averaged", "S", 4, 3101);

    const auto result = run();
    EXPECT_EQ(styleOf("Tie Inside Middle"), "R");
    EXPECT_EQ(styleOf("Wide"), "W");
    EXPECT_EQ(styleOf("Middle"), "M");
    EXPECT_EQ(styleOf("Keeps"), "W");
    EXPECT_EQ(styleOf("Averaged"), "R");
    // Only real changes are listed, in name order.
    ASSERT_EQ(result.changes.size(), 4u);
    EXPECT_EQ(result.changes[0].RegName, "Averaged");
    EXPECT_EQ(result.changes[0].oldStyle, "M");
    EXPECT_EQ(result.changes[0].newStyle, "R");
    EXPECT_EQ(result.changes[3].RegName, "Wide");
}

TEST_F(StyleUpdateTest, LongTimesAbove2000CountScaledByTheFactorHeldAtTheStart) {
    base::Settings s = someSettings();
    s.TimeFactorL = 0.5;
    // 2000 at "L" does not count: the outside line decides.
    addDog("L 2000", "M");
    addStyleLine("L 2000", "L", 1, 2000);
    addStyleLine("L 2000", "S", 6, 3000);
    // 2001 counts, as 1000.5 rounded to 1000, which beats 3000.
    addDog("L 2001", "M");
    addStyleLine("L 2001", "L", 1, 2001);
    addStyleLine("L 2001", "S", 6, 3000);
    // The same at "S": 2000 no, 2001 yes.
    addDog("S 2000", "M");
    addStyleLine("S 2000", "S", 1, 2000);
    addStyleLine("S 2000", "S", 6, 3000);
    addDog("S 2001", "M");
    addStyleLine("S 2001", "S", 1, 2001);
    addStyleLine("S 2001", "S", 6, 3000);
    // Outside: 4001, 4003, 4005 scaled to 2000.5, 2001.5, 2002.5, the sum
    // rounded after each: 6004 / 3 = 2001, ahead of the inside 2002.
    addDog("Rounded Sum", "M");
    addStyleLine("Rounded Sum", "L", 6, 4001);
    addStyleLine("Rounded Sum", "L", 7, 4003);
    addStyleLine("Rounded Sum", "L", 8, 4005);
    addStyleLine("Rounded Sum", "S", 1, 2002);

    const auto result = run(s);
    EXPECT_EQ(styleOf("L 2000"), "W");
    EXPECT_EQ(styleOf("L 2001"), "R");
    EXPECT_EQ(styleOf("S 2000"), "W");
    EXPECT_EQ(styleOf("S 2001"), "R");
    EXPECT_EQ(styleOf("Rounded Sum"), "W");
    EXPECT_EQ(result.linesRead, 12);
}

TEST_F(StyleUpdateTest, FactorsFromFirstToThirdFinishesUnscaled) {
    addDog("A");
    addLine("A", ymd(2026, 11, 1), "S", 1, 1, 3000);
    addLine("A", ymd(2026, 11, 2), "S", 9, 3, 3100);  // no post group, still a factor time
    addLine("A", ymd(2026, 11, 3), "S", 2, 4, 9000);  // fourth: no
    addLine("A", ymd(2026, 11, 4), "S", 2, 0, 9000);  // no placing: no
    addLine("A", ymd(2026, 11, 5), "S", 2, std::nullopt, 9000);
    addLine("A", ymd(2026, 11, 6), "S", 2, 1, std::nullopt);  // no time: no
    addDog("b");
    addLine("B", ymd(2026, 11, 1), "L", 4, 2, 3700);  // names match whatever the case
    addLine("b", ymd(2026, 11, 1), "R", 4, 1, 4000);
    addLine("b", ymd(2026, 11, 1), "R", 4, 3, 1000);  // no test on the time
    // Lines of a name that is no dog are not visited.
    addLine("Ghost", ymd(2026, 11, 1), "S", 1, 1, 100);
    addLine("Ghost", ymd(2026, 11, 1), "L", 1, 1, 100);

    const auto result = run();
    EXPECT_EQ(result.timesS.count, 2);
    EXPECT_DOUBLE_EQ(result.timesS.sum, 6100);
    EXPECT_EQ(result.timesL.count, 1);
    EXPECT_EQ(result.timesR.count, 2);
    EXPECT_DOUBLE_EQ(result.settings.TimeFactorL, 3050.0 / 3700.0);
    EXPECT_DOUBLE_EQ(result.settings.TimeFactorR, 3050.0 / 2500.0);
    EXPECT_TRUE(result.timeFactorLComputed);
    EXPECT_TRUE(result.timeFactorRComputed);
    EXPECT_EQ(result.linesRead, 9);
    EXPECT_EQ(result.settings.LastStyleUpdate, today);
}

TEST_F(StyleUpdateTest, FactorsWithoutTheirCountsKeepTheirValues) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> finishes;  // distance, time
        bool lChanges, rChanges;
    };
    const Case cases[] = {
        {"no S finish", {{"L", 3700}, {"R", 4000}}, false, false},
        {"S and L only", {{"S", 3000}, {"L", 3750}}, true, false},
        {"S and R only", {{"S", 3000}, {"R", 4000}}, false, true},
        {"zero L times", {{"S", 3000}, {"L", 0}, {"R", 4000}}, false, true},
        // 3000 / 1 and 3000 / 40000 lie outside 0.1 to 10: damaged times.
        {"L time of 0.01 s", {{"S", 3000}, {"L", 1}, {"R", 4000}}, false, true},
        {"R time of 400 s", {{"S", 3000}, {"L", 3750}, {"R", 40000}}, true, false},
    };
    for (const Case& c : cases) {
        test::TempDir caseDir;
        const auto casePaths = test::makeAppFolder(caseDir.path());
        store::DogDatabase caseDb(casePaths.dogDatabase());
        caseDb.addDog(base::Dog{0, "Dog", "M", 0, 0, 0, 0, std::nullopt});
        for (const auto& [distance, time] : c.finishes) {
            base::RaceLine l;
            l.RegName = "Dog";
            l.RaceDate = ymd(2026, 11, 1);
            l.Distance = distance;
            l.Post = 1;
            l.Finish = 1;
            l.FinishTime = time;
            caseDb.addRaceLine(l);
        }
        const base::Settings before = someSettings();
        const auto result = updateRunningStyles(caseDb, before, today);
        EXPECT_EQ(result.settings.TimeFactorL != before.TimeFactorL, c.lChanges) << c.what;
        EXPECT_EQ(result.settings.TimeFactorR != before.TimeFactorR, c.rChanges) << c.what;
        EXPECT_EQ(result.timeFactorLComputed, c.lChanges) << c.what;
        EXPECT_EQ(result.timeFactorRComputed, c.rChanges) << c.what;
    }
}

TEST_F(StyleUpdateTest, TwoRunsInARowGiveTheSameFactorsButMayChangeStyles) {
    // "Scaled" has its inside time at "L": 3600 x 0.8191767 = 2949 beats the
    // outside 3000; after the first run the factor is 1.0 and it does not.
    addDog("Scaled", "M");
    addStyleLine("Scaled", "L", 1, 3600);
    addStyleLine("Scaled", "S", 6, 3000);
    addDog("Sets Factor", "M");
    addLine("Sets Factor", ymd(2026, 11, 1), "S", 9, 1, 3000);
    addLine("Sets Factor", ymd(2026, 11, 2), "L", 9, 1, 3000);

    const auto first = run();
    EXPECT_EQ(styleOf("Scaled"), "R");
    EXPECT_DOUBLE_EQ(first.settings.TimeFactorL, 1.0);
    const auto second = run(first.settings);
    EXPECT_EQ(styleOf("Scaled"), "W");
    EXPECT_DOUBLE_EQ(second.settings.TimeFactorL, first.settings.TimeFactorL);
    EXPECT_DOUBLE_EQ(second.settings.TimeFactorR, first.settings.TimeFactorR);
    ASSERT_EQ(second.changes.size(), 1u);
    EXPECT_EQ(second.changes[0].RegName, "Scaled");
}

TEST_F(StyleUpdateTest, NamesWithQuotesAndOddTimesDoNotStopThePass) {
    addDog("Mighty \"Mo\"", "M");
    addStyleLine("Mighty \"Mo\"", "S", 6, 3000);
    addDog("Huge Time", "M");
    addStyleLine("Huge Time", "S", 1, 2000000000);
    addStyleLine("Huge Time", "S", 1, 2000000000);  // the sum passes 32 bits
    addStyleLine("Huge Time", "S", 5, 3000);
    addDog("Zed", "M");
    addStyleLine("Zed", "S", 7, 3000);

    const auto result = run();
    EXPECT_EQ(styleOf("Mighty \"Mo\""), "W");
    EXPECT_EQ(styleOf("Huge Time"), "M");
    EXPECT_EQ(styleOf("Zed"), "W");
    EXPECT_EQ(result.dogs, 3);
}

TEST_F(StyleUpdateTest, WholeCommandWritesTheSettingsFileWithTheOtherValuesUnchanged) {
    addDog("A");
    addLine("A", ymd(2026, 11, 1), "S", 6, 1, 3000);
    addLine("A", ymd(2026, 11, 1), "R", 6, 1, 4000);
    const base::Settings before = someSettings();
    base::writeSettings(paths.settingsFile(), before);

    std::vector<std::pair<long, long>> calls;
    const auto result = runStyleUpdate(
        paths, before, today, [&](long done, long total) { calls.emplace_back(done, total); });
    const auto read = base::readSettings(paths.settingsFile());
    ASSERT_FALSE(read.error);
    base::Settings expected = before;
    expected.TimeFactorR = 0.75;
    expected.LastStyleUpdate = today;
    EXPECT_EQ(read.settings, expected);
    EXPECT_EQ(result.settings, expected);
    EXPECT_EQ(styleOf("A"), "W");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), std::make_pair(1L, 1L));
}

TEST_F(StyleUpdateTest, AFailedPassChangesNothing) {
    for (int i = 0; i < 250; ++i) {
        const std::string name = "Dog " + std::to_string(1000 + i);
        addDog(name, "M");
        addStyleLine(name, "S", 1, 3000);
    }
    addLine("Dog 1000", ymd(2026, 11, 1), "S", 1, 1, 3000);
    addLine("Dog 1000", ymd(2026, 11, 1), "L", 1, 1, 3600);
    const base::Settings before = someSettings();
    base::writeSettings(paths.settingsFile(), before);
    const std::string fileBefore = test::readText(paths.settingsFile());

    // Fails early (during the scan) and late (after the rows are written,
    // before the commit).
    for (long failAt : {2L, 250L}) {
        auto failing = [failAt](long done, long) {
            if (done >= failAt) {
                throw std::runtime_error("stopped");
            }
        };
        EXPECT_THROW(runStyleUpdate(paths, before, today, failing), std::runtime_error);
        EXPECT_EQ(styleOf("Dog 1000"), "M") << failAt;
        EXPECT_EQ(styleOf("Dog 1249"), "M") << failAt;
        EXPECT_EQ(test::readText(paths.settingsFile()), fileBefore) << failAt;
    }
    // And the same database then updates normally.
    runStyleUpdate(paths, before, today);
    EXPECT_EQ(styleOf("Dog 1249"), "R");
    EXPECT_NE(test::readText(paths.settingsFile()), fileBefore);
}

// The styles and the factors go together: when the settings file cannot
// take the factors, no style changes either.
TEST_F(StyleUpdateTest, AReadOnlyApplicationFolderStopsTheUpdateBeforeAnyChange) {
    addDog("A", "M");
    addStyleLine("A", "S", 7, 3000);  // would become "W"
    base::writeSettings(paths.settingsFile(), someSettings());
    test::removeWritePermission(paths.appDir);
    const std::string message = test::asOrdinaryUser([&] {
        runStyleUpdate(paths, someSettings(), today);
        return std::string("updated");
    });
    EXPECT_EQ(message, "exception: The settings file " + paths.settingsFile().string() +
                           " cannot be written: the folder " + paths.appDir.string() +
                           " is not writable (permission denied).");
    EXPECT_EQ(styleOf("A"), "M");
}

TEST_F(StyleUpdateTest, EmptyDatabaseOnlyMovesTheDate) {
    const auto result = run();
    EXPECT_EQ(result.dogs, 0);
    base::Settings expected = someSettings();
    expected.LastStyleUpdate = today;
    EXPECT_EQ(result.settings, expected);
}

}  // namespace
}  // namespace vz::dogs
