#include <algorithm>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"
#include "tests/import/record_text.h"

namespace vz::test {
namespace {

// A past line of the lines file, field by field, at its columns.
struct Past {
    std::string name = "Swift Arrow";
    std::string date = "11/28/26";
    std::string race = " 7";
    std::string distance = "5";
    std::string grade = "C ";
    std::string winTime = "30.45";
    std::string positions = "45321";  // post, break, eighth, stretch, finish
    std::string ownTime = "30.88";
    std::string odds = "4.50";
};

std::string octoberDay(unsigned day) {
    return "10/" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "/26";
}

std::string pastLine(const Past& p) {
    return columns({{1, "00017"},
                    {6, fit(p.name, 16)},
                    {25, p.date},
                    {33, p.race},
                    {37, p.distance},
                    {38, p.grade},
                    {45, p.winTime},
                    {50, p.positions},
                    {55, p.ownTime},
                    {60, p.odds}});
}

// A line of the setup file: up to eight names, distance code, grade, date
// and race number.
std::string setupLine(const std::vector<std::string>& names, const std::string& distance = "5",
                      const std::string& grade = "C", const std::string& date = "12/08/26",
                      const std::string& race = " 1") {
    std::string line;
    for (std::size_t i = 0; i < 8; ++i) {
        line += fit(i < names.size() ? names[i] : "", 16) + " ";
    }
    line.resize(216, ' ');
    return line + fit(distance, 1) + fit(grade, 2) + " " + fit(date, 8) + race;
}

// A one-race card: a program is a card and its lines.
const std::string kSetup = setupLine({"Swift Arrow"}) + "\r\n";

// The records of a setup line: its race, then its eight slots (empty ones
// too), none of which adds a dog.
std::vector<std::string> card(const std::string& at, const std::string& num,
                              const std::string& date, const std::string& gradeAndClass,
                              std::vector<std::string> names) {
    std::vector<std::string> out = {"setup file " + at + ": race " + num + " " + date + " " +
                                    gradeAndClass};
    names.resize(8);
    for (std::size_t i = 0; i < names.size(); ++i) {
        out.push_back("setup file " + at + ": post " + std::to_string(i + 1) + " of " + num + " " +
                      date + " \"" + names[i] + "\" card only");
    }
    return out;
}

// The records of the lines, then those of kSetup.
std::vector<std::string> withCard(std::vector<std::string> lines) {
    const auto c = card("1", "1", "2026-12-08", "\"C\" S", {"Swift Arrow"});
    lines.insert(lines.end(), c.begin(), c.end());
    return lines;
}

std::string linesOf(const std::vector<Past>& ps) {
    std::string text;
    for (const Past& p : ps) {
        text += pastLine(p) + "\n";
    }
    return text;
}

// Past lines dated 1, 2, 3... October 2026, each made by `make`.
template <typename Make>
std::string october(std::size_t n, Make make) {
    std::vector<Past> ps(n);
    for (std::size_t i = 0; i < n; ++i) {
        ps[i].date = octoberDay(static_cast<unsigned>(i + 1));
        make(ps[i], i);
    }
    return linesOf(ps);
}

TEST(DogPakReader, ReadsTheLinesFileThenTheSetupFile) {
    Past full;
    full.race = "12";
    full.distance = "3";
    full.grade = "SA";
    full.winTime = "37.91";
    full.positions = "81234";
    full.ownTime = "38.02";
    full.odds = "12.5";
    const char* const grades[] = {"SA", "TA", "TB", "C ", "B1", " D", "L ", "LA", "SL", "AA"};
    const char* const codes[] = {"3", "6", "7", "5", " ", "R"};
    const char* const times[] = {"30.45", "     ", "31.0 ", "29.07", "ns   "};
    Past a;
    a.date = "11/20/26";
    Past bad = a;
    bad.date = "11/xx/26";
    bad.race = " 9";
    Past noMonth = a;
    noMonth.date = "13/01/26";
    Past c = a;
    c.date = "11/21/26";
    Past ruby;
    ruby.name = "Ruby Rocket";
    Past noDate;
    noDate.date = "        ";
    Past noName;
    noName.name = "";
    Past quote;
    quote.name = "Blue \"Ace\" Comet";
    Past apostrophe;
    apostrophe.name = "O'Malley's Joy";
    Past accented;
    accented.name = "Caf\xE9 Noir";  // Windows-1252
    Past huge;
    huge.date = "11/29/26";
    huge.ownTime = "9E.99";  // 9E99 hundredths
    std::vector<std::string> bigCard = {
        "lines file 1: line \"Swift Arrow\" 2026-11-28 r7 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 "
        "\"C\" start adds dog"};
    for (const auto& part :
         {card("1", "1", "2026-12-08", "\"B\" L", {"Swift Arrow", "Ruby Rocket", "Bay Thunder"}),
          card("3", "12", "2026-12-08", "\"TA\" L", {"A", "B", "C", "D", "E", "F", "G", "H"}),
          card("4", "3", "2026-12-08", "\"M\" L", {"Lone Dog"}),
          card("5", "4", "2026-12-08", "\"AA\" S", {"Short Dog"})}) {
        bigCard.insert(bigCard.end(), part.begin(), part.end());
    }
    std::vector<std::string> twoDates = {
        "lines file 1: line \"Swift Arrow\" 2026-11-28 r7 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 "
        "\"C\" start adds dog"};
    for (const auto& part : {card("1", "1", "2026-12-09", "\"C\" S", {"A"}),
                             card("2", "2", "2026-12-09", "\"C\" S", {"B"})}) {
        twoDates.insert(twoDates.end(), part.begin(), part.end());
    }

    std::vector<std::string> undatedCard = {
        "lines file 1: line \"Swift Arrow\" 2026-11-28 r7 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 "
        "\"C\" start adds dog"};
    for (const std::string& r : card("1", "0", "?", "\"C\" S", {"A"})) {
        undatedCard.push_back(r);
    }
    std::vector<std::string> raceZero = {
        "lines file 1: line \"Swift Arrow\" 2026-11-28 r7 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 "
        "\"C\" start adds dog"};
    for (const std::string& r : card("1", "0", "2026-12-08", "\"C\" S", {"A"})) {
        raceZero.push_back(r);
    }
    const std::string dflt = "r7 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 \"C\" start adds dog";
    const std::string ones = "r7 S w3045 p1 b1 e1 s1 f1 l0 t3088 o4.5";
    const auto line = [](int n, const std::string& name, const std::string& date,
                         const std::string& fields) {
        return "lines file " + std::to_string(n) + ": line \"" + name + "\" " + date + " " + fields;
    };
    const auto arrow = [&](int n, const std::string& date, const std::string& fields) {
        return line(n, "Swift Arrow", date, fields);
    };
    expectReadings(
        "dogpak",
        {
            {"a past line, field by field",
             {kSetup, pastLine(full) + "\r\n"},
             withCard({arrow(1, "2026-11-28",
                             "r12 L w3791 p8 b1 e2 s3 f4 l0 t3802 o12.5 \"AS\" start adds dog")})},
            {"grades: S and T move behind; a grade starting with L is no start",
             {kSetup, october(std::size(grades),
                              [&](Past& p, std::size_t i) {
                                  p.grade = grades[i];
                                  p.positions = "11111";
                              })},
             withCard({arrow(1, "2026-10-01", ones + " \"AS\" start adds dog"),
                       arrow(2, "2026-10-02", ones + " \"AT\" start adds dog"),
                       arrow(3, "2026-10-03", ones + " \"BT\" start adds dog"),
                       arrow(4, "2026-10-04", ones + " \"C\" start adds dog"),
                       arrow(5, "2026-10-05", ones + " \"B\" start adds dog"),
                       arrow(6, "2026-10-06", ones + " \"\" start adds dog"),
                       arrow(7, "2026-10-07", ones + " \"L\" adds dog"),
                       arrow(8, "2026-10-08", ones + " \"L\" adds dog"),
                       arrow(9, "2026-10-09", ones + " \"LS\" adds dog"),
                       arrow(10, "2026-10-10", ones + " \"A\" start adds dog")})},
            {"distance codes: only 3 is L in the lines file",
             {kSetup,
              october(std::size(codes), [&](Past& p, std::size_t i) { p.distance = codes[i]; })},
             withCard({arrow(1, "2026-10-01",
                             "r7 L w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 \"C\" start adds dog"),
                       arrow(2, "2026-10-02", dflt), arrow(3, "2026-10-03", dflt),
                       arrow(4, "2026-10-04", dflt), arrow(5, "2026-10-05", dflt),
                       arrow(6, "2026-10-06", dflt)})},
            {"times: seconds and hundredths joined, blank or text 0",
             {kSetup, october(std::size(times),
                              [&](Past& p, std::size_t i) { p.winTime = p.ownTime = times[i]; })},
             withCard(
                 {arrow(1, "2026-10-01",
                        "r7 S w3045 p4 b5 e3 s2 f1 l0 t3045 o4.5 \"C\" start adds dog"),
                  arrow(2, "2026-10-02", "r7 S w0 p4 b5 e3 s2 f1 l0 t0 o4.5 \"C\" start adds dog"),
                  arrow(3, "2026-10-03",
                        "r7 S w310 p4 b5 e3 s2 f1 l0 t310 o4.5 \"C\" start adds dog"),
                  arrow(4, "2026-10-04",
                        "r7 S w2907 p4 b5 e3 s2 f1 l0 t2907 o4.5 \"C\" start adds dog"),
                  arrow(5, "2026-10-05",
                        "r7 S w0 p4 b5 e3 s2 f1 l0 t0 o4.5 \"C\" start adds dog")})},
            {"an unreadable date keeps the one of the line before",
             {kSetup, linesOf({a, bad, noMonth, c})},
             withCard({arrow(1, "2026-11-20", dflt),
                       arrow(2, "2026-11-20",
                             "r9 S w3045 p4 b5 e3 s2 f1 l0 t3088 o4.5 \"C\" start adds dog"),
                       arrow(3, "2026-11-20", dflt), arrow(4, "2026-11-21", dflt)})},
            {"a line without a date or without a name",
             {kSetup, linesOf({ruby, noDate, noName})},
             withCard({line(1, "Ruby Rocket", "2026-11-28", dflt), arrow(2, "2026-11-28", dflt),
                       line(3, "", "2026-11-28", dflt)})},
            {"awkward names, every line end, blank lines between",
             {kSetup, pastLine(quote) + "\r\n   \r\n" + pastLine(apostrophe) + "\r\r" +
                          pastLine(accented) + "\n\n"},
             withCard({line(1, "Blue \"Ace\" Comet", "2026-11-28", dflt),
                       line(3, "O'Malley's Joy", "2026-11-28", dflt),
                       line(5, "Caf\xC3\xA9 Noir", "2026-11-28", dflt)})},
            {"UTF-8 names count characters, not bytes",
             {kSetup, "00017Ren\xC3\xA9\xC3\xA9 Fl\xC3\xBBte" + std::string(8, ' ') +
                          pastLine(Past{}).substr(24) + "\n"},
             withCard({line(1, "Ren\xC3\xA9\xC3\xA9 Fl\xC3\xBBte", "2026-11-28", dflt)})},
            {"a line that stops after its date reads blank fields",
             {kSetup, "00001Stubby Tail        11/28/26\n"},
             withCard({line(1, "Stubby Tail", "2026-11-28",
                            "r0 S w0 p0 b0 e0 s0 f0 l0 t0 o0 \"\" start adds dog")})},
            {"a number too large to store marks its line",
             {kSetup, linesOf({Past{}, huge})},
             withCard(
                 {arrow(1, "2026-11-28", dflt), arrow(2, "2026-11-29",
                                                      "r7 S w3045 p4 b5 e3 s2 f1 l0 t? o4.5 \"C\" "
                                                      "start adds dog !FinishTime 9E99")})},
            {"the setup file: eight posts a race, distance codes 3, 6 and 7 L, grades as printed",
             {setupLine({"Swift Arrow", "Ruby Rocket", "Bay Thunder"}, "6", "B", "12/08/26", " 1") +
                  "\r\n\r\n" +
                  setupLine({"A", "B", "C", "D", "E", "F", "G", "H"}, "7", "TA", "12/08/26", "12") +
                  "\r\n" + setupLine({"Lone Dog"}, "3", "M", "12/08/26", " 3") + "\r\n" +
                  setupLine({"Short Dog"}, "5", "AA", "12/08/26", " 4") + "\r\n",
              pastLine(Past{}) + "\n"},
             bigCard},
            {"a setup line with an unreadable date keeps the one before",
             {setupLine({"A"}, "5", "C", "12/09/26", " 1") + "\n" +
                  setupLine({"B"}, "5", "C", "12/99/26", " 2") + "\n",
              pastLine(Past{}) + "\n"},
             twoDates},
            {"a setup race number of .5 is read with Val: 0.5, rounded half to even",
             {setupLine({"A"}, "5", "C", "12/08/26", ".5") + "\n", pastLine(Past{}) + "\n"},
             raceZero},
            {"an empty setup file",
             {"", pastLine(Past{}) + "\n"},
             {arrow(1, "2026-11-28", dflt)},
             "setup file: no race"},
            {"a setup file without a race date and number",
             {setupLine({"A"}, "5", "C", "", "  ") + "\n", pastLine(Past{}) + "\n"},
             undatedCard,
             "setup file: the first line holds no race date and number in columns 221-230"},
            {"an empty lines file", {kSetup, "\n  \n"}, withCard({}), "lines file: no past race"},
            {"a lines file without a name and date",
             {kSetup, "just some text\n"},
             withCard({line(1, "some text", "?",
                            "r0 S w0 p0 b0 e0 s0 f0 l0 t0 o0 \"\" start adds dog")}),
             "lines file: the first line holds no name in columns 6-21 and date in columns 25-32"},
            {"one file only",
             {kSetup},
             {"failed: DogPak/QuickDog needs a setup file and a lines file"},
             "DogPak/QuickDog needs a setup file and a lines file"},
        });
}

class DogPakTest : public ImportFixture {
  protected:
    vz::import::ImportSummary importLines(const std::string& lines,
                                          const std::string& setup = kSetup) {
        return importText("dogpak", {setup, lines});
    }
};

TEST_F(DogPakTest, FinishPositionsFeedThePlaceCounters) {
    std::string text;
    unsigned day = 1;
    for (const char* finish : {"1", "1", "2", "3", "5", " "}) {
        Past p;
        p.date = octoberDay(day++);
        p.positions = std::string("1111") + finish;
        text += pastLine(p) + "\n";
    }
    addDog("SWIFT ARROW", 10, 2);  // on file in other letter case
    const auto first = importLines(text);
    EXPECT_EQ(first.dogsAdded, 0);
    EXPECT_EQ(first.linesAdded, 6);
    auto d = dog("Swift Arrow");
    EXPECT_EQ(d->RegName, "SWIFT ARROW");
    EXPECT_EQ(d->NumStarts, 16);
    EXPECT_EQ(d->NumFirsts, 4);
    EXPECT_EQ(d->NumSeconds, 1);
    EXPECT_EQ(d->NumThirds, 1);
    EXPECT_EQ(d->RunningStyle, "R");  // a known dog keeps its style

    const auto again = importLines(text);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 6);
    EXPECT_EQ(dog("Swift Arrow"), d);
    EXPECT_EQ(lines("Swift Arrow").size(), 6u);
}

TEST_F(DogPakTest, FaultsEndTheRunAndLeaveTheDatabaseAsItWas) {
    Past ok;
    Past huge;
    huge.date = "11/29/26";
    huge.ownTime = "9E.99";  // 9E99 hundredths: no whole number holds it
    const std::string cases[] = {
        pastLine(ok) + "\n" + pastLine(huge) + "\n",
    };
    for (const std::string& text : cases) {
        EXPECT_THROW(importLines(text), import::ImportFailed) << text;
        EXPECT_EQ(dogs().dogCount(), 0);
        EXPECT_EQ(dogs().raceLineCount(), 0);
    }
    // A name of control characters, in the lines file or on the card.
    Past bell;
    bell.name = "Bell\aRinger";
    EXPECT_THROW(importLines(pastLine(ok) + "\n" + pastLine(bell) + "\n"), import::ImportFailed);
    EXPECT_THROW(importLines(pastLine(ok) + "\n", setupLine({"Swift Arrow",
                                                             "Esc\x1b"
                                                             "Dog"})),
                 import::ImportFailed);
    EXPECT_EQ(dogs().dogCount(), 0);
    try {
        importLines(cases[0]);
        FAIL() << "no fault";
    } catch (const import::ImportFailed& e) {
        // The two lines, and the line and field the run ended on.
        EXPECT_STREQ(e.what(),
                     "Error importing file.\nPerhaps you selected the wrong import type?\n"
                     "Line 2 of the lines file, field FinishTime: \"9E99\" is too large a "
                     "number.");
    }
}

}  // namespace
}  // namespace vz::test

