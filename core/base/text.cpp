#include "core/base/text.h"

#include <array>
#include <cstdint>

#include "core/base/error.h"

namespace vz::base {

namespace {

// The classic runtime's "Invalid procedure call or argument".

unsigned char byteAt(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool isContinuation(unsigned char b) {
    return (b & 0xC0u) == 0x80u;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when the bytes there
// are not one (overlong forms, surrogates and values above U+10FFFF are not).
std::size_t validSequenceAt(std::string_view s, std::size_t i) {
    const unsigned char b0 = byteAt(s, i);
    if (b0 < 0x80u) {
        return 1;
    }
    std::size_t n = 0;
    unsigned char lo = 0x80u;
    unsigned char hi = 0xBFu;  // allowed range of the second byte
    if (b0 >= 0xC2u && b0 <= 0xDFu) {
        n = 2;
    } else if (b0 >= 0xE0u && b0 <= 0xEFu) {
        n = 3;
        if (b0 == 0xE0u) {
            lo = 0xA0u;
        } else if (b0 == 0xEDu) {
            hi = 0x9Fu;
        }
    } else if (b0 >= 0xF0u && b0 <= 0xF4u) {
        n = 4;
        if (b0 == 0xF0u) {
            lo = 0x90u;
        } else if (b0 == 0xF4u) {
            hi = 0x8Fu;
        }
    } else {
        return 0;
    }
    if (s.size() - i < n) {
        return 0;
    }
    const unsigned char b1 = byteAt(s, i + 1);
    if (b1 < lo || b1 > hi) {
        return 0;
    }
    for (std::size_t k = 2; k < n; ++k) {
        if (!isContinuation(byteAt(s, i + k))) {
            return 0;
        }
    }
    return n;
}

// Code points of 0x80-0x9F in Windows-1252. The five bytes the code page
// leaves undefined keep their C1 control code point, as Windows itself maps
// them, so no byte of the input is lost.
constexpr std::array<char32_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendCp1252(std::string& out, unsigned char b) {
    if (b >= 0x80u && b <= 0x9Fu) {
        appendUtf8(out, kCp1252High[b - 0x80u]);
    } else {
        appendUtf8(out, b);
    }
}

// Length in bytes of the character at s[i]. Well-formed sequences are one
// character; any other byte counts as a character of its own, so that every
// function here agrees on positions even for text that is not valid UTF-8.
std::size_t charLengthAt(std::string_view s, std::size_t i) {
    const std::size_t n = validSequenceAt(s, i);
    return n == 0 ? 1 : n;
}

// Byte offset of the character with 0-based index `index`, or s.size() when
// the text has fewer characters.
std::size_t byteOffsetOfChar(std::string_view s, std::size_t index) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < index && i < s.size(); ++k) {
        i += charLengthAt(s, i);
    }
    return i;
}

char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool matchesAt(std::string_view haystack, std::size_t at, std::string_view needle,
               bool ignoreCase) {
    if (haystack.size() - at < needle.size()) {
        return false;
    }
    for (std::size_t k = 0; k < needle.size(); ++k) {
        const char a = haystack[at + k];
        const char b = needle[k];
        if (ignoreCase ? asciiUpper(a) != asciiUpper(b) : a != b) {
            return false;
        }
    }
    return true;
}

std::size_t findChars(std::string_view haystack, std::string_view needle, std::size_t start,
                      bool ignoreCase) {
    if (start < 1) {
        throw Error("Invalid procedure call or argument", Error::kInvalidValue);
    }
    std::size_t position = 1;
    std::size_t i = 0;
    for (; position < start && i < haystack.size(); ++position) {
        i += charLengthAt(haystack, i);
    }
    if (i >= haystack.size()) {
        return 0;  // start lies past the last character
    }
    if (needle.empty()) {
        return start;
    }
    for (; i < haystack.size(); ++position) {
        if (matchesAt(haystack, i, needle, ignoreCase)) {
            return position;
        }
        i += charLengthAt(haystack, i);
    }
    return 0;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = validSequenceAt(s, i);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string decodeText(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = bytes.substr(0, kBom.size()) == kBom;
    if (bom) {
        bytes.remove_prefix(kBom.size());
    }
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    if (bom) {
        // The file says it is UTF-8: keep its good sequences and read only
        // the stray bytes (text appended by an older program) as Windows-1252.
        for (std::size_t i = 0; i < bytes.size();) {
            const std::size_t n = validSequenceAt(bytes, i);
            if (n == 0) {
                appendCp1252(out, byteAt(bytes, i));
                ++i;
            } else {
                out.append(bytes.substr(i, n));
                i += n;
            }
        }
        return out;
    }
    for (const char c : bytes) {
        appendCp1252(out, static_cast<unsigned char>(c));
    }
    return out;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t begin = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(begin, i - begin));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            begin = i;
        } else {
            ++i;
        }
    }
    if (begin < text.size()) {
        lines.emplace_back(text.substr(begin));
    }
    return lines;
}

std::size_t charCount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += charLengthAt(s, i)) {
        ++count;
    }
    return count;
}

std::string mid(std::string_view s, std::size_t start) {
    if (start < 1) {
        throw Error("Invalid procedure call or argument", Error::kInvalidValue);
    }
    return std::string(s.substr(byteOffsetOfChar(s, start - 1)));
}

std::string mid(std::string_view s, std::size_t start, std::size_t length) {
    if (start < 1) {
        throw Error("Invalid procedure call or argument", Error::kInvalidValue);
    }
    const std::size_t from = byteOffsetOfChar(s, start - 1);
    const std::string_view rest = s.substr(from);
    return std::string(rest.substr(0, byteOffsetOfChar(rest, length)));
}

std::string left(std::string_view s, std::size_t length) {
    return std::string(s.substr(0, byteOffsetOfChar(s, length)));
}

std::string right(std::string_view s, std::size_t length) {
    const std::size_t count = charCount(s);
    if (length >= count) {
        return std::string(s);
    }
    return std::string(s.substr(byteOffsetOfChar(s, count - length)));
}

std::string trim(std::string_view s) {
    return rtrim(ltrim(s));
}

std::string ltrim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first));
}

std::string rtrim(std::string_view s) {
    const std::size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

std::string toUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = asciiUpper(c);
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && matchesAt(a, 0, b, true);
}

std::size_t instr(std::string_view haystack, std::string_view needle, std::size_t start) {
    return findChars(haystack, needle, start, false);
}

std::size_t instrNoCase(std::string_view haystack, std::string_view needle, std::size_t start) {
    return findChars(haystack, needle, start, true);
}

}  // namespace vz::base
