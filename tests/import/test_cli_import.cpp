#include <filesystem>

#include <gtest/gtest.h>

#include "core/store/dog_database.h"
#include "core/store/race_file.h"
#include "tests/e2e/cli_runner.h"
#include "tests/support/test_support.h"

namespace vz::test {
namespace {

namespace fs = std::filesystem;

class CliImportTest : public ::testing::Test {
  protected:
    CliImportTest() { makeAppFolder(dir_.path()); }
    CliResult run(const std::vector<std::string>& args) {
        std::vector<std::string> all;
        all.reserve(args.size() + 1);
        all.emplace_back("import");
        for (const std::string& a : args) {
            all.push_back(a);
        }
        return runCliIn(dir_.path(), all);
    }
    fs::path sample(const char* name) const {
        return sourceDir() / "tests" / "e2e" / "data" / "samples" / name;
    }
    fs::path dogDb() const { return dir_ / "app" / "Data" / "Data.mdb"; }
    TempDir dir_;
};

TEST_F(CliImportTest, ImportsASampleAndPrintsTheCompletionAndCounts) {
    const fs::path out = dir_ / "Tuesday.rac";
    CliResult r =
        run({"trackinfo", sample("trackinfo_sample.txt").string(), "--race-file", out.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Import from TrackInfo is complete.\n"
              "You should run 'Update Running Style' (update-styles) before processing a race.\n"
              "Dogs added:         96\n"
              "Lines added:        766\n"
              "Duplicates skipped: 2\n"
              "Races written:      12\n"
              "Posts written:      96\n");
    EXPECT_EQ(r.err, "");  // no terminal: no progress
    EXPECT_EQ(store::RaceFile(out).races().size(), 12u);

    const fs::path out2 = dir_ / "Wednesday.rac";
    r = run({"rosnet", sample("rosnet_sample.txt").string(), "--race-file", out2.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Import from Rosnet is complete.\n"), std::string::npos);
    // Thirteen of its runners also ran in the TrackInfo program: found, not added.
    EXPECT_NE(r.out.find("Dogs added:         91\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Posts written:      104\n"), std::string::npos) << r.out;
    EXPECT_EQ(store::DogDatabase(dogDb()).dogCount(), 96 + 91);
}

TEST_F(CliImportTest, ExistingRaceFileNeedsOverwrite) {
    const fs::path out = dir_ / "card.rac";
    makeRaceFile(out);
    const std::string before = readText(out);
    CliResult r =
        run({"trackinfo", sample("trackinfo_sample.txt").string(), "--race-file", out.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("already exists"), std::string::npos) << r.err;
    EXPECT_EQ(readText(out), before);
    EXPECT_EQ(store::DogDatabase(dogDb()).dogCount(), 0);

    r = run({"trackinfo", sample("trackinfo_sample.txt").string(), "--race-file", out.string(),
             "--overwrite"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(store::RaceFile(out).races().size(), 12u);
}

TEST_F(CliImportTest, WrongTypeShowsTheTwoLinesAndChangesNoFile) {
    const fs::path out = dir_ / "card.rac";
    // A Rosnet program is not a TrackInfo one: its race lines have no "Grade:".
    writeText(dir_ / "odd.txt", "Program 12/08/2026\nRACE 1 C 5/16 12/08/26\nx\ny\n");
    CliResult r = run({"trackinfo", (dir_ / "odd.txt").string(), "--race-file", out.string()});
    EXPECT_EQ(r.exitCode, 1);
    // Then the check that failed.
    EXPECT_EQ(r.err,
              "Error importing file.\nPerhaps you selected the wrong import type?\n"
              "Not read as TrackInfo: race header without \"Grade:\".\n");
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(out));
    // A race file to be replaced stays as it was.
    writeText(out, "keep me");
    r = run({"rosnet", sample("trackinfo_sample.txt").string(), "--race-file", out.string(),
             "--overwrite"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(readText(out), "keep me");
    EXPECT_EQ(store::DogDatabase(dogDb()).dogCount(), 0);
}

TEST_F(CliImportTest, SwappedDogPakFilesAreCalledSwapped) {
    const fs::path out = dir_ / "swapped.rac";
    const CliResult r = run({"dogpak", sample("dogpak_lines.txt").string(),
                             sample("dogpak_setup.txt").string(), "--race-file", out.string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "The DogPak/QuickDog files are in each other's place: give the SETUP file first, "
              "then the LINES file.\n");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliImportTest, ARaceFileNamedWithoutExtensionGetsRac) {
    const CliResult r = run({"trackinfo", sample("trackinfo_sample.txt").string(), "--race-file",
                             (dir_ / "Friday").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(store::RaceFile(dir_ / "Friday.rac").races().size(), 12u);
    EXPECT_FALSE(fs::exists(dir_ / "Friday"));
}

// The sample programs ship with the programs: --help names their folder,
// --formats gives their paths there.
TEST_F(CliImportTest, FormatsAndHelpNameTheSamplesFolder) {
    const std::string help = runCli({"import", "--help"}).out;
    const std::string mark = "Sample programs of every format: ";
    const std::size_t at = help.find(mark);
    ASSERT_NE(at, std::string::npos) << help;
    const fs::path folder = help.substr(at + mark.size(), help.find('\n', at) - at - mark.size());
    EXPECT_TRUE(fs::is_regular_file(folder / "qav_TEST"));
    EXPECT_NE(
        runCli({"import", "--formats"}).out.find("\t" + (folder / "qav_TEST").string() + "\n"),
        std::string::npos);
}

TEST_F(CliImportTest, QavRecordsOfNoDogAreCounted) {
    // The sample's first record, then one of control characters: its name is
    // no text.
    const std::string first = readText(sample("qav_TEST")).substr(0, 825);
    writeText(dir_ / "TEST", first + std::string(825, '\x01'));
    const CliResult r = run({"qav", (dir_ / "TEST").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Dogs added:         1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Records of no dog, left out:    1\n"), std::string::npos) << r.out;
}

TEST_F(CliImportTest, UsageFaults) {
    // No race file named.
    CliResult r = run({"trackinfo", sample("trackinfo_sample.txt").string()});
    EXPECT_EQ(r.exitCode, 2);
    // An input that does not exist.
    r = run({"rosnet", (dir_ / "missing.txt").string(), "--race-file", (dir_ / "x.rac").string()});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_FALSE(fs::exists(dir_ / "x.rac"));
    // No format.
    r = run({});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(CliImportTest, AnEndlessInputIsRefusedAtOnce) {
    const CliResult r = run({"trackinfo", "/dev/zero", "--race-file", (dir_ / "z.rac").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "The file /dev/zero is not a regular file: a pipe, a device or a folder "
              "cannot be read.\n");
    EXPECT_FALSE(fs::exists(dir_ / "z.rac"));
}

TEST_F(CliImportTest, AFieldTooLargeNamesItsLineAndField) {
    // The sample with the odds of one past line (line 13) made too large.
    std::string text = readText(sample("trackinfo_sample.txt"));
    std::size_t at = 0;
    for (int line = 1; line < 13; ++line) {
        at = text.find('\n', at) + 1;
    }
    text.replace(at + 65, 6, " 9e999");
    writeText(dir_ / "odd.txt", text);
    const CliResult r =
        run({"trackinfo", (dir_ / "odd.txt").string(), "--race-file", (dir_ / "o.rac").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err,
              "Error importing file.\nPerhaps you selected the wrong import type?\n"
              "Line 13, field Odds: \"9e999\" is too large a number.\n");
    EXPECT_EQ(store::DogDatabase(dogDb()).dogCount(), 0);
}

}  // namespace
}  // namespace vz::test
