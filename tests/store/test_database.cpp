#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include <sqlite3.h>

#include "core/base/error.h"
#include "core/store/dog_database.h"
#include "core/store/lookup_database.h"
#include "core/store/race_file.h"
#include "tests/support/test_support.h"

namespace vz::store {
namespace {

namespace fs = std::filesystem;
using test::ymd;

base::Dog dog(const std::string& name) {
    base::Dog d;
    d.RegName = name;
    d.RunningStyle = "M";
    d.NumStarts = 0;
    d.NumFirsts = 0;
    d.NumSeconds = 0;
    d.NumThirds = 0;
    return d;
}

base::RaceLine line(const std::string& name, base::Date when, int raceNum) {
    base::RaceLine l;
    l.RegName = name;
    l.RaceDate = when;
    l.RaceNum = raceNum;
    l.Distance = "S";
    l.FinishTime = 3050 + raceNum;
    return l;
}

class DogDatabaseTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    base::AppPaths paths = test::makeAppFolder(dir.path());
};

TEST_F(DogDatabaseTest, DogsComeInNameOrderAndAreFoundWithoutRegardToCase) {
    DogDatabase db(paths.dogDatabase());
    for (const char* n : {"Zulu Flash", "alpha Star", "Mighty \"Mo\"", "Beta Boy"}) {
        db.addDog(dog(n));
    }
    std::vector<std::string> names;
    for (const base::Dog& d : db.dogs()) {
        names.push_back(d.RegName);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"alpha Star", "Beta Boy", "Mighty \"Mo\"", "Zulu Flash"}));
    EXPECT_EQ(db.dogNames(), names);
    ASSERT_TRUE(db.findDog("ALPHA STAR"));
    EXPECT_EQ(db.findDog("ALPHA STAR")->RegName, "alpha Star");
    ASSERT_TRUE(db.findDog("mighty \"mo\""));
    EXPECT_EQ(db.findDog("Mighty \"Mo\"")->RunningStyle, "M");
    EXPECT_FALSE(db.findDog("alpha"));
    EXPECT_FALSE(db.findDog("alpha Star "));
    EXPECT_EQ(db.dogCount(), 4);
}

TEST_F(DogDatabaseTest, NamesAreUniqueWithoutRegardToCase) {
    DogDatabase db(paths.dogDatabase());
    db.addDog(dog("Fast Lady"));
    EXPECT_THROW(db.addDog(dog("FAST LADY")), Error);
    EXPECT_EQ(db.dogCount(), 1);
}

TEST_F(DogDatabaseTest, LinesComeNewestFirstAndSameDayInTheOrderAdded) {
    DogDatabase db(paths.dogDatabase());
    db.addDog(dog("Fast Lady"));
    db.addRaceLine(line("Fast Lady", ymd(2026, 11, 1), 1));
    db.addRaceLine(line("fast lady", ymd(2026, 12, 5), 2));
    db.addRaceLine(line("Fast Lady", ymd(2026, 11, 20), 3));
    db.addRaceLine(line("Fast Lady", ymd(2026, 11, 20), 4));
    db.addRaceLine(line("Other Dog", ymd(2026, 12, 6), 5));
    std::vector<int> order;
    for (const base::RaceLine& l : db.raceLines("FAST LADY")) {
        order.push_back(*l.RaceNum);
    }
    EXPECT_EQ(order, (std::vector<int>{2, 3, 4, 1}));
    const auto newest = db.newestRaceLines("Fast Lady", 2);
    ASSERT_EQ(newest.size(), 2u);
    EXPECT_EQ(newest[0].RaceNum, 2);
    EXPECT_EQ(newest[1].RaceNum, 3);
    EXPECT_TRUE(db.raceLines("Nobody").empty());
    EXPECT_EQ(db.raceLineCount(), 5);
}

