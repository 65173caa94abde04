// The files a command may write, and the small files it reads, as a hostile
// or unlucky user would try them: outputs over the system's own files,
// pipes and devices in place of the settings, temporary files a kill left.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

// A run that has not ended after ten seconds is killed, so that a hang fails
// the test instead of stopping the suite.
CliResult runGuarded(const std::vector<std::string>& args) {
    StartedCli run = startCli(args);
    std::atomic<bool> done{false};
    std::thread guard([&] {
        for (int i = 0; i < 100 && !done; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!done) {
            ::kill(run.pid, SIGKILL);
        }
    });
    CliResult r = finishCli(run);
    done = true;
    guard.join();
    return r;
}

std::vector<std::string> in(const store::AppPaths& paths, std::vector<std::string> args) {
    args.insert(args.begin(),
                {"--app-dir", paths.appDir.string(), "--profile-dir", paths.profileDir.string()});
    return args;
}

TEST(OutputGuard, TheBacktestCsvReplacesNoneOfTheSystemsFiles) {
    TempDir dir;
    const store::AppPaths paths = makeAppFolder(dir.path());
    const std::string dogs = paths.dogDatabase().string();
    for (const std::string& f : {dogs + "-wal", dogs + "-shm", dogs + "-journal"}) {
        writeText(f, "journal");
    }
    writeText(paths.settingsFile(), "10,10,15160,11320,0,1,0.8191767,0.8,#2026-12-01#\r\n");
    writeText(paths.recentFile(), "");
    writeText(paths.dogEditorSizeFile(), "9000,7000\r\n");
    writeText(paths.errorReport(), "missing dogs\r\n");
    writeText(paths.dataDir() / "notes.txt", "notes\r\n");
    writeText(paths.resultsDir() / "Backtest - Results.txt", "last report\r\n");
    makeRaceFile(dir / "Tonight.rac");
    fs::copy_file(paths.staticDatabase(), dir / "lookup.db");
    fs::copy_file(cliPath(), dir / "tool");
    fs::create_symlink(paths.dogDatabase(), dir / "link.csv");
    fs::create_hard_link(paths.settingsFile(), dir / "hard.csv");

    const fs::path refused[] = {
        paths.dogDatabase(),
        dogs + "-wal",
        dogs + "-shm",
        dogs + "-journal",
        paths.staticDatabase(),
        paths.raceTemplate(),
        paths.settingsFile(),
        paths.recentFile(),
        paths.dogEditorSizeFile(),
        paths.errorReport(),
        paths.importSettings("QAV.ini"),  // not there: still the import's name
        dir / "Tonight.rac",
        dir / "tool",
        dir / "lookup.db",
        paths.dataDir() / "notes.txt",
        paths.resultsDir() / "Backtest - Results.txt",  // the run's own report
        dir / "link.csv",
        dir / "hard.csv",
    };
    int namesRefused = 0;
    for (const fs::path& f : refused) {
        std::error_code ec;
        const bool present = fs::exists(f, ec);
        const std::string bytes = present ? readText(f) : std::string();
        const CliResult r = runGuarded(in(paths, {"backtest", "--csv", f.string(), "--overwrite"}));
        EXPECT_EQ(r.exitCode, 1) << f;
        EXPECT_NE(r.err.find("The file " + f.string()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("the CSV file cannot take its name"), std::string::npos) << r.err;
        EXPECT_EQ(fs::exists(f, ec), present) << f;
        if (present) {
            EXPECT_EQ(readText(f), bytes) << f;
        }
        namesRefused += r.exitCode == 1 ? 1 : 0;
    }
    std::printf("CSV names refused: %d of %zu\n", namesRefused, std::size(refused));

    // A name of its own is written.
    const CliResult ok = runGuarded(in(paths, {"backtest", "--csv", (dir / "ok.csv").string()}));
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_TRUE(readText(dir / "ok.csv").starts_with("Date,"));
}

TEST(SmallFiles, APipeOrDeviceInPlaceOfTheSettingsEndsWithAMessage) {
    const struct {
        const char* name;
        const char* kind;  // fifo, zero (a link to /dev/zero), large, folder
        const char* words;
    } cases[] = {
        {"Vovoziruzu.ini", "fifo", "is not a regular file"},
        {"Vovoziruzu.ini", "zero", "is not a regular file"},
        {"Vovoziruzu.ini", "large", "is larger than 64 KB"},
        {"VudozuridaZAZ.dat", "fifo", "is not a regular file"},
        {"VudozuridaZAZ.dat", "zero", "is not a regular file"},
        {"VudozuridaZAZ.dat", "large", "is larger than 64 KB"},
        {"VudozuridaZAZ.dat", "folder", "is not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.kind);
        TempDir dir;
        const store::AppPaths paths = makeAppFolder(dir.path());
        const fs::path file = paths.appDir / c.name;
        const std::string kind = c.kind;
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
        } else if (kind == "zero") {
            fs::create_symlink("/dev/zero", file);
        } else if (kind == "large") {
            writeText(file, std::string(64 * 1024 + 1, ' '));
        } else {
            fs::create_directory(file);
        }
        const CliResult r = runGuarded(in(paths, {"paths"}));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find(file.string() + " " + c.words), std::string::npos) << r.err;
    }
}

