#include "viewer/raster_image.h"

#include <algorithm>

namespace kzoview {

void resetImage(RasterImage& image, int width, int height, std::uint32_t color) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    image.pixels.assign(count, color);
    image.width = width;
    image.height = height;
}

} // namespace kzoview
