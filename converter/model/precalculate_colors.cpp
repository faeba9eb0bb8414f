#include "converter/model/precalculate_colors.h"

namespace kzo {

void precalculateColors(SceneModel& model) {
    // Lighting itself is not built yet: every corner stays white.
    for (int f = 0; f < model.faceCount; ++f) {
        Face& face = model.faces[static_cast<std::size_t>(f)];
        for (int k = 0; k < 3; ++k) {
            face.colorR[k] = face.colorG[k] = face.colorB[k] = 255;
        }
    }
}

} // namespace kzo
