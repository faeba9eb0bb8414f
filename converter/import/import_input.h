// Importers: each reads one kind of input into the scene model.
//
// The contract of an importer: it starts from a reset model and fills its
// tables (images, materials, vertices with their pivotIndex, faces; for a
// scene also one pivot per object and the lights); a scene's other contents
// go into the SceneDescription it returns, for the side files. It lists every
// file it read, and reports bad input through fatalError. It writes no file
// and leaves sorting, flags and geometry to the steps after it.
#pragma once

#include "converter/model/scene_description.h"
#include "converter/model/scene_model.h"

#include <optional>
#include <string>
#include <vector>

namespace kzo {

enum class InputKind {
    threeDStudio,   // a name ending in "3ds", any letter case
    lightWaveScene, // a name ending in "lws", any letter case
    unsupported,
};

// Decided by the last three characters of the name alone; no dot is needed.
InputKind inputKindOf(const std::string& path);

struct ImportedInput {
    // Everything a scene file says besides geometry; none for a model file.
    std::optional<SceneDescription> scene;
    // Every file the import read, in the order read, the input first.
    std::vector<std::string> filesRead;
};

// Runs the importer of the input's kind (which must be supported).
ImportedInput importInput(InputKind kind, SceneModel& model, const std::string& path);

// A 3D Studio file: its materials, images, vertices and faces, no pivots and
// no lights. Data that does not start like a 3DS file gives an empty model.
ImportedInput import3dsFile(SceneModel& model, const std::string& path);

// A LightWave object (LWO2, LWOB or LWLO) as a one-object scene in LightWave's
// own space: every layer's surfaces, images, vertices (pivot index 0) and
// faces, no pivots and no lights. A file that is not such an object is a
// fatal error.
ImportedInput importLwoFile(SceneModel& model, const std::string& path);

} // namespace kzo
