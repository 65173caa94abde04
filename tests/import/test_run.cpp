#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/base/fileio.h"
#include "core/import/import.h"
#include "core/import/registry.h"
#include "core/import/window_texts.h"
#include "core/store/database.h"
#include "tests/import/import_fixture.h"
#include "tests/import/trackinfo_text.h"

namespace vz::test {
namespace {

namespace ti = trackinfo;
namespace fs = std::filesystem;

// A two-race card whose second part is broken: `tail` is appended after a
// good first race with two dogs and their lines.
std::string cardWith(const std::string& tail) {
    ti::Past a;
    ti::Past b;
    b.date = "11/21/26";
    b.finish = "3-2";
    return ti::header(1, "12/08/26", "C", "5/16") + "\n" + ti::afterHeader() +
           ti::entry(1, "Swift Arrow") + "\n" + ti::afterEntry() + ti::past(a) + "\n" +
           ti::past(b) + "\n" + ti::entry(2, "Blue Comet") + "\n" + ti::afterEntry() + ti::past(a) +
           "\n" + tail;
}

class RunTest : public ImportFixture {};

TEST_F(RunTest, RegistryKnowsItsFormatsWithTheirTexts) {
    const import::Format* f = import::findFormat("trackinfo");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->info().completionText, "Import from TrackInfo is complete.");
    EXPECT_EQ(f->info().inputs.size(), 1u);
    ASSERT_NE(import::findFormat("rosnet"), nullptr);
    EXPECT_EQ(import::findFormat("rosnet")->info().settingsFile, "ROS.ini");
    EXPECT_EQ(import::findFormat("nonsense"), nullptr);
    // Keys are unique.
    for (const import::Format* x : import::allFormats()) {
        EXPECT_EQ(import::findFormat(x->info().key), x);
    }
}

TEST_F(RunTest, GoodCardIsWrittenWhole) {
    const auto s = importText("trackinfo", {cardWith("")});
    EXPECT_EQ(s.dogsAdded, 2);
    EXPECT_EQ(s.linesAdded, 3);
    EXPECT_EQ(s.racesWritten, 1);
    EXPECT_EQ(s.postsWritten, 2);
    EXPECT_EQ(races().size(), 1u);
    EXPECT_EQ(posts().size(), 2u);
}

// The files of the folder, race files and anything hidden beside them.
std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(RunTest, FailedRunChangesNothing) {
    addDog("Swift Arrow", 7, 2);
    // An earlier card of the same name, which the failed runs were to replace.
    importText("trackinfo", {cardWith("")});
    const auto before = dogs().dogs();
    const auto linesBefore = dogs().raceLineCount();
    const std::string cardBefore = readText(raceFile());
    const auto folderBefore = filesIn(dir_.path());
    const char* tails[] = {
        // A header without "Grade:".
        " 2  12/08/26  RACE 2   Class: C, Distance: 3/8\n",
        // A header whose grade has no comma after it.
        " 2  12/08/26  RACE 2   Grade: C  Distance: 3/8\n",
        // An entry line as the last line.
        " 3 Late Entry          Trainer: K. Doe\n",
        // A header with one line after it.
        " 2  12/08/26  RACE 2   Grade: C, Distance: 3/8\nPurse\n",
    };
    for (const char* tail : tails) {
        // Other dates than the earlier card's, so that the lines would be new.
        std::string text = cardWith(tail);
        for (std::size_t at = text.find("/26"); at != std::string::npos;
             at = text.find("/26", at)) {
            text.replace(at, 3, "/27");
        }
        try {
            importText("trackinfo", {text});
            ADD_FAILURE() << "no failure for " << tail;
        } catch (const import::ImportFailed& e) {
            EXPECT_STREQ(e.what(),
                         "Error importing file.\nPerhaps you selected the wrong import type?");
            EXPECT_FALSE(e.detail().empty());
        }
        EXPECT_EQ(dogs().dogs(), before) << tail;
        EXPECT_EQ(dogs().raceLineCount(), linesBefore) << tail;
        // The earlier card stays, byte for byte, and the run's temporary
        // file is gone (only the input it was given is new).
        EXPECT_EQ(readText(raceFile()), cardBefore) << tail;
        auto folder = filesIn(dir_.path());
        std::erase_if(folder, [](const std::string& n) { return n.rfind("input", 0) == 0; });
        auto expected = folderBefore;
        std::erase_if(expected, [](const std::string& n) { return n.rfind("input", 0) == 0; });
        EXPECT_EQ(folder, expected) << tail;
    }
}

TEST_F(RunTest, ARaceFileFolderThatCannotBeWrittenIsNamedAndNothingIsImported) {
    writeText(dir_ / "x.txt", cardWith(""));
    const fs::path shut = dir_ / "shut";
    fs::create_directory(shut);
    // The dog database may be written by the ordinary user; the folder of the
    // race file may not.
    fs::permissions(paths_.dataDir(), fs::perms::all, fs::perm_options::add);
    fs::permissions(paths_.dogDatabase(), fs::perms::others_write | fs::perms::group_write,
                    fs::perm_options::add);
    const std::string got = asOrdinaryUser([&]() -> std::string {
        import::ImportRequest req;
        req.format = "trackinfo";
        req.inputs = {dir_ / "x.txt"};
        req.raceFile = shut / "card.rac";
        req.paths = paths_;
        req.today = today_;
        import::runImport(req);
        return "imported";
    });
    EXPECT_EQ(got, "exception: The race file " + (shut / "card.rac").string() +
                       " cannot be written: the folder " + shut.string() +
                       " is not writable (permission denied).");
    EXPECT_EQ(dogs().dogCount(), 0);
    EXPECT_TRUE(fs::is_empty(shut));
}

TEST_F(RunTest, AnImportThatGivesUpWaitingForAnotherProgramChangesNoFile) {
    const store::BusyWait saved = store::busyWait();
    store::setBusyWait({std::chrono::milliseconds(200), std::chrono::milliseconds(50)});
    writeText(dir_ / "x.txt", cardWith(""));
    makeRaceFile(raceFile());
    const std::string cardBefore = readText(raceFile());
    const auto folderBefore = filesIn(dir_.path());
    {
        // The other program is writing the dog database all along.
        store::DogDatabase other(paths_.dogDatabase());
        store::DogDatabase::Transaction busy(other);
        try {
            importFiles("trackinfo", {dir_ / "x.txt"});
            ADD_FAILURE() << "imported while another program was writing";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), Error::kLocked) << e.what();
        }
    }
    store::setBusyWait(saved);
    EXPECT_EQ(dogs().dogCount(), 0);
    EXPECT_EQ(readText(raceFile()), cardBefore);
    EXPECT_EQ(filesIn(dir_.path()), folderBefore);
}

