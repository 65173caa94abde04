#pragma once

// Number helpers that behave exactly as the classic BASIC runtime did, because
// stored files and imported programs were produced under those rules.

#include <cstdint>
#include <string_view>

namespace vz::base {

// Val: blanks, tabs and line feeds are ignored anywhere; the longest leading
// decimal number (sign, digits, one point, exponent E/D) is taken; &H and &O
// prefixes give hexadecimal and octal; anything unreadable gives 0.
// "1 1/2" gives 11, "ns" gives 0, " -3.5x" gives -3.5.
double val(std::string_view text);

// Round half to even to a whole number ("banker's rounding").
double roundHalfEven(double x);

// Round half to even to `digits` decimal places.
double roundHalfEven(double x, int digits);

// Conversions to 16- and 32-bit integers with rounding half to even; a value
// out of range throws vz::Error("Overflow", 6).
std::int16_t toInt16(double x);
std::int32_t toInt32(double x);

}  // namespace vz::base
