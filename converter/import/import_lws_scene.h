// The LightWave scene importer: one .lws scene in, its objects' geometry merged
// into the scene model and everything else it says parsed into a
// SceneDescription.
#pragma once

#include "converter/import/import_input.h"
#include "converter/import/scene_objects.h"
#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

#include <string>
#include <vector>

namespace kzo {

// Parses a scene held in memory: its lights, its objects (loading each
// geometry object through loadGeometry as its line is read), its motions and
// camera. Fatal errors go to sink.
SceneDescription parseSceneText(const SceneText& text, const MessageSink& sink,
                                const GeometryLoader& loadGeometry);

// Gives the model what the geometry steps read from a scene: one pivot per
// object (pivot point, first key, parent) and the lights with the ambient
// colour.
void placeSceneInModel(const SceneDescription& scene, SceneModel& model);

// The lights and the ambient colour alone, for a scene whose vertices are
// placed already.
void placeSceneLights(const SceneDescription& scene, SceneModel& model);

// Imports the scene at path into the reset model. Each object's geometry
// comes from the .3ds file of the same name (found as findObjectGeometry
// describes), all objects merged into one model with one pivot each; the
// vertices of object n carry pivotIndex n. A scene that cannot be read, an
// object whose .3ds file cannot be found or read, and a scene beyond the
// model's tables are fatal errors.
ImportedInput importLwsScene(SceneModel& model, const std::string& path);

// The file an object of the scene in sceneDirectory takes its geometry from:
// its .3ds twin, or else the LightWave object itself. No such file is a fatal
// error naming the object as the scene names it (itemScene: a scene of
// version 2 or later, whose error names the twin too).
struct SceneObjectFile {
    std::string path;
    bool twin = false; // a .3ds file
};
SceneObjectFile findSceneObject(const std::string& sceneDirectory, const SceneObject& object,
                                bool itemScene, const MessageSink& sink);

// The files importLwsScene would read for the scene at path, in the order it
// would read them (the scene, then each geometry object's file), found by
// parsing the scene without loading any object. The same fatal errors as the
// import's for a scene that cannot be read or an object that cannot be found.
std::vector<std::string> listLwsSceneInputs(const std::string& path, const MessageSink& sink);

} // namespace kzo
