// Data safety tried as a hostile or unlucky user would: a CSV over the
// system's own files, a pipe or a device in place of the settings, and a
// style update killed at each of its durable steps in turn (every fsync, link
// and rename), also with the dog database a link into another folder.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/base/settings.h"
#include "core/store/dog_database.h"
#include "tests/e2e/cli_runner.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

TEST(OutputGuard, TheBacktestCsvReplacesNoneOfTheSystemsFiles) {
    TempDir dir;
    const base::AppPaths p = makeAppFolder(dir.path());
    const std::string dogs = p.dogDatabase().string();
    for (const fs::path& f :
         std::vector<fs::path>{dogs + "-wal", dogs + "-shm", dogs + "-journal", p.dataDir() / "a",
                               p.settingsFile(), p.recentFile(), p.dogEditorSizeFile(),
                               p.errorReport(), p.resultsDir() / "Backtest - Results.txt"}) {
        writeText(f, "kept");
    }
    makeRaceFile(dir / "Tonight.rac");
    fs::copy_file(cliPath(), dir / "tool");
    fs::copy_file(p.staticDatabase(), dir / "lookup.db");
    fs::create_symlink(p.dogDatabase(), dir / "link.csv");
    fs::create_hard_link(p.settingsFile(), dir / "hard.csv");
    // QAV.ini is not there (still the import's name); the report is the run's.
    // clang-format off
    const char* names[] = {"app/Data/Data.mdb", "app/Data/Data.mdb-wal", "app/Data/Data.mdb-shm",
        "app/Data/Data.mdb-journal", "app/Static.mdb", "app/RaceTemplate.tmp",
        "app/Vovoziruzu.ini", "app/VudozuridaZAZ.dat", "app/DogEditor.ini", "app/Error.txt",
        "app/QAV.ini", "Tonight.rac", "tool", "lookup.db", "app/Data/a",
        "profile/Results/Backtest - Results.txt", "link.csv", "hard.csv"};
    // clang-format on
    int namesRefused = 0;
    for (const char* name : names) {
        const fs::path f = dir / name;
        const std::string bytes = fs::exists(f) ? readText(f) : "absent";
        const CliResult r = runCliIn(dir.path(), {"backtest", "--csv", f.string(), "--overwrite"});
        EXPECT_NE(r.err.find("The file " + f.string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(": the CSV file cannot take its name."), std::string::npos) << r.err;
        EXPECT_EQ(fs::exists(f) ? readText(f) : "absent", bytes) << f;
        namesRefused += r.exitCode == 1;
    }
    std::printf("CSV names refused: %d of %zu\n", namesRefused, std::size(names));
    EXPECT_EQ(namesRefused, static_cast<int>(std::size(names)));
    // A name of its own passes (the empty dog database then has no race to rate).
    const CliResult ok = runCliIn(dir.path(), {"backtest", "--csv", (dir / "ok.csv").string()});
    EXPECT_EQ(ok.err.find("cannot take its name"), std::string::npos) << ok.err;
}

TEST(SmallFiles, APipeOrADeviceInPlaceOfTheSettingsIsNamedAndSkipped) {
    const struct {
        const char* name;
        char kind;  // p: a pipe, z: a link to /dev/zero
        const char* words;
    } cases[] = {{"Vovoziruzu.ini", 'p', "is not a regular file"},
                 {"Vovoziruzu.ini", 'z', "is not a regular file"},
                 {"VudozuridaZAZ.dat", 'p', "is not a regular file"}};
    for (const auto& c : cases) {
        TempDir dir;
        const fs::path file = makeAppFolder(dir.path()).appDir / c.name;
        if (c.kind == 'p') {
            ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
        } else {
            fs::create_symlink("/dev/zero", file);
        }
        // A pipe used to hold every run: now one not over in 5 s fails.
        const CliResult r = runCliAt("/usr/bin/timeout",
                                     {"5", cliPath().string(), "--app-dir", (dir / "app").string(),
                                      "--profile-dir", (dir / "profile").string(), "paths"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find(file.string() + " " + c.words), std::string::npos) << r.err;
    }
}

// One dog, stored "M", with one line at an outside post: "W". Placed times
// of 30.00 s at "S", 37.50 s at "L" and 40.00 s at "R", at post 9 (no
// group): TimeFactorL = 3000 / 3750 = 0.8, TimeFactorR = 3000 / 4000 = 0.75.
void fillDogs(const fs::path& file) {
    store::DogDatabase db(file);
    db.addDog(base::Dog{0, "Wide", "M", 0, 0, 0, 0, std::nullopt});
    const struct {
        const char* distance;
        int post, finish, time;
    } lines[] = {{"S", 7, 5, 3000}, {"S", 9, 1, 3000}, {"L", 9, 1, 3750}, {"R", 9, 2, 4000}};
    for (const auto& x : lines) {
        base::RaceLine l;
        l.RegName = "Wide";
        l.Distance = x.distance;
        l.Post = x.post;
        l.Finish = x.finish;
        l.FinishTime = l.RaceNum = x.time;
        db.addRaceLine(l);
    }
}

// The dog's style, then the factors and the date of the settings file.
std::string stateOf(const base::AppPaths& paths) {
    const store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    const base::Settings set = base::readSettings(paths.settingsFile()).settings;
    return db.findDog("Wide")->RunningStyle.value_or("?") + " " + std::to_string(set.TimeFactorL) +
           " " + std::to_string(set.TimeFactorR) + " " +
           base::toIso(set.LastStyleUpdate.value_or(base::Date{}));
}

TEST(StyleUpdateKilled, LeavesStylesAndSettingsBothAsBeforeOrBothAsAfter) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a preloaded library cannot come before the sanitizer's runtime";
#endif
    const std::string before = "M 0.819177 0.800000 2026-11-01";
    const std::string after = "W 0.800000 0.750000 2026-12-08";
    for (const bool linked : {false, true}) {
        TempDir dir;
        const base::AppPaths paths = makeAppFolder(dir.path());
        const fs::path real = linked ? dir / "Dogs.mdb" : paths.dogDatabase();
        if (linked) {
            fs::rename(paths.dogDatabase(), real);
            fs::create_symlink(real, paths.dogDatabase());
        }
        ASSERT_EQ(runCliIn(dir.path(), {"--today", "2026-11-01", "paths"}).exitCode, 0);
        fillDogs(real);
        fs::copy_file(real, dir / "fresh.mdb");
        fs::copy_file(paths.settingsFile(), dir / "fresh.ini");
        ::setenv("VZ_KILL_LOG", (dir / "killed.txt").c_str(), 1);
        int kills = 0, asBefore = 0, asAfter = 0, atSettings = 0;
        for (int n = 1; n < 200; ++n) {
            for (const char* tail : {"-wal", "-shm", "-journal"}) {
                fs::remove(real.string() + tail);
            }
            fs::copy_file(dir / "fresh.mdb", real, fs::copy_options::overwrite_existing);
            fs::copy_file(dir / "fresh.ini", paths.settingsFile(),
                          fs::copy_options::overwrite_existing);
            ::setenv("VZ_KILL_AT_CALL", std::to_string(n).c_str(), 1);
            ::setenv("LD_PRELOAD", VZ_KILL_AT_CALL_LIB, 1);
            const CliResult run = runCliIn(dir.path(), {"--today", "2026-12-08", "update-styles"});
            ::unsetenv("LD_PRELOAD");
            if (run.exitCode == 0) {
                EXPECT_EQ(stateOf(paths), after);
                break;  // no Nth step: the update ran to its end
            }
            const std::string step = readText(dir / "killed.txt");
            ++kills;
            atSettings += step.find("Vovoziruzu.ini") != std::string::npos;
            // Nothing but the link in the data folder, all journals beside the real file.
            EXPECT_TRUE(!linked || std::distance(fs::directory_iterator(paths.dataDir()), {}) == 1);
            // The next start of any command settles what the killed run left.
            EXPECT_EQ(runCliIn(dir.path(), {"--today", "2026-12-09", "paths"}).exitCode, 0);
            const std::string got = stateOf(paths);
            asBefore += got == before;
            asAfter += got == after;
            EXPECT_TRUE(got == before || got == after) << got << ", killed at " << step;
            EXPECT_TRUE(hiddenFiles(paths.appDir).empty()) << step;
        }
        ::unsetenv("VZ_KILL_AT_CALL");
        std::printf("Style update%s killed at %d steps (%d of its settings): %d before, %d after\n",
                    linked ? " (linked)" : "", kills, atSettings, asBefore, asAfter);
        EXPECT_GT(asBefore, 0);  // the kills fell on both sides of the commit
        EXPECT_GT(asAfter, 0);
        EXPECT_GT(atSettings, 0);
    }
}

}  // namespace
}  // namespace vz::test
