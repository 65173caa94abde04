#include "core/analysis/report_text.h"

#include <fmt/format.h>

#include "core/base/text.h"
#include "core/processing/report.h"

namespace vz::analysis {

void addLine(std::string& out, std::string_view text) {
    out += text;
    out += processing::kEol;
}

std::string sectionTitle(std::string_view title) {
    const std::string stars = "*** " + std::string(61, '*') + " ***";
    std::string out;
    addLine(out, stars);
    addLine(out, title);
    addLine(out, stars);
    addLine(out, "");
    return out;
}

std::string labelledRow(std::string_view label, std::string_view value) {
    return fmt::format("{:<46}{:>12}", label, value);
}

std::string dogColumn(std::string_view dogName) {
    std::string name = base::left(dogName, processing::kDogPlaces);
    name.append(processing::kDogPlaces - base::charCount(name), ' ');
    return name;
}

std::string ordinal(int n) {
    const int tens = n % 100;
    const char* suffix = "th";
    if (tens < 11 || tens > 13) {
        switch (n % 10) {
            case 1:
                suffix = "st";
                break;
            case 2:
                suffix = "nd";
                break;
            case 3:
                suffix = "rd";
                break;
            default:
                break;
        }
    }
    return std::to_string(n) + suffix;
}

std::string money(double value) {
    // -0.00 reads as a loss that is not there.
    const std::string s = fmt::format("{:.2f}", value);
    return s == "-0.00" ? "0.00" : s;
}

std::string oddsText(std::optional<double> odds) {
    return odds ? money(*odds) : std::string("-");
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

}  // namespace vz::analysis
