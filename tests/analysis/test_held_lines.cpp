#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/analysis/held_lines.h"

namespace vz::analysis {
namespace {

// Names are one dog when they differ in ASCII letter case only, as the
// database compares them; anything else (a blank, a letter outside ASCII)
// makes another dog. The first spelling met brings the running style.
TEST(HeldLines, NamesMatchWithoutAsciiLetterCase) {
    struct Case {
        const char* name;
        const char* style;
        std::uint32_t dog;
        const char* styleKept;
    };
    const std::vector<Case> cases = {
        {"Mixed", "W", 0, "W"},
        {"MIXED", "", 0, "W"},
        {"mIxEd", "R", 0, "W"},
        {"Mixed ", "", 1, ""},
        {"\xc3\x84rger", "M", 2, "M"},
        {"\xc3\xa4rger", "", 3, ""},  // the same letter in lower case: not ASCII
        {"\xc3\x84RGER", "", 2, "M"},
    };
    HeldLines held;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::uint32_t dog = held.dog(c.name, c.style);
        EXPECT_EQ(dog, c.dog);
        EXPECT_EQ(held.style(dog), c.styleKept);
    }
}

// Far more names than any first table size: each keeps its own number,
// found again under another letter case.
TEST(HeldLines, ManyNamesKeepTheirNumbers) {
    constexpr std::uint32_t kDogs = 150000;
    HeldLines held;
    for (std::uint32_t i = 0; i < kDogs; ++i) {
        ASSERT_EQ(held.dog("Dog " + std::to_string(i), ""), i);
    }
    for (std::uint32_t i = 0; i < kDogs; ++i) {
        ASSERT_EQ(held.dog("dOG " + std::to_string(i), "W"), i);
    }
    EXPECT_EQ(held.dog("Dog 150000", "W"), kDogs);
    EXPECT_EQ(held.style(kDogs), "W");
    EXPECT_EQ(held.style(0), "");
}

}  // namespace
}  // namespace vz::analysis
