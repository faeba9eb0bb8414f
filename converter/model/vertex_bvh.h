// A bounding-volume hierarchy over the scene's vertices, built once per file
// and queried by the shadow marking with conservative tests: a node is only
// skipped when no vertex inside its box can pass the exact test.
#pragma once

#include "converter/model/scene_model.h"

#include <cstdint>
#include <vector>

namespace kzo {

struct VertexBvhNode {
    float lo[3] = {};
    float hi[3] = {};
    // A sphere around the box, for the cone and cylinder tests.
    double sphereCenter[3] = {};
    double sphereRadius = 0;
    std::int32_t parent = -1;
    std::int32_t left = -1; // -1 for a leaf; the right child is left + 1
    std::int32_t begin = 0; // leaf: its vertices are order[begin, end)
    std::int32_t end = 0;
};

struct VertexBvh {
    std::vector<VertexBvhNode> nodes; // nodes[0] is the root when there is one
    std::vector<std::int32_t> order;  // vertex indices grouped by leaf
    std::vector<std::int32_t> leafOf; // per vertex: its leaf, or -1
    // Vertices with a NaN or infinite coordinate have no place in a box; the
    // marking tests them one by one.
    std::vector<std::int32_t> loose;
};

// Builds the hierarchy over the first vertexCount vertices. Allocates only
// here; the vectors keep their capacity when built again.
void buildVertexBvh(const SceneModel& model, VertexBvh& bvh);

} // namespace kzo
