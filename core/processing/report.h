#pragma once

// The text of the results report and of the error report. Lines end in
// CR LF; nothing here touches a file.

#include <string>
#include <string_view>
#include <vector>

#include "core/base/dates.h"
#include "core/base/records.h"
#include "core/processing/rating.h"

namespace vz::processing {

inline constexpr std::string_view kEol = "\r\n";
inline constexpr std::string_view kColumnHeader =
    "PP Dog              Score Cla Rec AvSp Last EaSp LaSp  Alerts";
// Places of the Dog column; a longer name is cut so the columns stay aligned.
inline constexpr std::size_t kDogPlaces = 16;

// One dog line, without its line end.
std::string dogLine(int post, std::string_view dogName, const Points& points,
                    std::string_view alerts);

// The second line of a race's header: date, number, grade and distance.
std::string raceTitleLine(const base::Race& race);

// A rated race: header block, dog lines in report order, the advice.
std::string raceSection(const base::Race& race, const RatedRace& rated);

// The same with each dog's win chance (along rated.finalOrder) at the right
// of its line as "Win%" and "Fair" (fair odds to 1, 1/p - 1), the Alerts
// padded so the two columns line up, and `pricedBy` under the dog lines.
std::string pricedRaceSection(const base::Race& race, const RatedRace& rated,
                              const std::vector<double>& chances, std::string_view pricedBy);

// "31.2" and "2.21" for a chance of 0.312: the chance as a percentage and
// the fair odds to 1.
std::string winPercentText(double chance);
std::string fairOddsText(double chance);

// The banner at the top of the results report.
std::string banner(std::string_view raceFileTitle, base::Date today);
// The same banner with another heading, for the reports that share its look.
std::string headedBanner(std::string_view heading, base::Date today);

// The lines that follow race number `raceCount` (counted from 1): a page
// break after every second race when another follows, else two empty lines.
std::string raceSeparator(int raceCount, bool anotherFollows);

// A post entry whose dog is not in the dog database.
struct MissingDog {
    std::string regName;  // as written in the race file
    base::Race race;
    int post = 0;
};

std::string errorReport(std::string_view raceFileTitle, const std::vector<MissingDog>& missing);

}  // namespace vz::processing
