#include <gtest/gtest.h>

#include "core/base/error.h"
#include "core/base/seqfile.h"

namespace vz::base {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;

TEST(SeqWriter, WritesQuotedStringsNumbersAndDatesWithCrLf) {
    SeqWriter w;
    w.str("Card 12.rac").str("/home/u/Card 12.rac").endLine();
    w.num(10LL)
        .num(-3LL)
        .num(0.8191767)
        .num(0.8)
        .date(Date{year{2026}, month{12}, day{7}})
        .endLine();
    EXPECT_EQ(w.text(),
              "\"Card 12.rac\",\"/home/u/Card 12.rac\"\r\n"
              "10,-3,0.8191767,0.8,#2026-12-07#\r\n");
}

TEST(SeqReader, ReadsWhatTheWriterWrote) {
    SeqWriter w;
    const Date d{year{2025}, month{2}, day{28}};
    w.str("He said \"go\"").num(1234LL).num(0.123456789012345).date(d).endLine();
    w.str("").str("a,b").endLine();
    SeqReader r(w.text());
    EXPECT_EQ(r.readString(), "He said \"go\"");
    EXPECT_EQ(r.readInt16(), 1234);
    EXPECT_DOUBLE_EQ(r.readNumber(), 0.123456789012345);
    EXPECT_EQ(r.readDate(), d);
    EXPECT_EQ(r.readString(), "");
    EXPECT_EQ(r.readString(), "a,b");
    EXPECT_TRUE(r.atEnd());
}

TEST(SeqReader, NumbersAcceptAFractionWithoutItsLeadingZero) {
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {".8191767", 0.8191767}, {"0.8", 0.8}, {"-.5", -0.5}, {" 12 ", 12.0}, {"1E2", 100.0},
    };
    for (const Case& c : cases) {
        SeqReader r(c.text);
        EXPECT_DOUBLE_EQ(r.readNumber(), c.value) << c.text;
    }
}

TEST(SeqReader, FaultsCarryTheClassicErrorNumbers) {
    struct Case {
        const char* text;
        int number;
        int read;  // 0 int16, 1 date
    } cases[] = {
        {"", Error::kInputPastEnd, 0},
        {"\r\n", Error::kInputPastEnd, 0},
        {"\"ten\"", Error::kTypeMismatch, 0},
        {"ten", Error::kTypeMismatch, 0},
        {"40000", Error::kOverflow, 0},
        {"12", Error::kTypeMismatch, 1},
        {"#2026-13-01#", Error::kTypeMismatch, 1},
        {"\"#2026-12-01#\"", Error::kTypeMismatch, 1},
    };
    for (const Case& c : cases) {
        SeqReader r(c.text);
        try {
            if (c.read == 0) {
                r.readInt16();
            } else {
                r.readDate();
            }
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number) << c.text;
        }
    }
}

TEST(SeqReader, LineEndsSeparateValuesLikeCommas) {
    SeqReader r("1\r\n2\n3\r4,5");
    for (int expected = 1; expected <= 5; ++expected) {
        EXPECT_EQ(r.readInt16(), expected);
    }
    EXPECT_TRUE(r.atEnd());
}

TEST(SeqReader, SkipLineMovesToTheNextLine) {
    SeqReader r("\"a\",\"b\",\"c\"\r\n\"d\"\r\n");
    EXPECT_EQ(r.readString(), "a");
    r.skipLine();
    EXPECT_EQ(r.readString(), "d");
    EXPECT_TRUE(r.atEnd());
}

}  // namespace
}  // namespace vz::base
