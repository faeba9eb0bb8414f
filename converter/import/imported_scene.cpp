#include "converter/import/imported_scene.h"

#include "converter/import/import_lws_scene.h"
#include "converter/model/scene_model.h"

namespace kzo {
namespace {

// The engine plays a block's keys in the order stored, so a frame that does
// not follow the one before would make it jump back.
std::int32_t addMotion(SceneDescription& scene, const std::vector<MotionKey>& keys,
                       const char* what, std::size_t index, const MessageSink& sink) {
    SceneMotion& motion = scene.motions.emplace_back();
    for (const MotionKey& key : keys) {
        if (!motion.keys.empty() && key.frame <= motion.keys.back().key.frame) {
            fatalError(sink, "'%s': the import gave %s %zu a key at frame %d after frame %d",
                       scene.path.c_str(), what, index, key.frame, motion.keys.back().key.frame);
        }
        motion.keys.push_back({key, 0});
    }
    return static_cast<std::int32_t>(scene.motions.size() - 1);
}

void checkCapacities(const ImportedModel& imported, const std::string& path, bool hierarchy,
                     const MessageSink& sink) {
    if (hierarchy && imported.objects.size() > static_cast<std::size_t>(kMaxPivots)) {
        fatalError(sink, "'%s' has %zu objects; the pivot table holds %d", path.c_str(),
                   imported.objects.size(), kMaxPivots);
    }
    if (imported.lights.size() > static_cast<std::size_t>(kMaxLights)) {
        fatalError(sink, "'%s' has %zu lights; the light table holds %d", path.c_str(),
                   imported.lights.size(), kMaxLights);
    }
}

} // namespace

SceneDescription describeImportedScene(const ImportedModel& imported, const std::string& path,
                                       bool hierarchy, const MessageSink& sink) {
    checkCapacities(imported, path, hierarchy, sink);
    SceneDescription scene;
    scene.path = path;
    scene.lastFrame = imported.lastFrame;
    for (std::size_t i = 0; i < imported.objects.size(); ++i) {
        const ImportedObject& source = imported.objects[i];
        if (source.parent >= static_cast<std::int32_t>(i) || source.parent < -1) {
            fatalError(sink, "'%s': the import gave object %zu the parent %d", path.c_str(), i,
                       source.parent);
        }
        SceneObject& object = scene.objects.emplace_back();
        object.kind = SceneObjectKind::geometry;
        object.name.path = object.name.wholeLine = source.name;
        object.parent = source.parent < 0 ? kNoParent : static_cast<std::uint16_t>(source.parent);
        object.motion = addMotion(scene, source.keys, "object", i, sink);
        if (!source.keys.empty()) {
            object.firstKey = source.keys.front();
        }
        scene.motionFileBlocks.push_back(object.motion);
    }
    if (imported.hasCamera) {
        scene.camera.motion = addMotion(scene, imported.camera.keys, "camera", 0, sink);
        scene.motionFileBlocks.push_back(scene.camera.motion);
    }
    scene.lights = imported.lights;
    for (int c = 0; c < 3; ++c) {
        scene.ambientColor[c] = imported.ambientColor[c];
    }
    return scene;
}

void placeImportedScene(const SceneDescription& scene, SceneModel& model, bool hierarchy) {
    if (hierarchy) {
        placeSceneInModel(scene, model);
    } else {
        placeSceneLights(scene, model);
    }
}

} // namespace kzo