TEST_F(DogDatabaseTest, RowsRoundTripWithEmptyFields) {
    DogDatabase db(paths.dogDatabase());
    base::RaceLine full = line("Fast Lady", ymd(2024, 2, 29), 7);
    full.WinningTime = 3011;
    full.Post = 8;
    full.Break = 1;
    full.Eighth = 2;
    full.Stretch = 3;
    full.Finish = 4;
    full.FinishLength = 2.5;
    full.Odds = 4.2;
    full.Grade = "TA";
    full.rowId = db.addRaceLine(full);
    base::RaceLine sparse;
    sparse.RegName = "Fast Lady";
    sparse.rowId = db.addRaceLine(sparse);
    const auto lines = db.raceLines("Fast Lady");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], full);  // a dated line sorts before an undated one
    EXPECT_EQ(lines[1], sparse);

    full.Finish = 1;
    full.Grade.reset();
    db.updateRaceLine(full);
    EXPECT_EQ(db.raceLines("Fast Lady")[0], full);
    db.deleteRaceLine(sparse.rowId);
    EXPECT_EQ(db.raceLineCount(), 1);

    base::Dog d = dog("Fast Lady");
    d.Comments = "Likes the rail";
    d.rowId = db.addDog(d);
    d.NumStarts = 12;
    d.RegName = "Fast Lady II";
    db.updateDog(d);
    EXPECT_EQ(db.findDog("fast lady ii"), d);
    db.deleteDog(d.rowId);
    EXPECT_EQ(db.dogCount(), 0);
    // The dog's lines stay: they belong to the history, not to the row.
    EXPECT_EQ(db.raceLineCount(), 1);
}

TEST_F(DogDatabaseTest, TransactionWithoutCommitChangesNothing) {
    DogDatabase db(paths.dogDatabase());
    {
        DogDatabase::Transaction tx(db);
        db.addDog(dog("Ghost"));
    }
    EXPECT_EQ(db.dogCount(), 0);
    {
        DogDatabase::Transaction tx(db);
        db.addDog(dog("Kept"));
        tx.commit();
    }
    EXPECT_EQ(db.dogCount(), 1);
}

TEST_F(DogDatabaseTest, TwoConnectionsCanUseTheFileAtOnce) {
    DogDatabase first(paths.dogDatabase());
    DogDatabase second(paths.dogDatabase());
    first.addDog(dog("One"));
    EXPECT_TRUE(second.findDog("one"));
}

TEST(DatabaseOpen, RefusesWhatIsNotADatabaseOfItsKind) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    test::writeText(dir / "access.mdb",
                    std::string("\x00\x01\x00\x00Standard Jet DB\x00\x01\x00\x00\x00", 24));
    test::writeText(dir / "text.rac", "Race 1, post 1: Fast Lady\r\n");
    test::writeText(dir / "empty.mdb", "");
    // Opening a FIFO to read waits for a writer: it must never be opened.
    ASSERT_EQ(::mkfifo((dir / "fifo.mdb").c_str(), 0644), 0);

    struct Case {
        fs::path file;
        int number;
        const char* needle;
    } cases[] = {
        {dir / "missing.mdb", Error::kFileNotFound, "does not exist"},
        {dir / "access.mdb", Error::kDatabase,
         "Access database, which this version cannot open yet"},
        {dir / "text.rac", Error::kDatabase, "is not a database"},
        {dir / "empty.mdb", Error::kDatabase, "is not a database"},
        {dir / "fifo.mdb", Error::kDatabase, "is not a database"},
        {paths.staticDatabase(), Error::kDatabase, "is not a dog database"},
    };
    for (const Case& c : cases) {
        try {
            DogDatabase db(c.file);
            ADD_FAILURE() << c.file;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number) << c.file;
            EXPECT_NE(std::string(e.what()).find(c.needle), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.file.string()), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(fs::exists(dir / "missing.mdb"));
    EXPECT_THROW(RaceFile(paths.dogDatabase()), Error);
}

TEST(DatabaseOpen, AReadOnlyFileIsRefusedForWritingButOpensForReading) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    fs::permissions(paths.dogDatabase(), fs::perms::owner_read | fs::perms::group_read,
                    fs::perm_options::replace);
    EXPECT_THROW(DogDatabase(paths.dogDatabase(), OpenMode::ReadWrite), Error);
    DogDatabase reader(paths.dogDatabase(), OpenMode::ReadOnly);
    EXPECT_EQ(reader.dogCount(), 0);
}

