#include "converter/encode/camera_file.h"

#include "converter/model/scale_scene.h"

#include "converter/encode/motion_file.h"
#include "format/byte_writer.h"

#include <cmath>

namespace kzo {
namespace {

constexpr std::int32_t kAbsent = -1;

// The motion a block can be written for: one with at least one key. A block
// must start with a key count of at least 1, or a reader takes it for an
// absent section and misreads the rest of the file.
const SceneMotion* keyedMotion(const SceneDescription& scene, std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= scene.motions.size()) {
        return nullptr;
    }
    const SceneMotion& motion = scene.motions[static_cast<std::size_t>(index)];
    return motion.keys.empty() ? nullptr : &motion;
}

// The object a 1-based number names, or nullptr.
const SceneObject* objectNumbered(const SceneDescription& scene, std::int32_t number) {
    if (number <= 0 || static_cast<std::size_t>(number) > scene.objects.size()) {
        return nullptr;
    }
    return &scene.objects[static_cast<std::size_t>(number - 1)];
}

struct CameraEncoder {
    const SceneDescription& scene;
    const ConversionSettings& settings;
    const MessageSink& sink;
    ByteWriter out;

    void block(const SceneMotion& motion) { encodeMotionBlock(out, motion, scene, settings, sink); }

    // An object section: the object's block, or the number itself when it
    // names no object (0 or below as written; -1 for a number beyond the
    // scene's objects or an object whose motion has no keys, so that a reader
    // never takes it for a key count). Returns the object when its block was
    // written.
    const SceneObject* objectSection(std::int32_t number) {
        if (number <= 0) {
            out.i32le(number);
            return nullptr;
        }
        const SceneObject* object = objectNumbered(scene, number);
        const SceneMotion* motion = object ? keyedMotion(scene, object->motion) : nullptr;
        if (!motion) {
            out.i32le(kAbsent);
            return nullptr;
        }
        block(*motion);
        return object;
    }

    void targetPoint(const SceneObject& target, std::int32_t number) {
        for (int i = 0; i < 3; ++i) {
            const float point =
                target.pivotPoint[i] * settings.scaleFactor + target.firstKey.position[i];
            if (!std::isfinite(point)) {
                fatalError(sink, "'%s': the target point of object %d is not a finite number%s",
                           scene.path.c_str(), number, atScale(settings).c_str());
            }
            out.f32le(point);
        }
    }
};

} // namespace

std::vector<std::uint8_t> encodeCameraFile(const SceneDescription& scene,
                                           const ConversionSettings& settings,
                                           const std::string& path, const MessageSink& sink) {
    printMessage(sink, "'%s' Writing...", path.c_str());
    CameraEncoder encoder{scene, settings, sink, {}};
    // A camera motion without keys counts as none: the file is then the two
    // absent sections, the one layout a reader can tell from a file that
    // starts with the camera's block.
    const SceneMotion* camera = keyedMotion(scene, scene.camera.motion);
    if (!camera) {
        encoder.out.i32le(kAbsent);
        encoder.out.i32le(kAbsent);
        return encoder.out.take();
    }
    encoder.block(*camera);
    encoder.objectSection(scene.camera.parent);
    if (const SceneObject* target = encoder.objectSection(scene.camera.target)) {
        encoder.targetPoint(*target, scene.camera.target);
    }
    return encoder.out.take();
}

} // namespace kzo
