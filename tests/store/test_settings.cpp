#include <gtest/gtest.h>

#include "core/store/settings.h"
#include "core/store/startup.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

const Date kToday{year{2026}, month{12}, day{7}};

TEST(Settings, FirstValuesFollowTheScreen) {
    const FirstSettings first = firstSettings(15360, 11520, kToday);
    EXPECT_FALSE(first.error);
    const Settings& s = first.settings;
    EXPECT_EQ(s.MainLeft, 10);
    EXPECT_EQ(s.MainTop, 10);
    EXPECT_EQ(s.MainWidth, 15160);
    EXPECT_EQ(s.MainHeight, 11320);
    EXPECT_EQ(s.MainWindowState, 0);
    EXPECT_EQ(s.FreshSettings, 1);
    EXPECT_DOUBLE_EQ(s.TimeFactorL, 0.8191767);
    EXPECT_DOUBLE_EQ(s.TimeFactorR, 0.8);
    EXPECT_EQ(s.LastStyleUpdate, kToday);
}

TEST(Settings, AScreenTooLargeForSixteenBitsLeavesThatValueAtZero) {
    const FirstSettings first = firstSettings(40000, 11520, kToday);
    ASSERT_TRUE(first.error);
    EXPECT_EQ(first.error->number(), Error::kOverflow);
    EXPECT_EQ(first.settings.MainWidth, 0);
    EXPECT_EQ(first.settings.MainHeight, 11320);
}

TEST(Settings, FileTextIsOneLineOfNineValues) {
    Settings s = firstSettings(15360, 11520, kToday).settings;
    EXPECT_EQ(settingsText(s), "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-07#\r\n");
}

TEST(Settings, RoundTripThroughTheFile) {
    test::TempDir dir;
    Settings s;
    s.MainLeft = -120;
    s.MainTop = 300;
    s.MainWidth = 12000;
    s.MainHeight = 9000;
    s.MainWindowState = 2;
    s.FreshSettings = 0;
    s.TimeFactorL = 0.8123456789012345;
    s.TimeFactorR = 0.79;
    s.LastStyleUpdate = Date{year{2024}, month{2}, day{29}};
    writeSettings(dir / "Vovoziruzu.ini", s);
    const SettingsRead read = readSettings(dir / "Vovoziruzu.ini");
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.settings, s);
}

TEST(Settings, ADamagedFileKeepsWhatWasReadBeforeTheFault) {
    struct Case {
        const char* text;
        int readCount;  // values read before the fault
        int number;
    } cases[] = {
        {"10,20,30\r\n", 3, Error::kInputPastEnd},
        {"10,20,\"x\",40,0,0,.8,.8,#2026-01-01#\r\n", 2, Error::kTypeMismatch},
        {"10,20,30,40,0,0,.9,.7,\"today\"\r\n", 8, Error::kTypeMismatch},
        {"", 0, Error::kInputPastEnd},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        test::writeText(dir / "Vovoziruzu.ini", c.text);
        Settings previous;
        const SettingsRead read = readSettings(dir / "Vovoziruzu.ini", previous);
        ASSERT_TRUE(read.error) << c.text;
        EXPECT_EQ(read.error->number(), c.number) << c.text;
        const Settings& s = read.settings;
        const int values[] = {s.MainLeft, s.MainTop, s.MainWidth, s.MainHeight};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(values[i], i < c.readCount ? (i + 1) * 10 : 0) << c.text << " value " << i;
        }
        if (c.readCount == 8) {
            EXPECT_DOUBLE_EQ(s.TimeFactorL, 0.9);
            EXPECT_DOUBLE_EQ(s.TimeFactorR, 0.7);
            EXPECT_FALSE(s.LastStyleUpdate);
        }
    }
}

TEST(Startup, FirstStartCreatesFoldersAndSettings) {
    test::TempDir dir;
    const AppPaths paths{dir / "app", dir / "profile"};
    std::filesystem::create_directories(paths.appDir);
    const ProgramState state = initializeProgram(paths, kDefaultScreen, kToday);
    EXPECT_TRUE(state.errors.empty());
    EXPECT_TRUE(std::filesystem::is_directory(paths.dataDir()));
    EXPECT_TRUE(std::filesystem::is_directory(paths.resultsDir()));
    EXPECT_EQ(test::readText(paths.settingsFile()),
              "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-07#\r\n");
    EXPECT_EQ(state.currentFolder, paths.dataDir());
    EXPECT_EQ(recentFileCount(state.recentFiles), 0u);
    EXPECT_FALSE(styleReminderDue(state.settings, kToday));
}

TEST(Startup, ADamagedSettingsFileIsReportedOnceAndStartUpGoesOn) {
    test::TempDir dir;
    const AppPaths paths{dir / "app", dir / "profile"};
    std::filesystem::create_directories(paths.appDir);
    test::writeText(paths.settingsFile(), "1,2,3\r\n");
    test::writeText(paths.recentFile(), "\"a.rac\",\"/x/a.rac\"\r\n");
    const ProgramState state = initializeProgram(paths, kDefaultScreen, kToday);
    ASSERT_EQ(state.errors.size(), 1u);
    EXPECT_EQ(state.errors[0].number(), Error::kInputPastEnd);
    EXPECT_EQ(state.settings.MainWidth, 3);
    EXPECT_EQ(state.settings.MainHeight, 0);
    EXPECT_EQ(recentFileCount(state.recentFiles), 1u);
    // The damaged file is left for the exit to replace.
    EXPECT_EQ(test::readText(paths.settingsFile()), "1,2,3\r\n");
}

TEST(Startup, ReminderAfterMoreThanThirtyDays) {
    struct Case {
        int daysAgo;
        bool due;
    } cases[] = {{0, false}, {30, false}, {31, true}, {400, true}};
    for (const Case& c : cases) {
        Settings s;
        s.LastStyleUpdate = addDays(kToday, -c.daysAgo);
        EXPECT_EQ(styleReminderDue(s, kToday), c.due) << c.daysAgo;
    }
    EXPECT_TRUE(styleReminderDue(Settings{}, kToday));
}

}  // namespace
}  // namespace vz::store
