#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

// One past-race entry, field by field (30 characters in the record).
struct Entry {
    std::string monthDay = "1128";
    char distance = 'S';
    std::string positions = "45321";  // post, break, eighth, stretch, race number
    char finish = '2';
    std::string lengths = "05";
    std::string time = "3045";
    std::string odds = "0350";
    std::string grade = "B ";
};

std::string entryBytes(const Entry& e) {
    std::string s = fit(e.monthDay, 4) + e.distance + "     " + fit(e.positions, 5) + e.finish +
                    fit(e.lengths, 2) + fit(e.time, 4) + fit(e.odds, 4) + " " + fit(e.grade, 2) +
                    " ";
    return s;
}

void putInt16(std::string& s, std::size_t at, int v) {
    const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
    s[at] = static_cast<char>(u & 0xFF);
    s[at + 1] = static_cast<char>(u >> 8);
}

struct Record {
    std::string name = "Swift Arrow";
    char style = 'R';
    int starts = 12, wins = 3, seconds = 2, thirds = 1;
    std::vector<Entry> entries;
};

std::string recordBytes(const Record& r) {
    std::string s(825, ' ');
    s.replace(0, 16, fit(r.name, 16));
    s.replace(16, 7, "XYZ1234");  // not read
    s[23] = r.style;
    putInt16(s, 24, r.starts);
    putInt16(s, 26, r.wins);
    putInt16(s, 28, r.seconds);
    putInt16(s, 30, r.thirds);
    for (std::size_t i = 0; i < r.entries.size() && i < 8; ++i) {
        s.replace(32 + 30 * i, 30, entryBytes(r.entries[i]));
    }
    s.replace(272, 10, "0123456789");  // the unread tail holds anything
    return s;
}

std::string monthDay(unsigned m, unsigned d) {
    char b[8];
    std::snprintf(b, sizeof b, "%02u%02u", m, d);
    return b;
}

class QavTest : public ImportFixture {
  protected:
    import::ImportSummary importBytes(const std::string& bytes) {
        const auto file = dir_ / ("TEST" + std::to_string(++inputCounter_));
    writeText(file, bytes);
    return importFiles("qav", {file});
} import::ImportSummary importRecords(const std::vector<Record>& records) {
    std::string bytes;
    for (const Record& r : records) {
        bytes += recordBytes(r);
    }
    return importBytes(bytes);
}
// Entries on successive days of November, oldest first.
static std::vector<Entry> novemberEntries(std::size_t n) {
    std::vector<Entry> out;
    for (std::size_t i = 0; i < n; ++i) {
        Entry e;
        e.monthDay = monthDay(11, static_cast<unsigned>(i + 1));
        out.push_back(e);
    }
    return out;
}
};  // namespace

TEST_F(QavTest, NewDogTakesStyleAndCountersFromItsRecord) {
    Record r;
    r.entries = novemberEntries(3);
    const auto s = importRecords({r});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 3);
    EXPECT_EQ(s.racesWritten, 0);
    const auto d = dog("Swift Arrow");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->RunningStyle, "R");
    EXPECT_EQ(d->NumStarts, 12);  // the record's, not counted from the entries
    EXPECT_EQ(d->NumFirsts, 3);
    EXPECT_EQ(d->NumSeconds, 2);
    EXPECT_EQ(d->NumThirds, 1);
    EXPECT_FALSE(std::filesystem::exists(raceFile()));  // no card for this source
}

TEST_F(QavTest, EntryFields) {
    Record r;
    Entry e;
    e.monthDay = "1128";
    e.distance = 'B';
    e.positions = "81234";
    e.finish = '5';
    e.lengths = "05";
    e.time = "3045";
    e.odds = "0350";
    e.grade = "AA";
    r.entries = {e};
    importRecords({r});
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 1u);
    const store::RaceLine& l = got[0];
    EXPECT_EQ(l.RaceDate, ymd(2026, 11, 28));
    EXPECT_EQ(l.Distance, "S");
    EXPECT_EQ(l.Post, 8);
    EXPECT_EQ(l.Break, 1);
    EXPECT_EQ(l.Eighth, 2);
    EXPECT_EQ(l.Stretch, 3);
    EXPECT_EQ(l.RaceNum, 4);
    EXPECT_EQ(l.Finish, 5);
    EXPECT_EQ(l.FinishLength, 5);
    EXPECT_EQ(l.FinishTime, 3045);
    EXPECT_EQ(l.Odds, 3.5);
    EXPECT_EQ(l.Grade, "AA");
    EXPECT_EQ(l.WinningTime, std::nullopt);
}

