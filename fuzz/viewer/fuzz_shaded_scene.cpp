// Any bytes read as a whole .kzo, a .mot, a .cam or a .kzl either parse or end
// in FatalError; a .kzo that parses is then posed by the same bytes read as a
// .mot and drawn shaded and as edges, whatever its numbers: nothing reads or
// writes outside its buffers, and nothing hangs. Every image record it has
// is given a texture of 3 x 2 texels, so that textured materials are drawn
// with whatever texture coordinates the bytes hold.
#include "viewer/scene_motion.h"
#include "viewer/shaded_view.h"
#include "viewer/texture.h"
#include "viewer/viewer_error.h"

#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

std::shared_ptr<const kzoview::Texture> smallTexture() {
    kzoview::TextureImage image;
    image.width = 3;
    image.height = 2;
    image.texels.reset(static_cast<std::uint32_t*>(std::malloc(6 * sizeof(std::uint32_t))));
    for (std::uint32_t i = 0; i < 6; ++i) {
        image.texels[i] = 0x80FFFFFFu - i * 0x00102030u;
    }
    image.opaque = false;
    return std::make_shared<const kzoview::Texture>(kzoview::makeTexture(std::move(image)));
}

void draw(kzoview::ShadedModel model, const kzoview::MotionFile& motion) {
    static const std::shared_ptr<const kzoview::Texture> texture = smallTexture();
    model.textures.assign(model.imageNames.size(), texture);
    kzoview::ShadedFrame frame;
    kzoview::animatedPose(model, motion, 3, frame);
    kzoview::MeshPlacement place;
    place.viewDistance = 4;
    const kzoview::ViewProjection view =
        kzoview::turningProjection(place, kzoview::kIdentityMatrix, 32, 24);
    kzoview::RasterImage image;
    kzoview::resetImage(image, 32, 24, kzoview::kBlack);
    kzoview::DepthBuffer depth;
    kzoview::resetDepth(depth, 32, 24);
    kzoview::ShadedScratch scratch;
    kzoview::drawShaded(model, frame, view, image, depth, scratch);
    kzoview::drawPosedEdges(model, frame, view, image);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    kzoview::MotionFile motion;
    try {
        motion = kzoview::parseMotionFile(bytes, "fuzz.mot");
    } catch (const kzoview::FatalError&) {
    }
    try {
        kzoview::parseCameraFile(bytes, "fuzz.cam");
    } catch (const kzoview::FatalError&) {
    }
    try {
        const auto lights = kzoview::parseLightFile(bytes, "fuzz.kzl");
        kzoview::MeshPlacement place;
        place.viewDistance = 4;
        kzoview::RasterImage image;
        kzoview::resetImage(image, 32, 24, kzoview::kBlack);
        kzoview::drawLightMarkers(
            lights, 1.0f, 0.5f, kzoview::turningProjection(place, kzoview::kIdentityMatrix, 32, 24),
            image);
    } catch (const kzoview::FatalError&) {
    }
    try {
        draw(kzoview::loadShadedKzo(bytes, "fuzz.kzo"), motion);
    } catch (const kzoview::FatalError&) {
    }
    return 0;
}
