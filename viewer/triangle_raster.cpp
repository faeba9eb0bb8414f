#include "viewer/triangle_raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
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

[[gnu::always_inline]] inline std::uint32_t packColor(float red, float green, float blue) {
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

// The corners sorted top to bottom (on a tie, left to right) and what the
// rows need from them; false when the triangle covers no area or crosses no
// row of pixel centres of an image height rows high.
struct Setup {
    const ScreenCorner* a = nullptr;
    const ScreenCorner* b = nullptr;
    const ScreenCorner* c = nullptr;
    float area = 0;
};

bool setUp(const ScreenCorner corner[3], int height, Setup& s) {
    for (int k = 0; k < 3; ++k) {
        const ScreenCorner& c = corner[k];
        if (!std::isfinite(c.x) || !std::isfinite(c.y) || !std::isfinite(c.inverseDepth)) {
            return false;
        }
    }
    // Most triangles of a dense mesh cross no row of pixel centres at all.
    if (firstPixelFrom(std::min({corner[0].y, corner[1].y, corner[2].y}), height) >=
        firstPixelFrom(std::max({corner[0].y, corner[1].y, corner[2].y}), height)) {
        return false;
    }
    // Top first, on a tie left first. Corners that tie on both make no area,
    // so their order never reaches a pixel.
    const ScreenCorner* p[3] = {&corner[0], &corner[1], &corner[2]};
    const auto before = [](const ScreenCorner* u, const ScreenCorner* v) {
        return u->y < v->y || (u->y == v->y && u->x < v->x);
    };
    for (const auto& [i, j] : {std::pair{0, 1}, std::pair{1, 2}, std::pair{0, 1}}) {
        if (before(p[j], p[i])) {
            std::swap(p[i], p[j]);
        }
    }
    s.a = p[0];
    s.b = p[1];
    s.c = p[2];
    const ScreenCorner& a = *s.a;
    const ScreenCorner& b = *s.b;
    const ScreenCorner& c = *s.c;
    s.area = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    return s.area != 0.0f && std::isfinite(s.area);
}

Gradient planeOf(const Setup& s, float ScreenCorner::*field) {
    const ScreenCorner& a = *s.a;
    const ScreenCorner& b = *s.b;
    const ScreenCorner& c = *s.c;
    const float db = b.*field - a.*field;
    const float dc = c.*field - a.*field;
    return Gradient{a.*field, (db * (c.y - a.y) - dc * (b.y - a.y)) / s.area,
                    (dc * (b.x - a.x) - db * (c.x - a.x)) / s.area};
}

// A plane's value at the first pixel of a row: fx and fy from corner a.
float startOf(const Gradient& g, float fx, float fy) {
    return g.at + g.dx * fx + g.dy * fy;
}

// Calls row(y, x0, x1, fx, fy) for every row that has pixels in it, x0 <= x
// < x1, with (fx, fy) the centre of pixel (x0, y) from corner a; then marks
// what was covered as drawn.
template <class Row>
void forEachRow(RasterImage& image, const Setup& s, Row&& row) {
    const ScreenCorner& a = *s.a;
    const ScreenCorner& b = *s.b;
    const ScreenCorner& c = *s.c;
    const Edge longEdge = edgeBetween(a, c);
    const Edge upper = edgeBetween(a, b);
    const Edge lower = edgeBetween(b, c);
    const int yBegin = firstPixelFrom(a.y, image.height);
    const int yEnd = firstPixelFrom(c.y, image.height);
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
        row(y, x0, x1, float(x0) + 0.5f - a.x, rowCentre - a.y);
    }
    if (drawnX0 < drawnX1) {
        markDrawn(image, PixelRect{drawnX0, yBegin, drawnX1, yEnd});
    }
}

} // namespace

void fillTriangle(RasterImage& image, DepthBuffer& depth, const ScreenCorner corner[3],
                  std::uint8_t opacity) {
    Setup s;
    if (!setUp(corner, image.height, s)) {
        return;
    }
    const Gradient z = planeOf(s, &ScreenCorner::inverseDepth);
    const Gradient red = planeOf(s, &ScreenCorner::red);
    const Gradient green = planeOf(s, &ScreenCorner::green);
    const Gradient blue = planeOf(s, &ScreenCorner::blue);
    const bool oneColor = red.dx == 0 && red.dy == 0 && green.dx == 0 && green.dy == 0 &&
                          blue.dx == 0 && blue.dy == 0;
    const std::uint32_t flat = packColor(s.a->red, s.a->green, s.a->blue);
    forEachRow(image, s, [&](int y, int x0, int x1, float fx, float fy) {
        float inv = startOf(z, fx, fy);
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
            return;
        }
        float r = startOf(red, fx, fy);
        float g = startOf(green, fx, fy);
        float bl = startOf(blue, fx, fy);
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
    });
}

