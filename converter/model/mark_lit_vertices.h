#pragma once

#include "converter/model/bounding_tree.h"
#include "converter/model/scene_model.h"
#include "converter/model/shadow_grid.h"

#include <cstdint>
#include <vector>

namespace kzo {

// The trees and the per-light bookkeeping of the shadow marking, sized once
// per file.
struct ShadowIndex {
    BoundingTree vertexTree;
    BoundingTree faceTree; // over the faces' bounding spheres
    std::vector<BoundingItem> items;
    // Per vertex-tree node: vertices that are still lit and can still be
    // shadowed, and how many of those lie beyond the light's range sphere.
    std::vector<std::int32_t> candidates;
    std::vector<std::int32_t> farCandidates;
    // Per vertex: beyond the range sphere of the current light.
    std::vector<std::uint8_t> far;
    // For the current light, the vertex leaves that the shadows of a face
    // leaf may reach: pairLeaves[pairStart[n], pairEnd[n]) for face-tree
    // leaf n, pairStart -1 until the first of its faces is tried.
    std::vector<std::int32_t> pairStart;
    std::vector<std::int32_t> pairEnd;
    std::vector<std::int32_t> pairLeaves;
    // Largest absolute finite coordinate of the scene, and the largest
    // |normal| * 2 * extent + |planeD| of a face, for error margins.
    double extent = 0;
    double planeReach = 0;
    // The lit vertices as the current light sees them.
    ShadowGrid grid;
};

// Builds the index for the model's vertices and faces. The faces' normal,
// planeD, center and radiusSquared must be set, and nothing may move until
// the last markLitVertices call that uses the index.
void buildShadowIndex(const SceneModel& model, ShadowIndex& index);

// Sets every vertex's counter to 1 when the light lights it and to 0 when it
// lies outside the light's range box or in the shadow of a face. The faces'
// normal, planeD, center and radiusSquared must be set. Faces are tried as
// occluders in face order against the counters as they stand, exactly as a
// test of every (face, vertex) pair would; the index only skips pairs that
// such a test rejects.
void markLitVertices(SceneModel& model, int lightIndex, ShadowIndex& index);

// The same, with an index built for this one call.
void markLitVertices(SceneModel& model, int lightIndex);

} // namespace kzo
