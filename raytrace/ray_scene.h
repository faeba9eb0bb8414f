// Rays cast into a model's triangles, through the ray-casting module, which is
// loaded (with its ray tracer) the first time a scene is built.
#pragma once

#include "raytrace/rays.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace kzo {

struct RayModuleApi;

// The module cannot be loaded, or the scene cannot be built; the text says why.
class RayTraceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A bounding-volume hierarchy over a mesh's triangles, built once. The same
// mesh and rays give the same answers on every run and from every thread.
class RayScene {
public:
    // Throws RayTraceError.
    explicit RayScene(const RayMesh& mesh);
    ~RayScene();
    RayScene(const RayScene&) = delete;
    RayScene& operator=(const RayScene&) = delete;

    // blocked[i] = 1 when rays[i] meets a triangle, else 0.
    void occluded(const Ray* rays, std::size_t count, std::uint8_t* blocked) const;
    // hits[i] = the nearest triangle rays[i] meets (triangle -1 for none).
    void closestHits(const Ray* rays, std::size_t count, RayHit* hits) const;

private:
    const RayModuleApi* api_ = nullptr;
    void* scene_ = nullptr;
};

} // namespace kzo
