#include "converter/app/settings_handover.h"

namespace kzo {

void handOverSettings(SceneModel& model, const ConversionSettings& settings) {
    model.pendingSettings = settings;
}

} // namespace kzo
