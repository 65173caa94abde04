// Derby Lane programs: a header line per race (it holds the words DERBY
// LANE), an entry line per runner and under each entry the runner's past
// lines in fixed columns. The first line of the file is a title, never read.

#include <optional>
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
    int raceNum = 0;
    std::optional<base::Date> raceDate;
    std::string dog;
    std::optional<base::Date> lineDate;
};

constexpr std::string_view kMark = "DERBY LANE";

LineKind kindOf(const std::string& line) {
    if (isBlankLine(line)) {
        return LineKind::Skipped;
    }
    if (base::instrNoCase(line, kMark) != 0) {
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

// The race of a header, with the date it holds (empty when unreadable);
// throws ImportFailed when it has too few words.
Record headerRecord(const std::string& line, Origin at = {}) {
    // Words are counted from the mark on: DERBY is not a word, LANE is the first.
    const std::vector<std::size_t> words = wordStarts(line, base::instrNoCase(line, kMark));
    if (words.size() < 13) {
        throw ImportFailed("race header with fewer than 13 words after DERBY LANE");
    }
    const auto word = [&](std::size_t n) { return words[n - 1]; };
    FieldNumbers n;
    base::Race race;
    // The date runs from word 4 up to the start of word 7 ("December 8, 2026 ").
    race.RaceDate = base::readDate(mid(line, word(4), word(7) - word(4)));
    race.RaceNum = n.whole(mid(line, word(9), 3), "RaceNum");
    race.Grade = adjustHeaderGrade(trim(mid(line, word(11), 3)));
    race.Distance = distanceClass(mid(line, word(13), 7));
    return {at, RaceRecord{race}, n.fault()};
}

Record readHeader(const std::string& line, Origin at, State& state) {
    Record r = headerRecord(line, at);
    base::Race& race = std::get<RaceRecord>(r.item).race;
    // An unreadable date keeps the one of the header before.
    if (race.RaceDate) {
        state.raceDate = race.RaceDate;
    }
    state.raceNum = race.RaceNum.value_or(state.raceNum);
    race.RaceDate = state.raceDate;
    return r;
}

// Seconds as they stand, then the hundredths trimmed and padded on the right
// (a tenths digit 5 is 50 hundredths).
std::optional<int> paddedTime(FieldNumbers& n, const std::string& line, std::size_t secondsAt,
                              std::size_t hundredthsAt, const char* field) {
    std::string hundredths = trim(mid(line, hundredthsAt, 2));
    while (base::charCount(hundredths) < 2) {
        hundredths += '0';
    }
    return n.whole(mid(line, secondsAt, 2) + hundredths, field);
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

Record readPastLine(const std::string& line, Origin at, State& state) {
    if (const auto d = base::readDate(mid(line, 3, 8))) {
        state.lineDate = d;
    }
    FieldNumbers n;
    base::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = n.whole(mid(line, 14, 2), "RaceNum");
    l.Distance = distanceClass(mid(line, 17, 5));
    l.Post = n.whole(mid(line, 35, 1), "Post");
    l.Break = n.whole(mid(line, 37, 1), "Break");
    l.Eighth = n.whole(mid(line, 39, 1), "Eighth");
    l.Stretch = n.whole(mid(line, 44, 1), "Stretch");
    l.Finish = n.whole(mid(line, 49, 1), "Finish");
    const auto lengths = n.real(mid(line, 51, 2), "FinishLength");
    l.FinishLength = lengths == 0.0 ? std::optional<double>(1) : lengths;
    l.WinningTime = paddedTime(n, line, 25, 28, "WinningTime");
    l.FinishTime = paddedTime(n, line, 54, 57, "FinishTime");
    l.Odds = n.real(mid(line, 61, 5), "Odds");
    l.Grade = pastGrade(line);
    // Schooling races (grade L) are kept but are no start.
    const bool counts = *l.Grade != "L";
    return {at, PastRecord{l, counts}, n.fault()};
}

Reading read(const Inputs& files, base::Date /*today*/) {
    Reading out;
    readUntilBroken(out, [&] {
        LineReader in(textLines(files.at(0)));
        State state;
        in.next();  // the title
        readProgramLines(in,
                         {.kind = kindOf,
                          .header = [&](const std::string& line,
                                        Origin at) { return readHeader(line, at, state); },
                          .afterHeader = 4,
                          .entry =
                              [&](const std::string& line, Origin at) {
                                  return entryRecord(line, at, {1, 3, 17}, state.raceNum,
                                                     state.raceDate, state.dog);
                              },
                          .afterEntry = 2,
                          .past = [&](const std::string& line,
                                      Origin at) { return readPastLine(line, at, state); }},
                         out);
    });
    return out;
}

}  // namespace

// A Derby Lane program: after its title line, the first race header (a
// line with DERBY LANE and the date, race number, grade and distance) comes
// before any runner.
Refusal derbyLaneRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    lines.next();  // the title
    return firstHeaderRefusal(lines, kindOf,
                              [](const std::string& line) { return headerRecord(line); });
}

const Format& derbyLane() {
    static const Format kFormat(
        {
            .key = "derbylane",
            .sourceName = "Derby Lane",
            .menuLabel = "Import from Derby Lane",
            .menuControl = "DerbyLane",
            .caption = "Import from Derby Lane",
            .readyText = "Ready to import from Derby Lane",
            .completionText = "Import from Derby Lane is complete.",
            .settingsFile = "DerbyLane.ini",
            .settingsOrder = 4,
            .writesRaceFile = true,
            .inputs = {{.dialogTitle = "Select Derby Lane file to import from...",
                        .filter = "Derby Lane Files|*.txt|All Files|*.*",
                        .folderSetting = "DerbyLaneFolder",
                        .sample = "derbylane_sample.txt"}},
        },
        [](const Inputs& files) { return derbyLaneRefusal(files.at(0)); }, &read);
    return kFormat;
}

}  // namespace vz::import::formats
