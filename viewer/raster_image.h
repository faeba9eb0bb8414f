// The off-screen image the wireframe is drawn into: 32-bit pixels 0xAARRGGBB,
// row after row, top row first (the layout of QImage::Format_RGB32).
#pragma once

#include <cstdint>
#include <vector>

namespace kzoview {

inline constexpr std::uint32_t kBlack = 0xFF000000u;
inline constexpr std::uint32_t kGrey = 0xFF808080u;
inline constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

struct RasterImage {
    int width = 0;  // pixels per row
    int height = 0; // rows
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Makes the image width x height pixels, every one of them color. Reuses the
// buffer when it is large enough, so a paint loop does not allocate per frame.
void resetImage(RasterImage& image, int width, int height, std::uint32_t color);

} // namespace kzoview
