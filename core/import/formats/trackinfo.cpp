// TrackInfo programs: a header line per race, an entry line per runner, and
// under each entry the runner's past lines in fixed columns.

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

// The state carried from line to line.
struct State {
    int raceNum = 0;
    std::optional<base::Date> raceDate;
    std::string dog;
    std::optional<base::Date> lineDate;
};

bool isRaceHeader(const std::string& line) {
    if (line.find("RACE") == std::string::npos) {
        return false;
    }
    const std::size_t first = line.find('/');
    return first != std::string::npos && line.find('/', first + 1) != std::string::npos;
}

bool isEntryLine(const Columns& c) {
    return val(c(1, 2)) > 0 && c.at(3) != "/";
}

// The kind of a line, by the first test that applies.
LineKind kindOf(const std::string& line, const Columns& c) {
    if (isBlankLine(line) || line.starts_with("Track Handicapper:") ||
        line.starts_with("Program Format")) {
        return LineKind::Skipped;
    }
    if (isRaceHeader(line)) {
        return LineKind::Header;
    }
    if (isEntryLine(c)) {
        return LineKind::Entry;
    }
    if (line[0] == '_' || line[0] == '=' || line[0] == ' ') {
        return LineKind::Skipped;
    }
    return isBlankLine(c(73, 3)) ? LineKind::Skipped : LineKind::Past;
}

// The race of a header line, with the date it holds (empty when
// unreadable); throws ImportFailed when the grade cannot be cut out.
Record headerRecord(const std::string& line, Origin at = {}) {
    const std::size_t slash = base::instr(line, "/");
    if (slash < 3) {
        throw ImportFailed("race header without room for a date before its first slash");
    }
    const std::size_t gradeAt = base::instr(line, "Grade:");
    if (gradeAt == 0) {
        throw ImportFailed("race header without \"Grade:\"");
    }
    const std::size_t comma = base::instr(line, ",", gradeAt);
    if (comma == 0) {
        throw ImportFailed("race header without a comma after \"Grade:\"");
    }
    FieldNumbers n;
    base::Race race;
    race.RaceNum = n.whole(mid(line, 1, 2), "RaceNum");
    race.RaceDate = base::readDate(mid(line, slash - 2, 8));
    race.Grade = adjustHeaderGrade(trim(mid(line, gradeAt + 6, comma - (gradeAt + 6))));
    // Without the label there is no distance to read; the base class is taken.
    const std::size_t distAt = base::instr(line, "Distance:");
    race.Distance = distanceClass(distAt == 0 ? std::string() : trim(mid(line, distAt + 9, 20)));
    return {at, RaceRecord{race}, n.fault()};
}

Record readHeader(const std::string& line, Origin at, State& state) {
    Record r = headerRecord(line, at);
    base::Race& race = std::get<RaceRecord>(r.item).race;
    state.raceNum = race.RaceNum.value_or(state.raceNum);
    // An unreadable date keeps the one of the header before.
    if (race.RaceDate) {
        state.raceDate = race.RaceDate;
    }
    race.RaceDate = state.raceDate;
    return r;
}

std::string pastGrade(const Columns& c) {
    const Columns g(trimmed(c(73, 3)));
    const std::string first(g.at(1));
    if (first == "S") {
        return "L";
    }
    if (first == "T") {
        return std::string(g.at(2)) + first;
    }
    return first;
}

Record readPastLine(const std::string& line, Origin at, State& state) {
    const Columns c(line);
    if (const auto d = base::readDate(c(1, 8))) {
        state.lineDate = d;
    }
    FieldNumbers n;
    base::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = n.whole(c(10, 2), "RaceNum");
    l.Distance = distanceClass(c(17, 4));
    l.Post = n.whole(c.at(35), "Post");
    l.Break = n.whole(c.at(37), "Break");
    l.Eighth = n.whole(c.at(39), "Eighth");
    l.Stretch = n.whole(c(44, 2), "Stretch");

    std::string_view lengths = "OO";
    l.Finish = 9;
    if (const std::size_t dash = base::instr(line, "-", 48); dash != 0) {
        l.Finish = n.whole(c.at(dash - 1), "Finish");
        lengths = trimmed(c(dash + 1, 4));
    }
    if (lengths == "oo" || lengths == "OO") {
        l.FinishLength = 99;
    } else {
        const auto v = n.real(lengths, "FinishLength");
        l.FinishLength = v == 0.0 ? std::optional<double>(1) : v;
    }
    l.WinningTime = joinedTime(n, c(23, 2), c(26, 2), "WinningTime");
    const Columns own(trimmed(c(59, 6)));
    const auto ownTime = joinedTime(n, own(1, 2), own(4, 2), "FinishTime");
    // No time of its own is stored as 9999, the no-time mark processing ranks
    // last; a 0 would count as the fastest last time.
    l.FinishTime = ownTime == 0 ? std::optional<int>(9999) : ownTime;
    l.Odds = n.real(c(66, 6), "Odds");
    l.Grade = pastGrade(c);
    // Schooling lines (stored as grade L) are kept but are no start.
    const bool counts = *l.Grade != "L";
    return {at, PastRecord{l, counts}, n.fault()};
}

Reading read(const Inputs& files, base::Date /*today*/) {
    Reading out;
    readUntilBroken(out, [&] {
        LineReader in(textLines(files.at(0)));
        State state;
        readProgramLines(
            in,
            {.kind = [](const std::string& line) { return kindOf(line, Columns(line)); },
             .header = [&](const std::string& line,
                           Origin at) { return readHeader(line, at, state); },
             .afterHeader = 2,
             .entry =
                 [&](const std::string& line, Origin at) {
                     return entryRecord(line, at, {1, 4, 17}, state.raceNum, state.raceDate,
                                        state.dog);
                 },
             .afterEntry = 2,
             .past = [&](const std::string& line,
                         Origin at) { return readPastLine(line, at, state); }},
            out);
    });
    return out;
}

}  // namespace

// A TrackInfo program: its first race header (a line with RACE and two
// slashes) comes before any runner and holds the race date and "Grade:"
// with a comma after the grade.
Refusal trackInfoRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const auto kind = [](const std::string& line) { return kindOf(line, Columns(line)); };
    return firstHeaderRefusal(lines, kind,
                              [](const std::string& line) { return headerRecord(line); });
}

const Format& trackInfo() {
    static const Format kFormat(
        {
            .key = "trackinfo",
            .sourceName = "TrackInfo",
            .menuLabel = "Import from TrackInfo",
            .menuControl = "TrackInfo",
            .caption = "Import from TrackInfo",
            .readyText = "Ready to import from TrackInfo",
            .completionText = "Import from TrackInfo is complete.",
            .settingsFile = "TrackInfo.ini",
            .settingsOrder = 5,
            .writesRaceFile = true,
            .inputs = {{.dialogTitle = "Select TrackInfo file to import from...",
                        .filter = "TrackInfo Files|*.txt|All Files|*.*",
                        .folderSetting = "TrackInfoFolder",
                        .sample = "trackinfo_sample.txt"}},
        },
        [](const Inputs& files) { return trackInfoRefusal(files.at(0)); }, &read);
    return kFormat;
}

}  // namespace vz::import::formats
