#include "core/editing/rules.h"

#include <algorithm>
#include <numeric>
#include <tuple>

#include <fmt/format.h>

#include "core/base/text.h"

namespace vz::editing {

std::string cutComment(std::string_view comment) {
    return base::left(comment, kCommentLength);
}

std::string commentRoomText(std::string_view comment) {
    const std::size_t length = base::charCount(comment);
    if (length <= kCommentLength) {
        return fmt::format("{} of {} characters left", kCommentLength - length, kCommentLength);
    }
    // Short enough for the column under the field's label.
    return fmt::format("{} too many, {} kept", length - kCommentLength, kCommentLength);
}

RaceKey nextRace(const std::vector<base::Race>& races, base::Date today) {
    const auto last =
        std::max_element(races.begin(), races.end(), [](const base::Race& a, const base::Race& b) {
            // The races' order: by date, then number; no value first.
            return std::tie(a.RaceDate, a.RaceNum) < std::tie(b.RaceDate, b.RaceNum);
        });
    if (last == races.end() || !last->RaceDate) {
        return {today, 1};
    }
    return {*last->RaceDate, last->RaceNum.value_or(0) + 1};
}

int nextPost(const std::vector<base::Post>& posts) {
    int highest = 0;
    for (const base::Post& p : posts) {
        highest = std::max(highest, p.Post.value_or(0));
    }
    return highest + 1;
}

std::string withRaceFileExtension(std::string_view chosenPath) {
    const std::size_t slash = chosenPath.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? chosenPath : chosenPath.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    std::string path(chosenPath);
    if (dot == std::string_view::npos || dot == 0) {
        path += ".rac";
    } else if (dot + 1 == name.size()) {
        path += "rac";  // "card." names no extension either
    }
    return path;
}

std::vector<bool> ratedLines(const std::vector<base::RaceLine>& lines) {
    std::vector<std::size_t> order(lines.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Newest first, lines without a date last, then the first stored first.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const base::RaceLine& x = lines[a];
        const base::RaceLine& y = lines[b];
        if (x.RaceDate != y.RaceDate) {
            return x.RaceDate > y.RaceDate;
        }
        return x.rowId < y.rowId;
    });
    std::vector<bool> rated(lines.size(), false);
    const std::size_t count = std::min<std::size_t>(lines.size(), base::kLinesRead);
    for (std::size_t k = 0; k < count; ++k) {
        rated[order[k]] = true;
    }
    return rated;
}

bool restoreMaximised(const WindowLimits& limits, Twips area) {
    return area.width < limits.restoreBelow.width || area.height < limits.restoreBelow.height;
}

Twips openingSize(const WindowLimits& limits, Twips wanted, Twips area) {
    auto fit = [](long want, long room, long least) {
        return std::max(std::min(want, room), least);
    };
    return {fit(wanted.width, area.width, limits.minimum.width),
            fit(wanted.height, area.height, limits.minimum.height)};
}

Twips openingSize(const WindowLimits& limits, const std::optional<Twips>& remembered, Twips wanted,
                  Twips area) {
    return openingSize(limits, remembered.value_or(wanted), area);
}

}  // namespace vz::editing
