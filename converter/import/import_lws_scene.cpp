#include "converter/import/import_lws_scene.h"

#include "converter/import/item_scene.h"
#include "converter/import/load_3ds.h"
#include "converter/import/load_lwo.h"
#include "converter/import/lws_items.h"
#include "converter/import/object_path.h"
#include "converter/import/scene_lights.h"
#include "converter/import/scene_motions.h"
#include "converter/model/paths.h"

#include <algorithm>

namespace kzo {

SceneDescription parseSceneText(const SceneText& text, const MessageSink& sink,
                                const GeometryLoader& loadGeometry) {
    if (const int version = sceneVersion(text); version >= 2) {
        return parseItemScene(text, version, sink, loadGeometry);
    }
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
    placeSceneLights(scene, model);
}

void placeSceneLights(const SceneDescription& scene, SceneModel& model) {
    model.lightCount = static_cast<std::int32_t>(scene.lights.size());
    for (std::size_t i = 0; i < scene.lights.size(); ++i) {
        model.lights[i] = scene.lights[i];
    }
    for (int c = 0; c < 3; ++c) {
        model.ambientColor[c] = scene.ambientColor[c];
    }
}

SceneObjectFile findSceneObject(const std::string& sceneDirectory, const SceneObject& object,
                                bool itemScene, const MessageSink& sink) {
    // A name with blanks: the cut token is tried first, as the format reads
    // it, then the whole name, which the error then names.
    const auto find = [&](auto&& search) {
        const ObjectName& name = object.name;
        std::string found = search(sceneDirectory, name.path);
        return found.empty() && name.wholeLine != name.path ? search(sceneDirectory, name.wholeLine)
                                                            : found;
    };
    // The .3ds twin when there is one, as scenes have always been read; else
    // the LightWave object itself.
    if (std::string geometry = find(findObjectGeometry); !geometry.empty()) {
        return {std::move(geometry), true};
    }
    if (std::string lwo = find(findObjectFile); !lwo.empty()) {
        return {std::move(lwo), false};
    }
    if (itemScene) {
        fatalError(sink, "cannot open '%s' or its .3ds twin '%s'", object.name.wholeLine.c_str(),
                   objectGeometryName(object.name.wholeLine).c_str());
    }
    fatalError(sink, "cannot open '%s'", objectGeometryName(object.name.wholeLine).c_str());
}

ImportedInput importLwsScene(SceneModel& model, const std::string& path) {
    const std::vector<std::uint8_t> bytes = readInputFile(model.sink, path);
    ImportedInput imported;
    imported.filesRead.push_back(path);
    const SceneText text = makeSceneText(path, std::string(bytes.begin(), bytes.end()));
    const std::string sceneDirectory = directoryPart(path);
    const bool itemScene = sceneVersion(text) >= 2;
    const GeometryLoader loadGeometry = [&](const SceneObject& object, std::size_t index) {
        SceneObjectFile found = findSceneObject(sceneDirectory, object, itemScene, model.sink);
        const auto pivotIndex = static_cast<std::uint8_t>(index);
        if (found.twin) {
            load3dsFile(model, found.path, pivotIndex);
        } else {
            static_assert(kNoLayer == kAllLayers);
            loadLwoFile(model, found.path, object.layer, pivotIndex);
        }
        imported.filesRead.push_back(std::move(found.path));
    };
    imported.scene = parseSceneText(text, model.sink, loadGeometry);
    placeSceneInModel(*imported.scene, model);
    return imported;
}

std::vector<std::string> listLwsSceneInputs(const std::string& path, const MessageSink& sink) {
    const std::vector<std::uint8_t> bytes = readInputFile(sink, path);
    std::vector<std::string> files{path};
    const SceneText text = makeSceneText(path, std::string(bytes.begin(), bytes.end()));
    const std::string sceneDirectory = directoryPart(path);
    const bool itemScene = sceneVersion(text) >= 2;
    const GeometryLoader noteObject = [&](const SceneObject& object, std::size_t) {
        files.push_back(findSceneObject(sceneDirectory, object, itemScene, sink).path);
    };
    parseSceneText(text, sink, noteObject);
    return files;
}

} // namespace kzo
