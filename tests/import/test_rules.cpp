#include <gtest/gtest.h>

#include "core/base/text.h"
#include "core/import/format.h"
#include "core/import/rules.h"

namespace vz::import {
namespace {

TEST(DistanceClass, FollowsThePublishedDistance) {
    const struct {
        const char* text;
        const char* cls;
    } cases[] = {
        {"3/8", "L"},   {"3-8", "L"},   {" 3/8 ", "L"}, {"600", "L"},  {"660", "L"},
        {"699.9", "L"}, {"7/16", "R"},  {"7-16", "R"},  {"700", "R"},  {"770", "R"},
        {"5/16", "S"},  {"550", "S"},   {"599", "S"},   {"", "S"},     {"3/8 Sat", "S"},
        {"ns", "S"},    {"1 000", "R"}, {"6 60", "L"},  {"-700", "S"}, {"3/16", "S"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(distanceClass(c.text), c.cls) << '"' << c.text << '"';
    }
}

TEST(HeaderGrade, SwapsALeadingTAndFoldsMaidens) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"TC", "CT"}, {"TB", "BT"}, {"TA", "AT"},    {"T", "T"},  {"TAX", "ATX"}, {"AA", "AA"},
        {"M", "M"},   {"MA", "M"},  {"Maiden", "M"}, {"TM", "M"}, {"", ""},       {"E", "E"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(adjustHeaderGrade(c.in), c.out) << '"' << c.in << '"';
    }
}

TEST(WordStarts, CountsWordsAfterTheFirst) {
    EXPECT_EQ(wordStarts("race 3 D 5/16"), (std::vector<std::size_t>{6, 8, 10}));
    EXPECT_EQ(wordStarts("race  10   AA  3/8 "), (std::vector<std::size_t>{7, 12, 16}));
    EXPECT_EQ(wordStarts("race"), std::vector<std::size_t>{});
    // Columns count characters, not bytes.
    EXPECT_EQ(wordStarts("é x y"), (std::vector<std::size_t>{3, 5}));
    // From a later column: the word there is not counted.
    EXPECT_EQ(wordStarts("xx DERBY LANE Sat", 4), (std::vector<std::size_t>{10, 15}));
}

TEST(WholeVal, RoundsHalfToEven) {
    EXPECT_EQ(wholeVal(" 7"), 7);
    EXPECT_EQ(wholeVal("2.5"), 2);
    EXPECT_EQ(wholeVal("3.5"), 4);
    EXPECT_EQ(wholeVal("ns"), 0);
    EXPECT_EQ(wholeVal("1 1/2"), 11);
}

TEST(LineReader, DiscardFailsNearTheEnd) {
    LineReader in({"a", "b", "c"});
    EXPECT_EQ(in.next(), "a");
    in.discard(2);
    EXPECT_TRUE(in.atEnd());
    EXPECT_THROW(in.next(), ImportFailed);

    LineReader short2({"a", "b"});
    short2.next();
    EXPECT_THROW(short2.discard(2), ImportFailed);
}

TEST(TextLines, AcceptsEveryLineEndAndBothEncodings) {
    const struct {
        std::string_view bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        {"\n\r\n\rx\r\n", {"", "", "", "x"}},
        {"caf\xC3\xA9\n", {"caf\xC3\xA9"}},
        {"caf\xE9\n", {"caf\xC3\xA9"}},  // not UTF-8: read as Windows-1252
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textLines(c.bytes), c.lines) << c.bytes;
        // One at a time, the same lines.
        LineWalk walk(c.bytes);
        std::vector<std::string> walked;
        while (const std::string* line = walk.next()) {
            walked.push_back(*line);
        }
        EXPECT_EQ(walked, c.lines) << c.bytes;
    }
    EXPECT_TRUE(isBlankLine("    "));
    EXPECT_TRUE(isBlankLine(""));
    EXPECT_FALSE(isBlankLine("  x "));
}

}  // namespace
}  // namespace vz::import

namespace vz::import {
namespace {

TEST(RealVal, RefusesWhatNoDoubleHolds) {
    EXPECT_EQ(realVal("12.50"), 12.5);
    EXPECT_EQ(realVal("ns"), 0);
    try {
        realVal("1e999");
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), Error::kOverflow);
    }
    EXPECT_THROW(wholeVal("9e99"), Error);
}

}  // namespace
}  // namespace vz::import

namespace vz::import {
namespace {

TEST(Columns, CutsAsMidDoes) {
    const std::string lines[] = {"", "abc", "Caf\xC3\xA9 Noir   12", "\xE2\x82\xAC\xC3\xA9x",
                                 "  30.45  "};
    for (const std::string& line : lines) {
        const Columns c(line);
        EXPECT_EQ(c.size(), base::charCount(line));
        for (std::size_t start = 1; start <= c.size() + 2; ++start) {
            for (std::size_t len = 0; len <= c.size() + 2; ++len) {
                EXPECT_EQ(c(start, len), base::mid(line, start, len))
                    << '"' << line << "\" " << start << ' ' << len;
            }
        }
    }
    EXPECT_EQ(Columns("abc")(0, 2), "");
    EXPECT_EQ(trimmed("  a b  "), "a b");
    EXPECT_EQ(trimmed("   "), "");
    EXPECT_EQ(trimmed("\ta "), "\ta");  // only spaces go
}

}  // namespace
}  // namespace vz::import
