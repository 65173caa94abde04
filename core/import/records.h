#pragma once

// What a format reader makes of its input: an ordered list of records, each
// one step for the import session (a race of the card, a runner at its post,
// a past race of a dog, a dog brought whole, something left out). A reader
// touches no database; the session applies the records in order and decides
// whatever depends on what the database holds.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/base/records.h"

namespace vz::import {

// Where a record was read: its 1-based line (or record) and, for a format of
// several inputs, which one ("lines file"); empty for a format of one input.
struct Origin {
    std::size_t line = 0;
    std::string_view input;

    bool operator==(const Origin&) const = default;
};

// A number too large to store, found in a field of a record. The field is
// left empty; the run ends if the session comes to store the record.
struct FieldFault {
    std::string field;  // the column it was read for: "Odds"
    std::string text;   // the text read: "9e999"

    bool operator==(const FieldFault&) const = default;
};

// A race of the card: one `Races` row. Its date is the one read, or the
// previous race's when unreadable.
struct RaceRecord {
    base::Race race;

    bool operator==(const RaceRecord&) const = default;
};

// A runner of the card: one `Posts` row. Its dog is found or added first,
// unless the format brings its dogs through their past lines (DogPak/QuickDog).
struct EntryRecord {
    base::Post post;
    bool findsOrAddsDog = true;

    bool operator==(const EntryRecord&) const = default;
};

// A past race of a dog: one `RaceHistory` row unless the dog already has a
// line of that date. `line.RegName` is the dog the line belongs to (empty
// before the first runner); `line.RaceDate` the date read, or the one of the
// line before when unreadable (empty before any). A line that counts as a
// start adds one to the counters with its finish position.
struct PastRecord {
    base::RaceLine line;
    bool countsAsStart = false;
    bool findsOrAddsDog = false;

    bool operator==(const PastRecord&) const = default;
};

// A dog that brings its own style, counters and past races (QAV TEST). Which
// distance letter a line gets depends on whether the dog was on file before
// its record, which only the session knows: the record carries both.
struct DogRecord {
    struct Line {
        base::RaceLine line;  // Distance left empty
        std::string distanceIfNew;
        std::string distanceIfKnown;

        bool operator==(const Line&) const = default;
    };
    base::Dog dog;
    std::vector<Line> lines;

    bool operator==(const DogRecord&) const = default;
};

// Something read and left out, counted in the summary.
enum class Skip {
    LineWithoutDog,  // a past race with no dog to belong to
    RecordOfNoDog,   // a QAV TEST record whose name is no text
};

struct Record {
    Origin at;
    std::variant<RaceRecord, EntryRecord, PastRecord, DogRecord, Skip> item;
    std::optional<FieldFault> fault;

    bool operator==(const Record&) const = default;
};

// A reader's whole result. When the input breaks off (a header line with its
// following lines missing, a header of the wrong shape), `failure` says how,
// after the records read before it: the run then ends with the import error.
struct Reading {
    std::vector<Record> records;
    std::optional<std::string> failure;

    bool operator==(const Reading&) const = default;
};

}  // namespace vz::import
