#pragma once

// Rows of the four data tables, as plain values. Columns keep the stored names.
// Every field but the dog's name may be empty (NULL): the editors add rows
// field by field, and older files hold such rows.

#include <cstdint>
#include <optional>
#include <string>

#include "core/base/dates.h"

namespace vz::base {

// How many of a dog's newest race lines are rated; the dog editor shades the
// same lines.
inline constexpr int kLinesRead = 8;

// A row of `Main` in the dog database.
struct Dog {
    std::int64_t rowId = 0;  // 0 until stored
    std::string RegName;
    std::optional<std::string> RunningStyle;
    std::optional<int> NumStarts;
    std::optional<int> NumFirsts;
    std::optional<int> NumSeconds;
    std::optional<int> NumThirds;
    std::optional<std::string> Comments;

    bool operator==(const Dog&) const = default;
};

// A row of `RaceHistory`: one past race of one dog.
struct RaceLine {
    std::int64_t rowId = 0;
    std::string RegName;
    std::optional<Date> RaceDate;
    std::optional<int> RaceNum;
    std::optional<std::string> Distance;
    std::optional<int> WinningTime;  // hundredths of a second
    std::optional<int> Post;
    std::optional<int> Break;
    std::optional<int> Eighth;
    std::optional<int> Stretch;
    std::optional<int> Finish;
    std::optional<double> FinishLength;
    std::optional<int> FinishTime;  // hundredths of a second
    std::optional<double> Odds;
    std::optional<std::string> Grade;

    bool operator==(const RaceLine&) const = default;
};

// A row of `Races` in a race file.
struct Race {
    std::int64_t rowId = 0;
    std::optional<int> RaceNum;
    std::optional<std::string> Distance;
    std::optional<std::string> Grade;
    std::optional<Date> RaceDate;

    bool operator==(const Race&) const = default;
};

// A row of `Posts` in a race file: one dog entered in one race.
struct Post {
    std::int64_t rowId = 0;
    std::optional<Date> RaceDate;
    std::optional<int> RaceNum;
    std::optional<int> Post;
    std::optional<std::string> RegName;

    bool operator==(const struct Post&) const = default;
};

// A row of `Grades` or `Length` in the lookup database.
struct LookupCode {
    std::string code;
    std::optional<int> OrderNum;

    bool operator==(const LookupCode&) const = default;
};

}  // namespace vz::base
