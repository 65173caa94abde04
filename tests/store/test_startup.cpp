#include <gtest/gtest.h>

#include "core/base/settings.h"
#include "core/store/startup.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

const base::Date kToday{year{2026}, month{12}, day{7}};

TEST(Startup, FirstStartCreatesFoldersAndSettings) {
    test::TempDir dir;
    const base::AppPaths paths{dir / "app", dir / "profile"};
    std::filesystem::create_directories(paths.appDir);
    const ProgramState state = initializeProgram(paths, kDefaultScreen, kToday);
    EXPECT_TRUE(state.errors.empty());
    EXPECT_TRUE(std::filesystem::is_directory(paths.dataDir()));
    EXPECT_TRUE(std::filesystem::is_directory(paths.resultsDir()));
    EXPECT_EQ(test::readText(paths.settingsFile()),
              "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-07#\r\n");
    EXPECT_EQ(state.currentFolder, paths.dataDir());
    EXPECT_EQ(base::recentFileCount(state.recentFiles), 0u);
    EXPECT_FALSE(styleReminderDue(state.settings, kToday));
}

TEST(Startup, ADamagedSettingsFileIsReportedOnceAndStartUpGoesOn) {
    test::TempDir dir;
    const base::AppPaths paths{dir / "app", dir / "profile"};
    std::filesystem::create_directories(paths.appDir);
    test::writeText(paths.settingsFile(), "1,2,3\r\n");
    test::writeText(paths.recentFile(), "\"a.rac\",\"/x/a.rac\"\r\n");
    const ProgramState state = initializeProgram(paths, kDefaultScreen, kToday);
    ASSERT_EQ(state.errors.size(), 1u);
    EXPECT_EQ(state.errors[0].number(), Error::kInputPastEnd);
    EXPECT_TRUE(std::string(state.errors[0].what()).find(paths.settingsFile().string()) !=
                std::string::npos);
    EXPECT_EQ(state.settings.MainWidth, 3);
    EXPECT_EQ(state.settings.MainHeight, 0);
    EXPECT_EQ(base::recentFileCount(state.recentFiles), 1u);
    // The damaged file is left for the exit to replace.
    EXPECT_EQ(test::readText(paths.settingsFile()), "1,2,3\r\n");
    // What the exit writes from these values starts the next run without a
    // message; the lost date leaves the reminder due.
    base::writeSettings(paths.settingsFile(), state.settings);
    const ProgramState next = initializeProgram(paths, kDefaultScreen, kToday);
    EXPECT_TRUE(next.errors.empty());
    EXPECT_EQ(next.settings, state.settings);
    EXPECT_TRUE(styleReminderDue(next.settings, kToday));
}

TEST(Startup, ReminderAfterMoreThanThirtyDays) {
    struct Case {
        int daysAgo;
        bool due;
    } cases[] = {{0, false}, {30, false}, {31, true}, {400, true}};
    for (const Case& c : cases) {
        base::Settings s;
        s.LastStyleUpdate = base::addDays(kToday, -c.daysAgo);
        EXPECT_EQ(styleReminderDue(s, kToday), c.due) << c.daysAgo;
    }
    EXPECT_TRUE(styleReminderDue(base::Settings{}, kToday));
}

}  // namespace
}  // namespace vz::store
