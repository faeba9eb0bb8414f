#pragma once

#include "converter/model/scene_model.h"

namespace kzo {

// Moves every vertex into scene space: builds each pivot's transform from its
// first key and pivot point, multiplies in the transforms of all its ancestors
// (matrix = own * parent * grandparent ...), and applies to each vertex the
// matrix of the pivot its pivotIndex names. Does nothing without pivots.
// Broken hierarchies are mended as effectiveParents describes; a vertex whose
// pivotIndex names no pivot of this scene stays where it is.
void bakeTransforms(SceneModel& model);

} // namespace kzo
