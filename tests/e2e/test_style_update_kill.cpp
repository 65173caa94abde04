// A running-style update killed at each of its durable steps in turn (every
// fsync and rename of the dog database and of the settings file): after the
// next start of any command, the styles and the settings are both as before
// the update or both as after it.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "core/store/dog_database.h"
#include "core/store/settings.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

store::Date ymd(int y, unsigned m, unsigned d) {
    return store::Date{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

// Three dogs, each fastest from one post group ("S" lines, finish 5: no
// factor), and first-to-third finishes of 30.00 s at "S", 37.50 s at "L" and
// 40.00 s at "R": TimeFactorL = 3000 / 3750 = 0.8, TimeFactorR = 3000 / 4000
// = 0.75.
void fillDogs(const fs::path& file) {
    store::DogDatabase db(file);
    const struct {
        const char* name;
        const char* stored;
        int inside, middle, outside;
    } dogs[] = {{"Rail Dog", "M", 3000, 3100, 3100},
                {"Middle Dog", "R", 3100, 3000, 3100},
                {"Wide Dog", "M", 3100, 3100, 3000}};
    for (const auto& d : dogs) {
        store::Dog dog;
        dog.RegName = d.name;
        dog.RunningStyle = d.stored;
        db.addDog(dog);
        const int posts[] = {2, 4, 7};
        const int times[] = {d.inside, d.middle, d.outside};
        for (int k = 0; k < 3; ++k) {
            store::RaceLine l;
            l.RegName = d.name;
            l.RaceDate = ymd(2026, 11, 1 + static_cast<unsigned>(k));
            l.RaceNum = 1;
            l.Distance = "S";
            l.Post = posts[k];
            l.Finish = 5;
            l.FinishTime = times[k];
            db.addRaceLine(l);
        }
    }
    const struct {
        const char* distance;
        int time;
    } placed[] = {{"S", 3000}, {"L", 3750}, {"R", 4000}};
    for (const auto& p : placed) {
        store::RaceLine l;
        l.RegName = "Rail Dog";
        l.RaceDate = ymd(2026, 10, 1);
        l.RaceNum = 2;
        l.Distance = p.distance;
        l.Post = 9;  // no post group: only the factors see it
        l.Finish = 1;
        l.FinishTime = p.time;
        db.addRaceLine(l);
    }
}

struct State {
    std::vector<std::string> styles;
    double factorL = 0;
    double factorR = 0;
    std::optional<store::Date> updated;
    bool operator==(const State&) const = default;
};

State stateOf(const store::AppPaths& paths) {
    State s;
    const store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    for (const char* name : {"Rail Dog", "Middle Dog", "Wide Dog"}) {
        s.styles.push_back(db.findDog(name)->RunningStyle.value_or("?"));
    }
    const store::SettingsRead read = store::readSettings(paths.settingsFile());
    s.factorL = read.settings.TimeFactorL;
    s.factorR = read.settings.TimeFactorR;
    s.updated = read.settings.LastStyleUpdate;
    return s;
}

std::string describe(const State& s) {
    return fmt::format("{} {} {}, L {}, R {}, {}", s.styles[0], s.styles[1], s.styles[2], s.factorL,
                       s.factorR, s.updated ? store::toIso(*s.updated) : "no date");
}

TEST(StyleUpdateKilled, LeavesStylesAndSettingsBothAsBeforeOrBothAsAfter) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a preloaded library cannot come before the sanitizer's runtime";
#endif
    TempDir dir;
    const store::AppPaths paths = makeAppFolder(dir.path());
    const std::vector<std::string> common = {"--app-dir", paths.appDir.string(), "--profile-dir",
                                             paths.profileDir.string()};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), common.begin(), common.end());
        return args;
    };
    // The settings file as a first start on 2026-11-01 makes it.
    ASSERT_EQ(runCli(with({"--today", "2026-11-01", "paths"})).exitCode, 0);
    fillDogs(paths.dogDatabase());
    const fs::path freshDogs = dir / "fresh.mdb";
    const fs::path freshSettings = dir / "fresh.ini";
    fs::copy_file(paths.dogDatabase(), freshDogs);
    fs::copy_file(paths.settingsFile(), freshSettings);
    const auto restore = [&] {
        for (const char* tail : {"", "-wal", "-shm", "-journal"}) {
            fs::remove(paths.dogDatabase().string() + tail);
        }
        fs::copy_file(freshDogs, paths.dogDatabase());
        fs::copy_file(freshSettings, paths.settingsFile(), fs::copy_options::overwrite_existing);
    };

    const State before{
        {"M", "R", "M"}, store::kFirstTimeFactorL, store::kFirstTimeFactorR, ymd(2026, 11, 1)};
    const State after{{"R", "M", "W"}, 0.8, 0.75, ymd(2026, 12, 8)};
    ASSERT_EQ(stateOf(paths), before);

    const fs::path log = dir / "killed.txt";
    ::setenv("VZ_KILL_LOG", log.c_str(), 1);
    int kills = 0;
    int asBefore = 0;
    int asAfter = 0;
    int atSettings = 0;  // kills at the settings file's own steps
    bool finished = false;
    for (int n = 1; n <= 200 && !finished; ++n) {
        restore();
        fs::remove(log);
        ::setenv("VZ_KILL_AT_CALL", std::to_string(n).c_str(), 1);
        ::setenv("LD_PRELOAD", VZ_KILL_AT_CALL_LIB, 1);
        const CliResult run = runCli(with({"--today", "2026-12-08", "update-styles"}));
        ::unsetenv("LD_PRELOAD");
        if (run.exitCode == 0) {
            finished = true;  // no Nth step: the update ran to its end
            EXPECT_EQ(stateOf(paths), after);
            continue;
        }
        ASSERT_EQ(run.exitCode, 128 + SIGKILL) << run.err;
        ++kills;
        const std::string step = readText(log);
        SCOPED_TRACE("killed at " + step);
        atSettings += step.find(paths.settingsFile().filename().string()) != std::string::npos;

        // The next start of any command settles what the killed run left.
        const CliResult start = runCli(with({"--today", "2026-12-09", "paths"}));
        ASSERT_EQ(start.exitCode, 0) << start.err;
        const State got = stateOf(paths);
        asBefore += got == before;
        asAfter += got == after;
        EXPECT_TRUE(got == before || got == after) << describe(got);
        EXPECT_TRUE(hiddenFiles(paths.appDir).empty());
    }
    ::unsetenv("VZ_KILL_AT_CALL");
    ::unsetenv("VZ_KILL_LOG");
    std::printf(
        "Style update killed at %d steps (%d at the settings file's): %d left as before, "
        "%d as after\n",
        kills, atSettings, asBefore, asAfter);
    EXPECT_TRUE(finished);
    // The kills fell on both sides of the commit, and on the settings file.
    EXPECT_GT(asBefore, 0);
    EXPECT_GT(asAfter, 0);
    EXPECT_GT(atSettings, 0);
}

}  // namespace
}  // namespace vz::test
