// The shared steps, fed records as a reader makes them: find-or-add dog, the
// duplicate test, the counters, the card rows, and where a run ends.

#include <algorithm>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "core/import/import_failed.h"
#include "core/import/session.h"
#include "core/import/window_texts.h"
#include "core/store/import_store.h"
#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

using import::Record;

Record entry(const std::string& name, int post, bool findsOrAddsDog = true) {
    base::Post p;
    p.RaceNum = 1;
    p.RaceDate = ymd(2026, 12, 8);
    p.Post = post;
    p.RegName = name;
    return {{}, import::EntryRecord{p, findsOrAddsDog}, std::nullopt};
}

Record past(const std::string& name, std::optional<base::Date> date, int finish = 4,
            bool counts = true, std::size_t lineNo = 0) {
    base::RaceLine l;
    l.RegName = name;
    l.RaceDate = date;
    l.RaceNum = 3;
    l.Finish = finish;
    l.Grade = counts ? "C" : "L";
    return {{lineNo, {}}, import::PastRecord{l, counts}, std::nullopt};
}

Record race(int num) {
    base::Race r;
    r.RaceNum = num;
    r.RaceDate = ymd(2026, 12, 8);
    r.Distance = "S";
    r.Grade = "A";
    return {{}, import::RaceRecord{r}, std::nullopt};
}

vz::import::Reading reading(std::vector<Record> records) {
    return {std::move(records), std::nullopt};
}  // namespace

class SessionTest : public ImportFixture {};

TEST_F(SessionTest, EntriesFindOrAddTheirDogIgnoringLetterCase) {
    addDog("Swift Arrow", 5, 1);
    const auto s = applyRecords(
        reading({entry("SWIFT ARROW", 1), entry("Blue \"Ace\" Runner", 2),
                 entry("blue \"ace\" runner", 3), entry("", 4), entry("Card Only", 5, false)}));
    // A blank slot and a post of a format that adds its dogs through their
    // lines add no dog; every entry is a post.
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.postsWritten, 5);
    EXPECT_EQ(posts().size(), 5u);
    EXPECT_EQ(dogs().dogCount(), 2);
    EXPECT_FALSE(dog("Card Only"));
    const auto added = dog("Blue \"Ace\" Runner");
    ASSERT_TRUE(added);
    EXPECT_EQ(added->RunningStyle, "M");
    EXPECT_EQ(added->NumStarts, 0);
    EXPECT_EQ(added->NumFirsts, 0);
    EXPECT_EQ(added->NumSeconds, 0);
    EXPECT_EQ(added->NumThirds, 0);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 5);
}

TEST_F(SessionTest, DuplicateTestSeesEveryStoredLineOfTheName) {
    addDog("Swift Arrow");
    {
        store::DogDatabase db(paths_.dogDatabase());
        base::RaceLine old;
        old.RegName = "Swift Arrow";
        old.RaceDate = ymd(2026, 11, 20);
        old.RaceNum = 9;
        db.addRaceLine(old);
    }
    addLine("Sly Star", ymd(2021, 9, 19));  // a deleted dog's line: no Main row
    const auto s = applyRecords(reading({
        past("swift arrow", ymd(2026, 11, 20)),  // another race of a stored day
        past("Swift Arrow", ymd(2026, 11, 21)),
        past("Swift Arrow", ymd(2026, 11, 21)),  // added just before: a duplicate
        entry("SLY STAR", 1),                    // added again...
        past("SLY STAR", ymd(2021, 9, 19)),      // ...its old line is not
        past("Sly Star", ymd(2026, 11, 21)),
    }));
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.duplicatesSkipped, 3);
    EXPECT_EQ(lines("Swift Arrow").size(), 2u);
    EXPECT_EQ(lines("Sly Star").size(), 2u);
}

