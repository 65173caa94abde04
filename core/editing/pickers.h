#pragma once

// The pickers' rules. The style, grade and distance pickers offer the codes
// of the lookup database and take nothing else: processing compares codes
// as exact text, so a code it does not know silently switches its rules off
// for that dog or race. The dog picker takes any name (a dog may be entered
// before it is added); it only opens its list on the name typed so far.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vz::editing {

// The codes of the lookup database's three tables.
struct Lookups {
    std::vector<std::string> styles;
    std::vector<std::string> grades;
    std::vector<std::string> distances;
};

// How far typed text is from a value a lookup-only picker takes.
enum class Typing {
    Acceptable,    // blank, a code (any letter case) or the value already stored
    Intermediate,  // the start of such a value
    Invalid,       // can never become one
};
Typing typingState(const std::vector<std::string>& codes, std::string_view typed,
                   const std::optional<std::string>& stored);

// The value a lookup-only picker stores for its typed text: a code as the
// list spells it (letter case is ignored when typed), the stored value kept
// as it is even when the list lacks it, no value for blank text (a stored
// empty text stays empty). Anything else throws FieldError naming `field`.
std::optional<std::string> pickCode(std::string_view field, const std::vector<std::string>& codes,
                                    std::string_view typed,
                                    const std::optional<std::string>& stored);

// The row a picker's list opens on for the text typed so far: the item equal
// to it (letter case ignored), else the first item that starts with it, else
// none (and Enter then keeps the typed text).
std::optional<std::size_t> matchRow(const std::vector<std::string>& items, std::string_view typed);

}  // namespace vz::editing
