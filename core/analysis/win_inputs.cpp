#include "core/analysis/win_inputs.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <fmt/format.h>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/processing/figures.h"

namespace vz::analysis {

namespace {

struct GroupName {
    InputGroup group;
    std::string_view name;
};

constexpr std::array<GroupName, 7> kGroups{{{InputGroup::Score, "score"},
                                            {InputGroup::Points, "points"},
                                            {InputGroup::Figures, "figures"},
                                            {InputGroup::Post, "post"},
                                            {InputGroup::Alerts, "alerts"},
                                            {InputGroup::Form, "form"},
                                            {InputGroup::Style, "style"}}};

// The per-dog alerts of the report, by their text.
constexpr std::array<std::string_view, 5> kAlerts{"Extra Break Adv", "Break Adv", "Late Spd",
                                                  "Back/rail runner", "Must Play"};

// Days since the last run are counted up to this many, in 30-day months.
constexpr int kRestCapDays = 180;
constexpr double kRestMonth = 30.0;

std::string_view nameOf(InputGroup g) {
    for (const GroupName& n : kGroups) {
        if (n.group == g) {
            return n.name;
        }
    }
    return {};
}

bool hasAlert(std::string_view alerts, std::string_view alert) {
    while (!alerts.empty()) {
        const std::size_t at = alerts.find(" - ");
        if (alerts.substr(0, at) == alert) {
            return true;
        }
        alerts = at == std::string_view::npos ? std::string_view() : alerts.substr(at + 3);
    }
    return false;
}

// One raw figure of every dog, standardised within the race: a missing value
// stands at the race's worst present value, then (v - mean) / sd; all 0 when
// the field does not differ.
struct Figure {
    double (*value)(const processing::DogFigures&);
    bool lowerIsBetter;
    bool (*missing)(const processing::DogFigures&);
};

bool noLines(const processing::DogFigures& f) {
    return f.linesRead == 0;
}
bool noAvgTime(const processing::DogFigures& f) {
    return f.avgTime >= processing::kNoTime;
}
bool noLastTime(const processing::DogFigures& f) {
    return f.lastTime >= processing::kNoTime || f.linesRead == 0;
}
bool never(const processing::DogFigures&) {
    return false;
}

const std::array<Figure, 6> kFigures{{
    {[](const processing::DogFigures& f) { return static_cast<double>(f.gradePoints); }, false,
     never},
    {[](const processing::DogFigures& f) { return f.finishPoints; }, false, never},
    {[](const processing::DogFigures& f) { return f.avgTime; }, true, noAvgTime},
    {[](const processing::DogFigures& f) { return static_cast<double>(f.lastTime); }, true,
     noLastTime},
    {[](const processing::DogFigures& f) { return f.earlySpeed; }, true, noLines},
    {[](const processing::DogFigures& f) { return f.lateSpeed; }, false, noLines},
}};

std::vector<double> standardised(const Figure& fig, std::span<const RatedDog> dogs) {
    std::vector<double> v(dogs.size(), 0.0);
    std::optional<double> worst;
    for (const RatedDog& d : dogs) {
        if (!fig.missing(d.figures)) {
            const double x = fig.value(d.figures);
            worst = !worst ? x : fig.lowerIsBetter ? std::max(*worst, x) : std::min(*worst, x);
        }
    }
    if (!worst) {
        return v;
    }
    double sum = 0;
    for (std::size_t i = 0; i < dogs.size(); ++i) {
        v[i] = fig.missing(dogs[i].figures) ? *worst : fig.value(dogs[i].figures);
        sum += v[i];
    }
    const double mean = sum / static_cast<double>(v.size());
    double squares = 0;
    for (const double x : v) {
        squares += (x - mean) * (x - mean);
    }
    const double sd = std::sqrt(squares / static_cast<double>(v.size()));
    for (double& x : v) {
        x = sd > 1e-12 ? (x - mean) / sd : 0.0;
    }
    return v;
}

}  // namespace

std::vector<InputGroup> parseInputGroups(std::string_view text) {
    std::vector<InputGroup> out;
    std::string_view rest = text;
    while (true) {
        const std::size_t at = rest.find(',');
        const std::string name = base::trim(rest.substr(0, at));
        if (name.empty()) {
            throw Error(
                fmt::format("The inputs \"{}\" name an empty group; choose among score, "
                            "points, figures, post, alerts, form, style.",
                            text));
        }
        const auto it = std::find_if(kGroups.begin(), kGroups.end(), [&](const GroupName& g) {
            return base::equalsNoCase(g.name, name);
        });
        if (it == kGroups.end()) {
            throw Error(
                fmt::format("There is no input group \"{}\"; choose among score, points, "
                            "figures, post, alerts, form, style.",
                            name));
        }
        if (std::find(out.begin(), out.end(), it->group) == out.end()) {
            out.push_back(it->group);
        }
        if (at == std::string_view::npos) {
            break;
        }
        rest = rest.substr(at + 1);
    }
    return out;
}

std::string inputGroupsText(const std::vector<InputGroup>& groups) {
    std::string out;
    for (const InputGroup g : groups) {
        out += out.empty() ? "" : ",";
        out += nameOf(g);
    }
    return out;
}

std::vector<std::string> inputNames(const std::vector<InputGroup>& groups) {
    std::vector<std::string> out;
    for (const InputGroup g : groups) {
        switch (g) {
            case InputGroup::Score:
                out.emplace_back("Score");
                break;
            case InputGroup::Points:
                for (const char* n : {"Cla", "Rec", "AvSp", "Last", "EaSp", "LaSp"}) {
                    out.emplace_back(n);
                }
                break;
            case InputGroup::Figures:
                for (const char* n :
                     {"GradePts", "FinishPts", "AvgTime", "LastTime", "EarlySpeed", "LateSpeed"}) {
                    out.emplace_back(n);
                }
                break;
            case InputGroup::Post:
                for (int p = 2; p <= 8; ++p) {
                    out.push_back(fmt::format("Post{}", p));
                }
                break;
            case InputGroup::Alerts:
                for (const char* n :
                     {"ExtraBreakAdv", "BreakAdv", "LateSpd", "BackRailRunner", "MustPlay"}) {
                    out.emplace_back(n);
                }
                break;
            case InputGroup::Form:
                for (const char* n : {"Lines", "Rest", "LastWon", "LastPlaced"}) {
                    out.emplace_back(n);
                }
                break;
            case InputGroup::Style:
                for (const char* n :
                     {"RailOnRail", "RailDrawnWide", "WideOnRail", "WideDrawnWide"}) {
                    out.emplace_back(n);
                }
                break;
        }
    }
    return out;
}

void appendRaceInputs(const std::vector<InputGroup>& groups, std::span<const RatedDog> dogs,
                      std::vector<double>& out) {
    std::vector<std::vector<double>> figures;
    if (std::find(groups.begin(), groups.end(), InputGroup::Figures) != groups.end()) {
        for (const Figure& f : kFigures) {
            figures.push_back(standardised(f, dogs));
        }
    }
    for (std::size_t i = 0; i < dogs.size(); ++i) {
        const RatedDog& d = dogs[i];
        const auto flag = [&](bool b) { out.push_back(b ? 1.0 : 0.0); };
        for (const InputGroup g : groups) {
            switch (g) {
                case InputGroup::Score:
                    out.push_back(d.points.score);
                    break;
                case InputGroup::Points:
                    for (const int p : {d.points.cla, d.points.rec, d.points.avSp, d.points.last,
                                        d.points.eaSp, d.points.laSp}) {
                        out.push_back(p);
                    }
                    break;
                case InputGroup::Figures:
                    for (const std::vector<double>& f : figures) {
                        out.push_back(f[i]);
                    }
                    break;
                case InputGroup::Post:
                    for (int p = 2; p <= 8; ++p) {
                        flag(d.post == p);
                    }
                    break;
                case InputGroup::Alerts:
                    for (const std::string_view a : kAlerts) {
                        flag(hasAlert(d.alerts, a));
                    }
                    break;
                case InputGroup::Form: {
                    out.push_back(d.form.earlierLines);
                    const int days = d.form.daysSinceLast
                                         ? std::min(*d.form.daysSinceLast, kRestCapDays)
                                         : kRestCapDays;
                    out.push_back(days / kRestMonth);
                    const int last = d.form.lastFinish.value_or(0);
                    flag(last == 1);
                    flag(last == 2 || last == 3);
                    break;
                }
                case InputGroup::Style: {
                    const bool rail = d.post >= 1 && d.post <= 3;
                    const bool wide = d.post >= 6 && d.post <= 8;
                    flag(d.style == "R" && rail);
                    flag(d.style == "R" && wide);
                    flag(d.style == "W" && rail);
                    flag(d.style == "W" && wide);
                    break;
                }
            }
        }
    }
}

std::vector<RatedDog> cardDogs(const processing::RaceCard& card,
                               const processing::RatedRace& rated) {
    std::vector<RatedDog> out;
    for (const int post : rated.finalOrder) {
        const processing::Box& box = rated.table.box(post);
        const auto it = std::find_if(card.entries.begin(), card.entries.end(),
                                     [&](const processing::Entry& e) { return e.post == post; });
        RatedDog d;
        d.rank = static_cast<int>(out.size()) + 1;
        d.post = post;
        d.dogName = box.dogName;
        d.points = box.points;
        d.alerts = box.alerts;
        d.figures = box.figures;
        d.style = box.style;
        if (it != card.entries.end()) {
            d.form = formOf(it->lines, card.race.RaceDate);
        }
        out.push_back(std::move(d));
    }
    return out;
}

}  // namespace vz::analysis
