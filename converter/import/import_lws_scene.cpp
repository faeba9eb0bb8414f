#include "converter/import/import_lws_scene.h"

#include "converter/import/load_3ds.h"
#include "converter/import/object_path.h"
#include "converter/import/scene_lights.h"
#include "converter/import/scene_motions.h"
#include "converter/model/paths.h"
#include "format/file_io.h"

#include <algorithm>

namespace kzo {

SceneDescription parseSceneText(const SceneText& text, const MessageSink& sink,
                                const GeometryLoader& loadGeometry) {
    SceneDescription scene;
    scene.path = text.path;
    readSceneLights(text, sink, scene);
    readSceneObjects(text, sink, loadGeometry, scene);
    readSceneMotions(text, scene);
    return scene;
}

void placeSceneInModel(const SceneDescription& scene, SceneModel& model) {
    model.pivotCount = static_cast<std::int32_t>(scene.objects.size());
    for (std::size_t i = 0; i < scene.objects.size(); ++i) {
        const SceneObject& object = scene.objects[i];
        const MotionKey& key = object.firstKey;
        Pivot& pivot = model.pivots[i];
        pivot = Pivot{};
        for (int k = 0; k < 3; ++k) {
            pivot.pivotPoint[k] = object.pivotPoint[k];
        }
        const float firstKey[9] = {key.position[0], key.position[1], key.position[2],
                                   key.heading,     key.pitch,       key.bank,
                                   key.scale[0],    key.scale[1],    key.scale[2]};
        std::copy(firstKey, firstKey + 9, pivot.firstKey);
        pivot.parentIndex = object.parent;
    }
    model.lightCount = static_cast<std::int32_t>(scene.lights.size());
    std::copy(scene.lights.begin(), scene.lights.end(), model.lights.begin());
    for (int c = 0; c < 3; ++c) {
        model.ambientColor[c] = scene.ambientColor[c];
    }
}

ImportedInput importLwsScene(SceneModel& model, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes)) {
        fatalError(model.sink, "cannot open '%s'", path.c_str());
    }
    ImportedInput imported;
    imported.filesRead.push_back(path);
    const SceneText text = makeSceneText(path, std::string(bytes.begin(), bytes.end()));
    const std::string sceneDirectory = directoryPart(path);
    const GeometryLoader loadGeometry = [&](const SceneObject& object, std::size_t index) {
        const ObjectName& name = object.name;
        std::string found = findObjectGeometry(sceneDirectory, name.path);
        // A name with blanks: the cut token is tried first, as the format
        // reads it, then the whole name, which the error then names.
        if (found.empty() && name.wholeLine != name.path) {
            found = findObjectGeometry(sceneDirectory, name.wholeLine);
        }
        if (found.empty()) {
            fatalError(model.sink, "cannot open '%s'", objectGeometryName(name.wholeLine).c_str());
        }
        load3dsFile(model, found, static_cast<std::uint8_t>(index));
        imported.filesRead.push_back(found);
    };
    imported.scene = parseSceneText(text, model.sink, loadGeometry);
    placeSceneInModel(*imported.scene, model);
    return imported;
}

} // namespace kzo
