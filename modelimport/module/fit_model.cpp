#include "modelimport/module/fit_model.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cstdint>
#include <unordered_map>

namespace kzo {
namespace {

// The model with its corners split wherever the texture coordinates or the
// material differ, as the simplifier wants it: it keeps the edges between
// split vertices that share a position as seams. The objects of a hierarchy
// share no vertex, so no edge joins two of them and no collapse moves a
// vertex of one onto another's.
struct SplitMesh {
    std::vector<float> positions;       // x, y, z per split vertex
    std::vector<std::uint32_t> vertex;  // the model's vertex of each split vertex
    std::vector<float> uv;              // u, v per split vertex
    std::vector<std::int32_t> material; // per split vertex
    std::vector<std::uint32_t> indices; // per corner
    // The corners of each object of a hierarchy (the whole model otherwise),
    // one after the other, and their split vertices, numbered from the
    // group's first in local.
    struct Group {
        std::size_t firstCorner = 0, corners = 0;
        std::uint32_t firstVertex = 0, vertices = 0;
    };
    std::vector<Group> groups;
    std::vector<std::uint32_t> local; // per corner
};

struct CornerKey {
    std::uint32_t vertex, u, v;
    std::int32_t material;
    bool operator==(const CornerKey&) const = default;
};

struct CornerKeyHash {
    std::size_t operator()(const CornerKey& k) const {
        std::uint64_t h = k.vertex;
        for (std::uint32_t part : {k.u, k.v, static_cast<std::uint32_t>(k.material)}) {
            h = (h ^ part) * 0x9E3779B97F4A7C15ull;
            h ^= h >> 29;
        }
        return static_cast<std::size_t>(h);
    }
};

// The triangles in the model's order, but grouped by object in a hierarchy.
std::vector<std::size_t> triangleOrder(const ImportedModel& model) {
    std::vector<std::size_t> order(model.faceCount());
    for (std::size_t f = 0; f < order.size(); ++f) {
        order[f] = f;
    }
    if (!model.vertexObjects.empty()) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return model.vertexObjects[model.triangles[3 * a]] <
                   model.vertexObjects[model.triangles[3 * b]];
        });
    }
    return order;
}

SplitMesh splitCorners(const ImportedModel& model) {
    SplitMesh split;
    std::unordered_map<CornerKey, std::uint32_t, CornerKeyHash> known;
    known.reserve(model.triangles.size());
    split.indices.reserve(model.triangles.size());
    std::uint32_t object = UINT32_MAX;
    for (std::size_t f : triangleOrder(model)) {
        const std::uint32_t first = model.triangles[3 * f];
        const std::uint32_t now = model.vertexObjects.empty() ? 0 : model.vertexObjects[first];
        if (split.groups.empty() || now != object) {
            object = now;
            split.groups.push_back(
                {split.indices.size(), 0, static_cast<std::uint32_t>(split.vertex.size()), 0});
        }
        for (std::size_t c = 3 * f; c < 3 * f + 3; ++c) {
            const std::uint32_t vertex = model.triangles[c];
            const float u = model.cornerUvs[2 * c] + 0.0f; // -0.0 and 0.0 are one coordinate
            const float v = model.cornerUvs[2 * c + 1] + 0.0f;
            const std::int32_t material = model.faceMaterials[f];
            const CornerKey key{vertex, std::bit_cast<std::uint32_t>(u),
                                std::bit_cast<std::uint32_t>(v), material};
            const auto [it, added] =
                known.emplace(key, static_cast<std::uint32_t>(split.vertex.size()));
            if (added) {
                split.positions.insert(split.positions.end(), &model.positions[3 * vertex],
                                       &model.positions[3 * vertex] + 3);
                split.vertex.push_back(vertex);
                split.uv.insert(split.uv.end(), {u, v});
                split.material.push_back(material);
            }
            split.indices.push_back(it->second);
            split.local.push_back(it->second - split.groups.back().firstVertex);
        }
        SplitMesh::Group& group = split.groups.back();
        group.corners += 3;
        group.vertices = static_cast<std::uint32_t>(split.vertex.size()) - group.firstVertex;
    }
    return split;
}

// Simplifies each group on its own, so that the simplifier never takes two
// objects' vertices at one position for a seam; each aims at its share of the
// faces. The result holds the groups' triangles one after the other; returns
// its index count.
std::size_t simplifyGroups(const SplitMesh& split, std::size_t targetFaces,
                           std::vector<std::uint32_t>& result) {
    const std::size_t allFaces = split.indices.size() / 3;
    std::size_t written = 0;
    for (const SplitMesh::Group& g : split.groups) {
        const std::size_t faces = g.corners / 3;
        const std::size_t target =
            split.groups.size() == 1
                ? targetFaces
                : std::max<std::size_t>(1,
                                        static_cast<std::size_t>(double(targetFaces) *
                                                                 double(faces) / double(allFaces)));
        std::uint32_t* out = result.data() + written;
        const std::size_t count = meshopt_simplify(
            out, split.local.data() + g.firstCorner, g.corners,
            split.positions.data() + 3 * std::size_t(g.firstVertex), g.vertices, 3 * sizeof(float),
            target * 3, FLT_MAX, meshopt_SimplifyLockBorder, nullptr);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] += g.firstVertex;
        }
        written += count;
    }
    return written;
}

