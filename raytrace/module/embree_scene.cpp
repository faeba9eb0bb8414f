#include "raytrace/module/embree_scene.h"

#include <embree3/rtcore.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace kzo {

struct EmbreeScene {
    RTCDevice device = nullptr;
    RTCScene scene = nullptr;
    // The first error the device reported while the scene was built.
    std::string error;
};

namespace {

void noteDeviceError(void* user, RTCError code, const char* text) {
    auto* owner = static_cast<EmbreeScene*>(user);
    if (owner->error.empty()) {
        owner->error = text != nullptr && *text != '\0'
                           ? std::string(text)
                           : "Embree error " + std::to_string(static_cast<int>(code));
    }
}

bool failed(const EmbreeScene& owner) {
    return !owner.error.empty() || rtcGetDeviceError(owner.device) != RTC_ERROR_NONE;
}

// Embree takes no ray beyond its range of coordinates (nor NaN, which the
// comparisons here refuse as well).
bool withinRange(const Ray& ray) {
    for (int a = 0; a < 3; ++a) {
        if (!(std::fabs(ray.origin[a]) <= kLargestRayCoordinate) ||
            !(std::fabs(ray.direction[a]) <= kLargestRayCoordinate)) {
            return false;
        }
    }
    return ray.near >= 0.0f && ray.near <= ray.far && std::isfinite(ray.far);
}

RTCRay embreeRay(const Ray& ray) {
    RTCRay r;
    r.org_x = ray.origin[0];
    r.org_y = ray.origin[1];
    r.org_z = ray.origin[2];
    r.tnear = ray.near;
    r.dir_x = ray.direction[0];
    r.dir_y = ray.direction[1];
    r.dir_z = ray.direction[2];
    r.time = 0.0f;
    r.tfar = ray.far;
    r.mask = std::numeric_limits<unsigned>::max();
    r.id = 0;
    r.flags = 0;
    return r;
}

// The triangles as one geometry in buffers of Embree's own, so that its
// padding and alignment rules are its business.
bool addTriangles(EmbreeScene& owner, const RayMesh& mesh) {
    RTCGeometry geometry = rtcNewGeometry(owner.device, RTC_GEOMETRY_TYPE_TRIANGLE);
    if (geometry == nullptr) {
        return false;
    }
    auto* positions = static_cast<float*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3,
                                3 * sizeof(float), std::max<std::uint32_t>(mesh.vertexCount, 1)));
    auto* corners = static_cast<unsigned*>(
        rtcSetNewGeometryBuffer(geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3,
                                3 * sizeof(unsigned), mesh.triangleCount));
    if (positions == nullptr || corners == nullptr) {
        rtcReleaseGeometry(geometry);
        return false;
    }
    std::fill_n(positions, 3, 0.0f);
    std::copy_n(mesh.positions, 3 * static_cast<std::size_t>(mesh.vertexCount), positions);
    std::copy_n(mesh.corners, 3 * static_cast<std::size_t>(mesh.triangleCount), corners);
    rtcCommitGeometry(geometry);
    rtcAttachGeometry(owner.scene, geometry);
    rtcReleaseGeometry(geometry);
    return !failed(owner);
}

} // namespace

EmbreeScene* buildEmbreeScene(const RayMesh& mesh, std::string& error) {
    auto* owner = new EmbreeScene;
    // One build thread: Embree's builders on several threads may order a
    // hierarchy differently, and the rays are cast on the caller's threads.
    owner->device = rtcNewDevice("threads=1");
    if (owner->device == nullptr) {
        error = "Embree cannot create a device (" +
                std::to_string(static_cast<int>(rtcGetDeviceError(nullptr))) + ")";
        delete owner;
        return nullptr;
    }
    rtcSetDeviceErrorFunction(owner->device, noteDeviceError, owner);
    owner->scene = rtcNewScene(owner->device);
    if (owner->scene != nullptr) {
        // Robust traversal: no ray slips between two triangles that share an
        // edge, and no box test loses a hit to rounding.
        rtcSetSceneFlags(owner->scene, RTC_SCENE_FLAG_ROBUST);
        rtcSetSceneBuildQuality(owner->scene, RTC_BUILD_QUALITY_MEDIUM);
        if (mesh.triangleCount == 0 || addTriangles(*owner, mesh)) {
            rtcCommitScene(owner->scene);
        }
    }
    if (owner->scene == nullptr || failed(*owner)) {
        error = owner->error.empty() ? std::string("Embree cannot build the scene") : owner->error;
        releaseEmbreeScene(owner);
        return nullptr;
    }
    return owner;
}

void releaseEmbreeScene(EmbreeScene* owner) {
    if (owner == nullptr) {
        return;
    }
    if (owner->scene != nullptr) {
        rtcReleaseScene(owner->scene);
    }
    rtcReleaseDevice(owner->device);
    delete owner;
}

void embreeOccluded(const EmbreeScene& owner, const Ray* rays, std::size_t count,
                    std::uint8_t* blocked) {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    for (std::size_t i = 0; i < count; ++i) {
        if (!withinRange(rays[i])) {
            blocked[i] = 0;
            continue;
        }
        RTCRay ray = embreeRay(rays[i]);
        rtcOccluded1(owner.scene, &context, &ray);
        // A ray that meets something comes back with tfar set to -infinity.
        blocked[i] = ray.tfar < 0.0f ? 1 : 0;
    }
}

void embreeClosestHits(const EmbreeScene& owner, const Ray* rays, std::size_t count, RayHit* hits) {
    RTCIntersectContext context;
    rtcInitIntersectContext(&context);
    for (std::size_t i = 0; i < count; ++i) {
        if (!withinRange(rays[i])) {
            hits[i] = {-1, 0.0f, 0.0f};
            continue;
        }
        RTCRayHit query;
        query.ray = embreeRay(rays[i]);
        query.hit.geomID = RTC_INVALID_GEOMETRY_ID;
        query.hit.primID = RTC_INVALID_GEOMETRY_ID;
        rtcIntersect1(owner.scene, &context, &query);
        if (query.hit.geomID == RTC_INVALID_GEOMETRY_ID) {
            hits[i] = {-1, 0.0f, 0.0f};
        } else {
            hits[i] = {static_cast<std::int32_t>(query.hit.primID), query.hit.u, query.hit.v};
        }
    }
}

} // namespace kzo
