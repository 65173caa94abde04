#include "core/editing/pickers.h"

#include <fmt/format.h>

#include "core/base/text.h"
#include "core/editing/convert.h"

namespace vz::editing {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view start) {
    return start.size() <= text.size() && base::equalsNoCase(text.substr(0, start.size()), start);
}

bool isBlankText(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

const std::string* findCode(const std::vector<std::string>& codes, std::string_view typed) {
    for (const std::string& c : codes) {
        if (base::equalsNoCase(c, typed)) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace

Typing typingState(const std::vector<std::string>& codes, std::string_view typed,
                   const std::optional<std::string>& stored) {
    if (isBlankText(typed) || (stored && *stored == typed) || findCode(codes, typed)) {
        return Typing::Acceptable;
    }
    for (const std::string& c : codes) {
        if (startsWithNoCase(c, typed)) {
            return Typing::Intermediate;
        }
    }
    if (stored && startsWithNoCase(*stored, typed)) {
        return Typing::Intermediate;
    }
    return Typing::Invalid;
}

std::optional<std::string> pickCode(std::string_view field, const std::vector<std::string>& codes,
                                    std::string_view typed,
                                    const std::optional<std::string>& stored) {
    if (isBlankText(typed)) {
        return (stored && stored->empty()) ? stored : std::nullopt;
    }
    if (stored && *stored == typed) {
        return stored;
    }
    if (const std::string* code = findCode(codes, typed)) {
        return *code;
    }
    throw typeMismatch(field, fmt::format("\"{}\" is not in the list", typed));
}

std::optional<std::size_t> matchRow(const std::vector<std::string>& items, std::string_view typed) {
    if (typed.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (base::equalsNoCase(items[i], typed)) {
            return i;
        }
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (startsWithNoCase(items[i], typed)) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace vz::editing
