#pragma once

// Lines of a Rosnet program, built column by column.

#include <string>

#include "tests/import/import_fixture.h"

namespace vz::test::rosnet {

inline std::string firstLine(const std::string& date = "12/08/2026") {
    return "ROSNET GREYHOUND PROGRAM   Tuesday " + date + "   Evening";
}

inline std::string race(const std::string& num, const std::string& grade,
                        const std::string& distance, const std::string& word = "race") {
    return word + " " + fit(num, 4) + fit(grade, 4) + fit(distance, 8) + "Purse $450";
}

inline std::string entry(int post, const std::string& name, const std::string& word = "post") {
    return word + " " + fit(std::to_string(post), 2) + fit(name, 30) + "Kennel: Bay Ridge";
}

inline std::string afterEntry() {
    return "     bk m 2/24 Swift Storm - Lady Jay    Wt 62\n";
}

struct Past {
    std::string date = "11/28/26";
    std::string race = " 5";
    std::string distance = "5/16";
    std::string winTime = "30.45";
    std::string post = "3";
    std::string brk = "2";
    std::string eighth = "2";
    std::string stretch = "1";
    std::string finish = "1";
    std::string lengths = " 2";
    std::string ownTime = "30.45";
    std::string odds = "4.50";
    std::string grade = "C  ";  // columns 78 to 80
};

inline std::string past(const Past& p) {
    return columns({{3, p.date},
                    {15, "E"},
                    {17, p.race},
                    {20, p.distance},
                    {26, "f"},
                    {29, p.winTime},
                    {39, p.post},
                    {41, p.brk},
                    {43, p.eighth},
                    {49, p.stretch},
                    {55, p.finish},
                    {57, p.lengths},
                    {64, p.ownTime},
                    {72, p.odds},
                    {78, p.grade}});
}

}  // namespace vz::test::rosnet
