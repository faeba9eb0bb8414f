#include "viewer/triangle_raster.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kzoview {

void resetDepth(DepthBuffer& depth, int width, int height) {
    depth.width = width;
    depth.height = height;
    depth.inverseDepth.assign(std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0)),
                              0.0f);
}

namespace {

// One attribute as a plane over the window: value = at + dx * (x - x0) + dy * (y - y0).
struct Gradient {
    float at = 0, dx = 0, dy = 0;
};

struct Edge {
    float topX, topY, slope; // x moves by slope per row downwards
    float xAt(float rowCentre) const { return topX + (rowCentre - topY) * slope; }
};

// The edge between two corners taken top first (on a tie, left first), so
// that both triangles that share it compute the same crossings.
Edge edgeBetween(const ScreenCorner& a, const ScreenCorner& b) {
    const bool aFirst = a.y < b.y || (a.y == b.y && a.x <= b.x);
    const ScreenCorner& top = aFirst ? a : b;
    const ScreenCorner& bottom = aFirst ? b : a;
    const float height = bottom.y - top.y;
    return {top.x, top.y, height > 0 ? (bottom.x - top.x) / height : 0.0f};
}

// The first whole pixel whose centre is at or right of (below) x.
int firstPixelFrom(float x, int limit) {
    const float c = std::ceil(x - 0.5f);
    if (!(c > 0.0f)) {
        return 0; // NaN too, from an edge too steep for a float
    }
    if (c >= float(limit)) {
        return limit;
    }
    return int(c);
}

std::uint32_t packColor(float red, float green, float blue) {
    // Rounded and held to 0..255; a colour that is no number at all (from a
    // file's broken normals) is black rather than undefined.
    const auto channel = [](float v) {
        const float c = v + 0.5f;
        if (!(c > 0.0f)) {
            return 0u;
        }
        return c >= 255.0f ? 255u : std::uint32_t(c);
    };
    return 0xFF000000u | channel(red) << 16 | channel(green) << 8 | channel(blue);
}

std::uint32_t mix(std::uint32_t over, std::uint32_t under, std::uint32_t opacity) {
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t a = over >> shift & 0xFF;
        const std::uint32_t b = under >> shift & 0xFF;
        out |= ((a * opacity + b * (255 - opacity) + 127) / 255) << shift;
    }
    return out;
}

} // namespace

void fillTriangle(RasterImage& image, DepthBuffer& depth, const ScreenCorner corner[3],
                  std::uint8_t opacity) {
    for (int k = 0; k < 3; ++k) {
        const ScreenCorner& c = corner[k];
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.inverseDepth)) {
            return;
        }
    }
    // Most triangles of a dense mesh cross no row of pixel centres at all.
    const int yBegin =
        firstPixelFrom(std::min({corner[0].y, corner[1].y, corner[2].y}), image.height);
    const int yEnd =
        firstPixelFrom(std::max({corner[0].y, corner[1].y, corner[2].y}), image.height);
    if (yBegin >= yEnd) {
        return;
    }
    // Top first, on a tie left first. Corners that tie on both make no area,
    // so their order never reaches a pixel.
    const ScreenCorner* s[3] = {&corner[0], &corner[1], &corner[2]};
    const auto before = [](const ScreenCorner* p, const ScreenCorner* q) {
        return p->y < q->y || (p->y == q->y && p->x < q->x);
    };
    for (const auto& [i, j] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{0, 1}}) {
        if (before(s[j], s[i])) {
            std::swap(s[i], s[j]);
        }
    }
    const ScreenCorner& a = *s[0];
    const ScreenCorner& b = *s[1];
    const ScreenCorner& c = *s[2];
    const float area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (area == 0.0f || !std::isfinite(area)) {
        return;
    }
    const auto plane = [&](float ScreenCorner::*field) {
        const float db = b.*field - a.*field;
        const float dc = c.*field - a.*field;
        return Gradient{a.*field, (db * (c.y - a.y) - dc * (b.y - a.y)) / area,
                        (dc * (b.x - a.x) - db * (c.x - a.x)) / area};
    };
    const Gradient z = plane(&ScreenCorner::inverseDepth);
    const Gradient red = plane(&ScreenCorner::red);
    const Gradient green = plane(&ScreenCorner::green);
    const Gradient blue = plane(&ScreenCorner::blue);
    const bool oneColor = red.dx == 0 && red.dy == 0 && green.dx == 0 && green.dy == 0 &&
                          blue.dx == 0 && blue.dy == 0;
    const std::uint32_t flat = packColor(a.red, a.green, a.blue);

    const Edge longEdge = edgeBetween(a, c);
    const Edge upper = edgeBetween(a, b);
    const Edge lower = edgeBetween(b, c);
    const int middleRow = firstPixelFrom(b.y, image.height);
    int drawnX0 = image.width, drawnX1 = 0;
    for (int y = yBegin; y < yEnd; ++y) {
        const float rowCentre = float(y) + 0.5f;
        const float xLong = longEdge.xAt(rowCentre);
        const float xShort = (y < middleRow ? upper : lower).xAt(rowCentre);
        const int x0 = firstPixelFrom(std::min(xLong, xShort), image.width);
        const int x1 = firstPixelFrom(std::max(xLong, xShort), image.width);
        if (x0 >= x1) {
            continue;
        }
        drawnX0 = std::min(drawnX0, x0);
        drawnX1 = std::max(drawnX1, x1);
        const float fx = float(x0) + 0.5f - a.x;
        const float fy = rowCentre - a.y;
        float inv = z.at + z.dx * fx + z.dy * fy;
        const std::size_t row = std::size_t(y) * std::size_t(image.width);
        std::uint32_t* pixel = image.pixels.data() + row;
        float* nearest = depth.inverseDepth.data() + row;
        if (oneColor && opacity == 255) {
            for (int x = x0; x < x1; ++x, inv += z.dx) {
                if (inv > nearest[x]) {
                    nearest[x] = inv;
                    pixel[x] = flat;
                }
            }
            continue;
        }
        float r = red.at + red.dx * fx + red.dy * fy;
        float g = green.at + green.dx * fx + green.dy * fy;
        float bl = blue.at + blue.dx * fx + blue.dy * fy;
        for (int x = x0; x < x1; ++x, inv += z.dx, r += red.dx, g += green.dx, bl += blue.dx) {
            if (!(inv > nearest[x])) {
                continue;
            }
            const std::uint32_t color = packColor(r, g, bl);
            if (opacity == 255) {
                nearest[x] = inv;
                pixel[x] = color;
            } else {
                pixel[x] = mix(color, pixel[x], opacity);
            }
        }
    }
    if (drawnX0 < drawnX1) {
        markDrawn(image, PixelRect{drawnX0, yBegin, drawnX1, yEnd});
    }
}

} // namespace kzoview
