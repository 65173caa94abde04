#include "core/analysis/held_lines.h"

#include <algorithm>
#include <chrono>

#include "core/base/text.h"

namespace vz::analysis {

namespace {

using base::RaceLine;

constexpr std::size_t kRing = processing::kLinesRead;

template <typename Line>
auto numbersOf(Line& l) {
    return std::array{&l.RaceNum, &l.Post,   &l.Break,     &l.Eighth,
                      &l.Stretch, &l.Finish, &l.FinishTime};
}

}  // namespace

std::uint32_t TextNumbers::number(const std::optional<std::string>& text) {
    if (!text) {
        return 0;
    }
    const auto it = std::find(all_.begin(), all_.end(), *text);
    if (it != all_.end()) {
        return static_cast<std::uint32_t>(it - all_.begin()) + 1;
    }
    all_.push_back(*text);
    return static_cast<std::uint32_t>(all_.size());
}

std::optional<std::string> TextNumbers::text(std::uint32_t number) const {
    if (number == 0) {
        return std::nullopt;
    }
    return all_[number - 1];
}

std::uint32_t HeldLines::dog(std::string_view name, std::string_view style) {
    if (const auto it = numbers_.find(name); it != numbers_.end()) {
        return it->second;
    }
    const auto number = static_cast<std::uint32_t>(dogs_.size());
    numbers_.emplace(name, number);
    dogs_.emplace_back().style = style;
    return number;
}

std::vector<RaceLine> HeldLines::lines(std::uint32_t dog) const {
    const DogLines& d = dogs_[dog];
    std::vector<RaceLine> out(d.count);
    for (std::size_t i = 0; i < d.count; ++i) {
        const HeldLine& h = d.ring[(d.head + i) % kRing];
        RaceLine& l = out[i];
        l.RaceDate = base::Date{std::chrono::sys_days{std::chrono::days{h.day}}};
        const auto numbers = numbersOf(l);
        for (std::size_t k = 0; k < numbers.size(); ++k) {
            if ((h.present & (1U << k)) != 0) {
                *numbers[k] = h.number[k];
            }
        }
        l.Distance = texts_.text(h.distance);
        l.Grade = texts_.text(h.grade);
    }
    return out;
}

void HeldLines::putInFront(std::uint32_t dog, const RaceLine& line, std::uint32_t distance,
                           std::uint32_t grade) {
    DogLines& d = dogs_[dog];
    d.head = static_cast<std::uint8_t>((d.head + kRing - 1) % kRing);
    HeldLine& h = d.ring[d.head];
    h = HeldLine{};
    h.day =
        static_cast<std::int32_t>(std::chrono::sys_days(*line.RaceDate).time_since_epoch().count());
    const auto numbers = numbersOf(line);
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        if (*numbers[k]) {
            h.number[k] = **numbers[k];
            h.present = static_cast<std::uint8_t>(h.present | (1U << k));
        }
    }
    h.distance = distance;
    h.grade = grade;
    d.count = static_cast<std::uint8_t>(std::min(d.count + std::size_t{1}, kRing));
}

std::size_t HeldLines::NoCaseHash::operator()(std::string_view name) const noexcept {
    std::size_t h = 1469598103934665603ULL;  // FNV-1a over the upper-cased bytes
    for (const char c : name) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        h = (h ^ static_cast<unsigned char>(upper)) * 1099511628211ULL;
    }
    return h;
}

bool HeldLines::NoCaseEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    return base::equalsNoCase(a, b);
}

}  // namespace vz::analysis
