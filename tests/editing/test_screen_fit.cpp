#include <gtest/gtest.h>

#include "core/editing/screen_fit.h"

using namespace vz::editing;

TEST(ScreenFit, SizeCappedToTheFreeAreaAndFrameMovedOntoIt) {
    // A frame of 1 pixel each side and a 30-pixel title bar: 2 wide, 31 high.
    const FrameMargins frame{1, 30, 1, 1};
    const ScreenRect small{0, 0, 1024, 600};
    const struct {
        ScreenRect wanted;
        ScreenRect free;
        FrameMargins frame;
        ScreenRect expected;
    } cases[] = {
        // Fits; the title bar above the screen comes down to its top edge.
        {{10, 10, 800, 500}, small, frame, {10, 30, 800, 500}},
        // Saved on a larger screen: 1024 - 2 wide, 600 - 31 high, at the corner.
        {{10, 10, 1200, 1333}, small, frame, {1, 30, 1022, 569}},
        // Off the right and bottom edges: moved back by what sticks out.
        {{900, 400, 400, 300}, small, frame, {623, 299, 400, 300}},
        // A free area that does not start at 0 (a second screen, a task bar).
        {{0, 0, 700, 500}, {1024, 24, 1600, 976}, {}, {1024, 24, 700, 500}},
        // Already on the screen: unchanged.
        {{100, 100, 600, 400}, small, {}, {100, 100, 600, 400}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fitOnScreen(c.wanted, c.free, c.frame), c.expected);
    }
}

TEST(ScreenFit, DefaultSizeTakesAShareOfALargeScreen) {
    const ScreenSize needs{760, 640};
    const struct {
        ScreenSize free;
        ScreenSize expected;
    } cases[] = {
        {{2560, 1400}, {1536, 840}},  // 60% of each
        {{1600, 1000}, {960, 640}},   // 60% of the width; the height it needs
        {{1024, 560}, {760, 560}},    // what it needs, capped to the height
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roomySize(needs, c.free, 60), c.expected);
    }
}