// A simplified triangle whose corners fall on fewer than three of the model's
// vertices is left out.
bool spansThreeVertices(const SplitMesh& split, const std::uint32_t* t) {
    const std::uint32_t a = split.vertex[t[0]], b = split.vertex[t[1]], c = split.vertex[t[2]];
    return a != b && b != c && a != c;
}

struct Counts {
    std::size_t vertices = 0;
    std::size_t faces = 0;
};

Counts countResult(const SplitMesh& split, const std::vector<std::uint32_t>& result,
                   std::size_t indexCount, std::size_t modelVertices) {
    Counts counts;
    std::vector<bool> used(modelVertices, false);
    for (std::size_t i = 0; i < indexCount; i += 3) {
        if (!spansThreeVertices(split, &result[i])) {
            continue;
        }
        counts.faces += 1;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t v = split.vertex[result[i + k]];
            counts.vertices += used[v] ? 0 : 1;
            used[v] = true;
        }
    }
    return counts;
}

// Rebuilds the model from the simplified triangles; the vertices it keeps stay
// in their order.
void rebuildModel(ImportedModel& model, const SplitMesh& split,
                  const std::vector<std::uint32_t>& result, std::size_t indexCount) {
    const std::size_t vertexCount = model.vertexCount();
    std::vector<std::uint32_t> renumbered(vertexCount, UINT32_MAX);
    for (std::size_t i = 0; i < indexCount; i += 3) {
        if (spansThreeVertices(split, &result[i])) {
            for (int k = 0; k < 3; ++k) {
                renumbered[split.vertex[result[i + k]]] = 0;
            }
        }
    }
    std::vector<float> positions;
    std::vector<std::uint32_t> vertexObjects;
    const bool hierarchy = !model.vertexObjects.empty();
    for (std::size_t v = 0; v < vertexCount; ++v) {
        if (renumbered[v] == 0) {
            renumbered[v] = static_cast<std::uint32_t>(positions.size() / 3);
            positions.insert(positions.end(), &model.positions[3 * v], &model.positions[3 * v] + 3);
            if (hierarchy) {
                vertexObjects.push_back(model.vertexObjects[v]);
            }
        }
    }
    std::vector<std::uint32_t> triangles;
    std::vector<float> cornerUvs;
    std::vector<std::int32_t> faceMaterials;
    for (std::size_t i = 0; i < indexCount; i += 3) {
        if (!spansThreeVertices(split, &result[i])) {
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t s = result[i + k];
            triangles.push_back(renumbered[split.vertex[s]]);
            cornerUvs.insert(cornerUvs.end(), {split.uv[2 * s], split.uv[2 * s + 1]});
        }
        // The simplifier never joins split vertices of different materials,
        // so all three corners agree.
        faceMaterials.push_back(split.material[result[i]]);
    }
    model.positions = std::move(positions);
    model.vertexObjects = std::move(vertexObjects);
    model.triangles = std::move(triangles);
    model.cornerUvs = std::move(cornerUvs);
    model.faceMaterials = std::move(faceMaterials);
}

bool fits(const Counts& counts, const FitLimits& limits) {
    return counts.vertices <= limits.maxVertices && counts.faces <= limits.maxFaces;
}

} // namespace

FitReport fitModelToLimits(ImportedModel& model, const FitLimits& limits) {
    FitReport report;
    report.verticesBefore = report.verticesAfter = model.vertexCount();
    report.facesBefore = report.facesAfter = model.faceCount();
    if (fits(Counts{model.vertexCount(), model.faceCount()}, limits)) {
        return report;
    }
    const SplitMesh split = splitCorners(model);
    std::vector<std::uint32_t> result(split.indices.size());
    std::size_t targetFaces = std::min(limits.maxFaces, model.faceCount());
    // Each round aims lower by the share the last one missed; the simplifier
    // stopping short of its aim means no collapse is left, so the loop ends.
    for (;;) {
        const std::size_t indexCount = simplifyGroups(split, targetFaces, result);
        const Counts counts = countResult(split, result, indexCount, model.vertexCount());
        if (fits(counts, limits)) {
            rebuildModel(model, split, result, indexCount);
            report.verticesAfter = model.vertexCount();
            report.facesAfter = model.faceCount();
            return report;
        }
        if (indexCount > targetFaces * 3 || targetFaces <= 1) {
            throw FitError("cannot be simplified to fit: " + std::to_string(counts.vertices) +
                           " vertices and " + std::to_string(counts.faces) +
                           " faces remain, its borders and texture seams hold too many");
        }
        const double share =
            std::min(double(limits.maxVertices) / double(std::max<std::size_t>(counts.vertices, 1)),
                     double(limits.maxFaces) / double(std::max<std::size_t>(counts.faces, 1)));
        targetFaces = std::max<std::size_t>(
            1, std::min(targetFaces - 1,
                        static_cast<std::size_t>(double(targetFaces) * share * 0.98)));
    }
}

} // namespace kzo
