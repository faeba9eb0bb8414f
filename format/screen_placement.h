// Where a window goes on a screen, without a window system: the windows'
// designed positions are in device-independent pixels, so on a scaled or
// small screen they can lie partly outside it.
#pragma once

namespace kzo {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ScreenPoint {
    int x = 0;
    int y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The top-left corner for a window whose frame is `frame`, so that the frame
// lies inside `available` (the screen without its panels). A frame that fits
// where it is stays there; one that sticks out is moved back by no more than
// that. On an axis where the frame is larger than the area, it starts at the
// area's start, so that the title bar and the controls nearest to the corner
// can still be reached.
ScreenPoint placeInside(const ScreenRect& frame, const ScreenRect& available);

} // namespace kzo
