#include <algorithm>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/record_text.h"

namespace vz::test {
namespace {

const std::string kTitle = "DERBY LANE GREYHOUND PROGRAM\r\n";

// A race header; the words after DERBY LANE are counted from LANE (1):
// 4 to 6 the date, 9 the race number, 11 the grade, 13 the distance.
std::string header(int race, const std::string& grade = "C", const std::string& distance = "5/16",
                   const std::string& date = "December 8, 2026") {
    return "DERBY LANE St. Petersburg, " + date + " Matinee Race " + std::to_string(race) +
           "   Grade " + grade + "   Distance " + distance + "\r\n";
}

// The four lines a header is followed by.
const std::string kAfterHeader =
    "  Purse $500\r\n  Post time 1:05\r\n" + std::string(60, '=') + "\r\n  PP Dog  Owner\r\n";

std::string entry(int post, const std::string& name) {
    return columns({{1, std::to_string(post)}, {3, fit(name, 17)}, {21, "Kennel: Bayside"}}) +
           "\r\n";
}

// The two lines an entry is followed by.
const std::string kAfterEntry = "  Brindle male 3/24\r\n  Date     Race Dist    Win\r\n";

struct Past {
    std::string date = "11-28-26";
    std::string race = " 5";
    std::string distance = "5/16";
    std::string winSeconds = "30";
    std::string winHundredths = "45";
    std::string post = "3", brk = "2", eighth = "2", stretch = "1", finish = "1";
    std::string lengths = " 2";
    std::string ownSeconds = "30";
    std::string ownHundredths = "61";
    std::string odds = " 4.50";
    std::string grade = "C ";
};

std::string past(const Past& p) {
    return columns({{1, "PL"},
                    {3, p.date},
                    {14, p.race},
                    {17, p.distance},
                    {25, p.winSeconds},
                    {27, "."},
                    {28, p.winHundredths},
                    {35, p.post},
                    {37, p.brk},
                    {39, p.eighth},
                    {44, p.stretch},
                    {49, p.finish},
                    {51, p.lengths},
                    {54, p.ownSeconds},
                    {56, "."},
                    {57, p.ownHundredths},
                    {61, p.odds},
                    {67, p.grade}}) +
           "\r\n";
}

std::string octoberDay(unsigned day) {
    return "10-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "-26";
}

// A program of one race (4, December 8, 2026) and one runner (post 6) whose
// past lines start at line 10.
std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow") {
    return kTitle + header(4) + kAfterHeader + entry(6, name) + kAfterEntry + pastLines;
}

std::vector<std::string> withHead(std::vector<std::string> lines) {
    lines.insert(lines.begin(),
                 {"2: race 4 2026-12-08 \"C\" S", "7: post 6 of 4 2026-12-08 \"Swift Arrow\""});
    return lines;
}

// Past lines dated 1, 2, 3... October 2026, each made by `make` from the
// default.
template <typename Make>
std::string october(std::size_t n, Make make) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
        Past p;
        p.date = octoberDay(static_cast<unsigned>(i + 1));
        make(p, i);
        text += past(p);
    }
    return text;
}

