// A decoded image with its mipmaps, as the shaded view draws it: made once
// when a model's textures are read, never changed after, freed with the
// model that holds it.
#pragma once

#include "viewer/texture_image.h"
#include "viewer/triangle_raster.h"

#include <cstdint>
#include <vector>

namespace kzoview {

struct Texture {
    TextureImage image;                 // level 0
    std::vector<std::uint32_t> smaller; // the other levels, one after another
    std::vector<TexelMap> levels;       // level 0 first, down to one texel a side
    TexelLevels view() const { return {levels, image.opaque}; }
};

// Takes the image as level 0 and adds the levels below it: each half the
// size of the one above (rounded down, at least 1), each texel the mean of
// the 2 x 2 texels above it (straight alpha, rounded). The smaller levels
// together take a third of the image's memory.
Texture makeTexture(TextureImage image);

} // namespace kzoview
