#pragma once

// Where a window goes on the screen: saved and default sizes come from
// other screens and other times, so each is capped to the room the screen
// has now, and the window is moved until its frame is wholly on it.

namespace vz::editing {

// A rectangle on the desktop, in pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// The extra the window's frame adds around its inside (title bar, borders).
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The inside of a window that wants `wanted` (its inside) on a screen whose
// free area (without task bars) is `free`: the size capped so that the frame
// fits, then moved no further than needed to bring the frame onto the area.
ScreenRect fitOnScreen(ScreenRect wanted, ScreenRect free, FrameMargins frame = {});

// The size a window opens at when none is saved: the size it needs, or on a
// larger screen `percent` of the free area's width and height where that is
// more, never more than the free area.
struct ScreenSize {
    int width = 0;
    int height = 0;
    bool operator==(const ScreenSize&) const = default;
};
ScreenSize roomySize(ScreenSize needs, ScreenSize free, int percent);

}  // namespace vz::editing
