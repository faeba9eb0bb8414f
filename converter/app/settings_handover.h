// Hands the options read from the main form to the conversion core.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"

namespace kzo {

void handOverSettings(SceneModel& model, const ConversionSettings& settings);

} // namespace kzo
