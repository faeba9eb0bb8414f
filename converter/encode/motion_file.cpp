#include "converter/encode/motion_file.h"

#include "converter/model/scale_scene.h"
#include "format/side_formats.h"

#include <cmath>

namespace kzo {
namespace {

bool isFinite(const MotionKey& key) {
    const float values[9] = {key.position[0], key.position[1], key.position[2],
                             key.heading,     key.pitch,       key.bank,
                             key.scale[0],    key.scale[1],    key.scale[2]};
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

} // namespace

void encodeMotionBlock(ByteWriter& out, const SceneMotion& motion, const SceneDescription& scene,
                       const ConversionSettings& settings, const MessageSink& sink) {
    out.i32le(static_cast<std::int32_t>(motion.keys.size()));
    for (const SceneKey& sceneKey : motion.keys) {
        MotionKey key = sceneKey.key;
        for (float& c : key.position) {
            c = c * settings.scaleFactor;
        }
        if (!isFinite(key) && sceneKey.line > 0) {
            fatalError(sink, "'%s' line %zu: the key is not a finite number%s", scene.path.c_str(),
                       sceneKey.line, atScale(settings).c_str());
        }
        // Keys of a model file come from no line of text: their frame names
        // them.
        if (!isFinite(key)) {
            fatalError(sink, "'%s': the key at frame %d is not a finite number%s",
                       scene.path.c_str(), key.frame, atScale(settings).c_str());
        }
        writeMotionKey(out, key);
    }
}

std::vector<std::uint8_t> encodeMotionFile(const SceneDescription& scene,
                                           const ConversionSettings& settings,
                                           const MessageSink& sink) {
    ByteWriter out;
    out.i32le(scene.lastFrame);
    out.i32le(static_cast<std::int32_t>(scene.motionFileBlocks.size()));
    for (std::int32_t index : scene.motionFileBlocks) {
        encodeMotionBlock(out, scene.motions.at(static_cast<std::size_t>(index)), scene, settings,
                          sink);
    }
    return out.take();
}

} // namespace kzo
