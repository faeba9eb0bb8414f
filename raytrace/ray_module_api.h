// The table of entries the ray-casting module exports, shared by the module
// and the programs' side (ray_scene.h). The version is checked before any
// other entry is used, so a module of another build is refused, not run.
#pragma once

#include "raytrace/rays.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace kzo {

inline constexpr int kRayModuleVersion = 1;
inline constexpr const char* kRayModuleFile = "kzo-embree.so";
// Name of the exported RayModuleApi object.
inline constexpr const char* kRayModuleSymbol = "kzoRayModuleApi";

// No entry throws across the module's edge.
struct RayModuleApi {
    int version;
    // A scene over the mesh's triangles with its hierarchy built, or null with
    // the reason in error.
    void* (*buildScene)(const RayMesh* mesh, std::string* error);
    void (*releaseScene)(void* scene);
    // blocked[i] becomes 1 when rays[i] meets any triangle, else 0. Safe to
    // call from several threads at once on one scene.
    void (*occluded)(const void* scene, const Ray* rays, std::size_t count, std::uint8_t* blocked);
    // hits[i] becomes the nearest triangle rays[i] meets. Safe to call from
    // several threads at once on one scene.
    void (*closestHits)(const void* scene, const Ray* rays, std::size_t count, RayHit* hits);
};

} // namespace kzo
