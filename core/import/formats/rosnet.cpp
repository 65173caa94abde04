// Rosnet programs: the program's date on the first line, then race lines
// ("race ..."), entry lines ("post ...") and under each entry the runner's
// past lines in fixed columns.

#include <string>

#include "core/base/text.h"
#include "core/base/vb.h"
#include "core/import/format.h"
#include "core/import/kinds.h"
#include "core/import/rules.h"

namespace vz::import::formats {

namespace {

using base::mid;
using base::trim;
using base::val;

struct State {
    std::optional<base::Date> programDate;
    int raceNum = 0;
    std::string dog;
    std::optional<base::Date> lineDate;
};

// The program date of the first line: ten characters from two columns
// before its first slash. Throws ImportFailed when there is no room for it.
std::optional<base::Date> readProgramDate(const std::string& line) {
    const std::size_t slash = base::instr(line, "/");
    if (slash < 3) {
        throw ImportFailed("the first line holds no program date");
    }
    return base::readDate(mid(line, slash - 2, 10));
}

bool isRaceLine(const std::string& line) {
    return base::equalsNoCase(base::left(line, 4), "race");
}

bool isEntryLine(const std::string& line) {
    return base::equalsNoCase(base::left(line, 4), "post");
}

// The race of a race line, on the program's date; throws ImportFailed when
// the line has fewer than three words after "race".
Record raceRecord(const std::string& line, const std::optional<base::Date>& programDate,
                  Origin at = {}) {
    const std::vector<std::size_t> words = wordStarts(line, 1);
    if (words.size() < 3) {
        throw ImportFailed("race line with fewer than three words after \"race\"");
    }
    FieldNumbers n;
    base::Race race;
    race.RaceNum = n.whole(mid(line, words[0], 3), "RaceNum");
    race.Grade = adjustHeaderGrade(trim(mid(line, words[1], 3)));
    race.Distance = distanceClass(mid(line, words[2], 7));
    race.RaceDate = programDate;
    return {at, RaceRecord{race}, n.fault()};
}

Record readRaceLine(const std::string& line, Origin at, State& state) {
    Record r = raceRecord(line, state.programDate, at);
    state.raceNum = std::get<RaceRecord>(r.item).race.RaceNum.value_or(state.raceNum);
    return r;
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

Record readPastLine(const std::string& line, Origin at, State& state) {
    const Columns c(line);
    if (const auto d = base::readDate(c(3, 11))) {
        state.lineDate = d;
    }
    FieldNumbers n;
    base::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = n.whole(c(17, 2), "RaceNum");
    l.Distance = distanceClass(c(20, 5));
    l.Post = n.whole(c.at(39), "Post");
    l.Break = n.whole(c.at(41), "Break");
    l.Eighth = n.whole(c.at(43), "Eighth");
    l.Stretch = n.whole(c.at(49), "Stretch");
    l.Finish = n.whole(c.at(55), "Finish");
    const auto lengths = n.real(c(57, 2), "FinishLength");
    l.FinishLength = lengths == 0.0 ? std::optional<double>(1) : lengths;
    l.WinningTime = joinedTime(n, c(29, 2), c(32, 2), "WinningTime");
    l.FinishTime = joinedTime(n, c(64, 2), c(67, 2), "FinishTime");
    l.Odds = n.real(c(72, 5), "Odds");
    l.Grade = pastGrade(c);
    const bool counts = *l.Grade != "L";
    return {at, PastRecord{l, counts}, n.fault()};
}

// The kind of a line after the first: race, entry or past line.
LineKind kindOf(const std::string& line) {
    if (isBlankLine(line)) {
        return LineKind::Skipped;
    }
    return isRaceLine(line)    ? LineKind::Header
           : isEntryLine(line) ? LineKind::Entry
                               : LineKind::Past;
}

Reading read(const Inputs& files, base::Date /*today*/) {
    Reading out;
    readUntilBroken(out, [&] {
        LineReader in(textLines(files.at(0)));
        State state;
        state.programDate = readProgramDate(in.next());
        readProgramLines(in,
                         {.kind = kindOf,
                          .header = [&](const std::string& line,
                                        Origin at) { return readRaceLine(line, at, state); },
                          .afterHeader = 0,
                          .entry =
                              [&](const std::string& line, Origin at) {
                                  return entryRecord(line, at, {6, 8, 30}, state.raceNum,
                                                     state.programDate, state.dog);
                              },
                          .afterEntry = 1,
                          .past = [&](const std::string& line,
                                      Origin at) { return readPastLine(line, at, state); }},
                         out);
    });
    return out;
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
    std::optional<base::Date> date;
    try {
        date = readProgramDate(*first);
    } catch (const ImportFailed& e) {
        return e.detail();
    }
    if (!date) {
        return "the first line holds no program date";
    }
    return firstHeaderRefusal(lines, kindOf,
                              [&](const std::string& line) { return raceRecord(line, date); });
}

const Format& rosnet() {
    static const Format kFormat(
        {
            .key = "rosnet",
            .sourceName = "Rosnet",
            .menuLabel = "Import from Rosnet",
            .menuControl = "ROS",
            .caption = "Import from Rosnet",
            .readyText = "Ready to import from Rosnet",
            .completionText = "Import from Rosnet is complete.",
            .settingsFile = "ROS.ini",
            .settingsOrder = 3,
            .writesRaceFile = true,
            .inputs = {{.dialogTitle = "Select Rosnet file to import from...",
                        .filter = "Rosnet Files|*.txt|All Files|*.*",
                        .folderSetting = "RosnetFolder",
                        .sample = "rosnet_sample.txt"}},
        },
        [](const Inputs& files) { return rosnetRefusal(files.at(0)); }, &read);
    return kFormat;
}

}  // namespace vz::import::formats
