#pragma once

// The editors' fields and cells as values: what each window shows for a row
// and the row it stores for what was typed. Each function converts every
// field the same way (convert.h) and throws FieldError, naming the field as
// the window labels it, for text the field cannot hold.

#include <string>
#include <string_view>

#include "core/base/records.h"
#include "core/editing/pickers.h"

namespace vz::editing {

// --- Dog editor -------------------------------------------------------------

// The field names, as the window labels them (without the colon).
inline constexpr const char* kDogNameField = "Dog's Name";
inline constexpr const char* kStyleField = "Running Style";
inline constexpr const char* kStartsField = "Number of Starts";
inline constexpr const char* kFirstsField = "Number of Firsts";
inline constexpr const char* kSecondsField = "Number of Seconds";
inline constexpr const char* kThirdsField = "Number of Thirds";
inline constexpr const char* kCommentsField = "Comments (optional)";

// The dog editor's fields as typed.
struct DogFields {
    std::string name;
    std::string style;
    std::string starts;
    std::string firsts;
    std::string seconds;
    std::string thirds;
    std::string comments;
};

DogFields dogFields(const base::Dog& dog);
// The stored dog with the typed fields; the comment is cut to its length.
base::Dog dogFromFields(const base::Dog& stored, const DogFields& typed,
                        const std::vector<std::string>& styles);

// --- Race-line grid (RaceHistory's columns in table order) -----------------

enum RaceLineColumn {
    kLineRegName = 0,
    kLineRaceDate,
    kLineRaceNum,
    kLineDistance,
    kLineWinningTime,
    kLinePost,
    kLineBreak,
    kLineEighth,
    kLineStretch,
    kLineFinish,
    kLineFinishLength,
    kLineFinishTime,
    kLineOdds,
    kLineGrade,
    kRaceLineColumns
};

// The grid's caption of a column ("Date", "Fin Tm"); it names the field in
// messages too.
const char* raceLineCaption(int column);
std::string raceLineCell(const base::RaceLine& line, int column);
// The line with one cell set from typed text; Dist and Grade take only the
// lookup codes (or the value already stored).
base::RaceLine withRaceLineCell(base::RaceLine line, int column, std::string_view text,
                                const Lookups& lookups);

// --- Race editor ----------------------------------------------------------------

inline constexpr const char* kRaceDateField = "Date";
inline constexpr const char* kRaceNumField = "Race Number";
inline constexpr const char* kRaceDistanceField = "Distance";
inline constexpr const char* kRaceGradeField = "Grade";
inline constexpr const char* kPostField = "Post Num";

struct RaceFields {
    std::string date;
    std::string number;
    std::string distance;
    std::string grade;
};

RaceFields raceFields(const base::Race& race);
// The stored race with the typed fields. A race is known by its date and
// number, and its posts by the same two values: a race that has them may not
// lose either (its posts would be left behind under no race).
base::Race raceFromFields(const base::Race& stored, const RaceFields& typed,
                          const Lookups& lookups);

// The post with its number, or its dog, from typed text.
base::Post withPostNumber(base::Post post, std::string_view text);
base::Post withPostDog(base::Post post, std::string_view text);

}  // namespace vz::editing