TEST_F(RunTest, RaceFileIsReplacedByAFreshCopy) {
    importText("trackinfo", {cardWith("")});
    // A second run into the same file: the card is written again, not added.
    const auto s = importText("trackinfo", {cardWith("")});
    EXPECT_EQ(s.linesAdded, 0);
    EXPECT_EQ(s.dogsAdded, 0);
    EXPECT_EQ(s.duplicatesSkipped, 3);
    EXPECT_EQ(races().size(), 1u);
    EXPECT_EQ(posts().size(), 2u);
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 2);
    EXPECT_EQ(d->NumFirsts, 1);
    EXPECT_EQ(d->NumThirds, 1);
}

TEST_F(RunTest, RequestFaultsAreErrorsNotImportFailures) {
    import::ImportRequest req;
    req.paths = paths_;
    req.today = today_;
    req.raceFile = raceFile();
    req.format = "nonsense";
    req.inputs = {dir_ / "x.txt"};
    EXPECT_THROW(
        {
            try {
                import::runImport(req);
            } catch (const import::ImportFailed&) {
                FAIL() << "not an input fault";
            }
        },
        Error);

    req.format = "trackinfo";
    req.inputs = {};
    EXPECT_THROW(import::runImport(req), Error);

    req.inputs = {dir_ / "missing.txt"};
    try {
        import::runImport(req);
        FAIL();
    } catch (const import::ImportFailed&) {
        FAIL() << "a missing file is not the wrong import type";
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::kFileNotFound);
    }
    EXPECT_FALSE(fs::exists(raceFile()));

    writeText(dir_ / "x.txt", cardWith(""));
    req.inputs = {dir_ / "x.txt"};
    req.raceFile.reset();
    EXPECT_THROW(import::runImport(req), Error);
    EXPECT_EQ(dogs().dogCount(), 0);
}

TEST_F(RunTest, MissingDogDatabaseIsAnErrorAndNoRaceFileIsMade) {
    fs::remove(paths_.dogDatabase());
    writeText(dir_ / "x.txt", cardWith(""));
    EXPECT_THROW(importFiles("trackinfo", {dir_ / "x.txt"}), Error);
    EXPECT_FALSE(fs::exists(raceFile()));
    EXPECT_FALSE(fs::exists(paths_.dogDatabase()));
}

