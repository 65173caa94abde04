#include <gtest/gtest.h>

#include "core/import/session.h"
#include "core/store/dog_database.h"
#include "core/store/import_store.h"
#include "core/store/race_file.h"
#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

using import::Session;

class SessionTest : public ImportFixture {
  protected:
    store::RaceLine line(const std::string& name, store::Date d, int finish = 4) {
        store::RaceLine l;
        l.RegName = name;
        l.RaceDate = d;
        l.RaceNum = 3;
        l.Finish = finish;
        l.Grade = "C";
        return l;
    }
};

TEST_F(SessionTest, FindOrAddIgnoresLetterCaseAndGivesNewDogsDefaults) {
    addDog("Swift Arrow", 5, 1);
    {
        store::DogDatabase db(paths_.dogDatabase());
        store::ImportStore st(db, nullptr);
        Session s(st, today_);
        EXPECT_FALSE(s.findOrAddDog("SWIFT ARROW"));
        EXPECT_TRUE(s.findOrAddDog("Blue \"Ace\" Runner"));
        EXPECT_FALSE(s.findOrAddDog("blue \"ace\" runner"));
        EXPECT_FALSE(s.findOrAddDog(""));
        EXPECT_FALSE(s.dogKnown(""));
        EXPECT_EQ(s.summary().dogsAdded, 1);
    }
    const auto added = dog("Blue \"Ace\" Runner");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->RunningStyle, "M");
    EXPECT_EQ(added->NumStarts, 0);
    EXPECT_EQ(added->NumFirsts, 0);
    EXPECT_EQ(added->NumSeconds, 0);
    EXPECT_EQ(added->NumThirds, 0);
    EXPECT_FALSE(added->Comments.has_value() && !added->Comments->empty());
    EXPECT_EQ(dogs().dogCount(), 2);
}

TEST_F(SessionTest, DuplicateTestLooksAtTheDateOnly) {
    addDog("Swift Arrow");
    {
        store::DogDatabase db(paths_.dogDatabase());
        store::RaceLine old = line("Swift Arrow", ymd(2026, 11, 20));
        old.RaceNum = 9;
        db.addRaceLine(old);
    }
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    Session s(st, today_);
    EXPECT_TRUE(s.isDuplicate("swift arrow", ymd(2026, 11, 20)));  // another race that day
    EXPECT_FALSE(s.isDuplicate("Swift Arrow", ymd(2026, 11, 21)));
    s.addRaceLine(line("Swift Arrow", ymd(2026, 11, 21)), std::nullopt);
    // A line added in this run counts for the next test.
    EXPECT_TRUE(s.isDuplicate("Swift Arrow", ymd(2026, 11, 21)));
    EXPECT_EQ(s.summary().duplicatesSkipped, 2);
    EXPECT_EQ(s.summary().linesAdded, 1);
}

TEST_F(SessionTest, ADogJustAddedIsTestedAgainstEveryLineOfItsName) {
    addLine("Sly Star", ymd(2021, 9, 19));  // a deleted dog's line
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    Session s(st, today_);
    ASSERT_TRUE(s.findOrAddDog("SLY STAR"));
    EXPECT_TRUE(s.isDuplicate("SLY STAR", ymd(2021, 9, 19)));
    EXPECT_FALSE(s.isDuplicate("SLY STAR", ymd(2026, 11, 21)));
    s.addRaceLine(line("SLY STAR", ymd(2026, 11, 21)), 1);
    EXPECT_TRUE(s.isDuplicate("sly star", ymd(2026, 11, 21)));
    // A dog added with its own values (QAV TEST) likewise.
    addLine("Quiet Tonic", ymd(2026, 10, 2));
    store::Dog q;
    q.RegName = "Quiet Tonic";
    s.addDog(q);
    EXPECT_TRUE(s.isDuplicate("Quiet Tonic", ymd(2026, 10, 2)));
}

