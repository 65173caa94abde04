// Mangled copies of the sample programs: whatever the bytes, a run either
// completes or fails with the two-line message, and a failed run keeps
// nothing.

#include <random>

#include <gtest/gtest.h>

#include "tests/import/import_fixture.h"

namespace vz::test {
namespace {

class MangledTest : public ImportFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(MangledTest, EndsCleanlyWhateverTheBytes) {
    const std::string format = GetParam();
    const std::string original =
        readText(sourceDir() / "tests" / "e2e" / "data" / "samples" / (format + "_sample.txt"));
    std::mt19937 rng(20261208);
    const char noise[] = {'-', '/',    ' ',    '\n', '\r', '"', 'T', 'S', '9', 'e', '.',
                          ',', '\xE9', '\xC3', 'R',  'A',  'C', 'E', '_', '=', '\0'};
    int failed = 0;
    makeRaceFile(raceFile());  // an earlier card: a failed run leaves it as it was
    for (int round = 0; round < 24; ++round) {
        std::string text = original;
        const int edits = 1 + static_cast<int>(rng() % 40);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
                case 0:
                    text[at] = noise[rng() % sizeof(noise)];
                    break;
                case 1:
                    text.erase(at, rng() % 120);
                    break;
                default:
                    text.insert(at, std::string(1 + rng() % 30, noise[rng() % sizeof(noise)]));
                    break;
            }
        }
        if (round % 6 == 5) {
            text.resize(rng() % text.size());  // cut short anywhere
        }
        if (round % 8 == 7) {
            // An entry line as the very last line: its lines to skip are missing.
            text += format == "rosnet" ? "\npost 1 Last Minute" : "\n 1 Last Minute";
        }
        const auto dogsBefore = dogs().dogs();
        const auto linesBefore = dogs().raceLineCount();
        const std::string cardBefore = readText(raceFile());
        try {
            const auto s = importText(format, {text});
            EXPECT_EQ(dogs().raceLineCount(), linesBefore + s.linesAdded);
        } catch (const import::ImportFailed&) {
            ++failed;
            EXPECT_EQ(dogs().dogs(), dogsBefore) << round;
            EXPECT_EQ(dogs().raceLineCount(), linesBefore) << round;
            EXPECT_EQ(readText(raceFile()), cardBefore) << round;
        }
    }
    // At least the rounds that end on an entry line failed.
    EXPECT_GE(failed, 3);
}

INSTANTIATE_TEST_SUITE_P(Formats, MangledTest, ::testing::Values("trackinfo", "rosnet"));

}  // namespace
}  // namespace vz::test