TEST_F(RunTest, ProgressReachesTheEnd) {
    writeText(dir_ / "x.txt", cardWith(""));
    import::ImportRequest req;
    req.format = "trackinfo";
    req.inputs = {dir_ / "x.txt"};
    req.raceFile = raceFile();
    req.paths = paths_;
    req.today = today_;
    long lastDone = 0;
    long lastTotal = -1;
    req.progress = [&](long done, long total) {
        EXPECT_GE(done, lastDone);
        lastDone = done;
        lastTotal = total;
    };
    import::runImport(req);
    EXPECT_EQ(lastDone, lastTotal);
    EXPECT_GT(lastTotal, 0);
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST_F(RunTest, DatabaseFaultKeepsItsOwnMessageAndChangesNothing) {
    addDog("Swift Arrow", 7, 2);
    const auto before = dogs().dogs();
    // A dog database that may not be written (no write bits: opened read-only).
    fs::permissions(paths_.dogDatabase(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    try {
        importText("trackinfo", {cardWith("")});
        FAIL() << "the import wrote a read-only database";
    } catch (const import::ImportFailed&) {
        FAIL() << "a database fault is not the wrong import type";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("dog database"), std::string::npos) << e.what();
    }
    fs::permissions(paths_.dogDatabase(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(dogs().dogs(), before);
    EXPECT_EQ(dogs().raceLineCount(), 0);
    // The race file is made only once the dog database is open for writing.
    EXPECT_FALSE(fs::exists(raceFile()));
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST_F(RunTest, RaceFileMayNotReplaceTheSystemsOwnFilesOrTheInput) {
    addDog("Swift Arrow", 7, 2);
    writeText(dir_ / "x.txt", cardWith(""));
    const std::string inputBytes = readText(dir_ / "x.txt");
    const std::string templateBytes = readText(paths_.raceTemplate());
    const char* own = "is one of the system's own files";
    const char* notRace = "is not a race file";
    const std::pair<fs::path, const char*> cases[] = {
        {paths_.dogDatabase(), own},
        {paths_.staticDatabase(), own},
        {paths_.raceTemplate(), own},
        {paths_.dataDir() / ".." / "Data" / "Data.mdb", own},
        // Refused while absent too: the dog database would take it as its own.
        {paths_.dataDir() / "Data.mdb-wal", own},
        {dir_ / "x.txt", notRace},
    };
    for (const auto& [target, words] : cases) {
        import::ImportRequest req;
        req.format = "trackinfo";
        req.inputs = {dir_ / "x.txt"};
        req.raceFile = target;
        req.paths = paths_;
        req.today = today_;
        try {
            import::runImport(req);
            ADD_FAILURE() << target;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(dogs().dogCount(), 1);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 7);
    EXPECT_EQ(readText(dir_ / "x.txt"), inputBytes);
    EXPECT_EQ(readText(paths_.raceTemplate()), templateBytes);
    EXPECT_FALSE(fs::exists(paths_.dataDir() / "Data.mdb-wal"));
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST(SummaryLines, TheTerminalAlignsTheCountsAndTheWindowDoesNot) {
    vz::import::ImportSummary s;
    s.dogsAdded = 3;
    s.linesAdded = 12;
    s.duplicatesSkipped = 0;
    s.racesWritten = 2;
    s.postsWritten = 16;
    s.linesWithoutDate = 1;
    s.recordsRefused = 4;
    // The labels of each block padded to its longest label
    // ("Duplicates skipped:" and "Lines without a date, left out:") and one
    // space; counts of nothing left out are not shown.
    EXPECT_EQ(vz::import::summaryLines(s, true, true),
              (std::vector<std::string>{
                  "Dogs added:         3", "Lines added:        12", "Duplicates skipped: 0",
                  "Races written:      2", "Posts written:      16",
                  "Lines without a date, left out: 1", "Records of no dog, left out:    4"}));
    // Without a race file there are no races and posts to count.
    EXPECT_EQ(vz::import::summaryLines(s, false, false),
              (std::vector<std::string>{"Dogs added: 3", "Lines added: 12", "Duplicates skipped: 0",
                                        "Lines without a date, left out: 1",
                                        "Records of no dog, left out: 4"}));
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

TEST_F(RunTest, OnlyRegularFilesOfSaneSizeAreRead) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo.txt").c_str(), 0644), 0);
    // A program of 64 MB and one byte (sparse: nothing is written).
    writeText(dir_ / "huge.txt", "");
    fs::resize_file(dir_ / "huge.txt", vz::import::kMaxInputBytes + 1);
    const struct {
        fs::path input;
        const char* why;
    } cases[] = {
        {dir_ / "fifo.txt", "is not a regular file"},
        {"/dev/zero", "is not a regular file"},
        {dir_ / "huge.txt", "is larger than 64 MB"},
    };
    for (const auto& c : cases) {
        try {
            importFiles("trackinfo", {c.input});
            ADD_FAILURE() << c.input;
        } catch (const vz::import::ImportFailed& e) {
            ADD_FAILURE() << "not the wrong import type: " << e.what();
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.input.string()), std::string::npos);
        }
        EXPECT_FALSE(fs::exists(raceFile()));
        EXPECT_EQ(dogs().dogCount(), 0);
    }
}

}  // namespace
}  // namespace vz::test
