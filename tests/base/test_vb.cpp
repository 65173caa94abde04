#include "core/base/vb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "core/base/error.h"

namespace vz::base {
namespace {

struct ValCase {
    std::string_view text;
    double expected;
};

class ValTest : public ::testing::TestWithParam<ValCase> {};

TEST_P(ValTest, ReadsLeadingNumber) {
    const ValCase& c = GetParam();
    EXPECT_DOUBLE_EQ(val(c.text), c.expected) << "text: \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValTest,
    ::testing::Values(
        // Plain numbers and the examples the importers rely on.
        ValCase{"12", 12}, ValCase{" 7", 7}, ValCase{"30.45", 30.45}, ValCase{"1 1/2", 11},
        ValCase{"ns", 0}, ValCase{"", 0}, ValCase{"   ", 0}, ValCase{" -3.5x", -3.5},
        ValCase{"12abc", 12}, ValCase{"3.45.6", 3.45}, ValCase{".5", 0.5}, ValCase{"-.5", -0.5},
        ValCase{"+5", 5}, ValCase{"5.", 5}, ValCase{"0250", 250}, ValCase{"-", 0}, ValCase{".", 0},
        ValCase{"-.", 0}, ValCase{"--5", 0}, ValCase{"+-5", 0}, ValCase{"1,000", 1},
        ValCase{"$5", 0}, ValCase{"x12", 0},
        // Blanks of every kind are ignored anywhere, signs included.
        ValCase{"\t1\t2\n3\r4", 1234}, ValCase{"- 5", -5}, ValCase{"1 . 5", 1.5},
        ValCase{"3 0.4 5", 30.45},
        ValCase{"\xC2\xA0"
                "5",
                0},  // no-break space is not a blank
        // Exponents, E or D, counted only when digits follow.
        ValCase{"1E3", 1000}, ValCase{"1e3", 1000}, ValCase{"1D3", 1000}, ValCase{"2.5d-1", 0.25},
        ValCase{"1E+2", 100}, ValCase{"1E", 1}, ValCase{"1E+", 1}, ValCase{"1E-x", 1},
        ValCase{"1Ex5", 1}, ValCase{"1 E 2", 100}, ValCase{".5E1", 5}, ValCase{"E5", 0},
        // Leading zeros do not change the value.
        ValCase{"000000000000000000000000012.5", 12.5}, ValCase{"0.000125", 0.000125},
        ValCase{"-0", 0},
        // Hexadecimal and octal, typed as Integer or Long by their value.
        ValCase{"&H10", 16}, ValCase{"&hff", 255}, ValCase{"&HFFFF", -1}, ValCase{"&H7FFF", 32767},
        ValCase{"&H8000", -32768}, ValCase{"&H10000", 65536}, ValCase{"&HFFFFFFFF", -1},
        ValCase{"&H100000000", 4294967296.0}, ValCase{"&O17", 15}, ValCase{"&o177777", -1},
        ValCase{"&O8", 0}, ValCase{"&H1G", 1}, ValCase{"&H", 0}, ValCase{"&", 0}, ValCase{"&X1", 0},
        ValCase{"& H 1 0", 16}, ValCase{"-&H10", 0}));

TEST(ValTest, NegativeZeroIsPlainZero) {
    EXPECT_FALSE(std::signbit(val("-0")));
    EXPECT_FALSE(std::signbit(val("-0.000")));
}

TEST(ValTest, HugeAndTinyInputsStayDefined) {
    const std::string manyDigits(5000, '9');
    EXPECT_TRUE(std::isinf(val(manyDigits)));
    EXPECT_GT(val(manyDigits), 0);
    EXPECT_TRUE(std::isinf(val("-" + manyDigits)));
    EXPECT_LT(val("-" + manyDigits), 0);
    EXPECT_DOUBLE_EQ(val(std::string(300, '1')), std::stod(std::string(300, '1')));
    EXPECT_DOUBLE_EQ(val("1E308"), 1e308);
    EXPECT_TRUE(std::isinf(val("1E309")));
    EXPECT_TRUE(std::isinf(val("1E99999999999999999999999999")));
    EXPECT_EQ(val("1E-99999999999999999999999999"), 0.0);
    EXPECT_EQ(val("0." + std::string(5000, '0') + "1"), 0.0);
    EXPECT_DOUBLE_EQ(val("4.9E-324"), std::numeric_limits<double>::denorm_min());
    // Many fractional digits: still the correctly rounded value.
    EXPECT_DOUBLE_EQ(val("0." + std::string(2000, '3')), 1.0 / 3.0);
    // A long hexadecimal run does not wrap around.
    EXPECT_GT(val("&H" + std::string(40, 'F')), 1e47);
}

TEST(ValTest, AnyByteSequenceIsSafe) {
    // Every pair of bytes after a number-like prefix: must neither throw nor
    // give NaN.
    for (const std::string_view prefix : {"", "1", "-.", "1E", "&H", "&O", "9.9D-"}) {
        for (int a = 0; a < 256; ++a) {
            for (int b = 0; b < 256; b += 17) {
                std::string s(prefix);
                s.push_back(static_cast<char>(a));
                s.push_back(static_cast<char>(b));
                const double x = val(s);
                EXPECT_FALSE(std::isnan(x)) << s;
            }
        }
    }
}

struct RoundCase {
    double x;
    double expected;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, RoundsToWhole) {
    const RoundCase& c = GetParam();
    EXPECT_EQ(roundHalfEven(c.x), c.expected) << "x = " << c.x;
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{2.5, 2}, RoundCase{3.5, 4},
                                           RoundCase{-2.5, -2}, RoundCase{-3.5, -4},
                                           RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{-0.5, 0},
                                           RoundCase{2.4999999, 2}, RoundCase{2.5000001, 3},
                                           RoundCase{-2.6, -3}, RoundCase{0.0, 0}, RoundCase{7, 7},
                                           RoundCase{4503599627370495.5, 4503599627370496.0},
                                           RoundCase{4503599627370497.0, 4503599627370497.0},
                                           RoundCase{1e300, 1e300}, RoundCase{-1e300, -1e300}));

TEST(RoundHalfEvenTest, SpecialValuesPassThrough) {
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
    EXPECT_EQ(roundHalfEven(std::numeric_limits<double>::infinity()),
              std::numeric_limits<double>::infinity());
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.4)));
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.0)));
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""), 2)));
}

