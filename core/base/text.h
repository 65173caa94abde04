#pragma once

// Text helpers. All strings are UTF-8; positions and lengths count
// characters (code points), never bytes, so fixed-column input with accented
// names cuts where the publisher meant it to.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vz::base {

// Input bytes as UTF-8: kept when valid UTF-8 (a leading byte-order mark is
// dropped), else read as Windows-1252.
std::string decodeText(std::string_view bytes);

// Whether the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view s);

// Lines split at CR LF, LF or CR. The terminators are not kept; a final line
// without terminator is kept when not empty.
std::vector<std::string> splitLines(std::string_view text);

// Number of characters.
std::size_t charCount(std::string_view s);

// Mid$(s, start, length) with a 1-based start; a start or length running past
// the end gives what is there (possibly empty). start must be >= 1.
std::string mid(std::string_view s, std::size_t start);
std::string mid(std::string_view s, std::size_t start, std::size_t length);
std::string left(std::string_view s, std::size_t length);
std::string right(std::string_view s, std::size_t length);

// Trim removes blanks (spaces) only, as the classic runtime did.
std::string trim(std::string_view s);
std::string ltrim(std::string_view s);
std::string rtrim(std::string_view s);

// ASCII upper case (other characters unchanged).
std::string toUpper(std::string_view s);

// ASCII case-insensitive comparison, the same rule the databases use for names.
bool equalsNoCase(std::string_view a, std::string_view b);

// InStr: 1-based character position of `needle` in `haystack` at or after
// `start`, 0 when absent. An empty needle gives `start` (when within range).
std::size_t instr(std::string_view haystack, std::string_view needle, std::size_t start = 1);

// Same, ignoring ASCII letter case.
std::size_t instrNoCase(std::string_view haystack, std::string_view needle, std::size_t start = 1);

}  // namespace vz::base
