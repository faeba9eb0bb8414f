#include "raytrace/ray_scene.h"

#include "format/module_loader.h"
#include "raytrace/ray_module_api.h"

#include <string>

namespace kzo {
namespace {

const RayModuleApi& rayModule() {
    try {
        return moduleEntries<RayModuleApi>(kRayModuleFile, kRayModuleSymbol, kRayModuleVersion);
    } catch (const ModuleError& e) {
        throw RayTraceError(e.what());
    }
}

} // namespace

RayScene::RayScene(const RayMesh& mesh) : api_(&rayModule()) {
    std::string error;
    scene_ = api_->buildScene(&mesh, &error);
    if (scene_ == nullptr) {
        throw RayTraceError(error.empty() ? "the ray tracer cannot build the scene" : error);
    }
}

RayScene::~RayScene() {
    api_->releaseScene(scene_);
}

void RayScene::occluded(const Ray* rays, std::size_t count, std::uint8_t* blocked) const {
    api_->occluded(scene_, rays, count, blocked);
}

void RayScene::closestHits(const Ray* rays, std::size_t count, RayHit* hits) const {
    api_->closestHits(scene_, rays, count, hits);
}

} // namespace kzo
