// The shadow marking's index of one scene: see mark_lit_vertices.h.
#pragma once

#include "converter/model/bounding_tree.h"
#include "converter/model/shadow_grid.h"
#include "converter/model/shadow_occluder.h"
#include "converter/model/shadow_options.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace kzo {

// The bounding trees of one file: read only once built.
struct ShadowTrees {
    bool built = false;
    BoundingTree vertexTree;
    BoundingTree faceTree; // over the faces' bounding spheres
    std::vector<BoundingItem> items;
};

// What the shadow marking keeps per file: the grid, sized once, and the trees
// for the faces the grid cannot take, built the first time a light needs them.
// The scene model keeps its indexes from file to file, so that their memory is
// taken once per converter.
struct ShadowIndex {
    ShadowTest test = ShadowTest::classic;
    // Per vertex: 1 while the current light lights it, else 0. The marking
    // keeps it here rather than in the model's counters, so that indexes of
    // their own can mark several lights of one model at once.
    std::vector<std::uint8_t> lit;
    // Per face, for every light of the file.
    std::vector<shadow::Occluder> occluders;
    // The lit vertices as the current light sees them.
    ShadowGrid grid;
    // Per vertex, for the current light: 0 when no face can shadow it any
    // more (unlit, on the light, or a NaN or infinite coordinate), 1 when one
    // may, 2 when it also lies beyond the range sphere, where any plane it
    // lies behind unlights it. remaining and farRemaining count the 1s and 2s.
    std::vector<std::uint8_t> state;
    std::int32_t remaining = 0;
    std::int32_t farRemaining = 0;
    // The vertices whose state was 2 when the light began (some may be
    // unlit since), and how many more list entries the light may try before
    // the trees search for them instead.
    std::vector<std::int32_t> farVertices;
    std::int64_t farBudget = 0;
    // Vertices with a NaN or infinite coordinate, tried against every face.
    std::vector<std::int32_t> looseVertices;
    // Largest absolute finite coordinate of the scene, the middle of the
    // finite vertices' box, and the largest (|nx| + |ny| + |nz|) * 2 * extent
    // + |planeD| of a face, for error margins.
    double extent = 0;
    double middle[3] = {};
    double planeReach = 0;

    // The trees: this index's own, or those of another index that marks
    // other lights of the same file, built by whichever needs them first
    // under treeLock (null when the index is alone).
    ShadowTrees ownTrees;
    ShadowTrees* sharedTrees = nullptr; // null: ownTrees
    std::mutex* treeLock = nullptr;
    bool countsSized = false;  // the per-node counts below fit the trees
    bool treesCounted = false; // for the current light
    // Per vertex-tree node: vertices whose state is 1 or 2, and those whose
    // state is 2.
    std::vector<std::int32_t> candidates;
    std::vector<std::int32_t> farCandidates;
    // For the current light, the vertex leaves that the shadows of a face
    // leaf may reach: pairLeaves[pairStart[n], pairEnd[n]) for face-tree
    // leaf n, pairStart -1 until the first of its faces is tried.
    std::vector<std::int32_t> pairStart;
    std::vector<std::int32_t> pairEnd;
    std::vector<std::int32_t> pairLeaves;
};

inline ShadowTrees& treesOf(ShadowIndex& index) {
    return index.sharedTrees != nullptr ? *index.sharedTrees : index.ownTrees;
}

inline const ShadowTrees& treesOf(const ShadowIndex& index) {
    return index.sharedTrees != nullptr ? *index.sharedTrees : index.ownTrees;
}

} // namespace kzo