struct RoundDigitsCase {
    double x;
    int digits;
    double expected;
};

class RoundDigitsTest : public ::testing::TestWithParam<RoundDigitsCase> {};

TEST_P(RoundDigitsTest, RoundsTheBinaryValue) {
    const RoundDigitsCase& c = GetParam();
    EXPECT_EQ(roundHalfEven(c.x, c.digits), c.expected)
        << "Round(" << c.x << ", " << c.digits << ")";
}

INSTANTIATE_TEST_SUITE_P(Cases, RoundDigitsTest,
                         ::testing::Values(
                             // The stored double is what gets rounded: 2.675 is really
                             // 2.67499999999999982..., so it goes down, as the classic Round did.
                             RoundDigitsCase{2.675, 2, 2.67}, RoundDigitsCase{1.005, 2, 1.0},
                             // 1.455 is stored as 1.45500000000000007..., above the half.
                             RoundDigitsCase{1.455, 2, 1.46},
                             // Exact binary halves go to the even neighbour.
                             RoundDigitsCase{0.125, 2, 0.12}, RoundDigitsCase{0.375, 2, 0.38},
                             RoundDigitsCase{-0.125, 2, -0.12}, RoundDigitsCase{2.5, 0, 2},
                             RoundDigitsCase{0.25, 1, 0.2}, RoundDigitsCase{0.75, 1, 0.8},
                             // Ordinary cases.
                             RoundDigitsCase{3.14159, 3, 3.142}, RoundDigitsCase{-3.14159, 1, -3.1},
                             RoundDigitsCase{0.8191767, 4, 0.8192}, RoundDigitsCase{12.0, 2, 12.0},
                             RoundDigitsCase{0.001, 2, 0.0}, RoundDigitsCase{1e-320, 500, 1e-320},
                             RoundDigitsCase{123456789.123456789, 20, 123456789.123456789},
                             RoundDigitsCase{9007199254740993.0, 2, 9007199254740993.0}));

TEST(RoundDigitsTest, NegativeDigitsAreAnInvalidCall) {
    try {
        roundHalfEven(1.5, -1);
        FAIL() << "no error";
    } catch (const vz::Error& e) {
        EXPECT_EQ(e.number(), 5);
    }
}

TEST(RoundDigitsTest, ResultIsNotNegativeZero) {
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.001, 2)));
}

struct IntCase {
    double x;
    std::int32_t expected;
};

class ToInt16Test : public ::testing::TestWithParam<IntCase> {};

TEST_P(ToInt16Test, Converts) {
    EXPECT_EQ(toInt16(GetParam().x), GetParam().expected) << "x = " << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(Cases, ToInt16Test,
                         ::testing::Values(IntCase{0, 0}, IntCase{2.5, 2}, IntCase{3.5, 4},
                                           IntCase{-2.5, -2}, IntCase{32767, 32767},
                                           IntCase{32767.4, 32767}, IntCase{-32768, -32768},
                                           IntCase{-32768.5, -32768}, IntCase{-32767.6, -32768},
                                           IntCase{1234.5678, 1235}));

class ToInt32Test : public ::testing::TestWithParam<IntCase> {};

TEST_P(ToInt32Test, Converts) {
    EXPECT_EQ(toInt32(GetParam().x), GetParam().expected) << "x = " << GetParam().x;
}

INSTANTIATE_TEST_SUITE_P(Cases, ToInt32Test,
                         ::testing::Values(IntCase{0, 0}, IntCase{2.5, 2}, IntCase{-3.5, -4},
                                           IntCase{40000, 40000}, IntCase{2147483647.0, 2147483647},
                                           IntCase{2147483647.4, 2147483647},
                                           IntCase{-2147483648.0, -2147483647 - 1},
                                           IntCase{-2147483648.5, -2147483647 - 1}));

class OverflowTest : public ::testing::TestWithParam<double> {};

TEST_P(OverflowTest, Int16OutOfRangeOverflows) {
    const double x = GetParam();
    try {
        toInt16(x);
        FAIL() << "no error for " << x;
    } catch (const vz::Error& e) {
        EXPECT_EQ(e.number(), vz::Error::kOverflow);
        EXPECT_STREQ(e.what(), "Overflow");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, OverflowTest,
                         ::testing::Values(32767.5, 32768.0, -32768.6, -32769.0, 1e10, -1e300,
                                           std::numeric_limits<double>::infinity(),
                                           -std::numeric_limits<double>::infinity(),
                                           std::numeric_limits<double>::quiet_NaN()));

TEST(OverflowTest, Int32OutOfRangeOverflows) {
    for (const double x :
         {2147483647.5, 2147483648.0, -2147483649.0, -2147483648.6, 1e300,
          std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(toInt32(x), vz::Error) << x;
    }
}

}  // namespace
}  // namespace vz::base
