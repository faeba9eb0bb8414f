#include "converter/model/default_material.h"

namespace kzo {

void appendDefaultMaterial(SceneModel& model, const std::string& inputPath) {
    const std::int32_t defaultIndex = model.materialCount;
    bool needed = false;
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const std::int16_t m = model.faces[static_cast<std::size_t>(i)].materialIndex;
        if (m < 0 || m >= defaultIndex) {
            needed = true;
            break;
        }
    }
    if (!needed) {
        return;
    }
    if (defaultIndex >= kMaxMaterials) {
        fatalError(model.sink, "'%s' has more than %d materials with the default material",
                   inputPath.c_str(), kMaxMaterials);
    }
    model.materials[static_cast<std::size_t>(defaultIndex)] = Material{};
    model.materialCount = defaultIndex + 1;
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        std::int16_t& m = model.faces[static_cast<std::size_t>(i)].materialIndex;
        if (m < 0 || m >= defaultIndex) {
            m = static_cast<std::int16_t>(defaultIndex);
        }
    }
}

} // namespace kzo
