// Where the window meets the conversion core.
#pragma once

#include "converter/model/conversion_settings.h"
#include "converter/model/scene_model.h"

#include <string>

namespace kzo {

// setConversionSettings with the options read from the main form.
void handOverSettings(SceneModel& model, const ConversionSettings& settings);

// convertFile for one listed file; the outcome is in the messages it printed.
void convertListedFile(SceneModel& model, const std::string& input, std::string& output);

} // namespace kzo
