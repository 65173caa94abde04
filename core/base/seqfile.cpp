#include "core/base/seqfile.h"

#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/vb.h"

namespace vz::base {

void SeqWriter::separate() {
    if (lineStarted_) {
        text_ += ',';
    }
    lineStarted_ = true;
}

SeqWriter& SeqWriter::str(std::string_view s) {
    separate();
    text_ += '"';
    for (char c : s) {
        if (c == '"') {
            text_ += '"';
        }
        text_ += c;
    }
    text_ += '"';
    return *this;
}

SeqWriter& SeqWriter::num(long long n) {
    separate();
    text_ += fmt::format("{}", n);
    return *this;
}

SeqWriter& SeqWriter::num(double x) {
    separate();
    // Shortest text that reads back to the same double.
    text_ += fmt::format("{}", x);
    return *this;
}

SeqWriter& SeqWriter::date(Date d) {
    separate();
    text_ += '#';
    text_ += toIso(d);
    text_ += '#';
    return *this;
}

SeqWriter& SeqWriter::endLine() {
    text_ += "\r\n";
    lineStarted_ = false;
    return *this;
}

SeqReader::SeqReader(std::string_view text) : text_(text) {}

void SeqReader::skipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
        ++pos_;
    }
}

bool SeqReader::atEnd() const {
    for (std::size_t i = pos_; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            return false;
        }
    }
    return true;
}

void SeqReader::skipLine() {
    while (pos_ < text_.size() && text_[pos_] != '\r' && text_[pos_] != '\n') {
        ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
}

// One value's text, with the delimiter after it consumed. Line ends left over
// from the previous line are skipped first.
std::string_view SeqReader::rawField(bool& quoted) {
    while (pos_ < text_.size()) {
        skipBlanks();
        if (pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n')) {
            ++pos_;
            continue;
        }
        break;
    }
    if (pos_ >= text_.size()) {
        throw Error("Input past end of file", Error::kInputPastEnd);
    }
    quoted = false;
    std::string_view field;
    if (text_[pos_] == '"') {
        quoted = true;
        const std::size_t start = ++pos_;
        while (pos_ < text_.size()) {
            if (text_[pos_] == '"') {
                if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                    pos_ += 2;
                    continue;
                }
                break;
            }
            ++pos_;
        }
        field = text_.substr(start, pos_ - start);
        if (pos_ < text_.size()) {
            ++pos_;  // closing quote
        }
        skipBlanks();
    } else {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' &&
               text_[pos_] != '\n') {
            ++pos_;
        }
        field = text_.substr(start, pos_ - start);
        while (!field.empty() && (field.back() == ' ' || field.back() == '\t')) {
            field.remove_suffix(1);
        }
    }
    if (pos_ < text_.size()) {
        if (text_[pos_] == ',') {
            ++pos_;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') {
                ++pos_;
            }
        } else if (text_[pos_] == '\n') {
            ++pos_;
        }
    }
    return field;
}

std::string SeqReader::readString() {
    bool quoted = false;
    const std::string_view field = rawField(quoted);
    if (!quoted) {
        return std::string(field);
    }
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        out += field[i];
        if (field[i] == '"' && i + 1 < field.size() && field[i + 1] == '"') {
            ++i;
        }
    }
    return out;
}

namespace {

bool looksNumeric(std::string_view s) {
    bool digit = false;
    bool point = false;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        ++i;
    }
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else if ((c == 'E' || c == 'e' || c == 'D' || c == 'd') && digit) {
            std::size_t j = i + 1;
            if (j < s.size() && (s[j] == '-' || s[j] == '+')) {
                ++j;
            }
            if (j >= s.size()) {
                return false;
            }
            for (; j < s.size(); ++j) {
                if (s[j] < '0' || s[j] > '9') {
                    return false;
                }
            }
            return true;
        } else {
            return false;
        }
    }
    return digit;
}

}  // namespace

double SeqReader::readNumber() {
    bool quoted = false;
    const std::string_view field = rawField(quoted);
    if (field.empty() && !quoted) {
        return 0.0;  // an empty field reads as zero
    }
    if (quoted || !looksNumeric(field)) {
        throw Error("Type mismatch", Error::kTypeMismatch);
    }
    const double x = val(field);
    if (!std::isfinite(x)) {
        throw Error("Overflow", Error::kOverflow);
    }
    return x;
}

std::int16_t SeqReader::readInt16() {
    return toInt16(readNumber());
}

Date SeqReader::readDate() {
    bool quoted = false;
    const std::string_view field = rawField(quoted);
    if (quoted || field.size() < 3 || field.front() != '#' || field.back() != '#') {
        throw Error("Type mismatch", Error::kTypeMismatch);
    }
    const std::string_view inner = field.substr(1, field.size() - 2);
    if (auto d = fromIso(inner)) {
        return *d;
    }
    if (auto d = vz::base::readDate(inner)) {
        return *d;
    }
    throw Error("Type mismatch", Error::kTypeMismatch);
}

}  // namespace vz::base
