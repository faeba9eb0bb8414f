// The scene a model file holds (its objects with their keys, its camera, its
// lights; modelimport/imported_model.h) described as a LightWave scene of the
// same objects would be, so that the side files and the viewer never learn
// which format a scene came from: every object an object with geometry and
// its own motion, pivot point 0, placed at its first key; the .mot blocks the
// objects' in order, then the camera's; the camera linked to no parent and no
// target.
#pragma once

#include "converter/model/messages.h"
#include "converter/model/scene_description.h"
#include "modelimport/imported_model.h"

#include <string>

namespace kzo {

struct SceneModel;

// The description of imported's scene; path names the file in it and in its
// errors. With hierarchy (the objects become pivots) more objects than the
// pivot table holds are a fatal error; so are more lights than the light
// table holds, an object whose parent is not an earlier object, and keys
// whose frames do not increase.
SceneDescription describeImportedScene(const ImportedModel& imported, const std::string& path,
                                       bool hierarchy, const MessageSink& sink);

// Gives the model the scene's lights and ambient colour and, with hierarchy,
// one pivot per object; without it the import has placed every vertex in
// scene space already, and no pivot would be baked a second time.
void placeImportedScene(const SceneDescription& scene, SceneModel& model, bool hierarchy);

} // namespace kzo
