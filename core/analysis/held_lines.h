#pragma once

// What the backtest's pass keeps between races: each dog's newest lines,
// found by the dog's name.
//
// Two million lines pass through and a hundred thousand dogs hold up to eight
// each, so the layout is chosen for that: a held line keeps only what the
// rating reads, its texts as numbers of a small shared table; a dog's lines
// sit in one fixed record (a ring, so that a new line costs no allocation
// and no shifting); a dog is a number, its name looked up once per line read.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <absl/container/flat_hash_map.h>

#include "core/base/records.h"
#include "core/processing/figures.h"

namespace vz::analysis {

// Distances and grades as numbers from 1 (0: no text). There are a handful
// of distinct texts, so a short walk finds one.
class TextNumbers {
  public:
    std::uint32_t number(const std::optional<std::string>& text);
    std::optional<std::string> text(std::uint32_t number) const;

  private:
    std::vector<std::string> all_;
};

// A line as held: the date as a day number, the rating's numbers, the
// distance's and grade's numbers.
struct HeldLine {
    std::int32_t day = 0;  // days since 1970-01-01
    // RaceNum, Post, Break, Eighth, Stretch, Finish, FinishTime
    std::array<std::int32_t, 7> number{};
    std::uint32_t distance = 0;
    std::uint32_t grade = 0;
    std::uint8_t present = 0;  // bit i: number[i] has a value
};

// The dogs met so far, numbered from 0 in the order met, and their newest
// lines.
class HeldLines {
  public:
    // The number of the dog named `name`, letter case ignored as the database
    // compares names. A name not met before gets the next number, and its dog
    // `style` as running style (empty: none on file).
    std::uint32_t dog(std::string_view name, std::string_view style);

    std::uint32_t textNumber(const std::optional<std::string>& text) { return texts_.number(text); }

    const std::string& style(std::uint32_t dog) const { return dogs_[dog].style; }
    std::size_t count(std::uint32_t dog) const { return dogs_[dog].count; }

    // The dog's held lines newest first, as the rating reads them.
    std::vector<base::RaceLine> lines(std::uint32_t dog) const;

    // Puts `line` (dated) in front of the dog's lines; the oldest goes once
    // eight are held.
    void putInFront(std::uint32_t dog, const base::RaceLine& line, std::uint32_t distance,
                    std::uint32_t grade);

    // Asks the processor for the dog's record ahead of its use: the dogs of a
    // race lie far apart in memory, and their fetches may then overlap.
    void warm(std::uint32_t dog) const {
        const char* p = reinterpret_cast<const char*>(&dogs_[dog]);
        for (std::size_t at = 0; at < sizeof(DogLines); at += 64) {
            __builtin_prefetch(p + at);
        }
    }

  private:
    // A dog's newest lines, newest first from `head` around the ring: a new
    // line is put in front by moving the head back one place, which drops
    // the oldest once the ring is full.
    struct DogLines {
        std::string style;
        std::uint8_t count = 0;
        std::uint8_t head = 0;
        std::array<HeldLine, processing::kLinesRead> ring;
    };

    // The numbers by name, letter case ignored as the database compares
    // names; a line's name is looked up as it stands, without a copy. An
    // open-addressing table: the names sit in one array, so a lookup does not
    // chase list nodes (std::unordered_map made the whole pass 5% slower).
    struct NoCaseHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept;
    };
    struct NoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept;
    };

    TextNumbers texts_;
    absl::flat_hash_map<std::string, std::uint32_t, NoCaseHash, NoCaseEqual> numbers_;
    std::vector<DogLines> dogs_;
};

}  // namespace vz::analysis
