// The editors' fields and cells: the rows stored for what was typed.

#include <gtest/gtest.h>

#include "core/editing/convert.h"
#include "core/editing/records.h"
#include "tests/support/test_support.h"

using namespace vz;
using namespace vz::editing;
using vz::test::ymd;

namespace {

const Lookups kLookups{{"M", "R", "W"}, {"AA", "A", "B", "C"}, {"S", "L", "R"}};

base::Dog storedDog() {
    base::Dog d;
    d.rowId = 4;
    d.RegName = "Alpha";
    d.RunningStyle = "M";
    d.NumStarts = 3;
    d.Comments = "";
    return d;
}

}  // namespace

TEST(Records, TheDogsFieldsAreStoredOrTheBadFieldIsNamed) {
    DogFields typed = dogFields(storedDog());
    EXPECT_EQ(typed.starts, "3");
    EXPECT_EQ(typed.firsts, "");

    typed.style = "w";
    typed.starts = "10.5";  // 10 (half to even)
    typed.thirds = " 2 ";
    typed.comments = std::string(205, 'c');
    const base::Dog d = dogFromFields(storedDog(), typed, kLookups.styles);
    EXPECT_EQ(d.RunningStyle, std::optional<std::string>("W"));
    EXPECT_EQ(d.NumStarts, std::optional<int>(10));
    EXPECT_EQ(d.NumFirsts, std::nullopt);
    EXPECT_EQ(d.NumThirds, std::optional<int>(2));
    EXPECT_EQ(d.Comments, std::optional<std::string>(std::string(200, 'c')));
    EXPECT_EQ(d.rowId, 4);

    // Each bad field is named, the first one in the window's order.
    const struct {
        std::string DogFields::*field;
        const char* text;
        const char* named;
    } bad[] = {
        {&DogFields::style, "Q", kStyleField},     {&DogFields::starts, "1o", kStartsField},
        {&DogFields::firsts, "x", kFirstsField},   {&DogFields::seconds, "-", kSecondsField},
        {&DogFields::thirds, "3rd", kThirdsField},
    };
    for (const auto& b : bad) {
        DogFields f = dogFields(storedDog());
        f.*b.field = b.text;
        try {
            dogFromFields(storedDog(), f, kLookups.styles);
            ADD_FAILURE() << b.text << " was taken";
        } catch (const FieldError& e) {
            EXPECT_EQ(e.field(), b.named);
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + b.text + "\""),
                      std::string::npos);
        }
    }
}

TEST(Records, RaceLineCellsConvertAsTheOtherFieldsDo) {
    base::RaceLine stored;
    stored.RegName = "Alpha";
    stored.Grade = "TQ";  // a stored code outside the list stays
    const struct {
        int column;
        const char* text;
        const char* shown;  // the cell afterwards, or the message
    } cases[] = {
        {kLineRaceNum, "3.5", "4"},
        {kLineRaceDate, "12/3/2026", "12/3/2026"},
        {kLineDistance, "l", "L"},
        {kLineDistance, "X", "Type mismatch in Dist: \"X\" is not in the list"},
        {kLineGrade, "TQ", "TQ"},
        {kLineGrade, "c", "C"},
        {kLineOdds, "2.5", "2.5"},
        {kLineFinishTime, "30.45s", "Type mismatch in Fin Tm: \"30.45s\" is not a number"},
        {kLineFinishLength, "", ""},
    };
    for (const auto& c : cases) {
        std::string got;
        try {
            got = raceLineCell(withRaceLineCell(stored, c.column, c.text, kLookups), c.column);
        } catch (const FieldError& e) {
            got = e.what();
        }
        EXPECT_EQ(got, c.shown) << raceLineCaption(c.column) << " " << c.text;
    }
}

TEST(Records, ARaceKeepsItsKeyAndTakesOnlyListedCodes) {
    base::Race stored;
    stored.rowId = 2;
    stored.RaceDate = ymd(2026, 12, 7);
    stored.RaceNum = 1;
    stored.Grade = "Z";
    RaceFields typed = raceFields(stored);
    EXPECT_EQ(typed.date, "12/7/2026");
    EXPECT_EQ(typed.number, "1");

    typed.number = "3.5";
    typed.distance = "s";
    const base::Race r = raceFromFields(stored, typed, kLookups);
    EXPECT_EQ(r.RaceNum, std::optional<int>(4));  // the same rounding as a race line's number
    EXPECT_EQ(r.Distance, std::optional<std::string>("S"));
    EXPECT_EQ(r.Grade, std::optional<std::string>("Z"));

    const struct {
        std::string RaceFields::*field;
        const char* text;
        const char* message;
    } refused[] = {
        {&RaceFields::date, "", "Type mismatch in Date: a race needs a date"},
        {&RaceFields::number, " ", "Type mismatch in Race Number: a race needs a number"},
        {&RaceFields::number, "x7", "Type mismatch in Race Number: \"x7\" is not a number"},
        {&RaceFields::grade, "Q", "Type mismatch in Grade: \"Q\" is not in the list"},
    };
    for (const auto& c : refused) {
        RaceFields f = raceFields(stored);
        f.*c.field = c.text;
        try {
            raceFromFields(stored, f, kLookups);
            ADD_FAILURE() << c.text << " was taken";
        } catch (const FieldError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    // A race stored without a number may stay without one.
    base::Race bare;
    EXPECT_EQ(raceFromFields(bare, raceFields(bare), kLookups), bare);
}

TEST(Records, PostsTakeAWholeNumberAndATrimmedName) {
    base::Post p;
    EXPECT_EQ(withPostNumber(p, "2.5").Post, std::optional<int>(2));
    EXPECT_EQ(withPostDog(p, " Swift Bandit ").RegName, std::optional<std::string>("Swift Bandit"));
    EXPECT_EQ(withPostDog(p, "").RegName, std::nullopt);
    try {
        withPostNumber(p, "two");
        ADD_FAILURE();
    } catch (const FieldError& e) {
        EXPECT_STREQ(e.what(), "Type mismatch in Post Num: \"two\" is not a number");
    }
}