TEST(TemporaryFiles, TheNextStartDeletesWhatAKilledRunLeft) {
    TempDir dir;
    const store::AppPaths paths = makeAppFolder(dir.path());
    const std::string sqlite("SQLite format 3\0", 16);
    const struct {
        fs::path file;
        std::string bytes;
        bool held;  // by a running program
        bool stays;
    } cases[] = {
        {paths.appDir / ".Vovoziruzu.ini.0123456789abcdef.tmp", "10,10", false, false},
        {paths.resultsDir() / ".Backtest - Results.txt.00000000000000ff.tmp", "half", false, false},
        {paths.dataDir() / ".Data.mdb.fedcba9876543210.tmp", "", false, false},
        {paths.appDir / ".Error.txt.0123456789abcdef.tmp", "being written", true, true},
        // A race file's card waits for its import's own completion.
        {paths.dataDir() / ".Tonight.rac.0123456789abcdef.tmp", sqlite, false, true},
        // Names the programs never give.
        {paths.appDir / ".Vovoziruzu.ini.0123456789ABCDEF.tmp", "x", false, true},
        {paths.appDir / ".notes.tmp", "x", false, true},
        {paths.resultsDir() / "Report.0123456789abcdef.tmp", "x", false, true},
    };
    std::vector<int> locks;
    for (const auto& c : cases) {
        writeText(c.file, c.bytes);
        if (c.held) {
            const int fd = ::open(c.file.c_str(), O_RDONLY);
            ASSERT_EQ(::flock(fd, LOCK_EX), 0);
            locks.push_back(fd);
        }
    }
    const CliResult r = runGuarded(in(paths, {"paths"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const auto& c : cases) {
        EXPECT_EQ(fs::exists(c.file), c.stays) << c.file;
    }
    for (const int fd : locks) {
        ::close(fd);
    }
}

TEST(Options, AnEmptyValueIsRefusedInWords) {
    TempDir dir;
    const store::AppPaths paths = makeAppFolder(dir.path());
    const std::vector<std::string> cases[] = {
        {"backtest", "--from", ""},
        {"backtest", "--csv", ""},
        {"--today", "", "paths"},
        {"check", ""},
        {"delete-dogs", "--not-raced-since", ""},
    };
    for (const auto& args : cases) {
        const CliResult r = runGuarded(in(paths, args));
        EXPECT_EQ(r.exitCode, 2) << args[0];
        EXPECT_NE(r.err.find("the value is empty: give one, or leave the option out"),
                  std::string::npos)
            << r.err;
    }
}

}  // namespace
}  // namespace vz::test
