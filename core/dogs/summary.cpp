#include "core/dogs/summary.h"

#include <fmt/format.h>

namespace vz::dogs {

namespace {

// A factor the update computed shows its old value; one it kept says why.
std::string factorValue(double before, double after, bool computed, const char* distance,
                        bool hadTimes) {
    if (computed) {
        return fmt::format("{} (was {})", after, before);
    }
    if (hadTimes) {
        return fmt::format(
            "{} (kept: the finishes at S and {} give a factor outside {} to {}, "
            "which only damaged times give)",
            after, distance, base::kMinTimeFactor, base::kMaxTimeFactor);
    }
    return fmt::format("{} (kept: no first-to-third finishes with times at both S and {})", after,
                       distance);
}

const char* deletedLabel(Deletion d) {
    switch (d) {
        case Deletion::RaceData:
            return "Race lines deleted";
        case Deletion::Dogs:
            return "Dogs deleted";
        case Deletion::Results:
            return "Files deleted";
    }
    return "";
}

}  // namespace

Summary styleUpdateSummary(const base::Settings& before, const StyleUpdateResult& result,
                           base::Date today, bool listChanges) {
    long toR = 0, toM = 0, toW = 0;
    for (const StyleChange& c : result.changes) {
        toR += c.newStyle == "R";
        toM += c.newStyle == "M";
        toW += c.newStyle == "W";
    }
    Summary s{kStyleComplete, {}};
    s.rows.push_back(
        {"Dogs", fmt::format("{}, race lines read: {}", result.dogs, result.linesRead)});
    s.rows.push_back({"Styles changed", fmt::format("{} (to R: {}, to M: {}, to W: {})",
                                                    result.changes.size(), toR, toM, toW)});
    if (listChanges) {
        for (const StyleChange& c : result.changes) {
            s.rows.push_back({c.RegName,
                              fmt::format("{} -> {}", c.oldStyle.value_or("(none)"), c.newStyle),
                              true});
        }
    }
    // A factor needs finishes at S as well as at its own distance.
    const bool haveS = result.timesS.count > 0;
    s.rows.push_back({"TimeFactorL", factorValue(before.TimeFactorL, result.settings.TimeFactorL,
                                                 result.timeFactorLComputed, "L",
                                                 haveS && result.timesL.count > 0)});
    s.rows.push_back({"TimeFactorR", factorValue(before.TimeFactorR, result.settings.TimeFactorR,
                                                 result.timeFactorRComputed, "R",
                                                 haveS && result.timesR.count > 0)});
    s.rows.push_back({"LastStyleUpdate", base::toIso(today)});
    return s;
}

Summary zeroCountersSummary(long dogs) {
    return {kZeroComplete, {{"Dogs zeroed", std::to_string(dogs)}}};
}

Summary deletionSummary(Deletion d, base::Date chosen, long deleted) {
    return {completionMessage(d, chosen), {{deletedLabel(d), std::to_string(deleted)}}};
}

std::string summaryText(const Summary& summary) {
    std::string text = summary.heading + "\n";
    for (const SummaryRow& row : summary.rows) {
        text += fmt::format("{}{}: {}\n", row.listed ? "  " : "", row.label, row.value);
    }
    return text;
}

}  // namespace vz::dogs
