// DogPak/QuickDog cards: two fixed-column text files. The lines file holds
// one past race of one runner per line; the setup file one race of the card
// per line, with its eight runners. The lines go in first, so the dogs of
// the card are on file before the card is written.

#include <array>
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

std::string lineDistance(std::string_view line) {
    return trim(mid(line, 37, 1)) == "3" ? "L" : "S";
}

std::string setupDistance(std::string_view line) {
    const std::string code = trim(mid(line, 217, 1));
    return code == "3" || code == "6" || code == "7" ? "L" : "S";
}

std::string lineGrade(std::string_view line) {
    const std::string c38 = mid(line, 38, 1);
    if (c38 == "S" || c38 == "T") {
        return mid(line, 39, 1) + c38;
    }
    return trim(c38);
}

int joinedTime(std::string_view seconds, std::string_view hundredths) {
    return wholeVal(std::string(seconds) + std::string(hundredths));
}

// A line of the lines file, its date not yet resolved.
struct PastLine {
    std::string name;
    std::optional<store::Date> date;
    store::RaceLine line;
};

// A line of the setup file.
struct SetupRace {
    std::optional<store::Date> date;
    int raceNum = 0;
    std::string grade;
    std::string distance;
    std::array<std::string, 8> names;
};

PastLine readPastLine(std::string_view line) {
    PastLine p;
    p.name = trim(mid(line, 6, 16));
    p.date = store::readDate(mid(line, 25, 8));
    store::RaceLine& l = p.line;
    l.RegName = p.name;
    l.RaceNum = wholeVal(mid(line, 33, 2));
    l.Distance = lineDistance(line);
    l.Grade = lineGrade(line);
    l.WinningTime = joinedTime(mid(line, 45, 2), mid(line, 48, 2));
    l.Post = wholeVal(mid(line, 50, 1));
    l.Break = wholeVal(mid(line, 51, 1));
    l.Eighth = wholeVal(mid(line, 52, 1));
    l.Stretch = wholeVal(mid(line, 53, 1));
    l.Finish = wholeVal(mid(line, 54, 1));
    l.FinishTime = joinedTime(mid(line, 55, 2), mid(line, 58, 2));
    l.Odds = val(mid(line, 60, 4));
    l.FinishLength = 0;
    return p;
}

SetupRace readSetupLine(std::string_view line) {
    SetupRace r;
    r.date = store::readDate(mid(line, 221, 8));
    r.raceNum = wholeVal(mid(line, 229, 2));
    r.grade = trim(mid(line, 218, 2));
    r.distance = setupDistance(line);
    for (std::size_t i = 0; i < r.names.size(); ++i) {
        r.names[i] = trim(mid(line, 17 * i + 1, 16));
    }
    return r;
}

class DogPak final : public Format {
  public:
    const FormatInfo& info() const override {
        static const FormatInfo kInfo = {
            .key = "dogpak",
            .sourceName = "DogPak/QuickDog",
            .menuLabel = "Import from DogPak/QuickDog",
            .windowName = "ImportDPAK",
            .caption = "Import from DogPak/QuickDog",
            .readyText = "Ready to import from DogPak/QuickDog",
            .completionText = "Import from DogPak/QuickDog is complete.",
            .settingsFile = "DPAK.ini",
            .writesRaceFile = true,
            .inputs = {{"Select DogPak/QuickDog SETUP file to import from...",
                        "DogPak/QuickDog Setup Files|setup.txt|All Files|*.*", "SetupFolder",
                        "SETUP"},
                       {"Select DogPak/QuickDog LINES file to import from...",
                        "DogPak/QuickDog Lines Files|lines.txt|All Files|*.*", "LinesFolder",
                        "LINES"}},
        };
        return kInfo;
    }

    Refusal refusal(const std::vector<std::string>& files) const override;
    void run(const std::vector<std::string>& files, Session& session) const override;
};

// The first line that is not blank, or nullptr; valid while `lines` lives.
const std::string* firstLine(LineWalk& lines) {
    const std::string* line = lines.next();
    while (line != nullptr && isBlankLine(*line)) {
        line = lines.next();
    }
    return line;
}

Refusal DogPak::refusal(const std::vector<std::string>& files) const {
    if (files.size() != 2) {
        return "DogPak/QuickDog needs a setup file and a lines file";
    }
    if (Refusal why = dogPakSetupRefusal(files[0])) {
        return "setup file: " + *why;
    }
    if (Refusal why = dogPakLinesRefusal(files[1])) {
        return "lines file: " + *why;
    }
    return std::nullopt;
}

void DogPak::run(const std::vector<std::string>& files, Session& session) const {
    if (files.size() != 2) {
        throw ImportFailed("DogPak/QuickDog needs a setup file and a lines file");
    }
    const std::vector<std::string> setup = textLines(files[0]);
    const std::vector<std::string> lines = textLines(files[1]);
    const long total = static_cast<long>(setup.size() + lines.size());
    long done = 0;

    // An unreadable date keeps the one of the line before.
    std::optional<store::Date> lineDate;
    for (const std::string& line : lines) {
        session.progress(++done, total);
        if (isBlankLine(line)) {
            continue;
        }
        PastLine p = readPastLine(line);
        session.findOrAddDog(p.name);
        if (p.date) {
            lineDate = p.date;
        }
        if (!session.wantsPastLine(p.name, lineDate)) {
            continue;
        }
        p.line.RaceDate = lineDate;
        // Schooling races (grades starting with L) are kept but are no start.
        std::optional<int> counted;
        if (!p.line.Grade->starts_with('L')) {
            counted = p.line.Finish;
        }
        session.addRaceLine(p.line, counted);
    }

    std::optional<store::Date> raceDate;
    for (const std::string& line : setup) {
        session.progress(++done, total);
        if (isBlankLine(line)) {
            continue;
        }
        const SetupRace r = readSetupLine(line);
        if (r.date) {
            raceDate = r.date;
        }
        store::Race race;
        race.RaceNum = r.raceNum;
        race.RaceDate = raceDate;
        race.Distance = r.distance;
        race.Grade = r.grade;
        session.addRace(race);
        // Every slot gives a post, an empty one too.
        for (std::size_t i = 0; i < r.names.size(); ++i) {
            store::Post post;
            post.RaceNum = r.raceNum;
            post.RaceDate = raceDate;
            post.Post = static_cast<int>(i) + 1;
            post.RegName = r.names[i];
            session.addPost(post);
        }
    }
}

}  // namespace

// A setup file: its first line holds the race date in columns 221-228 and
// the race number in 229-230.
Refusal dogPakSetupRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const std::string* first = firstLine(lines);
    if (first == nullptr) {
        return "no race";
    }
    const SetupRace r = readSetupLine(*first);
    if (!r.date || r.raceNum <= 0) {
        return "the first line holds no race date and number in columns 221-230";
    }
    return std::nullopt;
}

// A lines file: its first line holds a dog's name in columns 6-21 and the
// race date in columns 25-32.
Refusal dogPakLinesRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const std::string* first = firstLine(lines);
    if (first == nullptr) {
        return "no past race";
    }
    const PastLine p = readPastLine(*first);
    if (p.name.empty() || !p.date) {
        return "the first line holds no name in columns 6-21 and date in columns 25-32";
    }
    return std::nullopt;
}

const Format& dogPak() {
    static const DogPak kFormat;
    return kFormat;
}

}  // namespace vz::import::formats
