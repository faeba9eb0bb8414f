// Decoding the image files that materials name (PNG, JPEG, TGA, BMP) into
// texels for the shaded view. Only the viewer's own code sees the decoder
// behind this; nothing here needs Qt or a display.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>

namespace kzoview {

// Largest image the viewer decodes: each side, and all its pixels (a
// 4096 x 4096 texture), checked from the image's header before anything is
// decoded, so a header that claims 60000 x 60000 pixels costs nothing.
inline constexpr int kMaxTextureSide = 16384;
inline constexpr std::uint64_t kMaxTexturePixels = std::uint64_t(1) << 24;
// Largest image file read at all.
inline constexpr std::size_t kMaxTextureFileBytes = std::size_t(128) << 20;

struct FreeTexels {
    void operator()(std::uint32_t* texels) const { std::free(texels); }
};

// width x height texels 0xAARRGGBB (straight alpha), row after row, the
// image's bottom row first: row v * height is where a mapping coordinate v
// points, v = 0 being the bottom as 3D Studio has it.
struct TextureImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<std::uint32_t[], FreeTexels> texels;
    bool opaque = true; // every texel's alpha is 255
};

struct DecodedImage {
    TextureImage image; // empty (width 0) when fault says why
    std::string fault;  // "is truncated", "claims 60000 x 60000 pixels, ..."
};

// Decodes a whole image file from its bytes, whatever its kind (told by its
// contents, not its name): PNG; baseline and progressive JPEG; TGA
// uncompressed or run-length encoded, colour-mapped, grey, 15 to 32 bits per
// pixel, either origin; BMP uncompressed. Anything else, an image larger than
// the limits above, or data that ends before the image does, gives a fault
// and no image. Needs no more memory than the image's texels and what the
// decoder holds while it works; throws std::bad_alloc when that is refused.
DecodedImage decodeTextureImage(std::span<const std::uint8_t> bytes);

} // namespace kzoview
