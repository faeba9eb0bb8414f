// The node tree as the mapping walked it, for the stage that places the
// scene's objects, camera and lights.
#pragma once

#include "modelimport/module/light_mapping.h"
#include "modelimport/module/scene_mapping.h"

#include <cstdint>
#include <vector>

struct aiNode;

namespace kzo {

// One node met in the depth-first walk, in the walk's order.
struct NodeVisit {
    const aiNode* node = nullptr;
    std::int32_t up = -1;     // the parent's visit; -1 for the root
    std::int32_t object = -1; // the object the node is, -1 when it holds no mesh
};

struct SceneWalk {
    std::vector<NodeVisit> visits;
    std::vector<std::int32_t> objectVisits; // per object
    SceneBounds bounds;                     // of every mesh at rest, engine space
};

// Fills the objects' keys, the camera, the lights, the ambient colour, the
// frame rate and last frame, and the warnings about what of the motion is
// left out.
void placeScene(const aiScene& scene, const SceneFacts& facts, const MappingLimits& limits,
                const ModelReadOptions& options, const SceneWalk& walk, ImportedModel& model);

} // namespace kzo
