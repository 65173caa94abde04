#include "core/base/text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/error.h"

namespace vz::base {
namespace {

using Lines = std::vector<std::string>;

// ---------------------------------------------------------------- decodeText

struct DecodeCase {
    std::string_view name;
    std::string_view bytes;
    std::string_view expected;
};

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, Decodes) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(decodeText(c.bytes), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeTextTest,
    ::testing::Values(
        DecodeCase{"empty", "", ""}, DecodeCase{"ascii", "Fast Lady\r\n", "Fast Lady\r\n"},
        DecodeCase{"utf8 kept", "Zo\xC3\xAB Flyer", "Zo\xC3\xAB Flyer"},
        DecodeCase{"utf8 four-byte kept", "\xF0\x9F\x90\x95", "\xF0\x9F\x90\x95"},
        DecodeCase{"bom dropped", "\xEF\xBB\xBFZo\xC3\xAB", "Zo\xC3\xAB"},
        DecodeCase{"bom only", "\xEF\xBB\xBF", ""},
        DecodeCase{"bom not at start kept", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
        DecodeCase{"1252 e-diaeresis", "Zo\xEB Flyer", "Zo\xC3\xAB Flyer"},
        DecodeCase{"1252 latin-1 range", "\xA0\xE9\xFF", "\xC2\xA0\xC3\xA9\xC3\xBF"},
        DecodeCase{"1252 euro and quotes", "\x80\x93\x94\x85",
                   "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D\xE2\x80\xA6"},
        DecodeCase{"1252 S-caron and Y-diaeresis", "\x8A\x9F", "\xC5\xA0\xC5\xB8"},
        // The five undefined bytes keep their C1 control code points.
        DecodeCase{"1252 undefined bytes", "\x81\x8D\x8F\x90\x9D",
                   "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
        // One bad byte makes the whole file Windows-1252, including bytes
        // that would have formed a UTF-8 pair.
        DecodeCase{"mixed reads as 1252", "\xC3\xAB \xEB", "\xC3\x83\xC2\xAB \xC3\xAB"},
        DecodeCase{"truncated sequence", "abc\xC3", "abc\xC3\x83"},
        DecodeCase{"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        DecodeCase{"overlong three-byte", "\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
        DecodeCase{"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
        DecodeCase{"beyond U+10FFFF", "\xF4\x90\x80\x80",
                   "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},
        // With a byte-order mark the good sequences stay and only stray
        // bytes are read as Windows-1252.
        DecodeCase{"bom with stray byte", "\xEF\xBB\xBFZo\xC3\xAB \xEB", "Zo\xC3\xAB \xC3\xAB"}));

TEST(DecodeTextTest, EveryWindows1252ByteGivesValidUtf8) {
    // A file of all 256 byte values is not UTF-8; each byte must give exactly
    // one character, and the result must be valid UTF-8 itself.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    const std::string out = decodeText(all);
    EXPECT_EQ(charCount(out), 256u);
    EXPECT_EQ(decodeText(out), out) << "decoded text is not kept as UTF-8";
    EXPECT_EQ(mid(out, 0x80 + 1, 1), "\xE2\x82\xAC");  // 0x80 is the euro sign
    EXPECT_EQ(mid(out, 0x9F + 1, 1), "\xC5\xB8");
    EXPECT_EQ(mid(out, 0xE9 + 1, 1), "\xC3\xA9");
}

// ---------------------------------------------------------------- splitLines

struct SplitCase {
    std::string_view name;
    std::string_view text;
    Lines expected;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, Splits) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitLines(c.text), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTest,
    ::testing::Values(SplitCase{"empty", "", {}}, SplitCase{"one line", "abc", {"abc"}},
                      SplitCase{"crlf", "a\r\nb\r\n", {"a", "b"}},
                      SplitCase{"lf", "a\nb\n", {"a", "b"}}, SplitCase{"cr", "a\rb\r", {"a", "b"}},
                      SplitCase{"no final terminator", "a\r\nb", {"a", "b"}},
                      SplitCase{"mixed", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                      SplitCase{"empty lines kept", "a\r\n\r\nb\n\nc", {"a", "", "b", "", "c"}},
                      SplitCase{"only terminator", "\r\n", {""}},
                      SplitCase{"lf then cr is two lines", "\n\r", {"", ""}},
                      SplitCase{"cr cr lf", "a\r\r\nb", {"a", "", "b"}},
                      SplitCase{"blank line kept as is", "a\n  \nb", {"a", "  ", "b"}},
                      SplitCase{"trailing empty lines", "a\n\n\n", {"a", "", ""}}));

// ---------------------------------------------------------------- characters

// "Zoë Flyer" with the ë as two bytes.
constexpr std::string_view kZoe = "Zo\xC3\xAB Flyer";

TEST(CharCountTest, CountsCodePoints) {
    EXPECT_EQ(charCount(""), 0u);
    EXPECT_EQ(charCount("abc"), 3u);
    EXPECT_EQ(charCount(kZoe), 9u);
    EXPECT_EQ(charCount("\xE2\x82\xAC\xF0\x9F\x90\x95"), 2u);
    // Bytes that are not UTF-8 count one each.
    EXPECT_EQ(charCount("\xEB\x80\xC3"), 3u);
    EXPECT_EQ(charCount("a\xC3"), 2u);
}

struct MidCase {
    std::string_view s;
    std::size_t start;
    std::size_t length;
    std::string_view expected;
};

class MidTest : public ::testing::TestWithParam<MidCase> {};

TEST_P(MidTest, CutsByCharacters) {
    const MidCase& c = GetParam();
    EXPECT_EQ(mid(c.s, c.start, c.length), c.expected)
        << "Mid(\"" << c.s << "\", " << c.start << ", " << c.length << ")";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MidTest,
    ::testing::Values(MidCase{"abcdef", 2, 3, "bcd"}, MidCase{"abcdef", 1, 6, "abcdef"},
                      MidCase{"abcdef", 5, 10, "ef"}, MidCase{"abcdef", 7, 1, ""},
                      MidCase{"abcdef", 100, 1, ""}, MidCase{"abcdef", 3, 0, ""},
                      MidCase{"", 1, 5, ""}, MidCase{kZoe, 1, 3, "Zo\xC3\xAB"},
                      MidCase{kZoe, 3, 1, "\xC3\xAB"}, MidCase{kZoe, 4, 6, " Flyer"},
                      MidCase{kZoe, 5, 5, "Flyer"},
                      MidCase{"abc", 2, static_cast<std::size_t>(-1), "bc"},
                      MidCase{"abc", static_cast<std::size_t>(-1), 2, ""}));

TEST(MidTest, WithoutLengthGivesTheRest) {
    EXPECT_EQ(mid(kZoe, 4), " Flyer");
    EXPECT_EQ(mid(kZoe, 3), "\xC3\xAB Flyer");
    EXPECT_EQ(mid(kZoe, 10), "");
    EXPECT_EQ(mid("abc", 1), "abc");
}

TEST(MidTest, StartZeroIsAnInvalidCall) {
    for (const auto call : {+[] { return mid("abc", 0); }, +[] { return mid("abc", 0, 1); }}) {
        try {
            call();
            FAIL() << "no error";
        } catch (const vz::Error& e) {
            EXPECT_EQ(e.number(), 5);
        }
    }
}

TEST(MidTest, FixedColumnsWithAccentedName) {
    // A fixed-column line whose name field holds an accented letter: the
    // field after it must still start in its own column.
    const std::string line = std::string("12345") + "Zo\xC3\xAB Flyer       " + "X";
    EXPECT_EQ(mid(line, 6, 16), "Zo\xC3\xAB Flyer       ");
    EXPECT_EQ(mid(line, 22, 1), "X");
}

struct LeftRightCase {
    std::string_view s;
    std::size_t length;
    std::string_view left;
    std::string_view right;
};

class LeftRightTest : public ::testing::TestWithParam<LeftRightCase> {};

TEST_P(LeftRightTest, CutsByCharacters) {
    const LeftRightCase& c = GetParam();
    EXPECT_EQ(left(c.s, c.length), c.left) << c.s << " " << c.length;
    EXPECT_EQ(right(c.s, c.length), c.right) << c.s << " " << c.length;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LeftRightTest,
    ::testing::Values(LeftRightCase{"abcdef", 2, "ab", "ef"}, LeftRightCase{"abcdef", 0, "", ""},
                      LeftRightCase{"abcdef", 6, "abcdef", "abcdef"},
                      LeftRightCase{"abcdef", 99, "abcdef", "abcdef"}, LeftRightCase{"", 3, "", ""},
                      LeftRightCase{kZoe, 3, "Zo\xC3\xAB", "yer"},
                      LeftRightCase{kZoe, 7, "Zo\xC3\xAB Fly", "\xC3\xAB Flyer"},
                      LeftRightCase{"\xC3\xAB\xC3\xAB", 1, "\xC3\xAB", "\xC3\xAB"}));

// ---------------------------------------------------------------- trimming, case

struct TrimCase {
    std::string_view s;
    std::string_view both;
    std::string_view leading;
    std::string_view trailing;
};

class TrimTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimTest, RemovesSpacesOnly) {
    const TrimCase& c = GetParam();
    EXPECT_EQ(trim(c.s), c.both) << "[" << c.s << "]";
    EXPECT_EQ(ltrim(c.s), c.leading) << "[" << c.s << "]";
    EXPECT_EQ(rtrim(c.s), c.trailing) << "[" << c.s << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrimTest,
    ::testing::Values(TrimCase{"", "", "", ""}, TrimCase{"   ", "", "", ""},
                      TrimCase{"  a b  ", "a b", "a b  ", "  a b"},
                      TrimCase{"\tx\t", "\tx\t", "\tx\t", "\tx\t"},
                      TrimCase{" \tx\t ", "\tx\t", "\tx\t ", " \tx\t"},
                      TrimCase{"\xC2\xA0x ", "\xC2\xA0x", "\xC2\xA0x ", "\xC2\xA0x"},
                      TrimCase{" Fast Lady\r", "Fast Lady\r", "Fast Lady\r", " Fast Lady\r"}));

TEST(CaseTest, UpperCaseIsAsciiOnly) {
    EXPECT_EQ(toUpper("Fast lady 7"), "FAST LADY 7");
    EXPECT_EQ(toUpper("zo\xC3\xAB"), "ZO\xC3\xAB");
    EXPECT_EQ(toUpper(""), "");
}

struct NoCaseCase {
    std::string_view a;
    std::string_view b;
    bool equal;
};

class EqualsNoCaseTest : public ::testing::TestWithParam<NoCaseCase> {};

TEST_P(EqualsNoCaseTest, Compares) {
    const NoCaseCase& c = GetParam();
    EXPECT_EQ(equalsNoCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(equalsNoCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
}

INSTANTIATE_TEST_SUITE_P(Cases, EqualsNoCaseTest,
                         ::testing::Values(NoCaseCase{"", "", true},
                                           NoCaseCase{"Fast Lady", "FAST lady", true},
                                           NoCaseCase{"Fast Lady", "Fast Lady ", false},
                                           NoCaseCase{"a", "b", false}, NoCaseCase{"", "a", false},
                                           NoCaseCase{"@", "`", false}, NoCaseCase{"[", "{", false},
                                           // Non-ASCII letters are compared as they stand.
                                           NoCaseCase{"zo\xC3\xAB", "ZO\xC3\xAB", true},
                                           NoCaseCase{"\xC3\xAB", "\xC3\x8B", false}));

// ---------------------------------------------------------------- instr

struct InstrCase {
    std::string_view haystack;
    std::string_view needle;
    std::size_t start;
    std::size_t exact;
    std::size_t noCase;
};

class InstrTest : public ::testing::TestWithParam<InstrCase> {};

TEST_P(InstrTest, FindsCharacterPosition) {
    const InstrCase& c = GetParam();
    EXPECT_EQ(instr(c.haystack, c.needle, c.start), c.exact)
        << "InStr(" << c.start << ", \"" << c.haystack << "\", \"" << c.needle << "\")";
    EXPECT_EQ(instrNoCase(c.haystack, c.needle, c.start), c.noCase)
        << "no case: InStr(" << c.start << ", \"" << c.haystack << "\", \"" << c.needle << "\")";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InstrTest,
    ::testing::Values(InstrCase{"Card 12.rac", ".rac", 1, 8, 8},
                      InstrCase{"Card 12.RAC", ".rac", 1, 0, 8}, InstrCase{"abcabc", "bc", 1, 2, 2},
                      InstrCase{"abcabc", "bc", 2, 2, 2}, InstrCase{"abcabc", "bc", 3, 5, 5},
                      InstrCase{"abcabc", "bc", 6, 0, 0}, InstrCase{"abc", "abcd", 1, 0, 0},
                      InstrCase{"abc", "x", 1, 0, 0}, InstrCase{"", "a", 1, 0, 0},
                      // An empty needle gives the start while it is inside the text.
                      InstrCase{"abc", "", 1, 1, 1}, InstrCase{"abc", "", 3, 3, 3},
                      InstrCase{"abc", "", 4, 0, 0}, InstrCase{"", "", 1, 0, 0},
                      InstrCase{"abc", "a", 99, 0, 0},
                      // Positions count characters, not bytes.
                      InstrCase{kZoe, "Flyer", 1, 5, 5}, InstrCase{kZoe, "\xC3\xAB", 1, 3, 3},
                      InstrCase{kZoe, "FLYER", 4, 0, 5},
                      InstrCase{"\xC3\xAB/\xC3\xAB/", "/", 3, 4, 4},
                      // A needle byte inside a multi-byte character is no match.
                      InstrCase{"\xC3\xAB", "\xAB", 1, 0, 0}));

TEST(InstrTest, StartZeroIsAnInvalidCall) {
    EXPECT_THROW(instr("abc", "a", 0), vz::Error);
    EXPECT_THROW(instrNoCase("abc", "a", 0), vz::Error);
}

TEST(TextRobustnessTest, ArbitraryBytesAreSafe) {
    // Every function on every short byte string: no crash, and positions
    // stay consistent with the character count.
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; b += 5) {
            const std::string s = {static_cast<char>(a), static_cast<char>(b), 'x'};
            const std::size_t n = charCount(s);
            ASSERT_GE(n, 1u);
            ASSERT_LE(n, 3u);
            EXPECT_EQ(left(s, n) + mid(s, n + 1), s);
            EXPECT_EQ(left(s, 1) + mid(s, 2), s);
            EXPECT_EQ(right(s, 1), "x");
            EXPECT_EQ(instr(s, "x", n), n);
            EXPECT_EQ(charCount(decodeText(s)), decodeText(s) == s ? n : 3u);
            (void)splitLines(s);
            (void)instrNoCase(s, s.substr(1));
        }
    }
}

}  // namespace
}  // namespace vz::base
