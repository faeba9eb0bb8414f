#pragma once

#include "converter/model/scene_model.h"

namespace kzo {

// Colours of every face corner for the precalculated shading types (3 and 4),
// lit by the model's lights with cast shadows. For any other case (no lights,
// another shading type, or the animation option on) every corner becomes
// white. Runs after computeNormals and before scaleScene.
void precalculateColors(SceneModel& model);

} // namespace kzo
