// The entries of the ray-casting module (ray_module_api.h). Nothing thrown
// inside leaves the module: a failure to build becomes the entry's error text.
#include "raytrace/module/embree_scene.h"
#include "raytrace/ray_module_api.h"

#include <exception>
#include <new>

namespace kzo {
namespace {

void* buildScene(const RayMesh* mesh, std::string* error) {
    try {
        return buildEmbreeScene(*mesh, *error);
    } catch (const std::bad_alloc&) {
        *error = "not enough memory for the ray tracer's scene";
    } catch (const std::exception& e) {
        *error = e.what();
    } catch (...) {
        *error = "unknown failure in the ray tracer";
    }
    return nullptr;
}

void releaseScene(void* scene) {
    releaseEmbreeScene(static_cast<EmbreeScene*>(scene));
}

void occluded(const void* scene, const Ray* rays, std::size_t count, std::uint8_t* blocked) {
    embreeOccluded(*static_cast<const EmbreeScene*>(scene), rays, count, blocked);
}

void closestHits(const void* scene, const Ray* rays, std::size_t count, RayHit* hits) {
    embreeClosestHits(*static_cast<const EmbreeScene*>(scene), rays, count, hits);
}

} // namespace
} // namespace kzo

extern "C" {
__attribute__((visibility("default"))) extern const kzo::RayModuleApi kzoRayModuleApi;
const kzo::RayModuleApi kzoRayModuleApi = {kzo::kRayModuleVersion, &kzo::buildScene,
                                           &kzo::releaseScene, &kzo::occluded, &kzo::closestHits};
}
