#pragma once

// Records as short lines of text, so that a table can say what a reader
// should make of an input:
//   "4: race 3 2026-12-08 \"BT\" L"
//   "7: post 6 of 4 2026-12-08 \"Swift Arrow\""        (+ " card only": no find-or-add)
//   "9: line \"Swift Arrow\" 2026-11-28 r12 L w3791 p5 b4 e3 s2 f2 l11 t3802 o12.5 \"B\" start"
//   "2: dog \"Name\" \"W\" 12/3/0/0" then one " | line ..." per past race, its
//       letters as "S|L" (new dog | known dog)
//   "5: no dog" (a past line of no dog), "5: no dog record"
// The line number comes first ("lines file 3:" for a format of two inputs);
// an empty value is "?"; a field fault ends the line (" !Odds 9e999"). A
// reading that broke off ends with "failed: DETAIL".

#include <string>
#include <vector>

#include "core/base/dates.h"
#include "core/import/records.h"

namespace vz::test {

std::vector<std::string> readingText(const vz::import::Reading& reading);

// One row of a reader's table: its inputs, the records read (as
// readingText gives them), and what its kind check says (empty: the input
// is of the format's kind).
struct ReaderCase {
    std::string what;
    std::vector<std::string> inputs;
    std::vector<std::string> records;
    std::string refusal = {};
};

// Reads every case with the format of that key (on `today`) and compares.
void expectReadings(const std::string& format, const std::vector<ReaderCase>& cases,
                    base::Date today = base::Date{std::chrono::year{2026}, std::chrono::month{12},
                                                  std::chrono::day{8}});

}  // namespace vz::test
