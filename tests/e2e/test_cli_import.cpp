// The import as a user runs it on the bundled sample programs: repeats,
// two imports at once, a read-only dog database, progress on a terminal.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

fs::path sample(const char* name) {
    return sourceDir() / "tests" / "e2e" / "data" / "samples" / name;
}

struct Counts {
    std::int64_t dogs = 0;
    std::int64_t lines = 0;
    long starts = 0;
    bool operator==(const Counts&) const = default;
};

Counts countsOf(const base::AppPaths& paths) {
    store::DogDatabase db(paths.dogDatabase(), store::OpenMode::ReadOnly);
    Counts c;
    c.dogs = db.dogCount();
    c.lines = db.raceLineCount();
    for (const base::Dog& d : db.dogs()) {
        c.starts += d.NumStarts.value_or(0);
    }
    return c;
}

std::vector<std::string> importArgs(const TempDir& dir, const char* format, const char* file,
                                    const std::string& raceFile) {
    return {"--app-dir",
            (dir / "app").string(),
            "--profile-dir",
            (dir / "profile").string(),
            "--today",
            "2026-12-08",
            "import",
            format,
            sample(file).string(),
            "--race-file",
            (dir / "app" / "Data" / raceFile).string()};
}

// The arguments of an import of several input files; no race file when
// `raceFile` is empty.
std::vector<std::string> importArgsOf(const TempDir& dir, const char* format,
                                      const std::vector<const char*>& files,
                                      const std::string& raceFile) {
    std::vector<std::string> args = {
        "--app-dir", (dir / "app").string(), "--profile-dir", (dir / "profile").string(),
        "--today",   "2026-12-08",           "import",        format};
    for (const char* f : files) {
        args.push_back(sample(f).string());
    }
    if (!raceFile.empty()) {
        args.push_back("--race-file");
        args.push_back((dir / "app" / "Data" / raceFile).string());
    }
    return args;
}

TEST(CliImport, TheSameProgramTwiceAddsNothingTheSecondTime) {
    struct Case {
        const char* format;
        std::vector<const char*> files;
        bool card;
    } cases[] = {
        {"trackinfo", {"trackinfo_sample.txt"}, true},
        {"rosnet", {"rosnet_sample.txt"}, true},
        {"dogpak", {"dogpak_setup.txt", "dogpak_lines.txt"}, true},
        {"derbylane", {"derbylane_sample.txt"}, true},
        {"qav", {"qav_TEST"}, false},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const base::AppPaths paths = makeAppFolder(dir.path());
        CliResult r = runCli(importArgsOf(dir, c.format, c.files, c.card ? "first.rac" : ""));
        ASSERT_EQ(r.exitCode, 0) << c.format << ": " << r.err;
        const Counts once = countsOf(paths);
        EXPECT_GT(once.dogs, 0) << c.format;
        EXPECT_GT(once.lines, 0) << c.format;

        r = runCli(importArgsOf(dir, c.format, c.files, c.card ? "second.rac" : ""));
        ASSERT_EQ(r.exitCode, 0) << c.format << ": " << r.err;
        EXPECT_EQ(countsOf(paths), once) << c.format;
        EXPECT_NE(r.out.find("Dogs added:         0\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Lines added:        0\n"), std::string::npos) << r.out;
        if (!c.card) {
            continue;
        }
        // The card is written again in full: the second race file equals the first.
        store::RaceFile first(paths.dataDir() / "first.rac", store::OpenMode::ReadOnly);
        store::RaceFile second(paths.dataDir() / "second.rac", store::OpenMode::ReadOnly);
        EXPECT_EQ(first.races(), second.races()) << c.format;
        EXPECT_EQ(first.allPosts().size(), second.allPosts().size()) << c.format;
        EXPECT_FALSE(first.races().empty()) << c.format;
    }
}

// The counts after the two samples were imported one after the other, in
// the order given. The samples share some dogs and race dates, and the two
// formats count a start differently for some grades, so the order matters.
Counts inOrder(bool trackinfoFirst) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    const auto ti = importArgs(dir, "trackinfo", "trackinfo_sample.txt", "a.rac");
    const auto ros = importArgs(dir, "rosnet", "rosnet_sample.txt", "b.rac");
    for (const auto& args : trackinfoFirst ? std::vector{ti, ros} : std::vector{ros, ti}) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    return countsOf(paths);
}

TEST(CliImport, ImportsAtOnceIntoOneDogDatabaseLoseNothing) {
    const Counts tiFirst = inOrder(true);
    const Counts rosFirst = inOrder(false);
    EXPECT_EQ(tiFirst.dogs, rosFirst.dogs);
    EXPECT_EQ(tiFirst.lines, rosFirst.lines);

    for (int round = 0; round < 3; ++round) {
        TempDir dir;
        const base::AppPaths p = makeAppFolder(dir.path());
        // The same TrackInfo program twice and a Rosnet one, all at once.
        const std::vector<CliResult> results = runCliTogether({
            importArgs(dir, "trackinfo", "trackinfo_sample.txt", "a.rac"),
            importArgs(dir, "rosnet", "rosnet_sample.txt", "b.rac"),
            importArgs(dir, "trackinfo", "trackinfo_sample.txt", "c.rac"),
        });
        // Every run waits for the others and finishes; a run that could not
        // would have to say why, and leave nothing of itself behind.
        for (std::size_t i = 0; i < results.size(); ++i) {
            EXPECT_EQ(results[i].exitCode, 0) << "run " << i << ": " << results[i].err;
        }
        // Each import is one unit: the result is that of some order of the
        // runs, never a mixture (the repeated TrackInfo run adds nothing).
        const Counts got = countsOf(p);
        EXPECT_TRUE(got == tiFirst || got == rosFirst)
            << "round " << round << ": " << got.dogs << " dogs, " << got.lines << " lines, "
            << got.starts << " starts";
        for (const char* card : {"a.rac", "b.rac", "c.rac"}) {
            store::RaceFile file(p.dataDir() / card, store::OpenMode::ReadOnly);
            EXPECT_FALSE(file.races().empty()) << card;
            EXPECT_FALSE(file.allPosts().empty()) << card;
        }
    }
}

