// Line drawing with the semantics of the platform the viewer was made for:
// a line from (x0, y0) to (x1, y1) sets its first pixel and leaves out its last.
//
// Pixel set: along the major axis (x when |dx| >= |dy|, else y) every whole
// position from the start up to, not including, the end gets one pixel; its
// minor coordinate is the ideal line's, rounded to nearest with exact halves
// rounded toward the larger coordinate. The rule depends only on the two
// endpoints, not on the direction: a line drawn backwards sets the same pixels
// except that the other endpoint is the one left out. Arithmetic is exact
// integer arithmetic, so clipping to the image never moves a pixel.
#pragma once

#include "viewer/raster_image.h"

#include <cstdint>
#include <optional>

namespace kzoview {

// Whole-pixel coordinates beyond this magnitude are held at it; no screen comes
// near, and it keeps the exact arithmetic of drawLine inside 64 bits.
inline constexpr std::int32_t kPixelCoordinateLimit = 1 << 29;

// A window coordinate truncated toward zero to a whole pixel, held within
// +-kPixelCoordinateLimit; nullopt for NaN, which names no position at all.
// Inline: the paint converts every edge end of every frame.
inline std::optional<std::int32_t> pixelCoordinate(float value) {
    constexpr auto kLimit = static_cast<float>(kPixelCoordinateLimit);
    if (value >= kLimit) {
        return kPixelCoordinateLimit;
    }
    if (value <= -kLimit) {
        return -kPixelCoordinateLimit;
    }
    if (value == value) {
        return static_cast<std::int32_t>(value); // truncates toward zero
    }
    return std::nullopt; // NaN
}

// Draws the line into the image, clipped to it. Coordinates must lie within
// +-kPixelCoordinateLimit. Time is bounded by the image size, not the length.
void drawLine(RasterImage& image, std::int32_t x0, std::int32_t y0, std::int32_t x1,
              std::int32_t y1, std::uint32_t color);

} // namespace kzoview
