#include "core/import/rules.h"

#include <cmath>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/base/vb.h"

namespace vz::import {

std::string distanceClass(std::string_view distance) {
    const std::string d = base::trim(distance);
    const double v = base::val(d);
    if (d == "3-8" || d == "3/8" || (v >= 600 && v < 700)) {
        return "L";
    }
    if (d == "7-16" || d == "7/16" || v >= 700) {
        return "R";
    }
    return "S";
}

std::string adjustHeaderGrade(std::string_view grade) {
    std::string g(grade);
    if (base::left(g, 1) == "T") {
        g = base::mid(g, 2, 1) + base::mid(g, 1, 1) + base::mid(g, 3);
    }
    if (base::left(g, 1) == "M") {
        g.assign(1, 'M');  // not = "M": GCC 12 at -O3 warns falsely (-Wrestrict)
    }
    return g;
}

int wholeVal(std::string_view text) {
    return base::toInt32(base::val(text));
}

double realVal(std::string_view text) {
    const double v = base::val(text);
    if (!std::isfinite(v)) {
        throw Error("Overflow", Error::kOverflow);
    }
    return v;
}

bool isPrintableText(std::string_view text) {
    if (!base::isValidUtf8(text)) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20 || b == 0x7F) {
            return false;
        }
        // U+0080 to U+009F are C2 80 to C2 9F.
        if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            return false;
        }
    }
    return true;
}

std::vector<std::size_t> wordStarts(std::string_view line, std::size_t from) {
    // A space is one byte in UTF-8 and never part of another character, so
    // the bytes are walked and only the first byte of each character counted.
    std::vector<std::size_t> out;
    std::size_t column = 0;
    bool prevSpace = false;
    for (const char ch : line) {
        if ((static_cast<unsigned char>(ch) & 0xC0) == 0x80) {
            continue;
        }
        ++column;
        const bool space = ch == ' ';
        if (column > from && !space && prevSpace) {
            out.push_back(column);
        }
        prevSpace = space;
    }
    return out;
}

}  // namespace vz::import
