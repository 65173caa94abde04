#include <gtest/gtest.h>

#include <sstream>

#include "cli/progress.h"

namespace vz::cli {
namespace {

TEST(Progress, SilentWhenNotOnATerminal) {
    std::ostringstream out;
    {
        Progress p(false, "Importing...", out);
        auto cb = p.callback();
        cb(0, 10);
        cb(5, 10);
        cb(10, 10);
        p.finish();
    }
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, ShowsEachNewPercentageAndEndsTheLine) {
    struct Case {
        const char* name;
        std::vector<std::pair<long, long>> steps;
        std::string expected;
    } cases[] = {
        {"percentages",
         {{0, 4}, {1, 4}, {2, 4}, {3, 4}, {4, 4}},
         "\rImporting... 0%\rImporting... 25%\rImporting... 50%\rImporting... 75%"
         "\rImporting... 100%\n"},
        {"repeats are not redrawn",
         {{1, 1000}, {2, 1000}, {9, 1000}, {10, 1000}},
         "\rImporting... 0%\rImporting... 1%\n"},
        {"out of range is clamped", {{-3, 10}, {12, 10}}, "\rImporting... 0%\rImporting... 100%\n"},
        {"unknown total shows the count", {{3, 0}, {7, -1}}, "\rImporting... 3\rImporting... 7\n"},
        {"huge counts do not overflow", {{2147483647L, 2147483647L}}, "\rImporting... 100%\n"},
        {"nothing reported, nothing shown", {}, ""},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        {
            Progress p(true, "Importing...", out);
            auto cb = p.callback();
            for (const auto& [done, total] : c.steps) {
                cb(done, total);
            }
        }
        EXPECT_EQ(out.str(), c.expected) << c.name;
    }
}

TEST(Progress, FinishEndsTheLineOnceAndANewRunStartsAgain) {
    std::ostringstream out;
    {
        Progress p(true, "Deleting...", out);
        p.update(1, 2);
        p.finish();
        p.finish();
        p.update(1, 2);
    }
    EXPECT_EQ(out.str(), "\rDeleting... 50%\n\rDeleting... 50%\n");
}

TEST(Progress, FollowsTheContextsTerminalFlag) {
    Context quiet;
    quiet.interactive = false;
    EXPECT_FALSE(Progress(quiet, "x").enabled());
    Context shown;
    shown.interactive = true;
    EXPECT_TRUE(Progress(shown, "x").enabled());
}

}  // namespace
}  // namespace vz::cli
