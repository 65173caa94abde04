#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/record_text.h"
#include "tests/import/rosnet_text.h"

namespace vz::test {
namespace {

namespace rn = rosnet;

// A program of 12/08/2026 with one race (4) and one runner (post 6) whose
// past lines start at line 5.
std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow") {
    return rn::firstLine() + "\n" + rn::race("4", "C", "5/16") + "\n" + rn::entry(6, name) + "\n" +
           rn::afterEntry() + pastLines;
}

std::vector<std::string> withHead(std::vector<std::string> lines) {
    lines.insert(lines.begin(),
                 {"2: race 4 2026-12-08 \"C\" S", "3: post 6 of 4 2026-12-08 \"Swift Arrow\""});
    return lines;
}

// Past lines dated 1, 2, 3... October 2026.
std::string october(std::vector<rn::Past> ps) {
    std::string text;
    int day = 1;
    for (rn::Past& p : ps) {
        p.date = "10/0" + std::to_string(day++) + "/26";
        text += rn::past(p) + "\n";
    }
    return text;
}

TEST(RosnetReader, ReadsEachLineAsTheLayoutSays) {
    rn::Past full;
    full.race = "12";
    full.distance = "3/8";
    full.winTime = "37.91";
    full.post = "5";
    full.brk = "4";
    full.eighth = "3";
    full.stretch = "2";
    full.finish = "2";
    full.lengths = "12";
    full.ownTime = "38.02";
    full.odds = "12.50";
    full.grade = "B  ";

    std::vector<rn::Past> grades;
    for (const char* g : {"C  ", "SA ", "TB ", "C X", "SAX", "AA ", "L  ", "T  ", "C"}) {
        grades.emplace_back().grade = g;  // "C": the line ends at column 78
        grades.back().finish = "3";
    }
    std::vector<rn::Past> lengths;
    for (const auto& [len, dist] : std::vector<std::pair<const char*, const char*>>{{" 0", "5/16"},
                                                                                    {"  ", "3/8"},
                                                                                    {"12", "7/16"},
                                                                                    {" 5", "660"},
                                                                                    {"ns", "770"},
                                                                                    {"1", "550"}}) {
        lengths.emplace_back().lengths = len;
        lengths.back().distance = dist;
    }
    rn::Past b;
    b.date = "11/14/26";
    const std::string race = rn::race("1", "C", "5/16") + "\n";
    const std::string entry = rn::entry(1, "Swift Arrow") + "\n" + rn::afterEntry();

    const std::string dflt = "r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 \"C\" start";
    const std::string third = "r5 S w3045 p3 b2 e2 s1 f3 l2 t3045 o4.5";
    expectReadings(
        "rosnet",
        {
            {"a past line, field by field",
             {oneDog(rn::past(full) + "\n")},
             withHead({"5: line \"Swift Arrow\" 2026-11-28 r12 L w3791 p5 b4 e3 s2 f2 l12 t3802 "
                       "o12.5 \"B\" start"})},
            {"grades: a mark in column 80 is a schooling L, S and T trade places",
             {oneDog(october(grades))},
             withHead({"5: line \"Swift Arrow\" 2026-10-01 " + third + " \"C\" start",
                       "6: line \"Swift Arrow\" 2026-10-02 " + third + " \"AS\" start",
                       "7: line \"Swift Arrow\" 2026-10-03 " + third + " \"BT\" start",
                       "8: line \"Swift Arrow\" 2026-10-04 " + third + " \"L\"",
                       "9: line \"Swift Arrow\" 2026-10-05 " + third + " \"L\"",
                       "10: line \"Swift Arrow\" 2026-10-06 " + third + " \"A\" start",
                       "11: line \"Swift Arrow\" 2026-10-07 " + third + " \"L\"",
                       "12: line \"Swift Arrow\" 2026-10-08 " + third + " \" T\" start",
                       "13: line \"Swift Arrow\" 2026-10-09 " + third + " \"C\" start"})},
            {"lengths (0 or blank is 1) and distance classes",
             {oneDog(october(lengths))},
             withHead({
                 "5: line \"Swift Arrow\" 2026-10-01 r5 S w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
                 "6: line \"Swift Arrow\" 2026-10-02 r5 L w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
                 "7: line \"Swift Arrow\" 2026-10-03 r5 R w3045 p3 b2 e2 s1 f1 l12 t3045 o4.5 "
                 "\"C\" start",
                 "8: line \"Swift Arrow\" 2026-10-04 r5 L w3045 p3 b2 e2 s1 f1 l5 t3045 o4.5 "
                 "\"C\" start",
                 "9: line \"Swift Arrow\" 2026-10-05 r5 R w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
                 "10: line \"Swift Arrow\" 2026-10-06 r5 S w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
             })},
            {"race lines in any letter case; TB is BT, maiden classes M",
             {rn::firstLine() + "\n" + rn::race("3", "D", "5/16") + "\n" +
              rn::race("4", "D", "3/8", "RACE") + "\n" + rn::race("5", "D", "7/16", "Race") + "\n" +
              rn::race("11", "TB", "3/8") + "\n" + rn::race("12", "MA", "550", "rAcE") + "\n" +
              rn::race("13", "TC", "660") + "\n"},
             {"2: race 3 2026-12-08 \"D\" S", "3: race 4 2026-12-08 \"D\" L",
              "4: race 5 2026-12-08 \"D\" R", "5: race 11 2026-12-08 \"BT\" L",
              "6: race 12 2026-12-08 \"M\" S", "7: race 13 2026-12-08 \"CT\" L"}},
            {"race fields are cut by width and may run into the next word",
             {rn::firstLine() + "\nrace 3 D 5/16\n"},
             {"2: race 3 2026-12-08 \"D 5\" S"}},
            {"every race and runner carries the program date",
             {rn::firstLine("12/11/2026") + "\n" + race + entry + october({rn::Past{}}) +
              rn::race("2", "B", "3/8") + "\n" + rn::entry(2, "Swift Arrow", "POST") + "\n" +
              rn::afterEntry() + rn::entry(3, "Blue \"Ace\" Comet", "Post") + "\n" +
              rn::afterEntry()},
             {"2: race 1 2026-12-11 \"C\" S", "3: post 1 of 1 2026-12-11 \"Swift Arrow\"",
              "5: line \"Swift Arrow\" 2026-10-01 " + dflt, "6: race 2 2026-12-11 \"B\" L",
              "7: post 2 of 2 2026-12-11 \"Swift Arrow\"",
              "9: post 3 of 2 2026-12-11 \"Blue \"Ace\" Comet\""}},
            {"any other line is a past line; an unreadable date keeps the one before",
             {oneDog(rn::past(rn::Past{}) + "\n  Comment: closing well, watch next time\n\n   \n" +
                     rn::past(b) + "\n13/45/26 unreadable date line\n")},
             withHead({"5: line \"Swift Arrow\" 2026-11-28 " + dflt,
                       "6: line \"Swift Arrow\" 2026-11-28 r0 S w0 p0 b0 e0 s0 f0 l1 t0 o0 \"\" "
                       "start",
                       "9: line \"Swift Arrow\" 2026-11-14 " + dflt,
                       "10: line \"Swift Arrow\" 2026-11-14 r0 S w0 p0 b0 e0 s0 f0 l1 t0 o0 \"\" "
                       "start"})},
            {"an empty file",
             {""},
             {"failed: the file ends where a line was expected"},
             "an empty file"},
            {"a first line without a slash",
             {"no date here\n" + race},
             {"failed: the first line holds no program date"},
             "the first line holds no program date"},
            {"a first line without room for a date before its slash",
             {"1/2/2026\n" + race},
             {"failed: the first line holds no program date"},
             "the first line holds no program date"},
            {"a first line without a date at its slash",
             {"PROGRAM 12/xx\n" + race},
             {"2: race 1 ? \"C\" S"},
             "the first line holds no program date"},
            {"no race", {rn::firstLine() + "\n"}, {}, "no race header"},
            {"a runner before the first race",
             {rn::firstLine() + "\n" + entry + race},
             {"2: post 1 of 0 2026-12-08 \"Swift Arrow\"", "4: race 1 2026-12-08 \"C\" S"},
             "a runner before the first race header"},
            {"a race line of too few words",
             {rn::firstLine() + "\nrace 3 D\n"},
             {"failed: race line with fewer than three words after \"race\""},
             "race line with fewer than three words after \"race\""},
            {"a name with a control character is read as it stands",
             {rn::firstLine() + "\n" + race + "post 1 Bell\x07Ringer\n\n"},
             {"2: race 1 2026-12-08 \"C\" S", "3: post 1 of 1 2026-12-08 \"Bell\x07Ringer\""}},
            {"a runner on the last line, without the line to discard",
             {rn::firstLine() + "\n" + race + rn::entry(1, "Swift Arrow")},
             {"2: race 1 2026-12-08 \"C\" S", "3: post 1 of 1 2026-12-08 \"Swift Arrow\"",
              "failed: line 3 is too close to the end of the file"}},
        });
}

TEST(RosnetReader, NumbersTooLargeToStoreMarkTheirLine) {
    rn::Past hugeOdds;
    hugeOdds.odds = "9e999";
    expectReadings(
        "rosnet",
        {
            {"a race number",
             {rn::firstLine() + "\n" + rn::race("9e9", "C", "5/16") + "\n"},
             {"2: race ? 2026-12-08 \"C\" S !RaceNum 9e9"},
             "the first race header holds a number too large to store"},
            {"the odds of a past line",
             {oneDog(rn::past(hugeOdds) + "\n")},
             withHead({"5: line \"Swift Arrow\" 2026-11-28 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o? "
                       "\"C\" start !Odds 9e999"})},
        });
}

class RosnetTest : public ImportFixture {};

TEST_F(RosnetTest, ADeletedDogIsAddedAgainWithoutItsOldLinesTwice) {
    // SLY STAR's line of 19 September 2021 is on file; the dog itself is not
    // (deleted as old: its lines stay).
    addLine("SLY STAR", ymd(2021, 9, 19));
    rn::Past p;
    p.date = "09/19/21";
    const auto s = importText("rosnet", {oneDog(rn::past(p) + "\n", "SLY STAR")});
    EXPECT_EQ(s.dogsAdded, 1);
    EXPECT_EQ(s.linesAdded, 0);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    const auto d = dog("SLY STAR");
    ASSERT_TRUE(d);
    EXPECT_EQ(d->RunningStyle, "M");
    EXPECT_EQ(d->NumStarts, 0);
    EXPECT_EQ(d->NumFirsts, 0);
    EXPECT_EQ(lines("SLY STAR").size(), 1u);
    ASSERT_EQ(posts().size(), 1u);
    EXPECT_EQ(posts()[0].RegName, "SLY STAR");
}

TEST_F(RosnetTest, SecondImportAddsNothing) {
    rn::Past a;
    rn::Past b;
    b.date = "11/21/26";
    const std::string text = oneDog(rn::past(a) + "\n" + rn::past(b) + "\n");
    const auto first = importText("rosnet", {text});
    EXPECT_EQ(first.linesAdded, 2);
    const auto second = importText("rosnet", {text});
    EXPECT_EQ(second.linesAdded, 0);
    EXPECT_EQ(second.dogsAdded, 0);
    EXPECT_EQ(second.duplicatesSkipped, 2);
    EXPECT_EQ(second.racesWritten, 1);
    EXPECT_EQ(dog("Swift Arrow")->NumStarts, 2);
    EXPECT_EQ(dog("Swift Arrow")->NumFirsts, 2);
}

TEST_F(RosnetTest, ARefusedOrBrokenProgramWritesNothing) {
    const std::string race = rn::race("1", "C", "5/16") + "\n";
    const std::string texts[] = {
        rn::firstLine() + "\n" + rn::entry(1, "Swift Arrow") + "\n" + rn::afterEntry() + race,
        rn::firstLine() + "\n" + race + "post 1 Bell\x07Ringer\n\n",
        rn::firstLine() + "\n" + race + rn::entry(1, "Swift Arrow"),
    };
    for (const std::string& t : texts) {
        EXPECT_THROW(importText("rosnet", {t}), vz::import::ImportFailed) << t;
        EXPECT_EQ(dogs().dogCount(), 0) << t;
        EXPECT_FALSE(std::filesystem::exists(raceFile())) << t;  // no card is left behind
    }
}

}  // namespace
}  // namespace vz::test
