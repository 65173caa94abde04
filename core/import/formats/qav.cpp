// QAV TEST files: fixed records of 825 bytes, one dog each, with its style,
// its start counters and up to eight compact past races. There is no card:
// only the dog database is written.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/base/text.h"
#include "core/base/vb.h"
#include "core/import/format.h"
#include "core/import/kinds.h"
#include "core/import/rules.h"

namespace vz::import::formats {

namespace {

using base::mid;
using base::trim;
using base::val;

constexpr std::size_t kRecordSize = 825;
constexpr std::size_t kEntriesAt = 32;
constexpr std::size_t kEntrySize = 30;
constexpr std::size_t kEntries = 8;

// A text field of a record; single-byte text in the older files, so invalid
// UTF-8 is read as Windows-1252.
std::string text(std::string_view record, std::size_t offset, std::size_t size) {
    return base::decodeText(record.substr(offset, size));
}

int int16At(std::string_view record, std::size_t offset) {
    const auto lo = static_cast<unsigned char>(record[offset]);
    const auto hi = static_cast<unsigned char>(record[offset + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

// Month and day of the entry in the current year, or the year before when
// that day is still to come.
std::optional<base::Date> entryDate(std::string_view entry, base::Date today) {
    const std::string month = trim(text(entry, 0, 2));
    const std::string day = trim(text(entry, 2, 2));
    const int year = static_cast<int>(today.year());
    const auto on = [&](int y) {
        return base::readDate(month + "/" + day + "/" + std::to_string(y));
    };
    const auto d = on(year);
    if (!d || *d <= today) {
        return d;
    }
    return on(year - 1);
}

// The two letter sets: a dog new to the file reads more codes as the base
// distance than one already on file.
std::string entryDistance(char code, bool newDog) {
    const std::string_view base = newDog ? "SBPAEHK" : "SCEH";
    if (base.find(code) != std::string_view::npos) {
        return "S";
    }
    if (code == 'R' || code == 'M') {
        return "R";
    }
    return "L";
}

DogRecord::Line entryLine(const std::string& name, std::string_view entry, base::Date date) {
    const auto field = [&](std::size_t pos, std::size_t size) {
        return std::string(entry.substr(pos - 1, size));
    };
    base::RaceLine l;
    l.RegName = name;
    l.RaceDate = date;
    l.Post = wholeVal(field(11, 1));
    l.Break = wholeVal(field(12, 1));
    l.Eighth = wholeVal(field(13, 1));
    l.Stretch = wholeVal(field(14, 1));
    l.RaceNum = wholeVal(field(15, 1));
    l.Finish = wholeVal(field(16, 1));
    l.FinishLength = val(field(17, 2));
    l.FinishTime = wholeVal(field(19, 4));
    l.Odds = val(field(23, 4)) / 100;
    l.Grade = text(entry, 27, 2);
    return {l, entryDistance(entry[4], true), entryDistance(entry[4], false)};
}

std::string_view entryAt(std::string_view record, std::size_t i) {
    return record.substr(kEntriesAt + i * kEntrySize, kEntrySize);
}

// Blank month and day: an empty entry, whatever follows.
bool isEmptyEntry(std::string_view entry) {
    return isBlankLine(entry.substr(0, 4));
}

// The characters Val makes a number of: digits, blanks, a sign, a point.
bool numberText(std::string_view field) {
    return std::all_of(field.begin(), field.end(), [](char c) {
        return c == ' ' || c == '.' || c == '+' || c == '-' || (c >= '0' && c <= '9');
    });
}

std::string recordName(std::string_view record) {
    return trim(text(record, 0, 16));
}

// A name that can stand for a dog: byte noise read as text is none.
bool isDogName(const std::string& name) {
    return !name.empty() && isPrintableText(name);
}

// Whether a record is shaped as a dog of a QAV TEST file: a name and a style
// of plain text, past races without control characters, and number text in
// the date and number fields of every entry that is not empty. Byte noise
// and text files fail this; it decides the kind of a file, never whether one
// record of it is read.
bool isDogShaped(std::string_view record) {
    if (!isDogName(recordName(record)) || !isPrintableText(text(record, 23, 1)) ||
        !isPrintableText(text(record, kEntriesAt, kEntries * kEntrySize))) {
        return false;
    }
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::string_view entry = entryAt(record, i);
        // Month and day (1-4); post to odds (11-26).
        if (!isEmptyEntry(entry) &&
            !(numberText(entry.substr(0, 4)) && numberText(entry.substr(10, 16)))) {
            return false;
        }
    }
    return true;
}

}  // namespace

// A QAV TEST file holds at least one whole record, and one of its records at
// least is shaped as a dog.
Refusal qavRefusal(std::string_view bytes) {
    if (bytes.size() < kRecordSize) {
        return "shorter than one record of 825 bytes";
    }
    for (std::size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
        if (isDogShaped(bytes.substr(at, kRecordSize))) {
            return std::nullopt;
        }
    }
    return "no record is shaped as a dog";
}

namespace {

void readRecord(std::string_view record, Origin at, base::Date today, Reading& out) {
    const std::string name = recordName(record);
    if (name.empty()) {
        // No dog to add the lines to (a padding record).
        for (std::size_t i = 0; i < kEntries; ++i) {
            if (!isEmptyEntry(entryAt(record, i))) {
                out.records.push_back({at, Skip::LineWithoutDog, std::nullopt});
            }
        }
        return;
    }
    // Inside a file of its kind only a name that is no text leaves a record
    // out; every other field is read as the format reads it.
    if (!isDogName(name)) {
        out.records.push_back({at, Skip::RecordOfNoDog, std::nullopt});
        return;
    }
    DogRecord d;
    d.dog.RegName = name;
    d.dog.RunningStyle = trim(text(record, 23, 1));
    d.dog.NumStarts = int16At(record, 24);
    d.dog.NumFirsts = int16At(record, 26);
    d.dog.NumSeconds = int16At(record, 28);
    d.dog.NumThirds = int16At(record, 30);
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::string_view entry = entryAt(record, i);
        if (isEmptyEntry(entry)) {
            continue;
        }
        // An entry whose month and day make no date is left out.
        if (const auto date = entryDate(entry, today)) {
            d.lines.push_back(entryLine(name, entry, *date));
        }
    }
    out.records.push_back({at, std::move(d), std::nullopt});
}

Reading read(const Inputs& files, base::Date today) {
    const std::string_view bytes = files.at(0);
    // A tail shorter than a record is no record.
    const std::size_t count = bytes.size() / kRecordSize;
    Reading out;
    for (std::size_t r = 0; r < count; ++r) {
        readRecord(bytes.substr(r * kRecordSize, kRecordSize), {r + 1, {}}, today, out);
    }
    return out;
}

}  // namespace

const Format& qav() {
    static const Format kFormat(
        {
            .key = "qav",
            .sourceName = "QAV TEST",
            .menuLabel = "Import from QAV TEST File",
            .menuControl = "QavTest",
            .caption = "Import from QAV TEST",
            .readyText = "Ready to import from QAV TEST",
            .completionText = "Import from QAV TEST is complete.",
            .settingsFile = "QAV.ini",
            .settingsOrder = 1,
            .writesRaceFile = false,
            .inputs = {{.dialogTitle = "Select QAV TEST file to import from...",
                        .filter = "QAV TEST File|TEST|All Files|*.*",
                        .folderSetting = "QavFolder",
                        .sample = "qav_TEST"}},
        },
        [](const Inputs& files) { return qavRefusal(files.at(0)); }, &read);
    return kFormat;
}

}  // namespace vz::import::formats