std::set<std::string> filesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string failureOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const Error& e) {
        return e.what();
    }
    return "no error";
}

TEST(DatabaseOpen, ARaceFileThatCannotBeReadSaysWhy) {
    test::TempDir dir;
    const fs::path locked = dir / "Locked.rac";
    test::makeRaceFile(locked);
    fs::permissions(locked, fs::perms::none, fs::perm_options::replace);
    fs::create_directory(dir / "Folder.rac");
    EXPECT_EQ(test::asOrdinaryUser([&] { return failureOf([&] { RaceFile f(locked); }); }),
              "The race file " + locked.string() + " cannot be read: permission denied.");
    EXPECT_EQ(failureOf([&] { RaceFile f(dir / "Folder.rac"); }),
              "The race file " + (dir / "Folder.rac").string() + " is a folder, not a file.");
}

// A data folder copied to a read-only place (a backup, a shared folder): the
// dog database is read, never changed, and nothing is written beside it.
TEST(DatabaseOpen, AReadOnlyDataFolderIsReadButNotChanged) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    {
        DogDatabase db(paths.dogDatabase());  // turns the WAL journal on
        db.addDog(dog("Fast Lady"));
    }
    fs::permissions(paths.dogDatabase(), fs::perms::all & ~fs::perms::owner_exec &
                                             ~fs::perms::group_exec & ~fs::perms::others_exec);
    test::removeWritePermission(paths.dataDir());
    const std::string refusal = "The dog database " + paths.dogDatabase().string() +
                                " cannot be changed: its folder " + paths.dataDir().string() +
                                " must be writable";

    // Read by a user the file system stops from writing there.
    EXPECT_EQ(test::asOrdinaryUser([&] {
                  DogDatabase db(paths.dogDatabase(), OpenMode::ReadOnly);
                  return std::to_string(db.dogCount());
              }),
              "1");
    EXPECT_TRUE(contains(test::asOrdinaryUser([&] {
                             return failureOf([&] { DogDatabase db(paths.dogDatabase()); });
                         }),
                         refusal));

    DogDatabase reader(paths.dogDatabase(), OpenMode::ReadOnly);
    EXPECT_EQ(reader.dogCount(), 1);
    EXPECT_TRUE(contains(failureOf([&] { DogDatabase db(paths.dogDatabase()); }), refusal));
    DogDatabase editor(paths.dogDatabase(), OpenMode::PreferWrite);
    EXPECT_TRUE(editor.findDog("fast lady"));
    EXPECT_TRUE(contains(editor.readOnlyReason(), refusal));
    EXPECT_TRUE(contains(failureOf([&] { editor.addDog(dog("Slow Sam")); }), refusal));
    EXPECT_TRUE(contains(failureOf([&] { DogDatabase::Transaction tx(editor); }), refusal));
    EXPECT_EQ(filesIn(paths.dataDir()), std::set<std::string>{"Data.mdb"});
}

// The user copies the data folder: a cleanly closed dog database must be
// whole in its one file, whoever closed it last.
TEST(DatabaseClose, LeavesNoJournalFilesBehind) {
    for (const bool writerClosesFirst : {false, true}) {
        test::TempDir dir;
        const base::AppPaths paths = test::makeAppFolder(dir.path());
        auto writer = std::make_unique<DogDatabase>(paths.dogDatabase());
        auto reader = std::make_unique<DogDatabase>(paths.dogDatabase(), OpenMode::ReadOnly);
        writer->addDog(dog("Fast Lady"));
        EXPECT_EQ(reader->dogCount(), 1);
        if (writerClosesFirst) {
            writer.reset();
        }
        reader.reset();
        writer.reset();
        EXPECT_EQ(filesIn(paths.dataDir()), std::set<std::string>{"Data.mdb"}) << writerClosesFirst;
        // The lone file holds the change.
        fs::copy_file(paths.dogDatabase(), dir / "copy.mdb");
        EXPECT_EQ(DogDatabase(dir / "copy.mdb", OpenMode::ReadOnly).dogCount(), 1);
    }
}

