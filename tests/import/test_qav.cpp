#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/record_text.h"

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

// Entries on successive days of November, oldest first.
std::vector<Entry> novemberEntries(std::size_t n) {
    std::vector<Entry> out;
    for (std::size_t i = 0; i < n; ++i) {
        Entry e;
        e.monthDay = monthDay(11, static_cast<unsigned>(i + 1));
        out.push_back(e);
    }
    return out;
}

std::string recordsBytes(const std::vector<Record>& records) {
    std::string bytes;
    for (const Record& r : records) {
        bytes += recordBytes(r);
    }
    return bytes;
}

// A good record with one thing changed, made by `spoil` from its bytes.
struct Spoiled {
    const char* what;
    std::function<void(std::string&)> spoil;
};

// A name that is no text: the record is left out.
const Spoiled kNoName[] = {
    {"a control character in the name", [](std::string& b) { b[4] = '\x01'; }},
    {"a name of NUL bytes", [](std::string& b) { b.replace(0, 16, std::string(16, '\0')); }},
    {"a byte no code page defines", [](std::string& b) { b[3] = '\x81'; }},
};

// One odd field of the first entry (dated 1 November) or of the counters:
// the record is read all the same, the field as the format reads it.
struct OddField {
    Spoiled change;
    std::string reading;  // the dog as record_text writes it
    bool fileStillOfItsKind;
};

const std::string kOddRest = " w? p4 b5 e3 s2 f2 l5 t3045 o3.5 \"B \"";
const std::string kOddDog = "dog \"Odd Dog\" \"R\" ";
const std::string kOddLine = " | 2026-11-01 r1 S|S w? p4 b5 e3 s2 ";

const OddField kOddFields[] = {
    // Val("1.") = 1.
    {{"lengths 1.", [](std::string& b) { b.replace(32 + 16, 2, "1."); }},
     kOddDog + "12/3/2/1" + kOddLine + "f2 l1 t3045 o3.5 \"B \"",
     true},
    // Val(".") = 0.
    {{"finish .", [](std::string& b) { b[32 + 15] = '.'; }},
     kOddDog + "12/3/2/1" + kOddLine + "f0 l5 t3045 o3.5 \"B \"",
     true},
    // Val("9X99") stops at the letter: 9.
    {{"letters in a time", [](std::string& b) { b.replace(32 + 18, 4, "9X99"); }},
     kOddDog + "12/3/2/1" + kOddLine + "f2 l5 t9 o3.5 \"B \"",
     false},
    // 0x9D98 as a signed 16-bit number: 40344 - 65536.
    {{"a negative start counter", [](std::string& b) { putInt16(b, 24, -25240); }},
     kOddDog + "-25240/3/2/1 | 2026-11-01 r1 S|S" + kOddRest,
     true},
    // No date can be formed: that entry alone is skipped.
    {{"letters in a date", [](std::string& b) { b.replace(32, 4, "AB12"); }},
     kOddDog + "12/3/2/1",
     false},
    {{"a point in a date", [](std::string& b) { b.replace(32, 4, "11.1"); }},
     kOddDog + "12/3/2/1",
     true},
    {{"a line end where nothing is read", [](std::string& b) { b[32 + 7] = '\n'; }},
     kOddDog + "12/3/2/1 | 2026-11-01 r1 S|S" + kOddRest,
     false},
    // A NUL is in neither set of letters.
    {{"a NUL distance code", [](std::string& b) { b[32 + 4] = '\0'; }},
     kOddDog + "12/3/2/1 | 2026-11-01 r1 L|L" + kOddRest,
     false},
};

