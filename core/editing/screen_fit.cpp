#include "core/editing/screen_fit.h"

#include <algorithm>

namespace vz::editing {

namespace {

// A start that keeps [start, start + length) within [low, low + room); the
// low end wins when the length exceeds the room.
int keepWithin(int start, int length, int low, int room) {
    return std::max(low, std::min(start, low + room - length));
}

}  // namespace

ScreenRect fitOnScreen(ScreenRect wanted, ScreenRect free, FrameMargins frame) {
    const int frameWidth = frame.left + frame.right;
    const int frameHeight = frame.top + frame.bottom;
    ScreenRect r = wanted;
    r.width = std::max(1, std::min(wanted.width, free.width - frameWidth));
    r.height = std::max(1, std::min(wanted.height, free.height - frameHeight));
    r.left = keepWithin(wanted.left - frame.left, r.width + frameWidth, free.left, free.width) +
             frame.left;
    r.top = keepWithin(wanted.top - frame.top, r.height + frameHeight, free.top, free.height) +
            frame.top;
    return r;
}

ScreenSize roomySize(ScreenSize needs, ScreenSize free, int percent) {
    const int width = std::max(needs.width, free.width * percent / 100);
    const int height = std::max(needs.height, free.height * percent / 100);
    return {std::min(width, free.width), std::min(height, free.height)};
}

}  // namespace vz::editing
