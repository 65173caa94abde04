// TrackInfo programs: a header line per race, an entry line per runner, and
// under each entry the runner's past lines in fixed columns.

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

class TrackInfo final : public Format {
  public:
    const FormatInfo& info() const override {
        static const FormatInfo kInfo = {
            .key = "trackinfo",
            .sourceName = "TrackInfo",
            .menuLabel = "Import from TrackInfo",
            .windowName = "ImportTrackInfo",
            .caption = "Import from TrackInfo",
            .readyText = "Ready to import from TrackInfo",
            .completionText = "Import from TrackInfo is complete.",
            .settingsFile = "TrackInfo.ini",
            .writesRaceFile = true,
            .inputs = {{"Select TrackInfo file to import from...",
                        "TrackInfo Files|*.txt|All Files|*.*", "TrackInfoFolder"}},
        };
        return kInfo;
    }

    Refusal refusal(const std::vector<std::string>& files) const override;
    void run(const std::vector<std::string>& files, Session& session) const override;
};

// The state carried from line to line.
struct State {
    int raceNum = 0;
    std::optional<store::Date> raceDate;
    std::string dog;
    std::optional<store::Date> lineDate;
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

// The race of a header line; throws ImportFailed when the grade cannot be
// cut out. An unreadable date is left empty.
store::Race headerRace(const std::string& line) {
    const std::size_t slash = store::instr(line, "/");
    if (slash < 3) {
        throw ImportFailed("race header without room for a date before its first slash");
    }
    const std::size_t gradeAt = store::instr(line, "Grade:");
    if (gradeAt == 0) {
        throw ImportFailed("race header without \"Grade:\"");
    }
    const std::size_t comma = store::instr(line, ",", gradeAt);
    if (comma == 0) {
        throw ImportFailed("race header without a comma after \"Grade:\"");
    }
    store::Race race;
    race.RaceNum = wholeVal(mid(line, 1, 2));
    race.RaceDate = store::readDate(mid(line, slash - 2, 8));
    race.Grade = adjustHeaderGrade(trim(mid(line, gradeAt + 6, comma - (gradeAt + 6))));
    // Without the label there is no distance to read; the base class is taken.
    const std::size_t distAt = store::instr(line, "Distance:");
    race.Distance = distanceClass(distAt == 0 ? std::string() : trim(mid(line, distAt + 9, 20)));
    return race;
}

void readHeader(const std::string& line, State& state, Session& session) {
    store::Race race = headerRace(line);
    state.raceNum = *race.RaceNum;
    // An unreadable date keeps the one of the header before.
    if (race.RaceDate) {
        state.raceDate = race.RaceDate;
    }
    race.RaceDate = state.raceDate;
    session.addRace(race);
}

void readEntry(const std::string& line, State& state, Session& session) {
    const int post = wholeVal(mid(line, 1, 2));
    state.dog = trim(mid(line, 4, 17));
    session.enterDog(state.dog, state.raceNum, state.raceDate, post);
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

// Two pieces of a time joined, "30" and "45" giving 3045.
int joinedTime(std::string_view seconds, std::string_view hundredths) {
    std::string t(seconds);
    t += hundredths;
    return wholeVal(t);
}

void readPastLine(const std::string& line, const Columns& c, State& state, Session& session) {
    if (const auto d = store::readDate(c(1, 8))) {
        state.lineDate = d;
    }
    if (!session.wantsPastLine(state.dog, state.lineDate)) {
        return;
    }
    store::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = wholeVal(c(10, 2));
    l.Distance = distanceClass(c(17, 4));
    l.Post = wholeVal(c.at(35));
    l.Break = wholeVal(c.at(37));
    l.Eighth = wholeVal(c.at(39));
    l.Stretch = wholeVal(c(44, 2));

    std::string_view lengths = "OO";
    int finish = 9;
    if (const std::size_t dash = store::instr(line, "-", 48); dash != 0) {
        finish = wholeVal(c.at(dash - 1));
        lengths = trimmed(c(dash + 1, 4));
    }
    l.Finish = finish;
    if (lengths == "oo" || lengths == "OO") {
        l.FinishLength = 99;
    } else {
        const double v = realVal(lengths);
        l.FinishLength = v == 0 ? 1 : v;
    }
    l.WinningTime = joinedTime(c(23, 2), c(26, 2));
    const Columns own(trimmed(c(59, 6)));
    const int ownTime = joinedTime(own(1, 2), own(4, 2));
    l.FinishTime = ownTime == 0 ? 9999 : ownTime;
    l.Odds = realVal(c(66, 6));
    l.Grade = pastGrade(c);

    // Schooling lines (stored as grade L) are kept but are no start.
    std::optional<int> counted;
    if (*l.Grade != "L") {
        counted = finish;
    }
    session.addRaceLine(l, counted);
}

Refusal TrackInfo::refusal(const std::vector<std::string>& files) const {
    return trackInfoRefusal(files.at(0));
}

void TrackInfo::run(const std::vector<std::string>& files, Session& session) const {
    LineReader in(textLines(files.at(0)));
    State state;
    while (!in.atEnd()) {
        const std::string& line = in.next();
        session.progress(in.done(), in.total());
        const Columns c(line);
        switch (kindOf(line, c)) {
            case LineKind::Header:
                readHeader(line, state, session);
                in.discard(2);
                break;
            case LineKind::Entry:
                readEntry(line, state, session);
                in.discard(2);
                break;
            case LineKind::Past:
                readPastLine(line, c, state, session);
                break;
            case LineKind::Skipped:
                break;
        }
    }
}

}  // namespace

// A TrackInfo program: its first race header (a line with RACE and two
// slashes) comes before any runner and holds the race date and "Grade:"
// with a comma after the grade.
Refusal trackInfoRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const auto kind = [](const std::string& line) { return kindOf(line, Columns(line)); };
    return firstHeaderRefusal(lines, kind,
                              [](const std::string& line) { return headerRace(line).RaceDate; });
}

const Format& trackInfo() {
    static const TrackInfo kFormat;
    return kFormat;
}

}  // namespace vz::import::formats