TEST_F(QavTest, GradeIsKeptAsItStands) {
    const char* grades[] = {"B ", " C", "TA", "  "};
    Record r;
    r.entries = novemberEntries(std::size(grades));
    for (std::size_t i = 0; i < std::size(grades); ++i) {
        r.entries[i].grade = grades[i];
    }
    importRecords({r});
    auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), std::size(grades));
    std::reverse(got.begin(), got.end());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].Grade, grades[i]);
    }
}

TEST_F(QavTest, RecordCountIgnoresAShortTail) {
    const struct {
        std::size_t records;
        std::size_t extraBytes;
    } cases[] = {{2, 0}, {1, 175}, {3, 824}, {0, 824}, {0, 0}};
    for (const auto& c : cases) {
        paths_ = makeAppFolder(dir_ / ("run" + std::to_string(++inputCounter_)));
        std::string bytes;
        for (std::size_t i = 0; i < c.records; ++i) {
            Record r;
            r.name = "Dog " + std::to_string(i);
            r.entries = novemberEntries(1);
            bytes += recordBytes(r);
        }
        bytes += std::string(c.extraBytes, 'Q');
        if (c.records == 0) {
            // Not one whole record: no QAV TEST file.
            EXPECT_THROW(importBytes(bytes), import::ImportFailed) << bytes.size() << " bytes";
        } else {
            const auto s = importBytes(bytes);
            EXPECT_EQ(s.dogsAdded, static_cast<long>(c.records)) << bytes.size() << " bytes";
            EXPECT_EQ(s.linesAdded, static_cast<long>(c.records)) << bytes.size() << " bytes";
        }
        EXPECT_EQ(dogs().dogCount(), static_cast<long>(c.records));
    }
}

TEST_F(QavTest, YearOfAnEntryIsTheLatestNotInTheFuture) {
    const struct {
        store::Date today;
        const char* monthDay;
        std::optional<store::Date> stored;
    } cases[] = {
        {ymd(2027, 3, 15), "1225", ymd(2026, 12, 25)},
        {ymd(2027, 3, 15), "0315", ymd(2027, 3, 15)},
        {ymd(2027, 3, 15), "0316", ymd(2026, 3, 16)},
        {ymd(2027, 3, 15), "0101", ymd(2027, 1, 1)},
        {ymd(2028, 3, 1), "0229", ymd(2028, 2, 29)},
        {ymd(2027, 3, 1), "0229", std::nullopt},   // no such day this year
        {ymd(2028, 2, 28), "0229", std::nullopt},  // nor in the year before
        {ymd(2027, 3, 15), "1301", std::nullopt},
        {ymd(2027, 3, 15), "0232", std::nullopt},
        {ymd(2027, 3, 15), " 5 3", ymd(2026, 5, 3)},
    };
    for (const auto& c : cases) {
        today_ = c.today;
        Record r;
        r.name = std::string("Dog ") + c.monthDay + " " + std::to_string(++inputCounter_);
        Entry e;
        e.monthDay = c.monthDay;
        r.entries = {e};
        const auto s = importRecords({r});
        const auto got = lines(r.name);
        if (c.stored) {
            ASSERT_EQ(got.size(), 1u) << c.monthDay;
            EXPECT_EQ(got[0].RaceDate, c.stored) << c.monthDay;
        } else {
            EXPECT_TRUE(got.empty()) << c.monthDay;
            EXPECT_EQ(s.linesAdded, 0);
        }
    }
}

TEST_F(QavTest, DistanceLettersDependOnWhetherTheDogWasOnFile) {
    const struct {
        char code;
        const char* forNewDog;
        const char* forKnownDog;
    } cases[] = {
        {'S', "S", "S"}, {'B', "S", "L"}, {'P', "S", "L"}, {'A', "S", "L"}, {'E', "S", "S"},
        {'H', "S", "S"}, {'K', "S", "L"}, {'C', "L", "S"}, {'R', "R", "R"}, {'M', "R", "R"},
        {' ', "L", "L"}, {'s', "L", "L"}, {'3', "L", "L"}, {'*', "L", "L"},
    };
    addDog("Known Dog", 40, 9);
    std::vector<Record> records;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Entry e;
        e.monthDay = monthDay(10, static_cast<unsigned>(i + 1));
        e.distance = cases[i].code;
        Record fresh;
        fresh.name = "New Dog " + std::to_string(i);
        fresh.entries = {e};
        Record known;
        known.name = "Known Dog";
        known.entries = {e};
        records.push_back(fresh);
        records.push_back(known);
    }
    importRecords(records);
    auto knownLines = lines("Known Dog");
    ASSERT_EQ(knownLines.size(), std::size(cases));
    std::reverse(knownLines.begin(), knownLines.end());
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const int code = cases[i].code;
        const auto fresh = lines("New Dog " + std::to_string(i));
        ASSERT_EQ(fresh.size(), 1u) << code;
        EXPECT_EQ(fresh[0].Distance, cases[i].forNewDog) << "code " << code;
        EXPECT_EQ(knownLines[i].Distance, cases[i].forKnownDog) << "code " << code;
    }
}