namespace {

// Texture coordinates beyond this many repeats say nothing more and would
// not fit the fixed-point texel position.
constexpr float kFarthestRepeat = 1 << 20;

float heldWithin(float value, float limit) {
    // Written so that a NaN becomes -limit.
    value = value > -limit ? value : -limit;
    return value < limit ? value : limit;
}

// The level whose texels come nearest to one pixel each over the triangle:
// half the base-2 logarithm of texels per pixel, rounded.
const TexelMap& levelFor(const Setup& s, const TexelLevels& texture) {
    const auto uvOf = [](const ScreenCorner& c, float& u, float& v) {
        u = c.u / c.inverseDepth;
        v = c.v / c.inverseDepth;
    };
    float u[3], v[3];
    uvOf(*s.a, u[0], v[0]);
    uvOf(*s.b, u[1], v[1]);
    uvOf(*s.c, u[2], v[2]);
    const TexelMap& base = texture.levels.front();
    const double mapped = std::fabs(double(u[1] - u[0]) * double(v[2] - v[0]) -
                                    double(u[2] - u[0]) * double(v[1] - v[0])) *
                          double(base.width) * double(base.height);
    const double ratio = mapped / std::fabs(double(s.area));
    if (!(ratio > 1.0)) {
        return base;
    }
    // floor(log2(2 ratio)) / 2, from the exponent's bits: no logarithm to
    // compute per triangle.
    const auto exponent = int(std::bit_cast<std::uint64_t>(2.0 * ratio) >> 52 & 0x7FF) - 1023;
    const std::size_t level = std::size_t(exponent / 2);
    return texture.levels[std::min(level, texture.levels.size() - 1)];
}

// The texel number i in a row or column of size texels that repeats. A
// division only where a size that is no power of two repeats.
[[gnu::always_inline]] inline int repeated(std::int64_t i, int size) {
    if ((size & (size - 1)) == 0) {
        return int(i & (size - 1));
    }
    if (std::uint64_t(i) < std::uint64_t(size)) {
        return int(i);
    }
    const std::int64_t m = i % size;
    return int(m < 0 ? m + size : m);
}

// A texture coordinate as a texel position in 1/65536 of a texel, counted
// from the first texel's centre, so that a centre has no fraction.
std::int64_t fixedTexel(float coordinate, int size) {
    const float f = heldWithin(coordinate, kFarthestRepeat) * float(size) * 65536.0f - 32768.0f;
    auto i = std::int64_t(f);
    return i - (float(i) > f ? 1 : 0);
}

// Bilinear filter of the four texels around the position, taken to the
// nearest 1/256 of a texel (so a centre reached by small steps still reads
// its texel alone): four weights that add up to 256, red and blue in one
// word and alpha and green in another, rounded once.
[[gnu::always_inline]] inline std::uint32_t sampleBilinear(const TexelMap& map, std::int64_t x,
                                                           std::int64_t y) {
    x += 128;
    y += 128;
    const auto wx = std::uint32_t(x >> 8 & 0xFF);
    const auto wy = std::uint32_t(y >> 8 & 0xFF);
    const int x0 = repeated(x >> 16, map.width);
    const int y0 = repeated(y >> 16, map.height);
    const int x1 = x0 + 1 == map.width ? 0 : x0 + 1;
    const int y1 = y0 + 1 == map.height ? 0 : y0 + 1;
    const std::uint32_t* row0 = map.texels + std::size_t(y0) * std::size_t(map.width);
    const std::uint32_t* row1 = map.texels + std::size_t(y1) * std::size_t(map.width);
    const std::uint32_t w11 = (wx * wy + 128) >> 8;
    const std::uint32_t w10 = wy - w11;
    const std::uint32_t w01 = wx - w11;
    const std::uint32_t w00 = 256 - wx - wy + w11;
    const std::uint32_t t[4] = {row0[x0], row0[x1], row1[x0], row1[x1]};
    const std::uint32_t w[4] = {w00, w01, w10, w11};
    std::uint32_t rb = 0;
    std::uint32_t ag = 0;
    for (int k = 0; k < 4; ++k) {
        rb += (t[k] & 0x00FF00FFu) * w[k];
        ag += (t[k] >> 8 & 0x00FF00FFu) * w[k];
    }
    return (rb >> 8 & 0x00FF00FFu) | (ag & 0xFF00FF00u);
}

// A texel's four channels side by side in the compilers' vector types, in
// its bytes' order: blue, green, red, alpha.
using Floats4 = float __attribute__((vector_size(16)));
using Ints4 = std::int32_t __attribute__((vector_size(16)));
using Words4 = std::uint16_t __attribute__((vector_size(8)));
using Bytes4 = std::uint8_t __attribute__((vector_size(4)));

// The texel's colour times the light / 255 (the light rounded and held to
// 0..255 as a packed colour is, a NaN as 0), itself rounded: (v + v / 256)
// / 256 with v = texel * light + 128 is exact for eight-bit values. The
// light's alpha channel is 255, which keeps the texel's alpha.
[[gnu::always_inline]] inline std::uint32_t lit(std::uint32_t texel, Floats4 light) {
    Floats4 c = light + 0.5f;
    c = c > 0.0f ? c : 0.0f;
    c = c < 255.0f ? c : 255.0f;
    const Words4 l = __builtin_convertvector(__builtin_convertvector(c, Ints4), Words4);
    Bytes4 bytes;
    std::memcpy(&bytes, &texel, 4);
    const Words4 v = __builtin_convertvector(bytes, Words4) * l + 128;
    const Bytes4 out = __builtin_convertvector((v + (v >> 8)) >> 8, Bytes4);
    std::uint32_t color;
    std::memcpy(&color, &out, 4);
    return color;
}

// Pixels between two exact divisions by 1 / z; the texture position steps
// evenly in between, too little apart from the exact one to be seen.
constexpr int kPerspectiveSpan = 16;

} // namespace

