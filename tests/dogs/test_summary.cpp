#include <gtest/gtest.h>

#include "core/dogs/summary.h"
#include "tests/dogs/dog_fixture.h"

namespace vz::dogs {
namespace {

using test::ymd;

// A run of three dogs: two changed (one to W, one without a stored style to
// R), L computed, R kept for a factor out of range.
TEST(SummaryTest, StyleUpdateRowsAsTheTerminalPrintsThem) {
    base::Settings before;
    before.TimeFactorL = 0.8191767;
    before.TimeFactorR = 0.8;
    StyleUpdateResult r;
    r.settings = before;
    r.settings.TimeFactorL = 0.82;
    r.dogs = 3;
    r.linesRead = 41;
    r.changes = {{"Wide Boy", "M", "W"}, {"Newcomer", std::nullopt, "R"}};
    r.timesS.count = 4;
    r.timesL.count = 2;
    r.timesR.count = 1;
    r.timeFactorLComputed = true;

    const Summary listed = styleUpdateSummary(before, r, ymd(2026, 12, 7), true);
    EXPECT_EQ(summaryText(listed),
              "Update Running Style complete.\n"
              "Dogs: 3, race lines read: 41\n"
              "Styles changed: 2 (to R: 1, to M: 0, to W: 1)\n"
              "  Wide Boy: M -> W\n"
              "  Newcomer: (none) -> R\n"
              "TimeFactorL: 0.82 (was 0.8191767)\n"
              "TimeFactorR: 0.8 (kept: the finishes at S and R give a factor outside 0.1 to "
              "10, which only damaged times give)\n"
              "LastStyleUpdate: 2026-12-07\n");
    // Without the list the same rows less the two changes.
    const Summary plain = styleUpdateSummary(before, r, ymd(2026, 12, 7), false);
    EXPECT_EQ(plain.rows.size(), listed.rows.size() - 2);
}

}  // namespace
}  // namespace vz::dogs
