// Filling triangles into the off-screen image with a depth buffer: the
// shaded views' one drawing primitive.
//
// A pixel belongs to a triangle when its centre (x + 0.5, y + 0.5) lies
// inside, or on a left edge or a top edge's row; each edge's crossing of a
// row is computed from its two ends in one fixed order, so two triangles that
// share an edge fill the pixels along it exactly once between them, with no
// gap. Colours are interpolated linearly on screen, as the engine's Gouraud
// shading does; depth is compared as 1 / z, which is linear on screen, and
// texture coordinates are interpolated as u / z and v / z, divided by 1 / z
// at each pixel, so that they follow the surface in perspective.
#pragma once

#include "viewer/raster_image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kzoview {

struct DepthBuffer {
    int width = 0;
    int height = 0;
    std::vector<float> inverseDepth; // 1 / z of the nearest surface so far; 0: nothing
};

// Makes the buffer width x height and empties it.
void resetDepth(DepthBuffer& depth, int width, int height);

// A triangle corner in window coordinates with its 1 / z and its colour,
// each channel 0 to 255; u and v are its texture coordinates times 1 / z.
struct ScreenCorner {
    float x = 0, y = 0;
    float inverseDepth = 0;
    float red = 0, green = 0, blue = 0;
    float u = 0, v = 0;
};

// One level of a texture as the fill reads it: width x height texels
// 0xAARRGGBB, the bottom row first, repeated beyond 0..1 both ways. Texel
// (i, j) covers u from i / width to (i + 1) / width.
struct TexelMap {
    const std::uint32_t* texels = nullptr;
    int width = 0, height = 0;
};

// A texture's levels, each half the size of the one before (at least one
// texel a side); opaque when no texel's alpha is below 255.
struct TexelLevels {
    std::span<const TexelMap> levels;
    bool opaque = true;
};

// Fills the pixels of the triangle that lie nearer than the depth buffer
// holds, whichever way its corners run. A solid triangle (opacity 255)
// replaces their colour and depth; any other is mixed over them in proportion
// opacity / 255 and leaves the depth as it is, so what lies behind it still
// hides what lies further back. The image and the buffer must have the same
// size. Corners that are not finite numbers draw nothing.
void fillTriangle(RasterImage& image, DepthBuffer& depth, const ScreenCorner corner[3],
                  std::uint8_t opacity);

// fillTriangle with the texture under the colour: each pixel is the texel at
// its u and v, filtered bilinearly, times its colour / 255, and its alpha
// multiplies the opacity. The whole triangle reads one level: the one whose
// texels are nearest to the pixels in size, taken over the triangle's area.
// Only a solid triangle of an opaque texture replaces colour and depth.
void fillTexturedTriangle(RasterImage& image, DepthBuffer& depth, const ScreenCorner corner[3],
                          std::uint8_t opacity, const TexelLevels& texture);

} // namespace kzoview