TEST_F(SessionTest, CounterUpdateByFinishPosition) {
    addDog("Swift Arrow", 10, 2);
    {
        store::DogDatabase db(paths_.dogDatabase());
        store::ImportStore st(db, nullptr);
        Session s(st, today_);
        const struct {
            unsigned day;
            std::optional<int> counted;
        } adds[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 8}, {6, std::nullopt}, {7, 1}};
        for (const auto& a : adds) {
            s.addRaceLine(line("Swift Arrow", ymd(2026, 10, a.day)), a.counted);
        }
        s.finish();
        s.finish();  // a second call adds nothing more
    }
    const auto d = dog("Swift Arrow");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->NumStarts, 16);
    EXPECT_EQ(d->NumFirsts, 4);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    EXPECT_EQ(lines("Swift Arrow").size(), 7u);
}

TEST_F(SessionTest, EmptyCountersCountFromZero) {
    {
        store::DogDatabase db(paths_.dogDatabase());
        store::Dog d;
        d.RegName = "Old Timer";  // a row from an old file: counters empty
        db.addDog(d);
    }
    {
        store::DogDatabase db(paths_.dogDatabase());
        store::ImportStore st(db, nullptr);
        Session s(st, today_);
        s.addRaceLine(line("Old Timer", ymd(2026, 10, 1)), 2);
        s.finish();
    }
    const auto d = dog("Old Timer");
    EXPECT_EQ(d->NumStarts, 1);
    EXPECT_EQ(d->NumFirsts, 0);
    EXPECT_EQ(d->NumSeconds, 1);
}

TEST_F(SessionTest, AddDogKeepsTheValuesGivenAndRefusesKnownNames) {
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    Session s(st, today_);
    store::Dog d;
    d.RegName = "Record Dog";
    d.RunningStyle = "W";
    d.NumStarts = 12;
    d.NumFirsts = 3;
    s.addDog(d);
    EXPECT_TRUE(s.dogKnown("RECORD DOG"));
    EXPECT_FALSE(s.isDuplicate("Record Dog", ymd(2026, 1, 1)));
    EXPECT_THROW(s.addDog(d), Error);
    d.RegName = "";
    EXPECT_THROW(s.addDog(d), Error);
    const auto back = db.findDog("Record Dog");
    EXPECT_EQ(back->NumStarts, 12);
    EXPECT_EQ(back->RunningStyle, "W");
}

TEST_F(SessionTest, CardRowsNeedARaceFile) {
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    Session s(st, today_);
    EXPECT_THROW(s.addRace(store::Race{}), Error);
    EXPECT_THROW(s.addPost(store::Post{}), Error);

    makeRaceFile(raceFile());
    store::RaceFile rf(raceFile());
    store::ImportStore st2(db, &rf);
    Session s2(st2, today_);
    store::Race r;
    r.RaceNum = 1;
    r.RaceDate = ymd(2026, 12, 8);
    r.Distance = "S";
    r.Grade = "A";
    s2.addRace(r);
    store::Post p;
    p.RaceNum = 1;
    p.RaceDate = ymd(2026, 12, 8);
    p.Post = 1;
    p.RegName = "x";
    s2.addPost(p);
    EXPECT_EQ(s2.summary().racesWritten, 1);
    EXPECT_EQ(s2.summary().postsWritten, 1);
    EXPECT_EQ(rf.races().size(), 1u);
}

TEST_F(SessionTest, ProgressIsThrottledAndEndsAtTheTotal) {
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    std::vector<std::pair<long, long>> calls;
    Session s(st, today_, [&](long done, long total) { calls.emplace_back(done, total); });
    for (long i = 1; i <= 5000; ++i) {
        s.progress(i, 5000);
    }
    ASSERT_FALSE(calls.empty());
    EXPECT_LE(calls.size(), 101u);
    EXPECT_EQ(calls.back(), (std::pair<long, long>{5000, 5000}));
    Session quiet(st, today_);
    quiet.progress(1, 1);  // no callback: nothing happens
}

}  // namespace
}  // namespace vz::test
