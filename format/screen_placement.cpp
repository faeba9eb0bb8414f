#include "format/screen_placement.h"

#include <algorithm>

namespace kzo {
namespace {

int placeOnAxis(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

ScreenPoint placeInside(const ScreenRect& frame, const ScreenRect& available) {
    return {placeOnAxis(frame.x, frame.width, available.x, available.width),
            placeOnAxis(frame.y, frame.height, available.y, available.height)};
}

} // namespace kzo