TEST_F(QavTest, ADogMetTwiceIsNewInItsFirstRecordOnly) {
    // A dog met twice in one file is new in its first record only.
    Record first;
    first.name = "Twice Met";
    Entry b;
    b.monthDay = "1101";
    b.distance = 'B';
    first.entries = {b};
    Record second = first;
    second.starts = 99;
    Entry b2 = b;
    b2.monthDay = "1102";
    Entry c = b;
    c.monthDay = "1103";
    c.distance = 'C';
    second.entries = {b, b2, c};
    const auto s = importRecords({first, second});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 3);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    const auto got = lines("Twice Met");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[2].Distance, "S");             // 1 Nov, first record: B is the base class
    EXPECT_EQ(got[1].Distance, "L");             // 2 Nov, second record: B is not
    EXPECT_EQ(got[0].Distance, "S");             // 3 Nov: C is, for a known dog
    EXPECT_EQ(dog("Twice Met")->NumStarts, 12);  // the second record's counters are not used
}

TEST_F(QavTest, KnownDogKeepsItsCountersAndGetsOnlyNewDates) {
    addDog("swift arrow", 40, 9);
    addLine("swift arrow", ymd(2026, 11, 2));
    Record r;
    r.entries = novemberEntries(4);
    const auto s = importRecords({r});
    EXPECT_EQ(s.dogsAdded, 0);
    EXPECT_EQ(s.linesAdded, 3);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->RegName, "swift arrow");
    EXPECT_EQ(d->RunningStyle, "R");
    EXPECT_EQ(d->NumStarts, 40);
    EXPECT_EQ(d->NumFirsts, 9);
    EXPECT_EQ(lines("Swift Arrow").size(), 4u);
}

TEST_F(QavTest, ImportingTwiceAddsNothing) {
    Record a;
    a.entries = novemberEntries(8);
    Record b;
    b.name = "Blue \"Ace\" Comet";
    b.style = 'W';
    b.entries = novemberEntries(5);
    Record c;
    c.name = "Caf\xE9 Noir";  // single-byte text
    c.entries = novemberEntries(2);
    const std::string bytes = recordBytes(a) + recordBytes(b) + recordBytes(c);
    const auto first = importBytes(bytes);
    EXPECT_EQ(first.dogsAdded, 3);
    EXPECT_EQ(first.linesAdded, 15);
    const auto before = dogs().dogs();
    const auto again = importBytes(bytes);
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 15);
    EXPECT_EQ(dogs().dogs(), before);
    EXPECT_EQ(dog("Blue \"Ace\" Comet")->RunningStyle, "W");
    EXPECT_EQ(lines("Caf\xC3\xA9 Noir").size(), 2u);
}

TEST_F(QavTest, EmptyEntriesAndNamelessRecords) {
    Record r;
    r.entries = novemberEntries(3);
    r.entries[1].monthDay = "    ";  // empty: skipped whatever follows
    Record nameless;
    nameless.name = "";
    nameless.entries = novemberEntries(2);
    const auto s = importRecords({r, nameless});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_EQ(s.linesWithoutDog, 2);
    EXPECT_EQ(dogs().dogCount(), 1);
}

TEST_F(QavTest, NewDogKeepsEveryEntryAndItsLaterRecordsAreTested) {
    // Today is 8 December 2026: 03/22 is this year's, 12/15 last year's.
    Record r;
    r.entries = novemberEntries(3);
    r.entries[0].monthDay = "0322";
    r.entries[0].positions = "11116";  // race 6
    r.entries[1].monthDay = "0322";
    r.entries[1].positions = "11111";  // race 1 of the same day
    r.entries[2].monthDay = "1215";
    // A later record of the dog: it is on file now, so each entry is tested.
    Record later = r;
    later.entries = novemberEntries(2);
    later.entries[0].monthDay = "0322";
    later.entries[1].monthDay = "0401";
    const auto s = importRecords({r, later});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 4);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    const auto got = lines("Swift Arrow");
    ASSERT_EQ(got.size(), 4u);
    const auto on = [&](store::Date d) {
        return std::count_if(got.begin(), got.end(),
                             [&](const auto& l) { return l.RaceDate == d; });
    };
    EXPECT_EQ(on(ymd(2026, 3, 22)), 2);
    EXPECT_EQ(on(ymd(2025, 12, 15)), 1);
    EXPECT_EQ(on(ymd(2026, 4, 1)), 1);
}

TEST_F(QavTest, ADeletedDogGetsNoneOfItsStoredLinesAgain) {
    addLine("SWIFT ARROW", ymd(2026, 11, 2));  // the dog is not on file
    Record r;
    r.entries = novemberEntries(3);
    const auto s = importRecords({r});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 2);  // 1 and 3 November; the 2nd is on file
    EXPECT_EQ(s.duplicatesSkipped, 1);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 12);  // the record's counters
    EXPECT_EQ(lines("Swift Arrow").size(), 3u);
}

