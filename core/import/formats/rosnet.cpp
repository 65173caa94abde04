// Rosnet programs: the program's date on the first line, then race lines
// ("race ..."), entry lines ("post ...") and under each entry the runner's
// past lines in fixed columns.

#include <string>

#include "core/import/format.h"
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

    void run(const std::vector<std::string>& files, Session& session) const override;
};

struct State {
    std::optional<store::Date> programDate;
    int raceNum = 0;
    std::string dog;
    std::optional<store::Date> lineDate;
};

void readProgramDate(const std::string& line, State& state) {
    const std::size_t slash = store::instr(line, "/");
    if (slash < 3) {
        throw ImportFailed("the first line holds no program date");
    }
    state.programDate = store::readDate(mid(line, slash - 2, 10));
}

void readRaceLine(const std::string& line, State& state, Session& session) {
    const std::vector<std::size_t> words = wordStarts(line, 1);
    if (words.size() < 3) {
        throw ImportFailed("race line with fewer than three words after \"race\"");
    }
    state.raceNum = wholeVal(mid(line, words[0], 3));
    store::Race race;
    race.RaceNum = state.raceNum;
    race.RaceDate = state.programDate;
    race.Grade = adjustHeaderGrade(trim(mid(line, words[1], 3)));
    race.Distance = distanceClass(mid(line, words[2], 7));
    session.addRace(race);
}

void readEntry(const std::string& line, State& state, Session& session) {
    const int post = wholeVal(mid(line, 6, 2));
    state.dog = trim(mid(line, 8, 30));
    session.findOrAddDog(state.dog);
    store::Post p;
    p.RaceNum = state.raceNum;
    p.RaceDate = state.programDate;
    p.Post = post;
    p.RegName = state.dog;
    session.addPost(p);
}

std::string pastGrade(const std::string& line) {
    // A mark in column 80 flags a schooling race. A line that stops short of
    // column 80 has no mark.
    const std::string flag = mid(line, 80, 1);
    if (!flag.empty() && flag != " ") {
        return "L";
    }
    const std::string c78 = mid(line, 78, 1);
    if (c78 == "S" || c78 == "T") {
        return mid(line, 79, 1) + c78;
    }
    return c78;
}

void readPastLine(const std::string& line, State& state, Session& session) {
    if (const auto d = store::readDate(mid(line, 3, 11))) {
        state.lineDate = d;
    }
    if (!session.dogKnown(state.dog)) {
        session.skipLineWithoutDog();
        return;
    }
    if (!state.lineDate) {
        session.skipLineWithoutDate();
        return;
    }
    if (session.isDuplicate(state.dog, *state.lineDate)) {
        return;
    }
    store::RaceLine l;
    l.RegName = state.dog;
    l.RaceDate = state.lineDate;
    l.RaceNum = wholeVal(mid(line, 17, 2));
    l.Distance = distanceClass(mid(line, 20, 5));
    l.Post = wholeVal(mid(line, 39, 1));
    l.Break = wholeVal(mid(line, 41, 1));
    l.Eighth = wholeVal(mid(line, 43, 1));
    l.Stretch = wholeVal(mid(line, 49, 1));
    const int finish = wholeVal(mid(line, 55, 1));
    l.Finish = finish;
    const double lengths = realVal(mid(line, 57, 2));
    l.FinishLength = lengths == 0 ? 1 : lengths;
    l.WinningTime = wholeVal(mid(line, 29, 2) + mid(line, 32, 2));
    l.FinishTime = wholeVal(mid(line, 64, 2) + mid(line, 67, 2));
    l.Odds = realVal(mid(line, 72, 5));
    l.Grade = pastGrade(line);

    std::optional<int> counted;
    if (*l.Grade != "L") {
        counted = finish;
    }
    session.addRaceLine(l, counted);
}

void Rosnet::run(const std::vector<std::string>& files, Session& session) const {
    LineReader in(textLines(files.at(0)));
    State state;
    readProgramDate(in.next(), state);
    while (!in.atEnd()) {
        const std::string& line = in.next();
        session.progress(in.done(), in.total());
        if (isBlankLine(line)) {
            continue;
        }
        const std::string head = store::left(line, 4);
        if (store::equalsNoCase(head, "race")) {
            readRaceLine(line, state, session);
        } else if (store::equalsNoCase(head, "post")) {
            readEntry(line, state, session);
            in.discard(1);
        } else {
            readPastLine(line, state, session);
        }
    }
}

}  // namespace

const Format& rosnet() {
    static const Rosnet kFormat;
    return kFormat;
}

}  // namespace vz::import::formats
