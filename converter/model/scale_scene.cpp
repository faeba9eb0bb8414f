#include "converter/model/scale_scene.h"

#include <cstdio>

namespace kzo {

void scaleScene(SceneModel& model, const ConversionSettings& settings) {
    const float s = settings.scaleFactor;
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        v.x *= s;
        v.y *= s;
        v.z *= s;
    }
    for (std::int32_t i = 0; i < model.pivotCount; ++i) {
        for (float& c : model.pivots[static_cast<std::size_t>(i)].pivotPoint) {
            c *= s;
        }
    }
}

std::string atScale(const ConversionSettings& settings) {
    if (settings.scaleFactor == 1.0f) {
        return {};
    }
    char text[48];
    std::snprintf(text, sizeof text, " at scale %g", static_cast<double>(settings.scaleFactor));
    return text;
}

} // namespace kzo
