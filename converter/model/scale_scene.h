#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"

#include <string>

namespace kzo {

// Multiplies every vertex position and every pivot point by the scale factor.
// Normals, lights, motion keys and per-face derived fields stay as they are,
// so it runs after the lighting.
void scaleScene(SceneModel& model, const ConversionSettings& settings);

// " at scale F" for the message about a value that the scale factor
// multiplied (it may have overflowed there); empty at scale 1.
std::string atScale(const ConversionSettings& settings);

} // namespace kzo
