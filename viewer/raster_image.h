// The off-screen image the wireframe is drawn into: 32-bit pixels 0xAARRGGBB,
// row after row, top row first (the layout of QImage::Format_RGB32).
#pragma once

#include <cstdint>
#include <vector>

namespace kzoview {

inline constexpr std::uint32_t kBlack = 0xFF000000u;
inline constexpr std::uint32_t kGrey = 0xFF808080u;
inline constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// A rectangle of pixels, x0 <= x < x1 and y0 <= y < y1; empty when x0 >= x1.
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct RasterImage {
    int width = 0;  // pixels per row
    int height = 0; // rows
    std::vector<std::uint32_t> pixels;
    // Everything outside `drawn` has the colour the last resetImage gave.
    // drawLine widens it; code that writes pixels otherwise must do the same
    // (or reset the image with a different size), or the next reset may miss them.
    std::uint32_t background = 0;
    PixelRect drawn;

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Makes the image width x height pixels, every one of them color. An image of
// that size and background already is cleared only where something was drawn:
// a paint loop neither allocates nor rewrites the whole frame.
void resetImage(RasterImage& image, int width, int height, std::uint32_t color);

// Widens image.drawn to hold r (clipped to the image).
void markDrawn(RasterImage& image, PixelRect r);

} // namespace kzoview
