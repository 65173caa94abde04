#include "core/processing/report.h"

#include <algorithm>

#include <fmt/format.h>

#include "core/base/text.h"
#include "core/base/version.h"

namespace vz::processing {

namespace {

const std::string kStarLine = "*** " + std::string(61, '*') + " ***";

// A number as the race header writes it: the place of the sign, the digits,
// one trailing blank.
std::string headerNumber(int n) {
    return n < 0 ? fmt::format("{} ", n) : fmt::format(" {} ", n);
}

void line(std::string& out, std::string_view text) {
    out += text;
    out += kEol;
}

}  // namespace

std::string dogLine(int post, std::string_view dogName, const Points& p, std::string_view alerts) {
    std::string name = base::left(dogName, kDogPlaces);
    name.append(kDogPlaces - base::charCount(name), ' ');
    return fmt::format("{:>2} {} {:>5} {:>3} {:>3} {:>4} {:>4} {:>4} {:>4}  {}", post, name,
                       p.score, p.cla, p.rec, p.avSp, p.last, p.eaSp, p.laSp, alerts);
}

std::string raceTitleLine(const base::Race& race) {
    std::string out = "     DATE: ";
    if (race.RaceDate) {
        out += base::mmddyy(*race.RaceDate);
    }
    out += "     RACE #";
    if (race.RaceNum) {
        out += headerNumber(*race.RaceNum);
    }
    out += "      GRADE: ";
    out += race.Grade.value_or("");
    out += "     DISTANCE: ";
    out += race.Distance.value_or("");
    return out;
}

std::string raceSection(const base::Race& race, const RatedRace& rated) {
    std::string out;
    line(out, kStarLine);
    line(out, raceTitleLine(race));
    line(out, kStarLine);
    line(out, "");
    line(out, kColumnHeader);
    line(out, std::string(69, '-'));
    int k = 0;
    for (int post : rated.finalOrder) {
        const Box& b = rated.table.box(post);
        line(out, dogLine(post, b.dogName, b.points, b.alerts));
        if (++k == 5) {
            line(out, "");
        }
    }
    line(out, "");
    line(out, rated.advice);
    return out;
}

std::string winPercentText(double chance) {
    return fmt::format("{:.1f}", 100 * chance);
}

std::string fairOddsText(double chance) {
    constexpr double kLongest = 999.99;
    if (!(chance > 0) || 1 / chance - 1 > kLongest) {
        return "999+";
    }
    return fmt::format("{:.2f}", 1 / chance - 1);
}

std::string pricedRaceSection(const base::Race& race, const RatedRace& rated,
                              const std::vector<double>& chances, std::string_view pricedBy) {
    std::vector<std::string> lines;
    std::size_t width = base::charCount(kColumnHeader);
    for (int post : rated.finalOrder) {
        const Box& b = rated.table.box(post);
        lines.push_back(dogLine(post, b.dogName, b.points, b.alerts));
        width = std::max(width, base::charCount(lines.back()));
    }
    const auto padded = [&](std::string text) {
        text.append(width - base::charCount(text), ' ');
        return text;
    };
    std::string out;
    line(out, kStarLine);
    line(out, raceTitleLine(race));
    line(out, kStarLine);
    line(out, "");
    line(out, padded(std::string(kColumnHeader)) + fmt::format("  {:>5} {:>6}", "Win%", "Fair"));
    line(out, std::string(69, '-'));
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const double p = k < chances.size() ? chances[k] : 0.0;
        line(out,
             padded(lines[k]) + fmt::format("  {:>5} {:>6}", winPercentText(p), fairOddsText(p)));
        if (k + 1 == 5) {
            line(out, "");
        }
    }
    line(out, pricedBy);
    line(out, "");
    line(out, rated.advice);
    return out;
}

std::string banner(std::string_view raceFileTitle, base::Date today) {
    return headedBanner("Results for " + std::string(raceFileTitle), today);
}

std::string headedBanner(std::string_view heading, base::Date today) {
    std::string out;
    line(out, "     Vellicor Vovoziruzu - Version " + std::string(programVersion()));
    line(out, " ");
    line(out, "     " + std::string(heading));
    line(out, "     Prepared on " + base::mediumDate(today));
    line(out, " ");
    return out;
}

std::string raceSeparator(int raceCount, bool anotherFollows) {
    std::string out;
    line(out, "");
    line(out, anotherFollows && raceCount % 2 == 0 ? "\f" : "");
    return out;
}

std::string errorReport(std::string_view raceFileTitle, const std::vector<MissingDog>& missing) {
    std::string out;
    line(out, "Errors occurred when processing " + std::string(raceFileTitle));
    line(out, "Correct the following and try processing again.");
    line(out, " ");
    line(out, "The following dogs are not in your main database: ");
    line(out, " ");
    for (const MissingDog& m : missing) {
        line(out, fmt::format("     {}, {} race {}, post {}", m.regName,
                              m.race.RaceDate ? base::shortDate(*m.race.RaceDate) : "",
                              m.race.RaceNum.value_or(0), m.post));
    }
    line(out, " ");
    line(out, " ");
    line(out, "End of Error Report");
    return out;
}

}  // namespace vz::processing
