#include "core/import/window_texts.h"

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

#include "core/import/import_failed.h"

namespace vz::import {

namespace {

struct Count {
    std::string_view label;
    long ImportSummary::*value;
    bool cardOnly;   // shown only for a format that writes a race file
    bool ifNonZero;  // shown only when something was left out
};

// In the order shown; the counts of what was left out form a second column
// block.
constexpr Count kAdded[] = {
    {"Dogs added:", &ImportSummary::dogsAdded, false, false},
    {"Lines added:", &ImportSummary::linesAdded, false, false},
    {"Duplicates skipped:", &ImportSummary::duplicatesSkipped, false, false},
    {"Races written:", &ImportSummary::racesWritten, true, false},
    {"Posts written:", &ImportSummary::postsWritten, true, false},
};
constexpr Count kLeftOut[] = {
    {"Lines without a dog, left out:", &ImportSummary::linesWithoutDog, false, true},
    {"Lines without a date, left out:", &ImportSummary::linesWithoutDate, false, true},
    {"Records of no dog, left out:", &ImportSummary::recordsRefused, false, true},
};

template <std::size_t N>
void addLines(std::vector<std::string>& out, const Count (&block)[N], const ImportSummary& s,
              bool writesRaceFile, bool aligned) {
    std::size_t width = 0;
    for (const Count& c : block) {
        width = std::max(width, c.label.size());
    }
    for (const Count& c : block) {
        const long value = s.*c.value;
        if ((c.cardOnly && !writesRaceFile) || (c.ifNonZero && value == 0)) {
            continue;
        }
        out.push_back(fmt::format("{:<{}} {}", c.label, aligned ? width : 0, value));
    }
}

}  // namespace

std::string completionMessage(const FormatInfo& format) {
    std::string text = format.completionText;
    if (format.writesRaceFile) {
        text += '\r';
        text += kRunningStyleAdvice;
    }
    return text;
}

std::vector<std::string> summaryLines(const ImportSummary& summary, bool writesRaceFile,
                                      bool aligned) {
    std::vector<std::string> out;
    addLines(out, kAdded, summary, writesRaceFile, aligned);
    addLines(out, kLeftOut, summary, writesRaceFile, aligned);
    return out;
}

std::string importFailedMessage(const ImportFailed& failure) {
    std::string text;
    for (const std::string& line : failure.lines()) {
        if (!text.empty()) {
            text += '\r';
        }
        text += line;
    }
    return text;
}

std::string importErrorMessage(std::string_view cause, std::optional<int> number) {
    std::string text = fmt::format("{}\r{}", ImportFailed::kFirstLine, cause);
    if (number) {
        text += fmt::format(" - {}", *number);
    }
    return text;
}

}  // namespace vz::import
