#include "viewer/raster_image.h"

#include <algorithm>

namespace kzoview {

void resetImage(RasterImage& image, int width, int height, std::uint32_t color) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const PixelRect d = image.drawn;
    if (image.width == width && image.height == height && image.background == color &&
        image.pixels.size() == count) {
        for (int y = d.y0; y < d.y1; ++y) {
            const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
            std::fill(row + d.x0, row + d.x1, color);
        }
    } else {
        image.pixels.assign(count, color);
        image.width = width;
        image.height = height;
        image.background = color;
    }
    image.drawn = PixelRect{};
}

void markDrawn(RasterImage& image, PixelRect r) {
    r.x0 = std::max(r.x0, 0);
    r.y0 = std::max(r.y0, 0);
    r.x1 = std::min(r.x1, image.width);
    r.y1 = std::min(r.y1, image.height);
    if (r.x0 >= r.x1 || r.y0 >= r.y1) {
        return;
    }
    PixelRect& d = image.drawn;
    if (d.x0 >= d.x1 || d.y0 >= d.y1) {
        d = r;
        return;
    }
    d.x0 = std::min(d.x0, r.x0);
    d.y0 = std::min(d.y0, r.y0);
    d.x1 = std::max(d.x1, r.x1);
    d.y1 = std::max(d.y1, r.y1);
}

} // namespace kzoview
