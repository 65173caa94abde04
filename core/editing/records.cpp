#include "core/editing/records.h"

#include "core/editing/convert.h"
#include "core/editing/rules.h"

namespace vz::editing {

namespace {

// An empty field keeps a stored empty text apart from no value at all.
std::optional<std::string> keptText(std::string_view typed,
                                    const std::optional<std::string>& stored) {
    if (typed.empty()) {
        return (stored && stored->empty()) ? stored : std::nullopt;
    }
    return std::string(typed);
}

const char* const kLineCaptions[kRaceLineColumns] = {"RegName", "Date",   "Race", "Dist", "Win Tm",
                                                     "Post",    "Brk",    "1/8",  "Str",  "Finish",
                                                     "Length",  "Fin Tm", "Odds", "Grade"};

}  // namespace

DogFields dogFields(const base::Dog& d) {
    return {d.RegName,
            showText(d.RunningStyle),
            showWhole(d.NumStarts),
            showWhole(d.NumFirsts),
            showWhole(d.NumSeconds),
            showWhole(d.NumThirds),
            showText(d.Comments)};
}

base::Dog dogFromFields(const base::Dog& stored, const DogFields& typed,
                        const std::vector<std::string>& styles) {
    base::Dog d = stored;
    d.RegName = typed.name;
    d.RunningStyle = pickCode(kStyleField, styles, typed.style, stored.RunningStyle);
    d.NumStarts = readWhole(kStartsField, typed.starts);
    d.NumFirsts = readWhole(kFirstsField, typed.firsts);
    d.NumSeconds = readWhole(kSecondsField, typed.seconds);
    d.NumThirds = readWhole(kThirdsField, typed.thirds);
    d.Comments = keptText(cutComment(typed.comments), stored.Comments);
    return d;
}

const char* raceLineCaption(int column) {
    return column >= 0 && column < kRaceLineColumns ? kLineCaptions[column] : "";
}

std::string raceLineCell(const base::RaceLine& l, int column) {
    switch (column) {
        case kLineRegName:
            return l.RegName;
        case kLineRaceDate:
            return showDate(l.RaceDate);
        case kLineRaceNum:
            return showWhole(l.RaceNum);
        case kLineDistance:
            return showText(l.Distance);
        case kLineWinningTime:
            return showWhole(l.WinningTime);
        case kLinePost:
            return showWhole(l.Post);
        case kLineBreak:
            return showWhole(l.Break);
        case kLineEighth:
            return showWhole(l.Eighth);
        case kLineStretch:
            return showWhole(l.Stretch);
        case kLineFinish:
            return showWhole(l.Finish);
        case kLineFinishLength:
            return showReal(l.FinishLength);
        case kLineFinishTime:
            return showWhole(l.FinishTime);
        case kLineOdds:
            return showReal(l.Odds);
        case kLineGrade:
            return showText(l.Grade);
        default:
            return {};
    }
}

base::RaceLine withRaceLineCell(base::RaceLine l, int column, std::string_view text,
                                const Lookups& lookups) {
    const char* field = raceLineCaption(column);
    switch (column) {
        case kLineRegName:
            l.RegName = std::string(text);
            break;
        case kLineRaceDate:
            l.RaceDate = readDate(field, text);
            break;
        case kLineRaceNum:
            l.RaceNum = readWhole(field, text);
            break;
        case kLineDistance:
            l.Distance = pickCode(field, lookups.distances, text, l.Distance);
            break;
        case kLineWinningTime:
            l.WinningTime = readWhole(field, text);
            break;
        case kLinePost:
            l.Post = readWhole(field, text);
            break;
        case kLineBreak:
            l.Break = readWhole(field, text);
            break;
        case kLineEighth:
            l.Eighth = readWhole(field, text);
            break;
        case kLineStretch:
            l.Stretch = readWhole(field, text);
            break;
        case kLineFinish:
            l.Finish = readWhole(field, text);
            break;
        case kLineFinishLength:
            l.FinishLength = readReal(field, text);
            break;
        case kLineFinishTime:
            l.FinishTime = readWhole(field, text);
            break;
        case kLineOdds:
            l.Odds = readReal(field, text);
            break;
        case kLineGrade:
            l.Grade = pickCode(field, lookups.grades, text, l.Grade);
            break;
        default:
            break;
    }
    return l;
}

RaceFields raceFields(const base::Race& r) {
    return {showDate(r.RaceDate), showWhole(r.RaceNum), showText(r.Distance), showText(r.Grade)};
}

base::Race raceFromFields(const base::Race& stored, const RaceFields& typed,
                          const Lookups& lookups) {
    base::Race r = stored;
    r.RaceDate = readDate(kRaceDateField, typed.date);
    if (!r.RaceDate && stored.RaceDate) {
        throw typeMismatch(kRaceDateField, "a race needs a date");
    }
    r.RaceNum = readWhole(kRaceNumField, typed.number);
    if (!r.RaceNum && stored.RaceNum) {
        throw typeMismatch(kRaceNumField, "a race needs a number");
    }
    r.Distance = pickCode(kRaceDistanceField, lookups.distances, typed.distance, stored.Distance);
    r.Grade = pickCode(kRaceGradeField, lookups.grades, typed.grade, stored.Grade);
    return r;
}

base::Post withPostNumber(base::Post post, std::string_view text) {
    post.Post = readWhole(kPostField, text);
    return post;
}

base::Post withPostDog(base::Post post, std::string_view text) {
    post.RegName = readName(text);
    return post;
}

}  // namespace vz::editing