TEST(QavReader, ReadsEachRecordAsTheLayoutSays) {
    // The default entry: post 4, break 5, eighth 3, stretch 2, race 1,
    // finish 2, lengths 5, time 3045, odds 3.50, grade "B ".
    const std::string rest = " w? p4 b5 e3 s2 f2 l5 t3045 o3.5 \"B \"";
    const std::string arrow = "dog \"Swift Arrow\" \"R\" 12/3/2/1";

    Record full;
    Entry e;
    e.distance = 'B';
    e.positions = "81234";
    e.finish = '5';
    e.grade = "AA";
    full.entries = {e};

    Record grades;
    grades.entries = novemberEntries(4);
    const char* const gradeTexts[] = {"B ", " C", "TA", "  "};
    for (std::size_t i = 0; i < 4; ++i) {
        grades.entries[i].grade = gradeTexts[i];
    }

    // Every distance code, on 1 to 14 October, in two records.
    const char codes[] = {'S', 'B', 'P', 'A', 'E', 'H', 'K', 'C', 'R', 'M', ' ', 's', '3', '*'};
    Record firstCodes;
    firstCodes.name = "Codes";
    Record moreCodes = firstCodes;
    for (std::size_t i = 0; i < std::size(codes); ++i) {
        Entry c;
        c.monthDay = monthDay(10, static_cast<unsigned>(i + 1));
        c.distance = codes[i];
        (i < 8 ? firstCodes : moreCodes).entries.push_back(c);
    }
    const auto codeLine = [&](unsigned day, const char* letters) {
        return " | 2026-10-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + " r1 " +
               letters + rest;
    };

    Record gaps;
    gaps.entries = novemberEntries(3);
    gaps.entries[1].monthDay = "    ";  // empty: skipped whatever follows
    Record nameless;
    nameless.name = "";
    nameless.entries = novemberEntries(2);
    Record accented;
    accented.name = "Caf\xE9 Noir";  // single-byte text
    accented.style = 'W';
    accented.entries = novemberEntries(1);

    std::vector<Record> dogs(3);
    for (std::size_t i = 0; i < dogs.size(); ++i) {
        dogs[i].name = "Dog " + std::to_string(i);
        dogs[i].entries = novemberEntries(1);
    }
    const auto dogText = [&](std::size_t i) {
        return std::to_string(i + 1) + ": dog \"Dog " + std::to_string(i) +
               "\" \"R\" 12/3/2/1 | 2026-11-01 r1 S|S" + rest;
    };

    std::vector<ReaderCase> cases = {
        {"a record field by field: letter B is S for a new dog, L for a known one",
         {recordBytes(full)},
         {"1: " + arrow + " | 2026-11-28 r4 S|L w? p8 b1 e2 s3 f5 l5 t3045 o3.5 \"AA\""}},
        {"grades as they stand",
         {recordBytes(grades)},
         {"1: " + arrow + " | 2026-11-01 r1 S|S" + rest + " | 2026-11-02 r1 S|S" +
          rest.substr(0, rest.size() - 4) + "\" C\" | 2026-11-03 r1 S|S" +
          rest.substr(0, rest.size() - 4) + "\"TA\" | 2026-11-04 r1 S|S" +
          rest.substr(0, rest.size() - 4) + "\"  \""}},
        {"the two sets of distance letters",
         {recordsBytes({firstCodes, moreCodes})},
         {"1: dog \"Codes\" \"R\" 12/3/2/1" + codeLine(1, "S|S") + codeLine(2, "S|L") +
              codeLine(3, "S|L") + codeLine(4, "S|L") + codeLine(5, "S|S") + codeLine(6, "S|S") +
              codeLine(7, "S|L") + codeLine(8, "L|S"),
          "2: dog \"Codes\" \"R\" 12/3/2/1" + codeLine(9, "R|R") + codeLine(10, "R|R") +
              codeLine(11, "L|L") + codeLine(12, "L|L") + codeLine(13, "L|L") +
              codeLine(14, "L|L")}},
        {"an empty entry is skipped; a nameless record's entries have no dog",
         {recordsBytes({gaps, nameless})},
         {"1: " + arrow + " | 2026-11-01 r1 S|S" + rest + " | 2026-11-03 r1 S|S" + rest,
          "2: no dog", "2: no dog"}},
        {"single-byte text",
         {recordBytes(accented)},
         {"1: dog \"Caf\xC3\xA9 Noir\" \"W\" 12/3/2/1 | 2026-11-01 r1 S|S" + rest}},
        {"two records", {recordsBytes({dogs[0], dogs[1]})}, {dogText(0), dogText(1)}},
        {"a tail shorter than a record is no record",
         {recordsBytes({dogs[0]}) + std::string(175, 'Q')},
         {dogText(0)}},
        {"three records and 824 bytes",
         {recordsBytes(dogs) + std::string(824, 'Q')},
         {dogText(0), dogText(1), dogText(2)}},
        {"not one whole record",
         {std::string(824, 'Q')},
         {},
         "shorter than one record of 825 bytes"},
        {"an empty file", {""}, {}, "shorter than one record of 825 bytes"},
    };
    Record good;
    good.name = "Good Dog";
    good.entries = novemberEntries(1);
    const std::string goodText = "1: dog \"Good Dog\" \"R\" 12/3/2/1 | 2026-11-01 r1 S|S" + rest;
    for (const Spoiled& c : kNoName) {
        std::string spoiled = recordBytes(grades);
        c.spoil(spoiled);
        cases.push_back({std::string(c.what) + " alone",
                         {spoiled},
                         {"1: no dog record"},
                         "no record is shaped as a dog"});
        cases.push_back({std::string(c.what) + " after a good record",
                         {recordBytes(good) + spoiled},
                         {goodText, "2: no dog record"}});
    }
    Record odd;
    odd.name = "Odd Dog";
    odd.entries = novemberEntries(1);
    for (const OddField& c : kOddFields) {
        std::string spoiled = recordBytes(odd);
        c.change.spoil(spoiled);
        cases.push_back({std::string(c.change.what) + " alone",
                         {spoiled},
                         {"1: " + c.reading},
                         c.fileStillOfItsKind ? "" : "no record is shaped as a dog"});
        cases.push_back({std::string(c.change.what) + " after a good record",
                         {recordBytes(good) + spoiled},
                         {goodText, "2: " + c.reading}});
    }
    expectReadings("qav", cases);
}