namespace vz::test {
namespace {

class DogPakSampleTest : public ImportFixture {
  protected:
    vz::import::ImportSummary importSample() {
        const auto dir = sourceDir() / "tests" / "e2e" / "data" / "samples";
        return importFiles("dogpak", {dir / "dogpak_setup.txt", dir / "dogpak_lines.txt"});
    }
    std::vector<base::RaceLine> allLines() {
        std::vector<base::RaceLine> out;
        for (const auto& d : dogs().dogs()) {
            auto ls = lines(d.RegName);
            out.insert(out.end(), ls.begin(), ls.end());
        }
        return out;
    }
};

TEST_F(DogPakSampleTest, ImportsWithTheExpectedCountsAndOnlyOnce) {
    const auto first = importSample();
    EXPECT_EQ(first.dogsAdded, 93);
    EXPECT_EQ(first.linesAdded, 733);
    EXPECT_EQ(first.duplicatesSkipped, 2);  // an unreadable date and a second race of a day
    EXPECT_EQ(first.racesWritten, 12);
    EXPECT_EQ(first.postsWritten, 96);
    EXPECT_EQ(first.linesWithoutDog + first.linesWithoutDate, 0);

    const auto all = dogs().dogs();
    long starts = 0;
    for (const auto& d : all) {
        starts += d.NumStarts.value_or(0);
    }
    const auto ls = allLines();
    EXPECT_EQ(static_cast<long>(ls.size()), 733);
    const auto count = [&](auto pred) { return std::count_if(ls.begin(), ls.end(), pred); };
    EXPECT_EQ(count([](const auto& l) { return l.Grade == "L"; }), 2);
    EXPECT_EQ(starts, 733 - 2);  // schooling lines are no start
    EXPECT_GE(count([](const auto& l) { return l.Grade == "AS"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Grade == "BT"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.FinishTime == 0; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Distance == "L"; }), 1);
    EXPECT_GE(count([](const auto& l) { return l.Distance == "S"; }), 1);
    for (const char* name : {"Blue \"Ace\" Comet", "Caf\xC3\xA9 Noir", "O'Malley's Joy"}) {
        EXPECT_GE(lines(name).size(), 6u) << name;
    }

    const auto rs = races();
    ASSERT_EQ(rs.size(), 12u);
    for (const auto& r : rs) {
        EXPECT_EQ(r.RaceDate, ymd(2026, 12, 8));
    }
    EXPECT_EQ(rs[3].Distance, "L");  // code 6
    EXPECT_EQ(rs[5].Distance, "L");  // code 7
    EXPECT_EQ(rs[0].Distance, "S");
    EXPECT_EQ(rs[6].Grade, "TC");
    const auto ps = posts();
    ASSERT_EQ(ps.size(), 96u);
    long empty = 0;
    for (const auto& p : ps) {
        if (p.RegName->empty()) {
            ++empty;
        } else {
            EXPECT_TRUE(dog(*p.RegName)) << *p.RegName;
        }
    }
    EXPECT_EQ(empty, 3);  // races of seven and six runners

    const auto again = importSample();
    EXPECT_EQ(again.dogsAdded, 0);
    EXPECT_EQ(again.linesAdded, 0);
    EXPECT_EQ(again.duplicatesSkipped, 735);
    EXPECT_EQ(again.racesWritten, 12);
    EXPECT_EQ(dogs().dogs(), all);  // no start counted twice
}

}  // namespace
}  // namespace vz::test
