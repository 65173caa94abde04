#include "core/import/format.h"

#include "core/base/text.h"
#include "core/base/vb.h"
#include "core/import/rules.h"

namespace vz::import {

std::vector<std::string> textLines(std::string_view bytes) {
    return base::splitLines(base::decodeText(bytes));
}

LineWalk::LineWalk(std::string_view bytes) : text_(base::decodeText(bytes)) {}

const std::string* LineWalk::next() {
    if (pos_ >= text_.size()) {
        return nullptr;
    }
    const std::size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string::npos) {
        line_.assign(text_, pos_);
        pos_ = text_.size();
        return &line_;
    }
    line_.assign(text_, pos_, end - pos_);
    pos_ = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    return &line_;
}

const std::string& LineReader::next() {
    if (atEnd()) {
        throw ImportFailed("the file ends where a line was expected");
    }
    return lines_[pos_++];
}

void LineReader::discard(std::size_t count) {
    if (lines_.size() - pos_ < count) {
        throw ImportFailed("line " + std::to_string(pos_) + " is too close to the end of the file");
    }
    pos_ += count;
}

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(' ') == line.npos;
}

Columns::Columns(std::string_view line) : line_(line) {
    bool ascii = true;
    for (const char ch : line) {
        if ((static_cast<unsigned char>(ch) & 0x80) != 0) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        ascii_ = line.size();
        return;
    }
    for (std::size_t i = 0; i < line.size(); ++i) {
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) {
            starts_.push_back(i);
        }
    }
}

std::string_view Columns::operator()(std::size_t start, std::size_t length) const {
    const std::size_t n = size();
    if (start < 1 || start > n || length == 0) {
        return {};
    }
    const std::size_t first = start - 1;
    // One past the last character taken.
    const std::size_t last = length > n - first ? n : first + length;
    if (starts_.empty()) {
        return line_.substr(first, last - first);
    }
    const std::size_t from = starts_[first];
    const std::size_t to = last < n ? starts_[last] : line_.size();
    return line_.substr(from, to - from);
}

Refusal firstHeaderRefusal(LineWalk& lines, const std::function<LineKind(const std::string&)>& kind,
                           const std::function<Record(const std::string&)>& header) {
    while (const std::string* line = lines.next()) {
        switch (kind(*line)) {
            case LineKind::Entry:
                return "a runner before the first race header";
            case LineKind::Header:
                try {
                    const Record r = header(*line);
                    if (r.fault) {
                        return "the first race header holds a number too large to store";
                    }
                    if (!std::get<RaceRecord>(r.item).race.RaceDate) {
                        return "the first race has no date";
                    }
                    return std::nullopt;
                } catch (const ImportFailed& e) {
                    return e.detail();
                }
            case LineKind::Skipped:
            case LineKind::Past:
                break;
        }
    }
    return "no race header";
}

void readProgramLines(LineReader& in, const ProgramLines& layout, Reading& reading) {
    while (!in.atEnd()) {
        const std::string& line = in.next();
        const Origin at{in.lineNumber(), {}};
        switch (layout.kind(line)) {
            case LineKind::Header:
                reading.records.push_back(layout.header(line, at));
                in.discard(layout.afterHeader);
                break;
            case LineKind::Entry:
                reading.records.push_back(layout.entry(line, at));
                in.discard(layout.afterEntry);
                break;
            case LineKind::Past:
                reading.records.push_back(layout.past(line, at));
                break;
            case LineKind::Skipped:
                break;
        }
    }
}

Record entryRecord(const std::string& line, Origin at, EntryColumns columns, int raceNum,
                   const std::optional<base::Date>& raceDate, std::string& dog) {
    FieldNumbers n;
    base::Post post;
    post.Post = n.whole(base::mid(line, columns.post, 2), "Post");
    dog = base::trim(base::mid(line, columns.name, columns.nameLength));
    post.RaceNum = raceNum;
    post.RaceDate = raceDate;
    post.RegName = dog;
    return {at, EntryRecord{post}, n.fault()};
}

std::optional<int> joinedTime(FieldNumbers& numbers, std::string_view seconds,
                              std::string_view hundredths, const char* field) {
    std::string t(seconds);
    t += hundredths;
    return numbers.whole(t, field);
}

void readUntilBroken(Reading& reading, const std::function<void()>& body) {
    try {
        body();
    } catch (const ImportFailed& e) {
        reading.failure = e.detail();
    }
}

namespace {

// `read(text)`, or empty for a number too large to store.
template <class T>
std::optional<T> unlessOverflow(std::string_view text, T (*read)(std::string_view)) {
    try {
        return read(text);
    } catch (const Error& e) {
        if (e.number() != Error::kOverflow) {
            throw;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> FieldNumbers::whole(std::string_view text, const char* field) {
    auto v = unlessOverflow(text, &wholeVal);
    if (!v) {
        note(text, field);
    }
    return v;
}

std::optional<double> FieldNumbers::real(std::string_view text, const char* field) {
    auto v = unlessOverflow(text, &realVal);
    if (!v) {
        note(text, field);
    }
    return v;
}

void FieldNumbers::note(std::string_view text, const char* field) {
    if (!fault_) {
        fault_ = FieldFault{field, std::string(trimmed(text))};
    }
}

std::string_view trimmed(std::string_view text) {
    const std::size_t a = text.find_first_not_of(' ');
    if (a == text.npos) {
        return {};
    }
    const std::size_t b = text.find_last_not_of(' ');
    return text.substr(a, b - a + 1);
}

}  // namespace vz::import
