#include "core/base/vb.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

#include "core/base/error.h"

namespace vz::base {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text with every blank removed: Val reads "1 2" as 12.
std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (!isBlank(c)) {
            out.push_back(c);
        }
    }
    return out;
}

int digitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9') {
        d = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        d = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        d = c - 'A' + 10;
    }
    return d >= 0 && d < base ? d : -1;
}

// &H and &O numbers. As in the classic runtime a value that fits in 16 bits
// is an Integer and one that fits in 32 bits a Long, so &HFFFF is -1 and
// &H10000 is 65536; larger values are taken as unsigned.
double radixNumber(std::string_view s, int base) {
    std::uint64_t value = 0;
    bool wide = false;  // beyond 64 bits: continue in floating point
    double wideValue = 0.0;
    for (const char c : s) {
        const int d = digitValue(c, base);
        if (d < 0) {
            break;
        }
        if (!wide &&
            value > (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(d)) /
                        static_cast<unsigned>(base)) {
            wide = true;
            wideValue = static_cast<double>(value);
        }
        if (wide) {
            wideValue = wideValue * base + d;
        } else {
            value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
        }
    }
    if (wide) {
        return wideValue;
    }
    if (value <= 0xFFFFu) {
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    }
    if (value <= 0xFFFFFFFFu) {
        return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    }
    return static_cast<double>(value);
}

// Decimal numbers: sign, digits, one point, exponent. The digits are handed
// to from_chars in a normalised form whose exponent is kept in range, so that
// any length of input gives a correctly rounded double, infinity or zero.
double decimalNumber(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::string digits;      // significant digits, leading zeros dropped
    long long pointPos = 0;  // decimal exponent of the value 0.<digits>
    bool anyDigit = false;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        anyDigit = true;
        if (digits.empty() && s[i] == '0') {
            continue;
        }
        digits.push_back(s[i]);
        ++pointPos;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            anyDigit = true;
            if (digits.empty() && s[i] == '0') {
                --pointPos;
                continue;
            }
            digits.push_back(s[i]);
        }
    }
    if (!anyDigit || digits.empty()) {
        return 0.0;
    }
    // The exponent counts only when digits follow the letter and its sign.
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            expNegative = s[j] == '-';
            ++j;
        }
        if (j < s.size() && isDigit(s[j])) {
            constexpr long long kCap = 1'000'000'000;  // far beyond any double
            for (; j < s.size() && isDigit(s[j]); ++j) {
                if (exponent < kCap) {
                    exponent = exponent * 10 + (s[j] - '0');
                }
            }
            exponent = expNegative ? -exponent : exponent;
        }
    }
    const long long decimalExponent = pointPos + exponent;
    double magnitude = 0.0;
    if (decimalExponent > 400) {
        magnitude = std::numeric_limits<double>::infinity();
    } else if (decimalExponent < -400) {
        magnitude = 0.0;
    } else {
        std::string normal = "0.";
        normal += digits;
        normal += 'e';
        normal += std::to_string(decimalExponent);
        const auto result =
            std::from_chars(normal.data(), normal.data() + normal.size(), magnitude);
        if (result.ec == std::errc::result_out_of_range) {
            magnitude = decimalExponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        } else if (result.ec != std::errc()) {
            magnitude = 0.0;
        }
    }
    if (magnitude == 0.0) {
        return 0.0;
    }
    return negative ? -magnitude : magnitude;
}

double normalZero(double x) {
    return x == 0.0 ? 0.0 : x;
}

}  // namespace

double val(std::string_view text) {
    const std::string s = withoutBlanks(text);
    if (s.size() >= 2 && s[0] == '&') {
        if (s[1] == 'H' || s[1] == 'h') {
            return radixNumber(std::string_view(s).substr(2), 16);
        }
        if (s[1] == 'O' || s[1] == 'o') {
            return radixNumber(std::string_view(s).substr(2), 8);
        }
        return 0.0;
    }
    return decimalNumber(s);
}

double roundHalfEven(double x) {
    // From 2^52 on every double is a whole number; NaN and infinity stay.
    if (!std::isfinite(x) || std::fabs(x) >= 4503599627370496.0) {
        return x;
    }
    const double whole = std::floor(x);
    const double fraction = x - whole;  // exact for these magnitudes
    double r = whole;
    if (fraction > 0.5) {
        r = whole + 1.0;
    } else if (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0) {
        r = whole + 1.0;
    }
    return normalZero(r);
}

double roundHalfEven(double x, int digits) {
    if (digits < 0) {
        throw Error("Invalid procedure call or argument", Error::kInvalidValue);
    }
    if (digits == 0) {
        return roundHalfEven(x);
    }
    // Whole numbers, NaN and infinity are unchanged; so is any double at more
    // places than its exact binary expansion could matter for.
    if (!std::isfinite(x) || std::fabs(x) >= 4503599627370496.0 || digits > 400) {
        return x;
    }
    // The exact binary value is rounded, half to even, by the fixed-point
    // conversion (2.675 is stored as 2.67499999... and so gives 2.67); the
    // text is read back as the nearest double.
    std::array<char, 512> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                       std::chars_format::fixed, digits);
    if (written.ec != std::errc()) {
        return x;
    }
    double r = x;
    const auto read = std::from_chars(buffer.data(), written.ptr, r);
    if (read.ec != std::errc()) {
        return x;
    }
    return normalZero(r);
}

std::int16_t toInt16(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= -32768.0 && r <= 32767.0)) {  // NaN fails both tests
        throw Error("Overflow", Error::kOverflow);
    }
    return static_cast<std::int16_t>(r);
}

std::int32_t toInt32(double x) {
    const double r = roundHalfEven(x);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) {
        throw Error("Overflow", Error::kOverflow);
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace vz::base
