#pragma once

#include "converter/model/scene_model.h"

namespace kzo {

// Orders the first faceCount faces by materialIndex, ascending as signed 16-bit
// values, so faces without a material (-1) come first. Stable: faces of one
// material keep their reading order, which keeps the output reproducible.
void sortFacesByMaterial(SceneModel& model);

} // namespace kzo
