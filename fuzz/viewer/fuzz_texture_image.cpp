// Any bytes given to the image decoder either decode within the limits or
// give a fault, never both; what decodes is mipmapped and drawn as a
// textured triangle whose corners' texture coordinates come from the same
// bytes, far beyond 0..1 included: nothing reads or writes outside its
// buffers.
#include "viewer/texture.h"
#include "viewer/texture_image.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kzoview::DecodedImage decoded = kzoview::decodeTextureImage(std::span(data, size));
    if (decoded.image.texels == nullptr) {
        if (decoded.fault.empty()) {
            std::abort();
        }
        return 0;
    }
    const auto width = std::uint64_t(decoded.image.width);
    const auto height = std::uint64_t(decoded.image.height);
    if (!decoded.fault.empty() || width == 0 || height == 0 ||
        width * height > kzoview::kMaxTexturePixels) {
        std::abort();
    }
    const kzoview::Texture texture = kzoview::makeTexture(std::move(decoded.image));
    const kzoview::TexelMap& smallest = texture.levels.back();
    if (smallest.width != 1 || smallest.height != 1) {
        std::abort();
    }
    float uv[6] = {0, 0, 1, 0, 0, 1};
    std::memcpy(uv, data, std::min(size, sizeof uv));
    const kzoview::ScreenCorner corner[3] = {
        {1, 1, 1, 255, 128, 0, uv[0], uv[1]},
        {30, 4, 0.5f, 0, 255, 64, uv[2] * 0.5f, uv[3] * 0.5f},
        {6, 22, 0.25f, 90, 90, 255, uv[4] * 0.25f, uv[5] * 0.25f}};
    kzoview::RasterImage image;
    kzoview::resetImage(image, 32, 24, kzoview::kBlack);
    kzoview::DepthBuffer depth;
    kzoview::resetDepth(depth, 32, 24);
    kzoview::fillTexturedTriangle(image, depth, corner, 255, texture.view());
    kzoview::fillTexturedTriangle(image, depth, corner, 100, texture.view());
    return 0;
}