TEST_F(SessionTest, CountersFollowTheFinishOfEveryLineThatCounts) {
    addDog("Swift Arrow", 10, 2);
    {
        store::DogDatabase db(paths_.dogDatabase());
        base::Dog d;
        d.RegName = "Old Timer";  // a row of an old file: counters empty
        db.addDog(d);
    }
    vz::import::Reading r = reading({});
    // Finishes 1, 2, 3, 4 and 8 count; a schooling line (no start) does not.
    const struct {
        unsigned day;
        int finish;
        bool counts;
    } adds[] = {{1, 1, true}, {2, 2, true},  {3, 3, true}, {4, 4, true},
                {5, 8, true}, {6, 1, false}, {7, 1, true}};
    for (const auto& a : adds) {
        r.records.push_back(past("Swift Arrow", ymd(2026, 10, a.day), a.finish, a.counts));
    }
    r.records.push_back(past("Old Timer", ymd(2026, 10, 1), 2));
    applyRecords(r);
    // 10 + 6 starts, 2 + 2 firsts (days 1 and 7), one second, one third.
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 16);
    EXPECT_EQ(d->NumFirsts, 4);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    EXPECT_EQ(lines("Swift Arrow").size(), 7u);
    const auto old = dog("Old Timer");
    EXPECT_EQ(old->NumStarts, 1);
    EXPECT_EQ(old->NumFirsts, 0);
    EXPECT_EQ(old->NumSeconds, 1);
}

TEST_F(SessionTest, PastLinesWithoutADogOrADateAreLeftOutAndCounted) {
    addDog("Swift Arrow");
    Record own = past("Line Owner", ymd(2026, 10, 1));
    std::get<import::PastRecord>(own.item).findsOrAddsDog = true;  // as DogPak/QuickDog
    const auto s = applyRecords(reading({
        past("", ymd(2026, 10, 1)),             // before any runner
        past("Not On File", ymd(2026, 10, 1)),  // a runner never entered
        past("Swift Arrow", std::nullopt),      // no date read yet
        own,
        {{}, import::Skip::LineWithoutDog, std::nullopt},
        {{}, import::Skip::RecordOfNoDog, std::nullopt},
    }));
    EXPECT_EQ(s.linesWithoutDog, 3);
    EXPECT_EQ(s.linesWithoutDate, 1);
    EXPECT_EQ(s.recordsRefused, 1);
    EXPECT_EQ(s.linesAdded, 1);
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(dog("Line Owner")->NumStarts, 1);
    EXPECT_FALSE(dog("Not On File"));
}

