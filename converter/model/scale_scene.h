#pragma once

#include "converter/model/scene_model.h"

namespace kzo {

// Multiplies every vertex position and every pivot point by the active scale
// factor. Normals, lights, motion keys and per-face derived fields stay as they
// are, so it runs after the lighting.
void scaleScene(SceneModel& model);

} // namespace kzo
