#include "converter/model/indirect_light.h"

#include "converter/model/hemisphere_rays.h"
#include "converter/model/precalculate_colors.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <thread>

namespace kzo {
namespace {

constexpr double kDefaultReachOfDiagonal = 0.1;
// The faces through a vertex pass within a few units in the last place of
// its coordinates (2^-24 of them); the offset stays far above that and far
// below any gap a model means to have.
constexpr double kOffsetOfDiagonal = 1.0 / 16384;
constexpr double kOffsetOfCoordinate = 1.0 / 65536;
// Vertices a thread takes at a time: few enough to share out the last ones,
// enough that the shared counter is rarely touched.
constexpr std::int32_t kVerticesPerTake = 32;

std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

bool finite3(const float* v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// Within the ray tracer's range of coordinates (which NaN is not).
bool inRange(const float* v) {
    for (int a = 0; a < 3; ++a) {
        if (!(std::fabs(v[a]) <= kLargestRayCoordinate)) {
            return false;
        }
    }
    return true;
}

// NaN becomes 0.
float clampByte(float value) {
    if (!(value >= 0.0f)) {
        return 0.0f;
    }
    return value > 255.0f ? 255.0f : value;
}

// A face a ray can meet: an area (computeNormals gave it a normal) and
// corners within the ray tracer's range.
bool meetsRays(const SceneModel& model, const Face& face) {
    if (face.normal[0] == 0.0f && face.normal[1] == 0.0f && face.normal[2] == 0.0f) {
        return false;
    }
    for (const std::uint16_t corner : face.vertexIndex) {
        const Vertex& v = model.vertices[corner];
        const float p[3] = {v.x, v.y, v.z};
        if (!inRange(p)) {
            return false;
        }
    }
    return true;
}

struct Extent {
    double diagonal = 0;
    double largestCoordinate = 0;
};

Extent facesExtent(const SceneModel& model) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    float low[3] = {inf, inf, inf};
    float high[3] = {-inf, -inf, -inf};
    double largest = 0;
    bool any = false;
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const Face& face = model.faces[at(i)];
        if (!meetsRays(model, face)) {
            continue;
        }
        any = true;
        for (const std::uint16_t corner : face.vertexIndex) {
            const Vertex& v = model.vertices[corner];
            const float p[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], p[a]);
                high[a] = std::max(high[a], p[a]);
                largest = std::max(largest, static_cast<double>(std::fabs(p[a])));
            }
        }
    }
    if (!any) {
        return {};
    }
    double squared = 0;
    for (int a = 0; a < 3; ++a) {
        const double side = static_cast<double>(high[a]) - static_cast<double>(low[a]);
        squared += side * side;
    }
    return {std::sqrt(squared), largest};
}

// The light leaving each face corner towards the rays: red[3], green[3],
// blue[3] per face, as lightSum.
std::vector<float> faceRadiance(const SceneModel& model, std::int32_t shadingType) {
    const bool perVertex = shadingType == kPrecalcGouraud;
    std::vector<float> vertexSum;
    std::vector<std::int32_t> vertexFaces;
    if (perVertex) {
        vertexSum.assign(3 * at(model.vertexCount), 0.0f);
        vertexFaces.assign(at(model.vertexCount), 0);
        for (std::int32_t i = 0; i < model.faceCount; ++i) {
            const Face& face = model.faces[at(i)];
            for (int k = 0; k < 3; ++k) {
                float* sum = vertexSum.data() + 3 * std::size_t{face.vertexIndex[k]};
                for (int c = 0; c < 3; ++c) {
                    sum[c] += face.lightSum[3 * c + k];
                }
                ++vertexFaces[face.vertexIndex[k]];
            }
        }
    }
    std::vector<float> radiance(9 * at(model.faceCount));
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const Face& face = model.faces[at(i)];
        const Material& material = faceMaterial(model, face);
        const std::uint8_t colour[3] = {material.red, material.green, material.blue};
        for (int c = 0; c < 3; ++c) {
            const float* sums = face.lightSum + 3 * c;
            const float faceMean = (sums[0] + sums[1] + sums[2]) * (1.0f / 3.0f);
            const float albedo = static_cast<float>(colour[c]) / 255.0f;
            for (int k = 0; k < 3; ++k) {
                const std::size_t v = face.vertexIndex[k];
                const float direct =
                    perVertex ? vertexSum[3 * v + at(c)] / static_cast<float>(vertexFaces[v])
                              : faceMean;
                radiance[9 * at(i) + at(3 * c + k)] = clampByte(direct) * albedo;
            }
        }
    }
    return radiance;
}