TEST(DerbyLaneReader, ReadsEachLineAsTheLayoutSays) {
    Past full;
    full.race = "12";
    full.distance = "3/8";
    full.winSeconds = "37";
    full.winHundredths = "91";
    full.post = "8";
    full.brk = "1";
    full.eighth = "2";
    full.stretch = "3";
    full.finish = "2";
    full.lengths = " 3";
    full.ownSeconds = "38";
    full.ownHundredths = "02";
    full.odds = "12.50";
    full.grade = "B ";

    const std::pair<const char*, const char*> times[] = {{"30", "45"}, {"30", "5"},  {"30", " 5"},
                                                         {"31", "  "}, {"  ", "  "}, {"29", "07"},
                                                         {" 9", "5 "}};
    const char* const grades[] = {"C ", "S ", "SA", "TB", "AA", "T "};
    const std::pair<const char*, const char*> lengths[] = {
        {"00", "5/16"}, {"  ", "3/8"}, {" 0", "3-8"}, {"12", "7/16"},
        {"5 ", "660"},  {"ns", "770"}, {" 1", "550"}};
    Past a;
    a.date = "11-20-26";
    Past bad = a;
    bad.date = "11-xx-26";
    Past c = a;
    c.date = "11-21-26";
    Past undated;
    undated.date = "        ";
    Past hugeTime;
    hugeTime.ownSeconds = "9E";  // 9E99 hundredths
    hugeTime.ownHundredths = "99";
    const std::string race1 = header(1) + kAfterHeader;
    const std::string ruby = entry(1, "Ruby Rocket");

    const std::string dflt = "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"C\" start";
    const auto line = [](int n, const std::string& date, const std::string& fields) {
        return std::to_string(n) + ": line \"Swift Arrow\" " + date + " " + fields;
    };
    expectReadings(
        "derbylane",
        {
            {"a past line, field by field",
             {oneDog(past(full))},
             withHead({line(10, "2026-11-28",
                            "r12 L w3791 p8 b1 e2 s3 f2 l3 t3802 o12.5 \"B\" start")})},
            {"times: the hundredths trimmed and padded on the right",
             {oneDog(october(std::size(times),
                             [&](Past& p, std::size_t i) {
                                 p.winSeconds = p.ownSeconds = times[i].first;
                                 p.winHundredths = p.ownHundredths = times[i].second;
                             }))},
             withHead(
                 {line(10, "2026-10-01", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 \"C\" start"),
                  line(11, "2026-10-02", "r5 S w3050 p3 b2 e2 s1 f1 l2 t3050 o4.5 \"C\" start"),
                  line(12, "2026-10-03", "r5 S w3050 p3 b2 e2 s1 f1 l2 t3050 o4.5 \"C\" start"),
                  line(13, "2026-10-04", "r5 S w3100 p3 b2 e2 s1 f1 l2 t3100 o4.5 \"C\" start"),
                  line(14, "2026-10-05", "r5 S w0 p3 b2 e2 s1 f1 l2 t0 o4.5 \"C\" start"),
                  line(15, "2026-10-06", "r5 S w2907 p3 b2 e2 s1 f1 l2 t2907 o4.5 \"C\" start"),
                  line(16, "2026-10-07", "r5 S w950 p3 b2 e2 s1 f1 l2 t950 o4.5 \"C\" start")})},
            {"grades: S is a schooling L, T trades places with column 68",
             {oneDog(
                 october(std::size(grades), [&](Past& p, std::size_t i) { p.grade = grades[i]; }))},
             withHead(
                 {line(10, "2026-10-01", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"C\" start"),
                  line(11, "2026-10-02", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"L\""),
                  line(12, "2026-10-03", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"L\""),
                  line(13, "2026-10-04", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"BT\" start"),
                  line(14, "2026-10-05", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \"A\" start"),
                  line(15, "2026-10-06", "r5 S w3045 p3 b2 e2 s1 f1 l2 t3061 o4.5 \" T\" start")})},
            {"lengths (0 or blank is 1) and distance classes",
             {oneDog(october(std::size(lengths),
                             [&](Past& p, std::size_t i) {
                                 p.lengths = lengths[i].first;
                                 p.distance = lengths[i].second;
                             }))},
             withHead(
                 {line(10, "2026-10-01", "r5 S w3045 p3 b2 e2 s1 f1 l1 t3061 o4.5 \"C\" start"),
                  line(11, "2026-10-02", "r5 L w3045 p3 b2 e2 s1 f1 l1 t3061 o4.5 \"C\" start"),
                  line(12, "2026-10-03", "r5 L w3045 p3 b2 e2 s1 f1 l1 t3061 o4.5 \"C\" start"),
                  line(13, "2026-10-04", "r5 R w3045 p3 b2 e2 s1 f1 l12 t3061 o4.5 \"C\" start"),
                  line(14, "2026-10-05", "r5 L w3045 p3 b2 e2 s1 f1 l5 t3061 o4.5 \"C\" start"),
                  line(15, "2026-10-06", "r5 R w3045 p3 b2 e2 s1 f1 l1 t3061 o4.5 \"C\" start"),
                  line(16, "2026-10-07", "r5 S w3045 p3 b2 e2 s1 f1 l1 t3061 o4.5 \"C\" start")})},
            {"headers: words counted from LANE, in any letter case, after any text",
             {kTitle + header(1, "C", "5/16") + kAfterHeader + header(12, "TB", "3/8") +
              kAfterHeader + header(3, "MDN", "7/16") + kAfterHeader + header(4, "TM", "660") +
              kAfterHeader + header(5, "AA", "550", "Dec 9 2026") + kAfterHeader +
              "derby lane st. petersburg, december 10, 2026 evening race 6   grade d   distance "
              "770\r\n" +
              kAfterHeader +
              "Program of DERBY LANE St. Petersburg, December 11, 2026 Matinee Race 7 Grade E   "
              "Distance 5/16\r\n" +
              kAfterHeader},
             {"2: race 1 2026-12-08 \"C\" S", "7: race 12 2026-12-08 \"BT\" L",
              "12: race 3 2026-12-08 \"M\" R", "17: race 4 2026-12-08 \"M\" L",
              "22: race 5 2026-12-09 \"AA\" S", "27: race 6 2026-12-10 \"d\" R",
              "32: race 7 2026-12-11 \"E\" S"}},
            {"a header without a date keeps the one before",
             {kTitle + race1 + ruby + kAfterEntry + header(2, "B", "3/8", "Someday soon, later") +
              kAfterHeader + entry(1, "Bay Thunder") + kAfterEntry},
             {"2: race 1 2026-12-08 \"C\" S", "7: post 1 of 1 2026-12-08 \"Ruby Rocket\"",
              "10: race 2 2026-12-08 \"B\" L", "15: post 1 of 2 2026-12-08 \"Bay Thunder\""}},
            {"runners at their posts, names as read",
             {kTitle + race1 + ruby + kAfterEntry + entry(2, "Blue \"Ace\" Comet") + kAfterEntry +
              entry(8, "O'Malley's Joy") + kAfterEntry + header(2) + kAfterHeader +
              entry(3, "Caf\xE9 Noir") + kAfterEntry},
             {"2: race 1 2026-12-08 \"C\" S", "7: post 1 of 1 2026-12-08 \"Ruby Rocket\"",
              "10: post 2 of 1 2026-12-08 \"Blue \"Ace\" Comet\"",
              "13: post 8 of 1 2026-12-08 \"O'Malley's Joy\"", "16: race 2 2026-12-08 \"C\" S",
              "21: post 3 of 2 2026-12-08 \"Caf\xC3\xA9 Noir\""}},
            {"the title (even a header), rules, indented and blank lines are skipped",
             {header(9) + race1 + entry(6, "Swift Arrow") + kAfterEntry + "________________\r\n" +
              "================\r\n" + " " + past(Past{}) + "   \r\n" + "\r\n" + past(Past{})},
             {"2: race 1 2026-12-08 \"C\" S", "7: post 6 of 1 2026-12-08 \"Swift Arrow\"",
              line(15, "2026-11-28", dflt)}},
            {"a past line before any runner has no dog; an unreadable date keeps the one before",
             {kTitle + race1 + past(a) + entry(2, "Swift Arrow") + kAfterEntry + past(a) +
              past(bad) + past(c)},
             {"2: race 1 2026-12-08 \"C\" S", "7: line \"\" 2026-11-20 " + dflt,
              "8: post 2 of 1 2026-12-08 \"Swift Arrow\"", line(11, "2026-11-20", dflt),
              line(12, "2026-11-20", dflt), line(13, "2026-11-21", dflt)}},
            {"a first past line without a date",
             {oneDog(past(undated))},
             withHead({line(10, "?", dflt)})},
            {"a number too large to store marks its line",
             {oneDog(past(hugeTime))},
             withHead({line(10, "2026-11-28",
                            "r5 S w3045 p3 b2 e2 s1 f1 l2 t? o4.5 \"C\" start !FinishTime 9E99")})},
            {"an empty file",
             {""},
             {"failed: the file ends where a line was expected"},
             "no race header"},
            {"only a title", {kTitle}, {}, "no race header"},
            {"a header without its four lines to discard",
             {kTitle + header(1) + "  Purse\r\n  Post\r\n===\r\n"},
             {"2: race 1 2026-12-08 \"C\" S",
              "failed: line 2 is too close to the end of the file"}},
            {"a runner without its two lines to discard",
             {kTitle + race1 + ruby + "  Brindle\r\n"},
             {"2: race 1 2026-12-08 \"C\" S", "7: post 1 of 1 2026-12-08 \"Ruby Rocket\"",
              "failed: line 7 is too close to the end of the file"}},
            {"a header of too few words",
             {kTitle + "DERBY LANE St. Petersburg, December 8, 2026 Race 1\r\n" + kAfterHeader},
             {"failed: race header with fewer than 13 words after DERBY LANE"},
             "race header with fewer than 13 words after DERBY LANE"},
            {"a runner before the first race",
             {kTitle + ruby + kAfterEntry + race1},
             {"2: post 1 of 0 ? \"Ruby Rocket\"", "5: race 1 2026-12-08 \"C\" S"},
             "a runner before the first race header"},
            {"a first race without a date",
             {kTitle + header(1, "C", "5/16", "Someday soon, later") + kAfterHeader},
             {"2: race 1 ? \"C\" S"},
             "the first race has no date"},
        });
}

