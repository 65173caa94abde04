// Rosnet programs: the program's date on the first line, then race lines
// ("race ..."), entry lines ("post ...") and under each entry the runner's
// past lines in fixed columns.

#include <string>

#include "core/import/format.h"
#include "core/import/kinds.h"
#include "core/import/rules.h"
#include "core/store/text.h"
#include "core/store/vb.h"

namespace vz::import::formats {

namespace {

using store::mid;
using store::trim;
using store::val;

class Rosnet final : public Format {
  public:
    const FormatInfo& info() const override {
        static const FormatInfo kInfo = {
            .key = "rosnet",
            .sourceName = "Rosnet",
            .menuLabel = "Import from Rosnet",
            .windowName = "ImportROS",
            .caption = "Import from Rosnet",
            .readyText = "Ready to import from Rosnet",
            .completionText = "Import from Rosnet is complete.",
            .settingsFile = "ROS.ini",
            .writesRaceFile = true,
            .inputs = {{"Select Rosnet file to import from...", "Rosnet Files|*.txt|All Files|*.*",
                        "RosnetFolder"}},
        };
        return kInfo;
    }

    Refusal refusal(const std::vector<std::string>& files) const override;
    void run(const std::vector<std::string>& files, Session& session) const override;
};

struct State {
    std::optional<store::Date> programDate;
    int raceNum = 0;
    std::string dog;
    std::optional<store::Date> lineDate;
};

// The program date of the first line: ten characters from two columns
// before its first slash. Throws ImportFailed when there is no room for it.
std::optional<store::Date> readProgramDate(const std::string& line) {
    const std::size_t slash = store::instr(line, "/");
    if (slash < 3) {
        throw ImportFailed("the first line holds no program date");
    }
    return store::readDate(mid(line, slash - 2, 10));
}

bool isRaceLine(const std::string& line) {
    return store::equalsNoCase(store::left(line, 4), "race");
}

bool isEntryLine(const std::string& line) {
    return store::equalsNoCase(store::left(line, 4), "post");
}

// The race of a race line, dated by the caller; throws ImportFailed when
// the line has fewer than three words after "race".
store::Race lineRace(const std::string& line) {
    const std::vector<std::size_t> words = wordStarts(line, 1);
    if (words.size() < 3) {
        throw ImportFailed("race line with fewer than three words after \"race\"");
    }
    store::Race race;
    race.RaceNum = wholeVal(mid(line, words[0], 3));
    race.Grade = adjustHeaderGrade(trim(mid(line, words[1], 3)));
    race.Distance = distanceClass(mid(line, words[2], 7));
    return race;
}

void readRaceLine(const std::string& line, State& state, Session& session) {
    store::Race race = lineRace(line);
    state.raceNum = *race.RaceNum;
    race.RaceDate = state.programDate;
    session.addRace(race);
}

void readEntry(const std::string& line, State& state, Session& session) {
    const int post = wholeVal(mid(line, 6, 2));
    state.dog = trim(mid(line, 8, 30));
    session.enterDog(state.dog, state.raceNum, state.programDate, post);
}

std::string pastGrade(const Columns& c) {
    // A mark in column 80 flags a schooling race. A line that stops short of
    // column 80 has no mark.
    const std::string_view flag = c.at(80);
    if (!flag.empty() && flag != " ") {
        return "L";
    }
    const std::string c78(c.at(78));
    if (c78 == "S" || c78 == "T") {
        return std::string(c.at(79)) + c78;
    }
    return c78;
}

// Two pieces of a time joined, "30" and "45" giving 3045.
int joinedTime(std::string_view seconds, std::string_view hundredths) {
    std::string t(seconds);
    t += hundredths;
    return wholeVal(t);
}

void readPastLine(const std::string& line, State& state, Session& session) {
    const Columns c(line);
    if (const auto d = store::readDate(c(3, 11))) {
        state.lineDate = d;
    }
    if (!session.wantsPastLine(state.dog, state.lineDate)) {
        return;
    }
    store::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = wholeVal(c(17, 2));
    l.Distance = distanceClass(c(20, 5));
    l.Post = wholeVal(c.at(39));
    l.Break = wholeVal(c.at(41));
    l.Eighth = wholeVal(c.at(43));
    l.Stretch = wholeVal(c.at(49));
    const int finish = wholeVal(c.at(55));
    l.Finish = finish;
    const double lengths = realVal(c(57, 2));
    l.FinishLength = lengths == 0 ? 1 : lengths;
    l.WinningTime = joinedTime(c(29, 2), c(32, 2));
    l.FinishTime = joinedTime(c(64, 2), c(67, 2));
    l.Odds = realVal(c(72, 5));
    l.Grade = pastGrade(c);

    std::optional<int> counted;
    if (*l.Grade != "L") {
        counted = finish;
    }
    session.addRaceLine(l, counted);
}

Refusal Rosnet::refusal(const std::vector<std::string>& files) const {
    return rosnetRefusal(files.at(0));
}

void Rosnet::run(const std::vector<std::string>& files, Session& session) const {
    LineReader in(textLines(files.at(0)));
    State state;
    state.programDate = readProgramDate(in.next());
    while (!in.atEnd()) {
        const std::string& line = in.next();
        session.progress(in.done(), in.total());
        if (isBlankLine(line)) {
            continue;
        }
        if (isRaceLine(line)) {
            readRaceLine(line, state, session);
        } else if (isEntryLine(line)) {
            readEntry(line, state, session);
            in.discard(1);
        } else {
            readPastLine(line, state, session);
        }
    }
}

}  // namespace

// A Rosnet program: its first line holds the program date, and its first
// race line (race, number, grade, distance) comes before any runner.
Refusal rosnetRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const std::string* first = lines.next();
    if (first == nullptr) {
        return "an empty file";
    }
    std::optional<store::Date> date;
    try {
        date = readProgramDate(*first);
    } catch (const ImportFailed& e) {
        return e.detail();
    }
    if (!date) {
        return "the first line holds no program date";
    }
    const auto kind = [](const std::string& line) {
        return isRaceLine(line)    ? LineKind::Header
               : isEntryLine(line) ? LineKind::Entry
                                   : LineKind::Skipped;
    };
    // Every race carries the program date.
    return firstHeaderRefusal(lines, kind, [&](const std::string& line) {
        lineRace(line);
        return date;
    });
}

const Format& rosnet() {
    static const Rosnet kFormat;
    return kFormat;
}

}  // namespace vz::import::formats
