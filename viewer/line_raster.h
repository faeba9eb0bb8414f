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

// How a line's pixels take its colour: replacing what is there, or keeping
// the larger of the two values (for the greys of the wireframe, black <
// grey < white, the brighter: drawing every line so gives the picture of
// drawing the darker lines first and the brighter over them, in any order).
enum class LinePaint { replace, brighter };

// Draws the line into the image, clipped to it. Coordinates must lie within
// +-kPixelCoordinateLimit. Time is bounded by the image size, not the length.
void drawLine(RasterImage& image, std::int32_t x0, std::int32_t y0, std::int32_t x1,
              std::int32_t y1, std::uint32_t color, LinePaint paint = LinePaint::replace);

// drawLine with LinePaint::brighter for a line whose two ends lie inside the
// image, without widening image.drawn: the caller marks the ends' box. Inline,
// for the paint's hundreds of thousands of short edges.
inline void drawLineInside(RasterImage& image, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                           std::int32_t y1, std::uint32_t color) {
    const std::int32_t dx = x1 - x0;
    const std::int32_t dy = y1 - y0;
    const std::int32_t adx = dx < 0 ? -dx : dx;
    const std::int32_t ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    // The same steps as drawLine's: n pixels along the major axis, the minor
    // coordinate moving when the remainder leaves [0, 2n).
    const std::int32_t n = xMajor ? adx : ady;
    std::uint32_t* at = image.pixels.data() + y0 * std::ptrdiff_t{image.width} + x0;
    if (n <= 1) {
        // Most edges of a dense mesh: one pixel, or none.
        if (n == 1 && *at < color) {
            *at = color;
        }
        return;
    }
    const std::int32_t step = 2 * (xMajor ? dy : dx);
    const std::ptrdiff_t width = image.width;
    const std::ptrdiff_t majorStride = xMajor ? (dx > 0 ? 1 : -1) : (dy > 0 ? width : -width);
    const std::ptrdiff_t minorStride = xMajor ? width : 1;
    std::int32_t remainder = n;
    for (std::int32_t k = 0; k < n; ++k) {
        if (*at < color) {
            *at = color;
        }
        remainder += step;
        std::ptrdiff_t move = majorStride;
        if (remainder >= 2 * n) {
            remainder -= 2 * n;
            move += minorStride;
        } else if (remainder < 0) {
            remainder += 2 * n;
            move -= minorStride;
        }
        if (k + 1 < n) {
            at += move;
        }
    }
}

} // namespace kzoview
