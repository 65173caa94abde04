#include "core/analysis/walk_forward_report.h"

#include <fmt/format.h>

#include "core/analysis/report_text.h"

namespace vz::analysis {

namespace {

constexpr int kLabelWidth = 34;

std::string fixed(std::optional<double> v, int places) {
    return v ? fmt::format("{:.{}f}", *v, places) : "-";
}

std::string bandLabel(const CalibrationBand& b) {
    return fmt::format("{:.0f}-{:.0f}%", 100 * b.low, 100 * b.high);
}

}  // namespace

WalkForwardTables walkForwardTables(const WalkForwardSummary& s) {
    WalkForwardTables t;
    const WalkForwardOptions& o = s.options;
    t.races.labelWidth = 46;
    t.races.columns = {{"", 12}};
    t.races.add("Inputs", {{inputGroupsText(o.groups)}});
    t.races.add("Ridge penalty", {{fmt::format("{}", o.penalty)}});
    t.races.add("Refit every (days)", {{std::to_string(o.refitDays)}});
    t.races.add("Races fitted before the first price", {{std::to_string(o.warmUp)}});
    t.races.add("Races rated", {{std::to_string(s.racesSeen)}});
    t.races.add("Races priced", {{std::to_string(s.racesPriced)}});
    t.races.add("First day priced",
                {{s.firstPriced ? base::toIso(*s.firstPriced) : std::string("-")}});
    t.races.add("Refits", {{std::to_string(s.refits)}});
    t.races.add("Dead heats (not fitted, not in the log loss)", {{std::to_string(s.deadHeats)}});

    t.judgement.labelHeader = "Chances of";
    t.judgement.labelWidth = kLabelWidth;
    t.judgement.columns = {{"Races", 8}, {"Log loss", 10}, {"Pseudo-R2", 11}};
    t.judgement.ruled = true;
    const auto judged = [&](std::string label, const Judgement& j) {
        t.judgement.add(std::move(label), {{std::to_string(j.races), fixed(j.logLossPerRace(), 4),
                                            fixed(j.pseudoR2(), 4)}});
    };
    judged("Model, races priced", s.model);
    judged("Model, races the market priced", s.modelOnMarketRaces);
    judged("Market (1/(odds+1), scaled)", s.market);
    judged("Model and market together", s.together);

    t.calibration.labelHeader = "Predicted";
    t.calibration.labelWidth = 12;
    t.calibration.columns = {{"Dogs", 8}, {"Expected", 10}, {"Actual", 8}, {"A/E", 7}, {"z", 7}};
    t.calibration.ruled = true;
    for (const CalibrationBand& b : s.calibration) {
        t.calibration.add(bandLabel(b), {{std::to_string(b.dogs), fmt::format("{:.1f}", b.expected),
                                          std::to_string(b.wins), fixed(b.actualOverExpected(), 2),
                                          fixed(b.z(), 2)}});
    }

    t.bets.labelWidth = 46;
    t.bets.columns = {{"", 12}};
    t.bets.add(fmt::format("Value bets (odds {:.0f}% or more above fair)", 100 * o.edge),
               {{std::to_string(s.value.bets)}});
    t.bets.add("Won", {{std::to_string(s.valueWins)}});
    t.bets.add("Profit (1 unit each)", {{money(s.value.profit)}});
    t.bets.add("ROI (profit / stakes)",
               {{s.value.roi() ? fmt::format("{:.1f}%", 100 * *s.value.roi()) : "-"}});
    t.bets.add("Largest drawdown (units)", {{money(s.value.drawdown.units)}});
    t.bets.add(fmt::format("Kelly bets ({:.2f} Kelly, bank {:.0f})", o.kellyFraction, o.startBank),
               {{std::to_string(s.kelly.bets)}});
    t.bets.add("Final bank", {{money(s.kellyBank)}});
    t.bets.add("Largest drawdown of the bank (units)", {{money(s.kelly.drawdown.units)}});
    return t;
}

std::string walkForwardSection(const WalkForwardSummary& s) {
    const WalkForwardTables t = walkForwardTables(s);
    std::string out;
    out += sectionTitle(
        "     WIN CHANCES, WALK-FORWARD (each race priced by a model of earlier "
        "races)");
    out += tableText(t.races);
    addLine(out, "");
    out += tableText(t.judgement);
    addLine(out, "");
    out += sectionTitle("     CALIBRATION (dogs by predicted chance)");
    out += tableText(t.calibration);
    addLine(out, "");
    out += sectionTitle("     VALUE BETS");
    out += tableText(t.bets);
    addLine(out, "");
    return out;
}

std::vector<std::pair<double, double>> calibrationPoints(const WalkForwardSummary& s) {
    std::vector<std::pair<double, double>> out;
    for (const CalibrationBand& b : s.calibration) {
        if (b.dogs > 0) {
            out.emplace_back(b.expected / static_cast<double>(b.dogs),
                             static_cast<double>(b.wins) / static_cast<double>(b.dogs));
        }
    }
    return out;
}

}  // namespace vz::analysis