TEST(QavReader, TheYearOfAnEntryIsTheLatestNotInTheFuture) {
    const struct {
        base::Date today;
        const char* monthDay;
        const char* date;  // empty: no date can be formed, the entry is left out
    } cases[] = {
        {ymd(2027, 3, 15), "1225", "2026-12-25"},
        {ymd(2027, 3, 15), "0315", "2027-03-15"},
        {ymd(2027, 3, 15), "0316", "2026-03-16"},
        {ymd(2027, 3, 15), "0101", "2027-01-01"},
        {ymd(2028, 3, 1), "0229", "2028-02-29"},
        {ymd(2027, 3, 1), "0229", ""},   // no such day this year
        {ymd(2028, 2, 28), "0229", ""},  // nor in the year before
        {ymd(2027, 3, 15), "1301", ""},
        {ymd(2027, 3, 15), "0232", ""},
        {ymd(2027, 3, 15), " 5 3", "2026-05-03"},
    };
    for (const auto& c : cases) {
        Record r;
        r.entries.emplace_back().monthDay = c.monthDay;
        std::string expected = "1: dog \"Swift Arrow\" \"R\" 12/3/2/1";
        if (*c.date != '\0') {
            expected +=
                " | " + std::string(c.date) + " r1 S|S w? p4 b5 e3 s2 f2 l5 t3045 o3.5 \"B \"";
        }
        expectReadings("qav", {{c.monthDay, {recordBytes(r)}, {expected}}}, c.today);
    }
}

class QavTest : public ImportFixture {
  protected:
    vz::import::ImportSummary importBytes(const std::string& bytes) {
        const auto file = dir_ / ("TEST" + std::to_string(++inputCounter_));
        writeText(file, bytes);
        return importFiles("qav", {file});
    }
    vz::import::ImportSummary importRecords(const std::vector<Record>& records) {
        return importBytes(recordsBytes(records));
    }
};

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
    const auto on = [&](base::Date d) {
        return std::count_if(got.begin(), got.end(),
                             [&](const auto& l) { return l.RaceDate == d; });
    };
    EXPECT_EQ(on(ymd(2026, 3, 22)), 2);
    EXPECT_EQ(on(ymd(2025, 12, 15)), 1);
    EXPECT_EQ(on(ymd(2026, 4, 1)), 1);
}

TEST_F(QavTest, ARecordOfNoDogIsCountedAndAloneWritesNothing) {
    Record good;
    good.name = "Good Dog";
    good.entries = novemberEntries(2);
    Record bad;
    bad.entries = novemberEntries(2);
    std::string spoiled = recordBytes(bad);
    kNoName[0].spoil(spoiled);
    const auto s = importBytes(recordBytes(good) + spoiled);
    EXPECT_EQ(s.recordsRefused, 1);
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 2);
    EXPECT_THROW(importBytes(spoiled), vz::import::ImportFailed);
    EXPECT_EQ(dogs().dogCount(), 1);
    EXPECT_EQ(dogs().raceLineCount(), 2);
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

class QavSampleTest : public ImportFixture {
  protected:
    vz::import::ImportSummary importSample() {
        return importFiles("qav",
                           {sourceDir() / "tests" / "e2e" / "data" / "samples" / "qav_TEST"});
    }
};

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
    std::vector<base::RaceLine> ls;
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

TEST_F(QavSampleTest, AFinishLengthWithAPointKeepsTheDogAndItsLines) {
    // The first record is Swift Magic; its first entry (6 December) has
    // lengths "11" at entry positions 17-18. Val("1.") is 1.
    std::string bytes = readText(sourceDir() / "data" / "samples" / "qav_TEST");
    ASSERT_EQ(bytes.substr(32 + 16, 2), "11");
    bytes.replace(32 + 16, 2, "1.");
    const auto file = dir_ / "TEST";
    writeText(file, bytes);
    const auto s = importFiles("qav", {file});
    EXPECT_EQ(s.recordsRefused, 0);
    EXPECT_EQ(s.dogsAdded, 80);
    const auto got = lines("Swift Magic");
    ASSERT_EQ(got.size(), 5u);  // six entries, one of them without a date
    EXPECT_EQ(got[0].RaceDate, ymd(2026, 12, 6));
    EXPECT_EQ(got[0].FinishLength, 1.0);
}

}  // namespace
}  // namespace vz::test
