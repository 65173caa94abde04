// DogPak/QuickDog cards: two fixed-column text files. The lines file holds
// one past race of one runner per line; the setup file one race of the card
// per line, with its eight runners. The lines go in first, so the dogs of
// the card are on file before the card is written.

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "core/import/format.h"
#include "core/import/kinds.h"

#include "core/base/text.h"
#include "core/base/vb.h"
#include "core/import/rules.h"

namespace vz::import::formats {

namespace {

using base::mid;
using base::trim;
using base::val;

constexpr std::string_view kSetupFile = "setup file";
constexpr std::string_view kLinesFile = "lines file";

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

// A line of the lines file, its date as read (empty when unreadable).
Record pastRecord(std::string_view line, Origin at = {}) {
    FieldNumbers n;
    base::RaceLine l;
    l.RegName = trim(mid(line, 6, 16));
    l.RaceDate = base::readDate(mid(line, 25, 8));
    l.RaceNum = n.whole(mid(line, 33, 2), "RaceNum");
    l.Distance = lineDistance(line);
    l.Grade = lineGrade(line);
    l.WinningTime = joinedTime(n, mid(line, 45, 2), mid(line, 48, 2), "WinningTime");
    l.Post = n.whole(mid(line, 50, 1), "Post");
    l.Break = n.whole(mid(line, 51, 1), "Break");
    l.Eighth = n.whole(mid(line, 52, 1), "Eighth");
    l.Stretch = n.whole(mid(line, 53, 1), "Stretch");
    l.Finish = n.whole(mid(line, 54, 1), "Finish");
    l.FinishTime = joinedTime(n, mid(line, 55, 2), mid(line, 58, 2), "FinishTime");
    l.Odds = n.real(mid(line, 60, 4), "Odds");
    l.FinishLength = 0;
    // Schooling races (grades starting with L) are kept but are no start.
    const bool counts = !l.Grade->starts_with('L');
    return {at, PastRecord{l, counts, true}, n.fault()};
}

// A line of the setup file: the race and its eight slots.
struct SetupRace {
    Record race;  // dated as read (empty when unreadable)
    std::array<std::string, 8> names;
};

SetupRace readSetupLine(std::string_view line, Origin at = {}) {
    FieldNumbers n;
    base::Race race;
    race.RaceDate = base::readDate(mid(line, 221, 8));
    race.RaceNum = n.whole(mid(line, 229, 2), "RaceNum");
    race.Grade = trim(mid(line, 218, 2));
    race.Distance = setupDistance(line);
    SetupRace r{{at, RaceRecord{race}, n.fault()}, {}};
    for (std::size_t i = 0; i < r.names.size(); ++i) {
        r.names[i] = trim(mid(line, 17 * i + 1, 16));
    }
    return r;
}

Reading read(const Inputs& files, base::Date /*today*/) {
    if (files.size() != 2) {
        return {{}, "DogPak/QuickDog needs a setup file and a lines file"};
    }
    Reading out;
    // The lines go in first, so the dogs of the card are on file before the
    // card is written. An unreadable date keeps the one of the line before.
    const std::vector<std::string> lines = textLines(files[1]);
    std::optional<base::Date> lineDate;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isBlankLine(lines[i])) {
            continue;
        }
        Record r = pastRecord(lines[i], {i + 1, kLinesFile});
        base::RaceLine& l = std::get<PastRecord>(r.item).line;
        if (l.RaceDate) {
            lineDate = l.RaceDate;
        }
        l.RaceDate = lineDate;
        out.records.push_back(std::move(r));
    }

    const std::vector<std::string> setup = textLines(files[0]);
    std::optional<base::Date> raceDate;
    for (std::size_t i = 0; i < setup.size(); ++i) {
        if (isBlankLine(setup[i])) {
            continue;
        }
        const Origin at{i + 1, kSetupFile};
        SetupRace r = readSetupLine(setup[i], at);
        base::Race& race = std::get<RaceRecord>(r.race.item).race;
        if (race.RaceDate) {
            raceDate = race.RaceDate;
        }
        race.RaceDate = raceDate;
        out.records.push_back(r.race);
        // Every slot gives a post, an empty one too; the dogs came in with
        // their lines.
        for (std::size_t slot = 0; slot < r.names.size(); ++slot) {
            base::Post post;
            post.RaceNum = race.RaceNum;
            post.RaceDate = raceDate;
            post.Post = static_cast<int>(slot) + 1;
            post.RegName = r.names[slot];
            out.records.push_back({at, EntryRecord{post, false}, std::nullopt});
        }
    }
    return out;
}

// The first line that is not blank, or nullptr; valid while `lines` lives.
const std::string* firstLine(LineWalk& lines) {
    const std::string* line = lines.next();
    while (line != nullptr && isBlankLine(*line)) {
        line = lines.next();
    }
    return line;
}

Refusal refusal(const Inputs& files) {
    if (files.size() != 2) {
        return "DogPak/QuickDog needs a setup file and a lines file";
    }
    if (Refusal why = dogPakSetupRefusal(files[0])) {
        if (!dogPakLinesRefusal(files[0]) && !dogPakSetupRefusal(files[1])) {
            return std::string(kInputsSwapped);
        }
        return "setup file: " + *why;
    }
    if (Refusal why = dogPakLinesRefusal(files[1])) {
        return "lines file: " + *why;
    }
    return std::nullopt;
}

}  // namespace

// A setup file: its first line holds the race date in columns 221-228 and
// a number in the race number's columns 229-230 (".5" too: Val reads it).
Refusal dogPakSetupRefusal(std::string_view bytes) {
    LineWalk lines(bytes);
    const std::string* first = firstLine(lines);
    if (first == nullptr) {
        return "no race";
    }
    const SetupRace setupRace = readSetupLine(*first);
    const base::Race& race = std::get<RaceRecord>(setupRace.race.item).race;
    const std::string raceNum = mid(*first, 229, 2);
    const bool hasNumber =
        std::any_of(raceNum.begin(), raceNum.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!race.RaceDate || !hasNumber) {
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
    const Record r = pastRecord(*first);
    const base::RaceLine& l = std::get<PastRecord>(r.item).line;
    if (l.RegName.empty() || !l.RaceDate) {
        return "the first line holds no name in columns 6-21 and date in columns 25-32";
    }
    return std::nullopt;
}

const Format& dogPak() {
    static const Format kFormat(
        {
            .key = "dogpak",
            .sourceName = "DogPak/QuickDog",
            .menuLabel = "Import from DogPak/QuickDog",
            .menuControl = "DPAK",
            .caption = "Import from DogPak/QuickDog",
            .readyText = "Ready to import from DogPak/QuickDog",
            .completionText = "Import from DogPak/QuickDog is complete.",
            .settingsFile = "DPAK.ini",
            .settingsOrder = 2,
            .writesRaceFile = true,
            .inputs = {{.dialogTitle = "Select DogPak/QuickDog SETUP file to import from...",
                        .filter = "DogPak/QuickDog Setup Files|setup.txt|All Files|*.*",
                        .folderSetting = "SetupFolder",
                        .argName = "SETUP",
                        .sample = "dogpak_setup.txt"},
                       {.dialogTitle = "Select DogPak/QuickDog LINES file to import from...",
                        .filter = "DogPak/QuickDog Lines Files|lines.txt|All Files|*.*",
                        .folderSetting = "LinesFolder",
                        .argName = "LINES",
                        .sample = "dogpak_lines.txt"}},
        },
        &refusal, &read);
    return kFormat;
}

}  // namespace vz::import::formats
