#include "viewer/texture.h"

#include <algorithm>

namespace kzoview {

namespace {

std::uint32_t meanOf(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const std::uint32_t sum =
            (a >> shift & 0xFF) + (b >> shift & 0xFF) + (c >> shift & 0xFF) + (d >> shift & 0xFF);
        out |= (sum + 2) / 4 << shift;
    }
    return out;
}

void halve(const TexelMap& from, std::uint32_t* to, int width, int height) {
    for (int y = 0; y < height; ++y) {
        // A side of one texel has nothing to pair with: it is taken twice.
        const int y0 = std::min(2 * y, from.height - 1);
        const int y1 = std::min(2 * y + 1, from.height - 1);
        const std::uint32_t* row0 = from.texels + std::size_t(y0) * std::size_t(from.width);
        const std::uint32_t* row1 = from.texels + std::size_t(y1) * std::size_t(from.width);
        for (int x = 0; x < width; ++x) {
            const int x0 = std::min(2 * x, from.width - 1);
            const int x1 = std::min(2 * x + 1, from.width - 1);
            to[std::size_t(y) * std::size_t(width) + std::size_t(x)] =
                meanOf(row0[x0], row0[x1], row1[x0], row1[x1]);
        }
    }
}

} // namespace

Texture makeTexture(TextureImage image) {
    Texture t;
    t.image = std::move(image);
    std::size_t room = 0;
    for (int w = t.image.width, h = t.image.height; w > 1 || h > 1;) {
        w = std::max(w / 2, 1);
        h = std::max(h / 2, 1);
        room += std::size_t(w) * std::size_t(h);
    }
    t.smaller.resize(room);
    t.levels.push_back({t.image.texels.get(), t.image.width, t.image.height});
    std::uint32_t* next = t.smaller.data();
    while (t.levels.back().width > 1 || t.levels.back().height > 1) {
        const TexelMap above = t.levels.back();
        const int w = std::max(above.width / 2, 1);
        const int h = std::max(above.height / 2, 1);
        halve(above, next, w, h);
        t.levels.push_back({next, w, h});
        next += std::size_t(w) * std::size_t(h);
    }
    return t;
}

} // namespace kzoview
