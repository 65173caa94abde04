#include "core/base/rtf_text.h"

#include <cctype>
#include <cstdlib>
#include <vector>

#include "core/base/text.h"

namespace vz::base {

namespace {

// Destinations whose text is not part of the document.
bool skippedDestination(const std::string& word) {
    static const char* const names[] = {
        "fonttbl",   "colortbl", "stylesheet", "info",        "pict",
        "object",    "header",   "footer",     "listtable",   "listoverridetable",
        "generator", "rsidtbl",  "themedata",  "latentstyles"};
    for (const char* n : names)
        if (word == n)
            return true;
    return false;
}

void appendLatin1(std::string& out, unsigned char c) {
    // \'hh is a Windows-1252 byte; its Latin-1 range covers licence text.
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void appendCodePoint(std::string& out, long cp) {
    // Surrogate halves and values past the last plane are no character.
    const bool valid = cp >= 0 && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    const auto c = static_cast<char32_t>(valid ? cp : 0xFFFD);
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Past the continuation bytes of the character a step landed in, so that no
// half of a character reaches the text.
std::size_t toCharacterStart(std::string_view s, std::size_t i) {
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

}  // namespace

std::string rtfToPlainText(std::string_view rtf) {
    std::string out;
    // Per group: whether its text is skipped.
    std::vector<bool> skip{false};
    std::size_t i = 0;
    int unicodeSkip = 0;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '{') {
            skip.push_back(skip.back());
            ++i;
        } else if (c == '}') {
            if (skip.size() > 1)
                skip.pop_back();
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= rtf.size())
                break;
            const char n = rtf[i];
            if (n == '\\' || n == '{' || n == '}') {
                if (!skip.back())
                    out.push_back(n);
                ++i;
            } else if (n == '\'') {
                if (i + 2 < rtf.size()) {
                    const std::string hex(rtf.substr(i + 1, 2));
                    char* end = nullptr;
                    const long v = std::strtol(hex.c_str(), &end, 16);
                    if (!skip.back() && end && *end == '\0')
                        appendLatin1(out, static_cast<unsigned char>(v));
                }
                i = toCharacterStart(rtf, i + 3);
            } else if (n == '*') {
                skip.back() = true;
                ++i;
            } else if (std::isalpha(static_cast<unsigned char>(n))) {
                std::string word;
                while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i])))
                    word.push_back(rtf[i++]);
                std::string param;
                if (i < rtf.size() &&
                    (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i]))))
                    do
                        param.push_back(rtf[i++]);
                    while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i])));
                if (i < rtf.size() && rtf[i] == ' ')
                    ++i;
                if (skippedDestination(word)) {
                    skip.back() = true;
                } else if (!skip.back()) {
                    if (word == "par" || word == "line")
                        out += "\n";
                    else if (word == "tab")
                        out += "\t";
                    else if (word == "emdash")
                        out += "\u2014";
                    else if (word == "endash")
                        out += "\u2013";
                    else if (word == "u" && !param.empty()) {
                        const long cp = std::strtol(param.c_str(), nullptr, 10);
                        appendCodePoint(out, cp < 0 ? cp + 65536 : cp);
                        unicodeSkip = 1;
                    }
                }
            } else {
                i = toCharacterStart(rtf, i + 1);  // other control symbols carry no text
            }
        } else if (c == '\r' || c == '\n') {
            ++i;  // line ends in RTF source are not text
        } else if (unicodeSkip > 0) {
            // The fallback after \uN is one character, whatever its length in
            // bytes: skipping a byte alone would leave half a character.
            --unicodeSkip;
            i = toCharacterStart(rtf, i + 1);
        } else {
            if (!skip.back())
                out.push_back(c);
            ++i;
        }
    }
    // No blanks at the end of lines or of the text.
    std::string trimmed;
    for (const std::string& line : base::splitLines(out)) {
        std::string l = line;
        while (!l.empty() && (l.back() == ' ' || l.back() == '\t'))
            l.pop_back();
        trimmed += l;
        trimmed += '\n';
    }
    while (trimmed.size() > 1 && trimmed[trimmed.size() - 1] == '\n' &&
           trimmed[trimmed.size() - 2] == '\n')
        trimmed.pop_back();
    while (!trimmed.empty() && trimmed.front() == '\n')
        trimmed.erase(trimmed.begin());
    return trimmed;
}

}  // namespace vz::base