struct Casting {
    const SceneModel& model;
    const IndirectLightOptions& options;
    const RayTarget& target;
    const std::vector<float>& directions;
    const std::vector<float>& radiance;
    IndirectLight& light;
};

// One thread's room for one vertex's rays.
struct RayScratch {
    explicit RayScratch(std::size_t count)
        : directions(3 * count), rays(count), blocked(count), hits(count) {}
    std::vector<float> directions;
    std::vector<Ray> rays;
    std::vector<std::uint8_t> blocked;
    std::vector<RayHit> hits;
};

// The light a ray gathers where it meets a face's front; nothing from a back.
void gatherHit(const Casting& c, const Ray& ray, const RayHit& hit, float sum[3]) {
    const std::int32_t faceIndex = c.target.faceOfTriangle[at(hit.triangle)];
    const Face& face = c.model.faces[at(faceIndex)];
    const float facing = ray.direction[0] * face.normal[0] + ray.direction[1] * face.normal[1] +
                         ray.direction[2] * face.normal[2];
    if (!(facing < 0.0f)) {
        return;
    }
    // Weights kept at 0 or more, so that no rounding takes light away.
    const float u = std::clamp(hit.u, 0.0f, 1.0f);
    const float v = std::clamp(hit.v, 0.0f, 1.0f);
    const float w = std::max(0.0f, 1.0f - u - v);
    const float* r = c.radiance.data() + 9 * at(faceIndex);
    for (int ch = 0; ch < 3; ++ch) {
        sum[ch] += w * r[3 * ch] + u * r[3 * ch + 1] + v * r[3 * ch + 2];
    }
}

void castVertex(const Casting& c, std::int32_t index, RayScratch& scratch) {
    const Vertex& vertex = c.model.vertices[at(index)];
    const float* n = vertex.normal;
    if (c.target.used[at(index)] == 0 || !finite3(n) ||
        (n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f)) {
        return;
    }
    const RayReach& reach = c.target.reach;
    const float origin[3] = {vertex.x + n[0] * reach.offset, vertex.y + n[1] * reach.offset,
                             vertex.z + n[2] * reach.offset};
    if (!inRange(origin)) {
        return;
    }
    turnOntoNormal(c.directions, n, index, scratch.directions.data());
    const std::size_t count = scratch.rays.size();
    for (std::size_t k = 0; k < count; ++k) {
        const float* d = scratch.directions.data() + 3 * k;
        scratch.rays[k] = {
            {origin[0], origin[1], origin[2]}, reach.near, {d[0], d[1], d[2]}, reach.far};
    }
    std::size_t open = 0;
    if (c.options.bounce == 0) {
        c.target.scene->occluded(scratch.rays.data(), count, scratch.blocked.data());
        for (const std::uint8_t blocked : scratch.blocked) {
            open += blocked == 0 ? 1 : 0;
        }
    } else {
        float sum[3] = {0.0f, 0.0f, 0.0f};
        c.target.scene->closestHits(scratch.rays.data(), count, scratch.hits.data());
        for (std::size_t k = 0; k < count; ++k) {
            if (scratch.hits[k].triangle < 0) {
                ++open;
            } else {
                gatherHit(c, scratch.rays[k], scratch.hits[k], sum);
            }
        }
        for (int ch = 0; ch < 3; ++ch) {
            c.light.bounce[3 * at(index) + at(ch)] = sum[ch] / static_cast<float>(count);
        }
    }
    if (c.options.occlusion != 0) {
        c.light.ambientShare[at(index)] = static_cast<float>(open) / static_cast<float>(count);
    }
}

