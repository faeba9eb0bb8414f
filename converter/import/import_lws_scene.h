// The LightWave scene path of the converter: one .lws scene in, one KZO file
// and, on request, its .mot, .cam and .kzl side files out.
#pragma once

#include "converter/import/scene_objects.h"
#include "converter/import/scene_text.h"
#include "converter/model/scene_model.h"

#include <string>

namespace kzo {

// Converts the scene at input. Each object's geometry comes from the .3ds file
// of the same name (found as findObjectGeometry describes), all objects merged
// into one model with one Pivot each. output is the KZO path (ending in "kzo");
// the side files are named by replacing those three characters with "mot",
// "cam" and "kzl". The outputs are appended to model.pendingOutputs, to be
// written by the caller once the whole scene has converted.
//
// A scene that cannot be read, an object whose .3ds file cannot be found or
// read, and a scene beyond the model's tables are fatal errors
// (FatalErrorSignal after an "ERROR: " line); the caller then discards
// whatever the scene left in model.pendingOutputs.
void importLwsScene(SceneModel& model, const std::string& input, const std::string& output);

// The same for a scene already in memory, with the objects' geometry loaded by
// loadObject: from the reset of the model to the last side file.
void importSceneText(SceneModel& model, const SceneText& scene, const std::string& output,
                     const ObjectLoader& loadObject);

} // namespace kzo
