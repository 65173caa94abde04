#pragma once

// Typed text to stored values: the one conversion behind every window that
// edits data (the dog editor and its race-line grid, the race editor and its
// posts grid). Blank text is no value; a whole-number field takes a fraction
// rounded the classic way (half to even); text a field cannot hold is refused
// with an error that names the field and the text.

#include <optional>
#include <string>
#include <string_view>

#include "core/base/dates.h"
#include "core/base/error.h"

namespace vz::editing {

// Typed text a field cannot hold. The number stays the classic one (13 type
// mismatch, 6 overflow), so the common message reads, for example,
// Type mismatch in Number of Starts: "1o" is not a number - 13
class FieldError : public vz::Error {
  public:
    FieldError(std::string field, const std::string& message, int number);
    // The field's name as the window labels it.
    const std::string& field() const noexcept { return field_; }

  private:
    std::string field_;
};

// "Type mismatch in <field>: <why>".
FieldError typeMismatch(std::string_view field, std::string_view why);

// A number: optional sign, digits with at most one decimal point, an
// optional exponent, blanks around it. Blank text is no value.
std::optional<double> readReal(std::string_view field, std::string_view text);
// A number rounded half to even to a 32-bit whole number.
std::optional<int> readWhole(std::string_view field, std::string_view text);
// A date in any form the system reads (12/7/2026, Dec 7 2026, ...).
std::optional<base::Date> readDate(std::string_view field, std::string_view text);
// Text as typed; empty text is no value.
std::optional<std::string> readText(std::string_view text);
// A dog's name where it refers to a dog: the blanks around it dropped.
std::optional<std::string> readName(std::string_view text);

// Values as the windows show them (empty for no value; dates in the short
// form 12/7/2026).
std::string showWhole(const std::optional<int>& v);
std::string showReal(const std::optional<double>& v);
std::string showDate(const std::optional<base::Date>& v);
std::string showText(const std::optional<std::string>& v);

}  // namespace vz::editing