TEST_F(SessionTest, DogRecordsBringTheirOwnValuesAndLetters) {
    addDog("Known Dog", 7, 2);
    addLine("Known Dog", ymd(2026, 3, 22));
    const auto dogRecord = [](const std::string& name, std::vector<unsigned> days) {
        vz::import::DogRecord d;
        d.dog.RegName = name;
        d.dog.RunningStyle = "W";
        d.dog.NumStarts = 12;
        d.dog.NumFirsts = 3;
        for (const unsigned day : days) {
            base::RaceLine l;
            l.RegName = name;
            l.RaceDate = ymd(2026, 3, day);
            d.lines.push_back({l, "S", "L"});
        }
        return Record{{}, d, std::nullopt};
    };
    const auto s = applyRecords(reading({
        // A new dog keeps every line, two of one day too.
        dogRecord("New Dog", {22, 22, 15}),
        // Its next record finds it on file: tested line by line.
        dogRecord("New Dog", {22, 23, 23}),
        dogRecord("Known Dog", {22, 24}),
    }));
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 5);
    EXPECT_EQ(s.duplicatesSkipped, 3);
    const auto added = dog("New Dog");
    EXPECT_EQ(added->RunningStyle, "W");
    EXPECT_EQ(added->NumStarts, 12);
    EXPECT_EQ(added->NumFirsts, 3);
    const auto letters = [&](const std::string& name) {
        std::string out;
        for (const base::RaceLine& l : lines(name)) {
            out += l.Distance.value_or("?");
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    // The letter of a new dog for the three lines of its first record, of a
    // known one for the line of its second.
    EXPECT_EQ(letters("New Dog"), "LSSS");
    // A known dog's counters stand; its new line gets the known letter (the
    // stored one has none).
    EXPECT_EQ(dog("Known Dog")->NumStarts, 7);
    EXPECT_EQ(letters("Known Dog"), "?L");
}

TEST_F(SessionTest, AFieldFaultEndsTheRunOnlyWhereTheRecordIsStored) {
    addDog("Swift Arrow");
    addLine("Swift Arrow", ymd(2026, 11, 20));
    const auto faulty = [](Record r, std::size_t line, std::string_view input) {
        r.at = {line, input};
        r.fault = import::FieldFault{"Odds", "9e999"};
        return r;
    };
    // On a duplicate line, or a line of no dog, the fields are never stored.
    applyRecords(reading({faulty(past("Swift Arrow", ymd(2026, 11, 20)), 4, ""),
                          faulty(past("", ymd(2026, 11, 21)), 5, "")}));
    EXPECT_EQ(lines("Swift Arrow").size(), 1u);

    const struct {
        Record record;
        const char* cause;
    } cases[] = {
        {faulty(past("Swift Arrow", ymd(2026, 11, 21)), 57, ""),
         "Line 57, field Odds: \"9e999\" is too large a number."},
        {faulty(past("Swift Arrow", ymd(2026, 11, 22)), 3, "lines file"),
         "Line 3 of the lines file, field Odds: \"9e999\" is too large a number."},
        {faulty(race(1), 9, ""), "Line 9, field Odds: \"9e999\" is too large a number."},
    };
    for (const auto& c : cases) {
        try {
            applyRecords(reading({c.record}));
            ADD_FAILURE() << c.cause;
        } catch (const import::ImportFailed& e) {
            EXPECT_EQ(e.cause(), c.cause);
            EXPECT_EQ(e.lines(),
                      (std::vector<std::string>{import::ImportFailed::kFirstLine,
                                                vz::import::ImportFailed::kSecondLine, c.cause}));
        }
    }
    EXPECT_EQ(lines("Swift Arrow").size(), 1u);
    EXPECT_TRUE(races().empty());
}

TEST_F(SessionTest, ABrokenReadingEndsTheRunAfterItsRecords) {
    const import::Reading r{{race(1), entry("Swift Arrow", 1)}, "line 3 is too close to the end"};
    try {
        applyRecords(r);
        FAIL();
    } catch (const import::ImportFailed& e) {
        EXPECT_EQ(e.detail(), "line 3 is too close to the end");
        EXPECT_EQ(e.cause(), "");
    }
    // The records before the break were applied (the run's transaction
    // then takes them back).
    EXPECT_EQ(races().size(), 1u);
    EXPECT_EQ(posts().size(), 1u);
}

TEST_F(SessionTest, NamesThatAreNoTextEndTheRun) {
    for (const Record& r : {entry("Bad\x01Name", 1), entry("\xFF\xFE", 1)}) {
        EXPECT_THROW(applyRecords(reading({r})), import::ImportFailed);
    }
    EXPECT_EQ(dogs().dogCount(), 0);
}

TEST_F(SessionTest, CardRowsNeedARaceFile) {
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    vz::import::Session s(st);
    EXPECT_THROW(s.apply(reading({race(1)})), Error);
    EXPECT_THROW(s.apply(reading({entry("", 1)})), Error);
}

TEST_F(SessionTest, ProgressIsThrottledAndEndsAtTheTotal) {
    store::DogDatabase db(paths_.dogDatabase());
    store::ImportStore st(db, nullptr);
    std::vector<std::pair<long, long>> calls;
    vz::import::Session s(st, [&](long done, long total) { calls.emplace_back(done, total); });
    vz::import::Reading r = reading({});
    r.records.assign(5000, {{}, import::Skip::LineWithoutDog, std::nullopt});
    s.apply(r);
    ASSERT_FALSE(calls.empty());
    EXPECT_LE(calls.size(), 101u);
    EXPECT_EQ(calls.back(), (std::pair<long, long>{5000, 5000}));
    EXPECT_EQ(s.summary().linesWithoutDog, 5000);
}  // namespace vz::test

// A run that failed for another cause than its input: the first line of every
// failed run, then the cause and its number when it has one.
TEST(ImportErrorMessageTest, WordsTheFailure) {
    struct Case {
        std::string_view cause;
        std::optional<int> number;
        std::string_view message;
    };
    const Case cases[] = {
        {"disk I/O error", 3012, "Error importing file.\rdisk I/O error - 3012"},
        {"bad_alloc", std::nullopt, "Error importing file.\rbad_alloc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(import::importErrorMessage(c.cause, c.number), c.message) << c.cause;
    }
}

}  // namespace
}  // namespace vz::test
