// The new race file of an import: which names it may take, and what a start
// finds and does after an import was cut short between any two of its steps.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "core/store/dog_database.h"
#include "core/store/new_race_file.h"
#include "core/store/race_file.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

namespace fs = std::filesystem;

TEST(NewRaceFileRefusal, OnlyARaceFileIsReplaced) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    test::makeRaceFile(dir / "old.rac");
    test::writeText(dir / "notes.txt", "Tuesday's card\r\n");
    test::writeText(dir / "empty.rac", "");
    const char jet[] = "\0\1\0\0Standard Jet DB\0\0";
    test::writeText(dir / "jet.rac", std::string(jet, sizeof jet - 1));
    test::writeText(dir / "program",
                    "\x7f"
                    "ELF\2\1\1");
    fs::copy_file(paths.dogDatabase(), dir / "dogs.rac");
    fs::create_directory(dir / "Tuesday.rac");
    const std::string dogs = paths.dogDatabase().string();
    test::writeText(dogs + "-shm", std::string(32, '\0'));

    const char* own = "is one of the system's own files: a race file cannot take its name.";
    const char* notRace = "is not a race file: only a race file is replaced by a new one.";
    const struct {
        fs::path file;
        const char* words;  // nullptr: the name may be used
    } cases[] = {
        {dir / "new.rac", nullptr},
        {dir / "old.rac", nullptr},
        {dogs, own},
        {dogs + "-wal", own},  // no such file now: the database would take it as its own
        {dogs + "-shm", own},
        {dogs + "-journal", own},
        {paths.dataDir() / "." / "Data.mdb", own},
        {paths.staticDatabase(), own},
        {paths.raceTemplate(), own},  // a race file, but every card is copied from it
        {paths.settingsFile(), own},
        {paths.recentFile(), own},
        {paths.dogEditorSizeFile(), own},  // not made yet: the editor's close would replace it
        {paths.errorReport(), own},
        {paths.importSettings("QAV.ini"), own},  // not made yet: the import's settings file
        {dir / "notes.txt", notRace},
        {dir / "empty.rac", notRace},
        {dir / "jet.rac", notRace},
        {dir / "program", "is a program: a race file cannot take its name."},
        {dir / "dogs.rac", notRace},  // a database without the race file's tables
        {dir / "Tuesday.rac", "is a folder, not a file."},
    };
    for (const auto& c : cases) {
        const auto why = newRaceFileRefusal(paths, c.file);
        if (c.words == nullptr) {
            EXPECT_FALSE(why) << c.file << ": " << *why;
            continue;
        }
        ASSERT_TRUE(why) << c.file;
        EXPECT_NE(why->find(c.words), std::string::npos) << *why;
        EXPECT_NE(why->find(c.file.string()), std::string::npos) << *why;
        EXPECT_NE(why->find("Choose another name."), std::string::npos) << *why;
    }
}

// How far an import got before it was killed.
enum class Stage {
    Recorded,   // the record and the temporary copy of the template made
    Filled,     // the card committed into the temporary file
    Committed,  // the dog database committed, the rename not done
};

constexpr const char* kNewDog = "Comet Of Crash";

base::Date cardDay() {
    return base::Date{std::chrono::year{2026}, std::chrono::month{12}, std::chrono::day{8}};
}

// Runs the steps of an import up to `stage` in a child process, which stops
// there as a killed program does (no destructor runs, nothing is tidied up):
// it ends at once, or, when `running`, tells the parent and waits to be
// killed. Returns the child's id once it has got that far.
pid_t importUpTo(const base::AppPaths& paths, const fs::path& card, Stage stage,
                 bool running = false) {
    int ready[2];
    if (::pipe(ready) != 0) {
        ADD_FAILURE() << "no pipe";
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const auto stop = [&] {
            if (running) {
                (void)!::write(ready[1], "x", 1);
                ::pause();
            }
            ::_exit(0);
        };
        try {
            DogDatabase dogs(paths.dogDatabase());
            NewRaceFile newCard(dogs, paths.raceTemplate(), card);
            if (stage == Stage::Recorded) {
                stop();
            }
            DogDatabase::Transaction dogTx(dogs);
            base::Dog d;
            d.RegName = kNewDog;
            dogs.addDog(d);
            {
                RaceFile::Transaction cardTx(newCard.raceFile());
                base::Race r;
                r.RaceNum = 5;
                r.RaceDate = cardDay();
                newCard.raceFile().addRace(r);
                cardTx.commit();
            }
            if (stage == Stage::Filled) {
                stop();
            }
            newCard.commit(dogTx);
            stop();
        } catch (...) {
            ::_exit(3);
        }
    }
    ::close(ready[1]);
    if (running) {
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1) << "the child did not get that far";
    } else {
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ::close(ready[0]);
    return pid;
}

// The race numbers of the card at `path`; nothing when there is no file.
std::optional<std::vector<int>> raceNumbers(const fs::path& path) {
    if (!fs::exists(path)) {
        return std::nullopt;
    }
    std::vector<int> nums;
    for (const base::Race& r : RaceFile(path, OpenMode::ReadOnly).races()) {
        nums.push_back(r.RaceNum.value_or(-1));
    }
    return nums;
}

