#pragma once

// Lines of a TrackInfo program, built column by column.

#include <string>

#include "tests/import/import_fixture.h"

namespace vz::test::trackinfo {

inline std::string header(int race, const std::string& date, const std::string& grade,
                          const std::string& distance) {
    return fit(std::to_string(race), 2) + "  " + date + "  RACE " + std::to_string(race) +
           "   Grade: " + grade + ", Distance: " + distance;
}

inline std::string entry(int post, const std::string& name) {
    return fit(std::to_string(post), 2) + " " + fit(name, 17) + " Trainer: K. Doe   Wt 64";
}

struct Past {
    std::string date = "11/28/26";
    std::string race = " 5";
    std::string distance = "5/16";
    std::string winTime = "30.45";
    std::string post = "3";
    std::string brk = "2";
    std::string eighth = "2";
    std::string stretch = " 1";
    std::string finish = "1-1 1/2";  // from column 48: finish, dash, lengths
    std::string ownTime = "30.45";
    std::string odds = "4.50";
    std::string grade = "C";
};

inline std::string past(const Past& p) {
    return columns({{1, p.date},
                    {10, p.race},
                    {13, "WD"},
                    {17, p.distance},
                    {23, p.winTime},
                    {29, "fst"},
                    {35, p.post},
                    {37, p.brk},
                    {39, p.eighth},
                    {44, p.stretch},
                    {48, p.finish},
                    {59, p.ownTime},
                    {66, p.odds},
                    {73, p.grade}});
}

// The two lines that follow every header and entry line.
inline std::string afterHeader() {
    return "    Purse $400   Post time 7:30\n"
           "________________________________________________________________________________\n";
}
inline std::string afterEntry() {
    return "   Owner: Jay Kennels  (Brindle, male, 3/24)\n"
           "   Date     Race  Dist  Win    Cond  P B E  Str  Fin         Time   Odds  Gr\n";
}

}  // namespace vz::test::trackinfo
