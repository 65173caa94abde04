#pragma once

// Field rules shared by several import formats.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vz::import {

// Distance class of a published distance: "L" for 3/8 (or 3-8) and for
// 600 up to 699, "R" for 7/16 (or 7-16) and 700 up, else "S". The text is
// trimmed first.
std::string distanceClass(std::string_view distance);

// Grade of a race header: a leading "T" trades places with the character
// after it (TC gives CT); then anything starting with "M" (the maiden
// classes) is "M".
std::string adjustHeaderGrade(std::string_view grade);

// Val as a whole number (rounded half to even); out of range throws
// vz::Error("Overflow", 6).
int wholeVal(std::string_view text);

// Val for a stored number with a fraction; a reading too large for a double
// ("1e999") throws vz::Error("Overflow", 6) instead of storing infinity.
double realVal(std::string_view text);

// Whether text may stand as a name: well-formed UTF-8 without control
// characters (C0, DEL, C1). Byte noise read as text fails this.
bool isPrintableText(std::string_view text);

// 1-based start columns of the words after `from`: a word starts at a
// non-space character that follows a space. The word at `from` itself is
// not counted.
std::vector<std::size_t> wordStarts(std::string_view line, std::size_t from = 1);

}  // namespace vz::import