TEST(InterruptedImport, TheNextStartLeavesBothAsBeforeOrBothAsAfter) {
    const struct {
        Stage stage;
        bool earlierCard;  // the user chose to replace a race file of that name
    } cases[] = {
        {Stage::Recorded, false}, {Stage::Filled, false}, {Stage::Committed, false},
        {Stage::Recorded, true},  {Stage::Filled, true},  {Stage::Committed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "stage " << static_cast<int>(c.stage)
                                        << ", earlier card " << c.earlierCard);
        test::TempDir dir;
        const base::AppPaths paths = test::makeAppFolder(dir.path());
        const fs::path card = dir / "Tuesday.rac";
        if (c.earlierCard) {
            test::makeRaceFile(card);
            base::Race r;
            r.RaceNum = 1;
            r.RaceDate = cardDay();
            RaceFile(card).addRace(r);
        }
        const auto cardBefore = raceNumbers(card);
        importUpTo(paths, card, c.stage);
        // The killed run's temporary file is there, its name hidden.
        ASSERT_EQ(test::hiddenFiles(dir.path()).size(), 1u);

        EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
        const bool after = c.stage == Stage::Committed;
        EXPECT_EQ(DogDatabase(paths.dogDatabase()).findDog(kNewDog).has_value(), after);
        EXPECT_EQ(raceNumbers(card), after ? std::optional(std::vector<int>{5}) : cardBefore);
        EXPECT_TRUE(test::hiddenFiles(dir.path()).empty());
        // Done once: a second start finds nothing more to do.
        EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
        EXPECT_EQ(raceNumbers(card), after ? std::optional(std::vector<int>{5}) : cardBefore);
    }
}

TEST(InterruptedImport, AnImportStillRunningIsLeftAlone) {
    for (const Stage stage : {Stage::Recorded, Stage::Filled, Stage::Committed}) {
        SCOPED_TRACE(static_cast<int>(stage));
        test::TempDir dir;
        const base::AppPaths paths = test::makeAppFolder(dir.path());
        const fs::path card = dir / "Tuesday.rac";
        const pid_t running = importUpTo(paths, card, stage, true);
        // Another program starts meanwhile: the running import is none of its business.
        EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
        EXPECT_EQ(test::hiddenFiles(dir.path()).size(), 1u);
        EXPECT_FALSE(fs::exists(card));
        // Then the import is killed; the next start settles it.
        ::kill(running, SIGKILL);
        ::waitpid(running, nullptr, 0);
        EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
        EXPECT_TRUE(test::hiddenFiles(dir.path()).empty());
        EXPECT_EQ(fs::exists(card), stage == Stage::Committed);
    }
}

TEST(InterruptedImport, AnImportThatFailsTakesItsTemporaryFileAlong) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    const fs::path card = dir / "Tuesday.rac";
    {
        DogDatabase dogs(paths.dogDatabase());
        NewRaceFile failing(dogs, paths.raceTemplate(), card);
        EXPECT_EQ(test::hiddenFiles(dir.path()).size(), 1u);
    }
    EXPECT_TRUE(test::hiddenFiles(dir.path()).empty());
    EXPECT_FALSE(fs::exists(card));
}

TEST(InterruptedImport, ARecordNamingAnotherFileIsNeverFollowed) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    test::makeRaceFile(dir / "Keep.rac");
    test::writeText(dir / "notes.txt", "mine");
    // A dog database from elsewhere, whose record points at the user's files.
    importUpTo(paths, dir / "Other.rac", Stage::Recorded);
    {
        SQLite::Database db(paths.dogDatabase().string(), SQLite::OPEN_READWRITE);
        SQLite::Statement st(db,
                             "INSERT INTO PendingRaceFile (TempFile, RaceFile, Committed) "
                             "VALUES (?, ?, ?)");
        for (const auto& [temp, target, committed] :
             {std::tuple{dir / "Keep.rac", dir / "x.rac", 0},
              std::tuple{dir / "notes.txt", dir / "Keep.rac", 1}}) {
            st.bind(1, temp.string());
            st.bind(2, target.string());
            st.bind(3, committed);
            st.exec();
            st.reset();
        }
    }
    EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
    EXPECT_EQ(raceNumbers(dir / "Keep.rac"), std::optional(std::vector<int>{}));
    EXPECT_EQ(test::readText(dir / "notes.txt"), "mine");
    EXPECT_TRUE(test::hiddenFiles(dir.path()).empty());  // the real one was cleared away
}

TEST(InterruptedImport, ADogDatabaseWithoutTheRecordsIsOnlyRead) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    const std::string before = test::readText(paths.dogDatabase());
    EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
    EXPECT_EQ(test::readText(paths.dogDatabase()), before);
    fs::remove(paths.dogDatabase());
    EXPECT_TRUE(completeInterruptedImports(paths.dogDatabase()).empty());
    EXPECT_FALSE(fs::exists(paths.dogDatabase()));
}

}  // namespace
}  // namespace vz::store
