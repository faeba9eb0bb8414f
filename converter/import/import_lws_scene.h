// The LightWave scene importer: one .lws scene in, its objects' geometry merged
// into the scene model and everything else it says parsed into a
// SceneDescription.
#pragma once

#include "converter/import/import_input.h"
#include "converter/import/scene_objects.h"
#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

#include <string>

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

} // namespace kzo