TEST(CliImport, AReadOnlyDogDatabaseIsRefusedAndLeftAsItWas) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    ASSERT_EQ(::chmod(paths.dogDatabase().c_str(), 0444), 0);
    const std::string before = readText(paths.dogDatabase());
    const CliResult r = runCli(importArgs(dir, "trackinfo", "trackinfo_sample.txt", "ro.rac"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("is read-only: it cannot be changed."), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(paths.dogDatabase().string()), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readText(paths.dogDatabase()), before);
    ::chmod(paths.dogDatabase().c_str(), 0644);
    EXPECT_EQ(countsOf(paths), Counts{});
}

TEST(CliImport, OnlyARaceFileIsOverwritten) {
    TempDir dir;
    const base::AppPaths paths = makeAppFolder(dir.path());
    const fs::path data = paths.dataDir();
    writeText(paths.settingsFile(), "10,10,15160,11320,0,0,0.8191767,0.8,#2026-12-01#\r\n");
    writeText(paths.recentFile(), "\"Tuesday.rac\",\"/home/ann/Tuesday.rac\"\r\n");
    writeText(paths.errorReport(), "Dogs not found\r\n");
    writeText(data / "notes.txt", "my notes\r\n");
    fs::copy_file(cliPath(), paths.appDir / "vovoziruzu-cli");
    makeRaceFile(data / "Old.rac");
    // The other program has the dog database open: its journal files are there.
    const store::DogDatabase open(paths.dogDatabase());
    ASSERT_TRUE(fs::exists(paths.dogDatabase().string() + "-wal"));
    ASSERT_TRUE(fs::exists(paths.dogDatabase().string() + "-shm"));

    const std::string own = "is one of the system's own files: a race file cannot take its name.";
    const std::string notRace = "is not a race file: only a race file is replaced by a new one.";
    const struct {
        fs::path file;
        std::string words;  // empty: imported
    } cases[] = {
        {paths.dogDatabase().string() + "-wal", own},
        {paths.dogDatabase().string() + "-shm", own},
        {paths.dogDatabase(), own},
        {paths.settingsFile(), own},
        {paths.recentFile(), own},
        {paths.errorReport(), own},
        {data / "notes.txt", notRace},
        {data / "Old.rac", ""},
    };
    for (const auto& c : cases) {
        const std::string before = readText(c.file);
        std::vector<std::string> args =
            importArgs(dir, "trackinfo", "trackinfo_sample.txt", "unused.rac");
        args.back() = c.file.string();
        args.push_back("--overwrite");
        const CliResult r = runCli(args);
        if (c.words.empty()) {
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_FALSE(store::RaceFile(c.file, store::OpenMode::ReadOnly).races().empty());
            continue;
        }
        EXPECT_EQ(r.exitCode, 1) << c.file;
        EXPECT_EQ(r.err, "The file " + c.file.string() + " " + c.words + " Choose another name.\n");
        EXPECT_EQ(r.out, "");
        if (c.file.string().ends_with("-shm")) {
            continue;  // the open database's own index, which it rewrites at will
        }
        EXPECT_EQ(readText(c.file), before) << c.file;
        EXPECT_EQ(countsOf(paths), Counts{}) << c.file;
    }
    // A name without an extension gets ".rac": the program of that name
    // beside it stays as it was.
    const fs::path program = paths.appDir / "vovoziruzu-cli";
    const std::string programBefore = readText(program);
    std::vector<std::string> args =
        importArgs(dir, "trackinfo", "trackinfo_sample.txt", program.string());
    const CliResult r = runCli(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readText(program), programBefore);
    EXPECT_EQ(store::RaceFile(program.string() + ".rac", store::OpenMode::ReadOnly).races().size(),
              12u);
}

TEST(CliImport, ProgressShowsOnATerminalOnly) {
    TempDir dir;
    makeAppFolder(dir.path());
    CliResult r = runCli(importArgs(dir, "trackinfo", "trackinfo_sample.txt", "quiet.rac"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");

    r = runCliOnTerminal(importArgs(dir, "rosnet", "rosnet_sample.txt", "shown.rac"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.rfind("\rImporting, please wait... ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("\rImporting, please wait... 100%\n"), std::string::npos) << r.err;
    // The report of the run stays on stdout, untouched by the progress line.
    EXPECT_EQ(r.out.rfind("Import from Rosnet is complete.\n", 0), 0u) << r.out;
}

}  // namespace
}  // namespace vz::test
