#include "core/analysis/chart_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include <fmt/format.h>

namespace vz::analysis {

std::string withThousands(std::string_view cell) {
    std::size_t start = (!cell.empty() && (cell[0] == '-' || cell[0] == '+')) ? 1 : 0;
    std::size_t digits = start;
    while (digits < cell.size() && std::isdigit(static_cast<unsigned char>(cell[digits]))) {
        ++digits;
    }
    if (digits == start) {
        return std::string(cell);
    }
    // After the whole part only a point with digits and a percent sign may follow.
    std::size_t rest = digits;
    if (rest < cell.size() && cell[rest] == '.') {
        ++rest;
        while (rest < cell.size() && std::isdigit(static_cast<unsigned char>(cell[rest]))) {
            ++rest;
        }
    }
    if (rest < cell.size() && cell[rest] == '%') {
        ++rest;
    }
    if (rest != cell.size()) {
        return std::string(cell);
    }
    std::string out(cell.substr(0, start));
    for (std::size_t i = start; i < digits; ++i) {
        if (i > start && (digits - i) % 3 == 0) {
            out += ',';
        }
        out += cell[i];
    }
    out += cell.substr(digits);
    return out;
}

AxisScale niceScale(double low, double high, int maxTicks) {
    low = std::min(low, 0.0);
    high = std::max(high, 0.0);
    if (high - low <= 0) {
        high = low + 1;
    }
    const int intervals = std::max(1, maxTicks - 1);
    const double raw = (high - low) / intervals;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double factor = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 5 ? 5 : 10;
    AxisScale a;
    a.step = factor * magnitude;
    // A value a hair off a whole step (from the division) stays on it.
    constexpr double kSlack = 1e-9;
    a.low = std::floor(low / a.step + kSlack) * a.step;
    a.high = std::ceil(high / a.step - kSlack) * a.step;
    a.ticks = static_cast<int>(std::lround((a.high - a.low) / a.step)) + 1;
    a.decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(a.step) - kSlack)));
    return a;
}

std::string chartSubtitle(const BacktestSummary& s) {
    const BacktestOptions& o = s.options;
    const std::string rated =
        s.firstRated && s.lastRated
            ? fmt::format("{} to {}", base::toIso(*s.firstRated), base::toIso(*s.lastRated))
            : std::string("no day");
    return fmt::format(
        "{}, {} races rated; chosen: {} to {}, grade {}, distance {}, at least {} dogs", rated,
        withThousands(std::to_string(s.racesRated())),
        o.from ? base::toIso(*o.from) : "the first day", o.to ? base::toIso(*o.to) : "the last day",
        o.grade.value_or("any"), o.distance.value_or("any"), o.minField);
}

}  // namespace vz::analysis