class DerbyLaneTest : public ImportFixture {};

TEST_F(DerbyLaneTest, EntriesAddOnlyTheDogsNotOnFile) {
    addDog("RUBY ROCKET", 20, 4);
    const std::string text = kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket") +
                             kAfterEntry + entry(2, "Blue \"Ace\" Comet") + kAfterEntry;
    const auto s = importText("derbylane", {text});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.postsWritten, 2);
    EXPECT_EQ(posts()[0].RegName, "Ruby Rocket");  // as read; the dog on file is RUBY ROCKET
    EXPECT_EQ(dog("Ruby Rocket")->NumStarts, 20);
    EXPECT_EQ(dog("Blue \"Ace\" Comet")->NumStarts, 0);
}

TEST_F(DerbyLaneTest, ImportingTwiceCountsNothingAgain) {
    const std::string text =
        oneDog(october(6, [](Past& p, std::size_t i) { p.finish = std::to_string(i + 1); }));
    const auto first = importText("derbylane", {text});
    EXPECT_EQ(first.linesAdded, 6);
    const auto d = dog("Swift Arrow");
    EXPECT_EQ(d->NumStarts, 6);
    EXPECT_EQ(d->NumFirsts, 1);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    const auto again = importText("derbylane", {text});
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 6);
    EXPECT_EQ(dog("Swift Arrow"), d);
}