// Each vertex's result goes to its own slots, so the threads may take the
// vertices in any order.
void castEveryVertex(const Casting& c, int threads, std::size_t raysPerVertex) {
    const std::int32_t count = c.model.vertexCount;
    const std::int32_t takes = (count + kVerticesPerTake - 1) / kVerticesPerTake;
    threads = std::clamp(threads, 1, std::max(takes, 1));
    std::vector<RayScratch> scratch(at(threads), RayScratch(raysPerVertex));
    std::atomic<std::int32_t> next{0};
    auto work = [&c, &scratch, &next, count](int thread) {
        for (;;) {
            const std::int32_t first = next.fetch_add(kVerticesPerTake);
            if (first >= count) {
                return;
            }
            const std::int32_t end = std::min(first + kVerticesPerTake, count);
            for (std::int32_t v = first; v < end; ++v) {
                castVertex(c, v, scratch[at(thread)]);
            }
        }
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(at(threads - 1));
    for (int t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work, t);
        } catch (const std::system_error&) {
            break; // the threads there are take every vertex
        }
    }
    work(0);
}

} // namespace

RayReach rayReach(const SceneModel& model, const IndirectLightOptions& options) {
    const Extent extent = facesExtent(model);
    RayReach reach;
    reach.offset = static_cast<float>(extent.diagonal * kOffsetOfDiagonal +
                                      extent.largestCoordinate * kOffsetOfCoordinate);
    reach.near = reach.offset;
    reach.far = options.distance > 0.0f
                    ? options.distance
                    : static_cast<float>(extent.diagonal * kDefaultReachOfDiagonal);
    return reach;
}

RayTarget buildRayTarget(const SceneModel& model, const IndirectLightOptions& options) {
    const std::size_t vertexCount = at(std::max(model.vertexCount, 0));
    RayTarget target;
    target.reach = rayReach(model, options);
    target.used.assign(vertexCount, 0);
    std::vector<std::uint32_t> corners;
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const Face& face = model.faces[at(i)];
        for (const std::uint16_t corner : face.vertexIndex) {
            target.used[corner] = 1;
        }
        if (meetsRays(model, face)) {
            corners.insert(corners.end(), std::begin(face.vertexIndex), std::end(face.vertexIndex));
            target.faceOfTriangle.push_back(i);
        }
    }
    const RayReach& reach = target.reach;
    if (target.faceOfTriangle.empty() || !(reach.far > reach.near) || !std::isfinite(reach.far)) {
        return target;
    }
    std::vector<float> positions(3 * vertexCount);
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vertex& v = model.vertices[i];
        const float p[3] = {v.x, v.y, v.z};
        if (inRange(p)) {
            std::copy_n(p, 3, positions.data() + 3 * i);
        }
    }
    target.scene = std::make_unique<RayScene>(
        RayMesh{positions.data(), static_cast<std::uint32_t>(vertexCount), corners.data(),
                static_cast<std::uint32_t>(target.faceOfTriangle.size())});
    return target;
}

void gatherIndirectLight(const SceneModel& model, const ConversionSettings& settings,
                         const RayTarget& target, IndirectLight& light) {
    const IndirectLightOptions& options = settings.indirectLight;
    const std::size_t vertexCount = at(std::max(model.vertexCount, 0));
    light.ambientShare.assign(vertexCount, 1.0f);
    light.bounce.assign(3 * vertexCount, 0.0f);
    if (!target.scene) {
        return;
    }
    const std::vector<float> radiance =
        options.bounce != 0 ? faceRadiance(model, settings.shadingType) : std::vector<float>();
    const std::int32_t rays = std::clamp(options.rays, 1, kMaxOcclusionRays);
    const std::vector<float> directions = cosineHemisphere(rays);
    const Casting casting{model, options, target, directions, radiance, light};
    castEveryVertex(casting, settings.shadows.threads, at(rays));
}

} // namespace kzo