class BusyWaitTest : public ::testing::Test {
  protected:
    void TearDown() override { setBusyWait(saved); }

    // Another program's import: it holds the write lock of the dog database
    // for `hold`, with one dog added, then commits. Returns once it holds it.
    std::jthread otherWriter(std::chrono::milliseconds hold) {
        std::atomic<bool> holding{false};
        std::jthread t([this, hold, &holding] {
            DogDatabase other(paths.dogDatabase());
            DogDatabase::Transaction tx(other);
            other.addDog(dog("Imported"));
            holding = true;
            std::this_thread::sleep_for(hold);
            tx.commit();
        });
        while (!holding) {
            std::this_thread::yield();
        }
        return t;
    }

    BusyWait saved = busyWait();
    test::TempDir dir;
    base::AppPaths paths = test::makeAppFolder(dir.path());
    std::vector<WaitNotice> notices;
};

TEST_F(BusyWaitTest, AWriterWaitsForTheOtherProgramAndSaysSo) {
    setBusyWait({std::chrono::seconds(20), std::chrono::milliseconds(50)});
    DogDatabase db(paths.dogDatabase());
    std::jthread other = otherWriter(std::chrono::milliseconds(600));
    {
        WaitObserverScope scope([this](const WaitNotice& n) { notices.push_back(n); });
        db.addDog(dog("Edited"));
    }
    other.join();
    EXPECT_EQ(db.dogCount(), 2);
    ASSERT_GE(notices.size(), 2u);
    EXPECT_EQ(notices.front().what, "dog database");
    EXPECT_EQ(notices.front().file, paths.dogDatabase());
    EXPECT_FALSE(notices.front().over);
    EXPECT_EQ(waitingText(notices.front()),
              "Waiting for another program to finish writing the dog database... 0 s");
    EXPECT_TRUE(notices.back().over);
}

TEST_F(BusyWaitTest, AWriterGivesUpInWordsAndChangesNothing) {
    setBusyWait({std::chrono::milliseconds(200), std::chrono::milliseconds(50)});
    DogDatabase db(paths.dogDatabase());
    std::string failure;
    {
        std::jthread other = otherWriter(std::chrono::milliseconds(900));
        WaitObserverScope scope([this](const WaitNotice& n) { notices.push_back(n); });
        try {
            DogDatabase::Transaction tx(db);
            db.addDog(dog("Edited"));
            tx.commit();
        } catch (const Error& e) {
            failure = e.what();
            EXPECT_EQ(e.number(), Error::kLocked);
        }
    }
    EXPECT_TRUE(contains(
        failure, "Another program is writing the dog database " + paths.dogDatabase().string()))
        << failure;
    EXPECT_TRUE(contains(failure, "The dog database was not changed: try again")) << failure;
    ASSERT_FALSE(notices.empty());
    EXPECT_TRUE(notices.back().over);  // the display is cleared before the message
    EXPECT_FALSE(db.findDog("Edited"));
    EXPECT_TRUE(db.findDog("Imported"));
}

TEST(DatabaseError, SaysWhyInWords) {
    const fs::path file = "/srv/vz/Data/Data.mdb";
    struct Case {
        int code;
        int extended;
        int systemErrno;
        int number;
        const char* words;
    } cases[] = {
        {SQLITE_FULL, SQLITE_FULL, 0, Error::kDiskFull,
         "The disk holding the dog database /srv/vz/Data/Data.mdb is full: the dog database was "
         "not changed."},
        {SQLITE_IOERR, SQLITE_IOERR_WRITE, ENOSPC, Error::kDiskFull, "is full"},
        {SQLITE_IOERR, SQLITE_IOERR_SHMSIZE, EDQUOT, Error::kDiskFull, "is full"},
        {SQLITE_IOERR, SQLITE_IOERR_FSYNC, EIO, Error::kDeviceIO, "input/output error"},
        {SQLITE_READONLY, SQLITE_READONLY_DIRECTORY, 0, Error::kPermissionDenied,
         "cannot be changed: its folder /srv/vz/Data must be writable."},
        {SQLITE_BUSY, SQLITE_BUSY, 0, Error::kLocked,
         "Another program is writing the dog database /srv/vz/Data/Data.mdb"},
        {SQLITE_NOTADB, SQLITE_NOTADB, 0, Error::kDatabase, "is not a database."},
        {SQLITE_CORRUPT, SQLITE_CORRUPT, 0, Error::kDatabase, "is damaged"},
    };
    for (const Case& c : cases) {
        const Error e =
            databaseError(c.code, c.extended, c.systemErrno, "engine words", "dog database", file);
        EXPECT_EQ(e.number(), c.number) << e.what();
        EXPECT_TRUE(contains(e.what(), c.words)) << e.what();
    }
}