TEST_F(DerbyLaneTest, ABrokenProgramWritesNothing) {
    const std::string cases[] = {
        kTitle + header(1) + kAfterHeader + entry(1, "Ruby Rocket"),  // entry at the end
        kTitle + entry(1, "Ruby Rocket") + kAfterEntry + header(1) + kAfterHeader,  // runner first
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(importText("derbylane", {text}), vz::import::ImportFailed) << text;
        EXPECT_EQ(dogs().dogCount(), 0) << text;
        // A file refused at once leaves no race file; one that fails later an
        // empty one.
        EXPECT_TRUE(!std::filesystem::exists(raceFile()) || races().empty()) << text;
    }
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

class DerbyLaneSampleTest : public ImportFixture {
  protected:
    vz::import::ImportSummary importSample() {
        return importFiles("derbylane", {sourceDir() / "tests" / "e2e" / "data" / "samples" /
                                         "derbylane_sample.txt"});
    }
};

TEST_F(DerbyLaneSampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    const auto first = importSample();
    EXPECT_EQ(first.dogsAdded, 96);
    EXPECT_EQ(first.linesAdded, 752);
    EXPECT_EQ(first.duplicatesSkipped, 2);
    EXPECT_EQ(first.racesWritten, 12);
    EXPECT_EQ(first.postsWritten, 96);
    EXPECT_EQ(first.linesWithoutDog + first.linesWithoutDate, 0);

    const auto all = dogs().dogs();
    long starts = 0;
    std::vector<base::RaceLine> ls;
    for (const auto& d : all) {
        starts += d.NumStarts.value_or(0);
        auto x = lines(d.RegName);
        ls.insert(ls.end(), x.begin(), x.end());
    }
    ASSERT_EQ(ls.size(), 752u);
    const auto count = [&](auto pred) { return std::count_if(ls.begin(), ls.end(), pred); };
    EXPECT_EQ(count([](const auto& l) { return l.Grade == "L"; }), 2);
    EXPECT_EQ(starts, 750);
    EXPECT_GE(count([](const auto& l) { return l.Grade == "BT"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime == 0; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime.value_or(0) % 10 == 0; }), 1);
    EXPECT_EQ(count([](const auto& l) { return l.FinishLength == 0; }), 0);
    for (const char* cls : {"S", "L", "R"}) {
        EXPECT_GE(count([&](const auto& l) { return l.Distance == cls; }), 1) << cls;
    }
    for (const char* name : {"Mister \"Q\" Jet", "Jos\xC3\xA9's Rose", "O'Brien Flyer"}) {
        EXPECT_GE(lines(name).size(), 6u) << name;
    }

    const auto rs = races();
    ASSERT_EQ(rs.size(), 12u);
    for (const auto& r : rs) {
        EXPECT_EQ(r.RaceDate, ymd(2026, 12, 8));  // race 5's unreadable date keeps race 4's
    }
    EXPECT_EQ(rs[1].Grade, "BT");
    EXPECT_EQ(rs[3].Grade, "M");
    EXPECT_EQ(rs[6].Grade, "CT");
    EXPECT_EQ(rs[8].Grade, "m");  // the lower-case header
    EXPECT_EQ(rs[8].Distance, "L");
    EXPECT_EQ(rs[5].Distance, "R");
    for (const auto& p : posts()) {
        EXPECT_TRUE(dog(*p.RegName)) << *p.RegName;
    }

    const auto again = importSample();
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 754);
    EXPECT_EQ(again.postsWritten, 96);
    EXPECT_EQ(dogs().dogs(), all);
}

}  // namespace
}  // namespace vz::test
