// Typed text to values, and the pickers' rules.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>

#include "core/editing/convert.h"
#include "core/editing/pickers.h"

using namespace vz::editing;

namespace {

// What a conversion gave: a value shown as text, no value, or the error.
std::string outcome(const std::function<std::string()>& convert) {
    try {
        return convert();
    } catch (const FieldError& e) {
        return std::string(e.what()) + " - " + std::to_string(e.number()) + " [" + e.field() + "]";
    }
}

}  // namespace

TEST(Convert, WholeNumbersRoundHalfToEvenAndNameTheFieldWhenRefused) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"12", "12"},
        {" 7 ", "7"},
        {"+5", "5"},
        {"3.5", "4"},  // halves go to the even neighbour
        {"2.5", "2"},
        {"-0.5", "0"},
        {".5", "0"},
        {"5.", "5"},
        {"1e3", "1000"},
        {"", "none"},
        {"   ", "none"},
        {"1o", "Type mismatch in Post: \"1o\" is not a number - 13 [Post]"},
        {"12 3", "Type mismatch in Post: \"12 3\" is not a number - 13 [Post]"},
        {".", "Type mismatch in Post: \".\" is not a number - 13 [Post]"},
        {"1e", "Type mismatch in Post: \"1e\" is not a number - 13 [Post]"},
        {"nan", "Type mismatch in Post: \"nan\" is not a number - 13 [Post]"},
        // 2^31 does not fit a 32-bit whole number; 2^31 - 1 does.
        {"2147483648", "Overflow in Post: \"2147483648\" is out of range - 6 [Post]"},
        {"2147483647", "2147483647"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
                      const auto v = readWhole("Post", c.text);
                      return v ? std::to_string(*v) : std::string("none");
                  }),
                  c.expected)
            << c.text;
    }
}

TEST(Convert, RealNumbersAndDates) {
    const struct {
        bool date;
        const char* text;
        const char* expected;
    } cases[] = {
        {false, "2.5", "2.5"},
        {false, " -0.25 ", "-0.25"},
        {false, "1e999", "Overflow in Odds: \"1e999\" is out of range - 6 [Odds]"},
        {false, "2,5", "Type mismatch in Odds: \"2,5\" is not a number - 13 [Odds]"},
        {false, "", "none"},
        {true, "12/7/2026", "12/7/2026"},
        {true, " Dec 7 2026 ", "12/7/2026"},
        {true, "13/45/2026", "Type mismatch in Odds: \"13/45/2026\" is not a date - 13 [Odds]"},
        {true, " ", "none"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
                      if (c.date) {
                          const auto d = readDate("Odds", c.text);
                          return d ? showDate(d) : std::string("none");
                      }
                      const auto v = readReal("Odds", c.text);
                      return v ? showReal(v) : std::string("none");
                  }),
                  c.expected)
            << c.text;
    }
}

TEST(Convert, TextIsKeptAsTypedAndNamesLoseTheirBlanks) {
    EXPECT_EQ(readText(" a b "), std::optional<std::string>(" a b "));
    EXPECT_EQ(readText(""), std::nullopt);
    EXPECT_EQ(readName("  Swift Bandit "), std::optional<std::string>("Swift Bandit"));
    EXPECT_EQ(readName("   "), std::nullopt);
}

TEST(Pickers, TypingStateFollowsTheCodesAndTheStoredValue) {
    const std::vector<std::string> grades = {"AA", "A", "B", "TAA"};
    const struct {
        const char* typed;
        std::optional<std::string> stored;
        Typing expected;
    } cases[] = {
        {"", std::nullopt, Typing::Acceptable},
        {"b", std::nullopt, Typing::Acceptable},  // letter case ignored
        {"TA", std::nullopt, Typing::Intermediate},
        {"Q", std::nullopt, Typing::Invalid},
        {"Q", "Q", Typing::Acceptable},  // a stored odd code stays possible
        {"X", "XY", Typing::Intermediate},
        {"AAA", std::nullopt, Typing::Invalid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(typingState(grades, c.typed, c.stored), c.expected) << c.typed;
    }
}

TEST(Pickers, PickCodeStoresTheListsSpellingOrRefuses) {
    const std::vector<std::string> styles = {"M", "R", "W"};
    const struct {
        const char* typed;
        std::optional<std::string> stored;
        const char* expected;
    } cases[] = {
        {"w", std::nullopt, "W"},
        {"R", "M", "R"},
        {"", "M", "none"},
        {"", "", "empty"},  // a stored empty text stays empty
        {"Q", "Q", "Q"},    // the stored value is kept even outside the list
        {"Q", "M", "Type mismatch in Running Style: \"Q\" is not in the list - 13 [Running Style]"},
        {"q", "Q", "Type mismatch in Running Style: \"q\" is not in the list - 13 [Running Style]"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
                      const auto v = pickCode("Running Style", styles, c.typed, c.stored);
                      return !v ? std::string("none") : v->empty() ? std::string("empty") : *v;
                  }),
                  c.expected)
            << c.typed;
    }
}

TEST(Pickers, TheListOpensOnTheTypedMatch) {
    const std::vector<std::string> dogs = {"Alpha Dog", "Swift", "Swift Bandit", "swing Low"};
    const struct {
        const char* typed;
        std::optional<std::size_t> row;
    } cases[] = {
        {"Swift Bandit", 2}, {"swift", 1},  // the equal item before the first that starts so
        {"Swi", 1},          {"SWIN", 3},  {"Zulu", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchRow(dogs, c.typed), c.row) << c.typed;
    }
}
