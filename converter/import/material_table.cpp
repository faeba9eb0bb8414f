#include "converter/import/material_table.h"

#include "converter/model/scene_model.h"

namespace kzo {
namespace {

bool sameMaterial(const Material& a, const Material& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue &&
           a.transparency == b.transparency && a.imageIndex == b.imageIndex && a.flags == b.flags;
}

} // namespace

std::int16_t storeImageName(SceneModel& model, std::string name, const std::string& path) {
    for (std::int32_t i = 0; i < model.imageCount; ++i) {
        if (model.images[static_cast<std::size_t>(i)].name == name) {
            return static_cast<std::int16_t>(i);
        }
    }
    if (model.imageCount >= kMaxImages) {
        fatalError(model.sink, "'%s' has more than %d images", path.c_str(), kMaxImages);
    }
    model.images[static_cast<std::size_t>(model.imageCount)].name = std::move(name);
    return static_cast<std::int16_t>(model.imageCount++);
}

std::int16_t storeMaterial(SceneModel& model, const Material& material, const std::string& path) {
    for (std::int32_t i = 0; i < model.materialCount; ++i) {
        if (sameMaterial(model.materials[static_cast<std::size_t>(i)], material)) {
            return static_cast<std::int16_t>(i);
        }
    }
    if (model.materialCount >= kMaxMaterials) {
        fatalError(model.sink, "'%s' has more than %d materials", path.c_str(), kMaxMaterials);
    }
    model.materials[static_cast<std::size_t>(model.materialCount)] = material;
    return static_cast<std::int16_t>(model.materialCount++);
}

} // namespace kzo