// A good record with one thing wrong, made by `spoil` from its bytes.
struct Spoiled {
    const char* what;
    std::function<void(std::string&)> spoil;
};

TEST_F(QavTest, RecordsShapedAsNoDogAreLeftOut) {
    const Spoiled cases[] = {
        {"a control character in the name", [](std::string& b) { b[4] = '\x01'; }},
        {"a name of NUL bytes", [](std::string& b) { b.replace(0, 16, std::string(16, '\0')); }},
        {"a byte no code page defines", [](std::string& b) { b[3] = '\x81'; }},
        {"a negative counter", [](std::string& b) { putInt16(b, 24, -25240); }},
        {"a negative place counter", [](std::string& b) { putInt16(b, 30, -1); }},
        {"letters in a date", [](std::string& b) { b.replace(32, 4, "AB12"); }},
        {"letters in a time", [](std::string& b) { b.replace(32 + 18, 4, "9E99"); }},
        {"a line end in an entry", [](std::string& b) { b[32 + 30 + 7] = '\n'; }},
        {"a NUL distance code", [](std::string& b) { b[32 + 4] = '\0'; }},
    };
    for (const Spoiled& c : cases) {
        paths_ = makeAppFolder(dir_ / ("run" + std::to_string(++inputCounter_)));
        Record good;
        good.name = "Good Dog";
        good.entries = novemberEntries(2);
        Record bad;
        bad.entries = novemberEntries(2);
        std::string spoiled = recordBytes(bad);
        c.spoil(spoiled);
        const auto s = importBytes(recordBytes(good) + spoiled);
        EXPECT_EQ(s.recordsRefused, 1) << c.what;
        EXPECT_EQ(s.dogsAdded, 1) << c.what;
        EXPECT_EQ(s.linesAdded, 2) << c.what;
        EXPECT_EQ(dogs().dogCount(), 1) << c.what;
        // Alone, it makes no QAV TEST file: nothing is written.
        EXPECT_THROW(importBytes(spoiled), import::ImportFailed) << c.what;
        EXPECT_EQ(dogs().dogCount(), 1) << c.what;
        EXPECT_EQ(dogs().raceLineCount(), 2) << c.what;
    }
}

}  // namespace vz::test
}  // namespace vz::test

namespace vz::test {
namespace {

class QavSampleTest : public ImportFixture {
  protected:
    import::ImportSummary importSample() {
        return importFiles("qav", {sourceDir() / "data" / "samples" / "qav_TEST"});
}
};  // namespace

TEST_F(QavSampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    // The fixture's today is 8 December 2026.
    const auto first = importSample();
    EXPECT_EQ(first.dogsAdded, 80);
    // 553 entries with a date: the second record of one dog brings two of
    // its dates again; two entries of one day in a new dog's record are both
    // kept.
    EXPECT_EQ(first.linesAdded, 551);
    EXPECT_EQ(first.duplicatesSkipped, 2);
    EXPECT_EQ(first.racesWritten, 0);
    EXPECT_FALSE(std::filesystem::exists(raceFile()));

    const auto all = dogs().dogs();
    long starts = 0;
    std::vector<store::RaceLine> ls;
    for (const auto& d : all) {
        starts += d.NumStarts.value_or(0);
        auto x = lines(d.RegName);
        ls.insert(ls.end(), x.begin(), x.end());
    }
    EXPECT_EQ(starts, 2680);  // the records' own counters
    ASSERT_EQ(ls.size(), 551u);
    const auto has = [&](auto pred) { return std::any_of(ls.begin(), ls.end(), pred); };
    EXPECT_TRUE(has([](const auto& l) { return l.RaceDate == ymd(2025, 12, 24); }));
    EXPECT_TRUE(has([](const auto& l) { return l.RaceDate == ymd(2026, 12, 8); }));
    EXPECT_FALSE(has([](const auto& l) { return *l.RaceDate > ymd(2026, 12, 8); }));
    EXPECT_FALSE(has([](const auto& l) { return l.WinningTime.has_value(); }));
    for (const char* cls : {"S", "L", "R"}) {
        EXPECT_TRUE(has([&](const auto& l) { return l.Distance == cls; })) << cls;
    }
    for (const char* name : {"Blue \"Ace\" Comet", "Caf\xC3\xA9 Noir", "O'Malley's Joy"}) {
        EXPECT_GE(lines(name).size(), 6u) << name;
    }

    const auto again = importSample();
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 553);
    EXPECT_EQ(dogs().dogs(), all);
}

}  // namespace vz::test
}  // namespace vz::test