TEST(RaceFileTest, RacesAndPostsInTheirOrders) {
    test::TempDir dir;
    const base::AppPaths paths = test::makeAppFolder(dir.path());
    const fs::path card = dir / "Card.rac";
    RaceFile::createFromTemplate(paths.raceTemplate(), card);
    EXPECT_EQ(test::readText(card), test::readText(paths.raceTemplate()));

    RaceFile file(card);
    EXPECT_TRUE(file.races().empty());
    const base::Date d1 = ymd(2026, 12, 7);
    const base::Date d2 = ymd(2026, 12, 8);
    for (auto [when, num] : {std::pair{d2, 1}, std::pair{d1, 2}, std::pair{d1, 1}}) {
        base::Race r;
        r.RaceDate = when;
        r.RaceNum = num;
        r.Grade = "B";
        r.Distance = "S";
        file.addRace(r);
    }
    std::vector<std::string> order;
    for (const base::Race& r : file.races()) {
        order.push_back(base::toIso(*r.RaceDate) + "/" + std::to_string(*r.RaceNum));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"2026-12-07/1", "2026-12-07/2", "2026-12-08/1"}));

    for (int post : {3, 1, 2}) {
        base::Post p;
        p.RaceDate = d1;
        p.RaceNum = 2;
        p.Post = post;
        p.RegName = "Dog \"" + std::to_string(post) + "\"";
        file.addPost(p);
    }
    base::Post other;
    other.RaceDate = d1;
    other.RaceNum = 1;
    other.Post = 1;
    other.RegName = "Elsewhere";
    file.addPost(other);

    const auto posts = file.posts(d1, 2);
    ASSERT_EQ(posts.size(), 3u);
    EXPECT_EQ(posts[0].Post, 1);
    EXPECT_EQ(posts[2].RegName, "Dog \"3\"");
    EXPECT_TRUE(file.posts(std::nullopt, 2).empty());
    EXPECT_TRUE(file.posts(d2, 1).empty());
    EXPECT_EQ(file.allPosts().size(), 4u);

    base::Post moved = posts[0];
    moved.Post = 9;
    file.updatePost(moved);
    EXPECT_EQ(file.posts(d1, 2).back().Post, 9);
    file.deletePost(moved.rowId);
    file.deleteRace(file.races().front().rowId);
    EXPECT_EQ(file.races().size(), 2u);
    EXPECT_EQ(file.allPosts().size(), 3u);  // deleting a race leaves its posts
}

TEST(LookupDatabaseTest, ShippedCodesComeInTheirOrder) {
    LookupDatabase lookup(base::AppPaths{test::shippedDir(), {}}.staticDatabase());
    const auto grades = lookup.grades();
    ASSERT_GE(grades.size(), 9u);
    EXPECT_EQ(grades[0].code, "AA");
    EXPECT_EQ(grades[1].code, "A");
    std::vector<std::string> distances;
    for (const auto& d : lookup.distances()) {
        distances.push_back(d.code);
    }
    EXPECT_EQ(distances, (std::vector<std::string>{"S", "L", "R"}));
    EXPECT_EQ(lookup.styles(), (std::vector<std::string>{"M", "R", "W"}));
}

}  // namespace
}  // namespace vz::store
