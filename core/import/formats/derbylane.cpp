// Derby Lane programs: a header line per race (it holds the words DERBY
// LANE), an entry line per runner and under each entry the runner's past
// lines in fixed columns. The first line of the file is a title, never read.

#include <optional>
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

class DerbyLane final : public Format {
  public:
    const FormatInfo& info() const override {
        static const FormatInfo kInfo = {
            .key = "derbylane",
            .sourceName = "Derby Lane",
            .menuLabel = "Import from Derby Lane",
            .windowName = "ImportDerbyLane",
            .caption = "Import from Derby Lane",
            .readyText = "Ready to import from Derby Lane",
            .completionText = "Import from Derby Lane is complete.",
            .settingsFile = "DerbyLane.ini",
            .writesRaceFile = true,
            .inputs = {{"Select Derby Lane file to import from...",
                        "Derby Lane Files|*.txt|All Files|*.*", "DerbyLaneFolder"}},
        };
        return kInfo;
    }

    Refusal refusal(const std::vector<std::string>& files) const override;
    void run(const std::vector<std::string>& files, Session& session) const override;
};

struct State {
    int raceNum = 0;
    std::optional<store::Date> raceDate;
    std::string dog;
    std::optional<store::Date> lineDate;
};

constexpr std::string_view kMark = "DERBY LANE";

LineKind kindOf(const std::string& line) {
    if (isBlankLine(line)) {
        return LineKind::Skipped;
    }
    if (store::instrNoCase(line, kMark) != 0) {
        return LineKind::Header;
    }
    if (val(mid(line, 1, 2)) > 0) {
        return LineKind::Entry;
    }
    const char first = line[0];
    if (first == '_' || first == '=' || first == ' ') {
        return LineKind::Skipped;
    }
    return LineKind::Past;
}

// The race of a header; throws ImportFailed when it has too few words. An
// unreadable date is left empty.
store::Race headerRace(const std::string& line) {
    // Words are counted from the mark on: DERBY is not a word, LANE is the first.
    const std::vector<std::size_t> words = wordStarts(line, store::instrNoCase(line, kMark));
    if (words.size() < 13) {
        throw ImportFailed("race header with fewer than 13 words after DERBY LANE");
    }
    const auto word = [&](std::size_t n) { return words[n - 1]; };
    store::Race race;
    // The date runs from word 4 up to the start of word 7 ("December 8, 2026 ").
    race.RaceDate = store::readDate(mid(line, word(4), word(7) - word(4)));
    race.RaceNum = wholeVal(mid(line, word(9), 3));
    race.Grade = adjustHeaderGrade(trim(mid(line, word(11), 3)));
    race.Distance = distanceClass(mid(line, word(13), 7));
    return race;
}

void readHeader(const std::string& line, State& state, Session& session) {
    store::Race race = headerRace(line);
    // An unreadable date keeps the one of the header before.
    if (race.RaceDate) {
        state.raceDate = race.RaceDate;
    }
    state.raceNum = *race.RaceNum;
    race.RaceDate = state.raceDate;
    session.addRace(race);
}

void readEntry(const std::string& line, State& state, Session& session) {
    const int post = wholeVal(mid(line, 1, 2));
    state.dog = trim(mid(line, 3, 17));
    session.enterDog(state.dog, state.raceNum, state.raceDate, post);
}

// Seconds as they stand, then the hundredths trimmed and padded on the right
// (a tenths digit 5 is 50 hundredths).
int joinedTime(const std::string& line, std::size_t secondsAt, std::size_t hundredthsAt) {
    std::string hundredths = trim(mid(line, hundredthsAt, 2));
    while (store::charCount(hundredths) < 2) {
        hundredths += '0';
    }
    return wholeVal(mid(line, secondsAt, 2) + hundredths);
}

std::string pastGrade(const std::string& line) {
    const std::string c67 = mid(line, 67, 1);
    if (c67 == "S") {
        return "L";
    }
    if (c67 == "T") {
        return mid(line, 68, 1) + c67;
    }
    return c67;
}

void readPastLine(const std::string& line, State& state, Session& session) {
    if (const auto d = store::readDate(mid(line, 3, 8))) {
        state.lineDate = d;
    }
    if (!session.wantsPastLine(state.dog, state.lineDate)) {
        return;
    }
    store::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = wholeVal(mid(line, 14, 2));
    l.Distance = distanceClass(mid(line, 17, 5));
    l.Post = wholeVal(mid(line, 35, 1));
    l.Break = wholeVal(mid(line, 37, 1));
    l.Eighth = wholeVal(mid(line, 39, 1));
    l.Stretch = wholeVal(mid(line, 44, 1));
    const int finish = wholeVal(mid(line, 49, 1));
    l.Finish = finish;
    const double lengths = val(mid(line, 51, 2));
    l.FinishLength = lengths == 0 ? 1 : lengths;
    l.WinningTime = joinedTime(line, 25, 28);
    l.FinishTime = joinedTime(line, 54, 57);
    l.Odds = val(mid(line, 61, 5));
    l.Grade = pastGrade(line);

    // Schooling races (grade L) are kept but are no start.
    std::optional<int> counted;
    if (*l.Grade != "L") {
        counted = finish;
    }
    session.addRaceLine(l, counted);
}

Refusal DerbyLane::refusal(const std::vector<std::string>& files) const {
    return derbyLaneRefusal(files.at(0));
}

void DerbyLane::run(const std::vector<std::string>& files, Session& session) const {
    LineReader in(textLines(files.at(0)));
    State state;
    in.next();  // the title
    while (!in.atEnd()) {
        const std::string& line = in.next();
        session.progress(in.done(), in.total());
        switch (kindOf(line)) {
            case LineKind::Header:
                readHeader(line, state, session);
                in.discard(4);
                break;
            case LineKind::Entry:
                readEntry(line, state, session);
                in.discard(2);
                break;
            case LineKind::Past:
                readPastLine(line, state, session);
                break;
            case LineKind::Skipped:
                break;
        }
    }
}

}  // namespace

// A Derby Lane program: after its title line, the first race header (a
// line with DERBY LANE and the date, race number, grade and distance) comes
// before any runner.
Refusal derbyLaneRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    lines.next();  // the title
    return firstHeaderRefusal(lines, kindOf,
                              [](const std::string& line) { return headerRace(line).RaceDate; });
}

const Format& derbyLane() {
    static const DerbyLane kFormat;
    return kFormat;
}

}  // namespace vz::import::formats
