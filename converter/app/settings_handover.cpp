#include "converter/app/settings_handover.h"

#include "converter/import/convert_file.h"

namespace kzo {

void handOverSettings(SceneModel& model, const ConversionSettings& settings) {
    setConversionSettings(model, settings.animation, settings.shadingType, settings.scaleFactor,
                          settings.cameraFile, settings.lightFile);
}

void convertListedFile(SceneModel& model, const std::string& input, std::string& output) {
    convertFile(model, input, output);
}

} // namespace kzo