void fillTexturedTriangle(RasterImage& image, DepthBuffer& depth, const ScreenCorner corner[3],
                          std::uint8_t opacity, const TexelLevels& texture) {
    Setup s;
    if (texture.levels.empty() || !setUp(corner, image.height, s)) {
        return;
    }
    const TexelMap& map = levelFor(s, texture);
    const Gradient z = planeOf(s, &ScreenCorner::inverseDepth);
    const Gradient red = planeOf(s, &ScreenCorner::red);
    const Gradient green = planeOf(s, &ScreenCorner::green);
    const Gradient blue = planeOf(s, &ScreenCorner::blue);
    const Gradient uz = planeOf(s, &ScreenCorner::u);
    const Gradient vz = planeOf(s, &ScreenCorner::v);
    const bool solid = opacity == 255 && texture.opaque;
    const Floats4 lightStep = {blue.dx, green.dx, red.dx, 0};
    forEachRow(image, s, [&](int y, int x0, int x1, float fx, float fy) {
        float inv = startOf(z, fx, fy);
        Floats4 light = {startOf(blue, fx, fy), startOf(green, fx, fy), startOf(red, fx, fy), 255};
        const float uRow = startOf(uz, fx, fy);
        const float vRow = startOf(vz, fx, fy);
        const float invRow = inv;
        const std::size_t row = std::size_t(y) * std::size_t(image.width);
        std::uint32_t* pixel = image.pixels.data() + row;
        float* nearest = depth.inverseDepth.data() + row;
        for (int first = x0; first < x1; first += kPerspectiveSpan) {
            // The exact positions at the span's first and last pixel, both
            // inside the triangle, where 1 / z is above 0.
            const int last = std::min(first + kPerspectiveSpan, x1) - 1;
            const auto at = [&](int x, std::int64_t& tx, std::int64_t& ty) {
                const float steps = float(x - x0);
                const float w = 1.0f / (invRow + z.dx * steps);
                tx = fixedTexel((uRow + uz.dx * steps) * w, map.width);
                ty = fixedTexel((vRow + vz.dx * steps) * w, map.height);
            };
            std::int64_t tx = 0, ty = 0, stepX = 0, stepY = 0;
            at(first, tx, ty);
            if (last > first) {
                std::int64_t endX = 0, endY = 0;
                at(last, endX, endY);
                const float perStep = 1.0f / float(last - first);
                stepX = std::int64_t(float(endX - tx) * perStep);
                stepY = std::int64_t(float(endY - ty) * perStep);
            }
            for (int x = first; x <= last;
                 ++x, inv += z.dx, light += lightStep, tx += stepX, ty += stepY) {
                if (!(inv > nearest[x])) {
                    continue;
                }
                const std::uint32_t color = lit(sampleBilinear(map, tx, ty), light);
                if (solid) {
                    nearest[x] = inv;
                    pixel[x] = color | 0xFF000000u;
                } else {
                    const std::uint32_t alpha = ((color >> 24) * opacity + 127) / 255;
                    pixel[x] = mix(color, pixel[x], alpha);
                }
            }
        }
    });
}

} // namespace kzoview
