#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/record_text.h"
#include "tests/import/trackinfo_text.h"

namespace vz::test {
namespace {

namespace ti = trackinfo;

// A program of one race (4, 12/08/26) and one runner (post 6) whose past
// lines start at line 8.
std::string oneDog(const std::string& pastLines, const std::string& name = "Swift Arrow") {
    return "Track Handicapper: Lee Marsh          Program Format 2\n" +
           ti::header(4, "12/08/26", "C", "5/16") + "\n" + ti::afterHeader() + ti::entry(6, name) +
           "\n" + ti::afterEntry() + pastLines;
}

// The records of oneDog()'s race and runner, then `lines`.
std::vector<std::string> withHead(std::vector<std::string> lines,
                                  const std::string& name = "Swift Arrow") {
    lines.insert(lines.begin(),
                 {"2: race 4 2026-12-08 \"C\" S", "5: post 6 of 4 2026-12-08 \"" + name + "\""});
    return lines;
}

std::string pasts(const std::vector<ti::Past>& ps) {
    std::string text;
    for (const ti::Past& p : ps) {
        text += ti::past(p) + "\n";
    }
    return text;
}

ti::Past on(const std::string& date) {
    ti::Past p;
    p.date = date;
    return p;
}

TEST(TrackInfoReader, ReadsEachLineAsTheLayoutSays) {
    ti::Past full;
    full.race = "12";
    full.distance = "3/8";
    full.winTime = "37.91";
    full.post = "5";
    full.brk = "4";
    full.eighth = "3";
    full.stretch = " 2";
    full.finish = "2-1 1/2";
    full.ownTime = "38.02";
    full.odds = "12.50";
    full.grade = "B";

    std::vector<ti::Past> distances;
    for (const char* d : {"3/8", "660", "7/16", "770", "550", "5/16"}) {
        distances.push_back(on("08/0" + std::to_string(distances.size() + 1) + "/26"));
        distances.back().distance = d;
    }
    std::vector<ti::Past> finishes;
    for (const char* f :
         {"2-1 1/2", "1-ns", "1-nk", "3-hd", "5-12", "4-OO", "8-oo", "6-0", "", "7 -3"}) {
        const int day = static_cast<int>(finishes.size()) + 1;
        finishes.push_back(on((day < 10 ? "10/0" : "10/") + std::to_string(day) + "/26"));
        finishes.back().finish = f;
    }
    std::vector<ti::Past> grades;
    for (const auto& [own, grade] :
         std::vector<std::pair<const char*, const char*>>{{"30.45", "C"},
                                                          {"", "C"},
                                                          {"31.1", "D"},
                                                          {"30.45", "SA"},
                                                          {"30.45", "TB"},
                                                          {"30.45", "AA"},
                                                          {"30.45", "L"},
                                                          {"30.45", "M"},
                                                          {"30.45", "T"}}) {
        grades.push_back(on("09/" + std::to_string(grades.size() + 10) + "/26"));
        grades.back().ownTime = own;
        grades.back().grade = grade;
        grades.back().finish = "1-2";
    }
    ti::Past noGrade = on("11/01/26");
    noGrade.grade = "";
    std::string rule = ti::past(ti::Past{});
    rule[0] = '_';
    std::string equals = rule;
    equals[0] = '=';
    ti::Past hugeOdds = on("11/01/26");
    hugeOdds.odds = "1e9999";
    ti::Past hugeTime = on("11/02/26");
    hugeTime.winTime = "9e.99";                                        // 9e99 hundredths
    std::string crText = oneDog(pasts({ti::Past{}}), "Caf\xE9 Noir");  // Windows-1252
    for (char& ch : crText) {
        ch = ch == '\n' ? '\r' : ch;
    }
    const std::string header1 = " 1  12/08/26  RACE 1   Grade: C, Distance: 5/16\na\nb\n";

    const std::string dflt = "r5 S w3045 p3 b2 e2 s1 f1 l11 t3045 o4.5 \"C\" start";
    expectReadings(
        "trackinfo",
        {
            {"a past line, field by field",
             {oneDog(pasts({full}))},
             withHead({"8: line \"Swift Arrow\" 2026-11-28 r12 L w3791 p5 b4 e3 s2 f2 l11 t3802 "
                       "o12.5 \"B\" start"})},
            {"distance classes: 3/8 and 600 to 699 L, 7/16 and 700 up R, else S",
             {oneDog(pasts(distances))},
             withHead({"8: line \"Swift Arrow\" 2026-08-01 r5 L" + dflt.substr(4),
                       "9: line \"Swift Arrow\" 2026-08-02 r5 L" + dflt.substr(4),
                       "10: line \"Swift Arrow\" 2026-08-03 r5 R" + dflt.substr(4),
                       "11: line \"Swift Arrow\" 2026-08-04 r5 R" + dflt.substr(4),
                       "12: line \"Swift Arrow\" 2026-08-05 r5 S" + dflt.substr(4),
                       "13: line \"Swift Arrow\" 2026-08-06 r5 S" + dflt.substr(4)})},
            {"finish before the first dash from column 48, lengths after it",
             {oneDog(pasts(finishes))},
             withHead({
                 // 1 1/2 reads as 11; a nose, a neck, a head or 0 as 1; OO as
                 // 99; no dash is 9 and OO; a blank before the dash is 0.
                 "8: line \"Swift Arrow\" 2026-10-01 r5 S w3045 p3 b2 e2 s1 f2 l11 t3045 o4.5 "
                 "\"C\" start",
                 "9: line \"Swift Arrow\" 2026-10-02 r5 S w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
                 "10: line \"Swift Arrow\" 2026-10-03 r5 S w3045 p3 b2 e2 s1 f1 l1 t3045 o4.5 "
                 "\"C\" start",
                 "11: line \"Swift Arrow\" 2026-10-04 r5 S w3045 p3 b2 e2 s1 f3 l1 t3045 o4.5 "
                 "\"C\" start",
                 "12: line \"Swift Arrow\" 2026-10-05 r5 S w3045 p3 b2 e2 s1 f5 l12 t3045 o4.5 "
                 "\"C\" start",
                 "13: line \"Swift Arrow\" 2026-10-06 r5 S w3045 p3 b2 e2 s1 f4 l99 t3045 o4.5 "
                 "\"C\" start",
                 "14: line \"Swift Arrow\" 2026-10-07 r5 S w3045 p3 b2 e2 s1 f8 l99 t3045 o4.5 "
                 "\"C\" start",
                 "15: line \"Swift Arrow\" 2026-10-08 r5 S w3045 p3 b2 e2 s1 f6 l1 t3045 o4.5 "
                 "\"C\" start",
                 "16: line \"Swift Arrow\" 2026-10-09 r5 S w3045 p3 b2 e2 s1 f9 l99 t3045 o4.5 "
                 "\"C\" start",
                 "17: line \"Swift Arrow\" 2026-10-10 r5 S w3045 p3 b2 e2 s1 f0 l3 t3045 o4.5 "
                 "\"C\" start",
             })},
            {"own time (blank is 9999) and grade (S is a schooling L, T trades places)",
             {oneDog(pasts(grades))},
             withHead({
                 "8: line \"Swift Arrow\" 2026-09-10 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"C\" start",
                 "9: line \"Swift Arrow\" 2026-09-11 r5 S w3045 p3 b2 e2 s1 f1 l2 t9999 o4.5 "
                 "\"C\" start",
                 "10: line \"Swift Arrow\" 2026-09-12 r5 S w3045 p3 b2 e2 s1 f1 l2 t311 o4.5 "
                 "\"D\" start",
                 "11: line \"Swift Arrow\" 2026-09-13 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"L\"",
                 "12: line \"Swift Arrow\" 2026-09-14 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"BT\" start",
                 "13: line \"Swift Arrow\" 2026-09-15 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"A\" start",
                 "14: line \"Swift Arrow\" 2026-09-16 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"L\"",
                 "15: line \"Swift Arrow\" 2026-09-17 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"M\" start",
                 "16: line \"Swift Arrow\" 2026-09-18 r5 S w3045 p3 b2 e2 s1 f1 l2 t3045 o4.5 "
                 "\"T\" start",
             })},
            {"race headers: TC is CT, maiden classes M, 770 Yards R",
             {ti::header(1, "12/08/26", "TC", "5/16") + "\n" + ti::afterHeader() +
              ti::header(2, "12/08/26", "MA", "3/8") + "\n" + ti::afterHeader() +
              ti::header(3, "12/08/26", "Maiden", "660") + "\n" + ti::afterHeader() +
              ti::header(4, "12/08/26", " AA ", "7/16") + "\n" + ti::afterHeader() +
              ti::header(5, "12/08/26", "", "550") + "\n" + ti::afterHeader() +
              ti::header(6, "12/08/26", "B", "770 Yards") + "\n" + ti::afterHeader()},
             {"1: race 1 2026-12-08 \"CT\" S", "4: race 2 2026-12-08 \"M\" L",
              "7: race 3 2026-12-08 \"M\" L", "10: race 4 2026-12-08 \"AA\" R",
              "13: race 5 2026-12-08 \"\" S", "16: race 6 2026-12-08 \"B\" R"}},
            {"a header without the Distance label is of the base class",
             {" 1  12/08/26  RACE 1   Grade: C, 3/8 miles\nx\ny\n"},
             {"1: race 1 2026-12-08 \"C\" S"}},
            {"runners carry the race above them; an unreadable header date keeps the one before",
             {ti::header(3, "12/09/26", "C", "5/16") + "\n" + ti::afterHeader() +
              ti::entry(1, "Swift Arrow") + "\n" + ti::afterEntry() +
              ti::entry(2, "Blue \"Ace\" Comet") + "\n" + ti::afterEntry() +
              ti::header(4, "12/xx/26", "B", "3/8") + "\n" + ti::afterHeader() +
              ti::entry(8, "swift arrow") + "\n" + ti::afterEntry()},
             {"1: race 3 2026-12-09 \"C\" S", "4: post 1 of 3 2026-12-09 \"Swift Arrow\"",
              "7: post 2 of 3 2026-12-09 \"Blue \"Ace\" Comet\"", "10: race 4 2026-12-09 \"B\" L",
              "13: post 8 of 4 2026-12-09 \"swift arrow\""}},
            {"an unreadable past date keeps the one of the line before",
             {oneDog(pasts({ti::Past{}, on("13/45/26"), on("11/02/26")}))},
             withHead({"8: line \"Swift Arrow\" 2026-11-28 " + dflt,
                       "9: line \"Swift Arrow\" 2026-11-28 " + dflt,
                       "10: line \"Swift Arrow\" 2026-11-02 " + dflt})},
            {"blank, rule, indented, ungraded and page heading lines are skipped",
             {oneDog("   \n" + rule + "\n" + equals + "\n " + ti::past(ti::Past{}).substr(1) +
                     "\n" + ti::past(noGrade) + "\nProgram Format 2 " +
                     ti::past(ti::Past{}).substr(17) + "\nTrack Handicapper: " +
                     ti::past(ti::Past{}).substr(19) + "\n" + pasts({ti::Past{}}))},
             withHead({"15: line \"Swift Arrow\" 2026-11-28 " + dflt})},
            {"past lines before any runner, or of a runner without a name, have no dog",
             {ti::header(1, "12/08/26", "C", "5/16") + "\n" + ti::afterHeader() +
              pasts({ti::Past{}}) + ti::entry(1, "") + "\n" + ti::afterEntry() +
              pasts({ti::Past{}})},
             {"1: race 1 2026-12-08 \"C\" S", "4: line \"\" 2026-11-28 " + dflt,
              "5: post 1 of 1 2026-12-08 \"\"", "8: line \"\" 2026-11-28 " + dflt}},
            {"Windows-1252 text with CR line ends: columns count characters",
             {crText},
             withHead({"8: line \"Caf\xC3\xA9 Noir\" 2026-11-28 " + dflt}, "Caf\xC3\xA9 Noir")},
            {"numbers too large to store mark their line",
             {oneDog(pasts({ti::Past{}, hugeOdds, hugeTime}))},
             withHead({"8: line \"Swift Arrow\" 2026-11-28 " + dflt,
                       "9: line \"Swift Arrow\" 2026-11-01 r5 S w3045 p3 b2 e2 s1 f1 l11 t3045 "
                       "o? \"C\" start !Odds 1e9999",
                       "10: line \"Swift Arrow\" 2026-11-02 r5 S w? p3 b2 e2 s1 f1 l11 t3045 "
                       "o4.5 \"C\" start !WinningTime 9e99"})},
            {"a header without Grade:",
             {" 1  12/08/26  RACE 1   Class: C, Distance: 5/16\na\nb\n"},
             {"failed: race header without \"Grade:\""},
             "race header without \"Grade:\""},
            {"a header without a comma after the grade",
             {" 1  12/08/26  RACE 1   Grade: C  Distance: 5/16\na\nb\n"},
             {"failed: race header without a comma after \"Grade:\""},
             "race header without a comma after \"Grade:\""},
            {"a header without room for a date before its slash",
             {"1/2/ RACE Grade: C,\na\nb\n"},
             {"failed: race header without room for a date before its first slash"},
             "race header without room for a date before its first slash"},
            {"a header without its two lines to discard",
             {header1.substr(0, header1.size() - 2)},
             {"1: race 1 2026-12-08 \"C\" S",
              "failed: line 1 is too close to the end of the file"}},
            {"a runner before any race, without its two lines to discard",
             {" 1 Swift Arrow\na\n"},
             {"1: post 1 of 0 ? \"Swift Arrow\"",
              "failed: line 1 is too close to the end of the file"},
             "a runner before the first race header"},
            {"a runner before the first race",
             {" 1 Swift Arrow\na\nb\n" + header1},
             {"1: post 1 of 0 ? \"Swift Arrow\"", "4: race 1 2026-12-08 \"C\" S"},
             "a runner before the first race header"},
            {"a first race without a date",
             {" 1  12/xx/26  RACE 1   Grade: C, Distance: 5/16\na\nb\n"},
             {"1: race 1 ? \"C\" S"},
             "the first race has no date"},
            {"an empty file", {""}, {}, "no race header"},
        });
}

class TrackInfoTest : public ImportFixture {};

TEST_F(TrackInfoTest, BothEncodingsOfANameReachTheSameDog) {
    importText("trackinfo", {oneDog(pasts({ti::Past{}}), "Caf\xE9 Noir")});
    const auto s = importText("trackinfo", {oneDog(pasts({ti::Past{}}), "Caf\xC3\xA9 Noir")});
    EXPECT_EQ(s.dogsAdded, 0);
    EXPECT_EQ(s.duplicatesSkipped, 1);
    ASSERT_EQ(lines("Caf\xC3\xA9 Noir").size(), 1u);
    EXPECT_EQ(dog("Caf\xC3\xA9 Noir")->NumStarts, 1);
}

TEST_F(TrackInfoTest, AFaultAfterGoodLinesKeepsNothing) {
    ti::Past hugeOdds = on("11/01/26");
    hugeOdds.odds = "1e9999";
    const std::string texts[] = {
        oneDog(pasts({ti::Past{}, hugeOdds})),
        oneDog(pasts({ti::Past{}})) + " 2  12/08/26  RACE 2   Grade: C, Distance: 5/16\na\n",
    };
    for (const std::string& text : texts) {
        EXPECT_THROW(importText("trackinfo", {text}), vz::import::ImportFailed);
        EXPECT_EQ(dogs().dogCount(), 0);
        EXPECT_EQ(dogs().raceLineCount(), 0);
        EXPECT_FALSE(std::filesystem::exists(raceFile()));  // no card is left behind
    }
}

}  // namespace
}  // namespace vz::test
