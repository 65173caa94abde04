#include "core/editing/convert.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include <fmt/format.h>

#include "core/base/vb.h"

namespace vz::editing {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when the whole of `s` is one decimal number.
bool isNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        std::size_t expDigits = 0;
        for (; i < s.size() && isDigit(s[i]); ++i) {
            ++expDigits;
        }
        if (expDigits == 0) {
            return false;
        }
    }
    return i == s.size();
}

FieldError outOfRange(std::string_view field, std::string_view text) {
    return FieldError(std::string(field),
                      fmt::format("Overflow in {}: \"{}\" is out of range", field, text),
                      vz::Error::kOverflow);
}

}  // namespace

FieldError::FieldError(std::string field, const std::string& message, int number)
    : vz::Error(message, number), field_(std::move(field)) {}

FieldError typeMismatch(std::string_view field, std::string_view why) {
    return FieldError(std::string(field), fmt::format("Type mismatch in {}: {}", field, why),
                      vz::Error::kTypeMismatch);
}

std::optional<double> readReal(std::string_view field, std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty()) {
        return std::nullopt;
    }
    if (!isNumber(t)) {
        throw typeMismatch(field, fmt::format("\"{}\" is not a number", t));
    }
    // from_chars takes no plus sign.
    const std::string_view digits = t.front() == '+' ? t.substr(1) : t;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range || !std::isfinite(value)) {
        throw outOfRange(field, t);
    }
    if (ec != std::errc() || end != digits.data() + digits.size()) {
        throw typeMismatch(field, fmt::format("\"{}\" is not a number", t));
    }
    return value == 0.0 ? 0.0 : value;  // no negative zero
}

std::optional<int> readWhole(std::string_view field, std::string_view text) {
    const auto value = readReal(field, text);
    if (!value) {
        return std::nullopt;
    }
    try {
        return base::toInt32(*value);
    } catch (const vz::Error&) {
        throw outOfRange(field, trimmed(text));
    }
}

std::optional<base::Date> readDate(std::string_view field, std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty()) {
        return std::nullopt;
    }
    if (auto d = base::readDate(t)) {
        return d;
    }
    throw typeMismatch(field, fmt::format("\"{}\" is not a date", t));
}

std::optional<std::string> readText(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<std::string> readName(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty()) {
        return std::nullopt;
    }
    return std::string(t);
}

std::string showWhole(const std::optional<int>& v) {
    return v ? std::to_string(*v) : std::string();
}

std::string showReal(const std::optional<double>& v) {
    return v ? fmt::format("{:.15g}", *v) : std::string();
}

std::string showDate(const std::optional<base::Date>& v) {
    return v ? base::shortDate(*v) : std::string();
}

std::string showText(const std::optional<std::string>& v) {
    return v ? *v : std::string();
}

}  // namespace vz::editing
