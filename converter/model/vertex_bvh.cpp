#include "converter/model/vertex_bvh.h"

#include <algorithm>
#include <cmath>

namespace kzo {

namespace {

constexpr std::int32_t kLeafSize = 8;

float coordinate(const Vertex& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

void fitBox(const SceneModel& model, const VertexBvh& bvh, VertexBvhNode& node) {
    for (int a = 0; a < 3; ++a) {
        node.lo[a] = node.hi[a] = coordinate(model.vertices[bvh.order[node.begin]], a);
    }
    for (std::int32_t i = node.begin + 1; i < node.end; ++i) {
        const Vertex& v = model.vertices[static_cast<std::size_t>(bvh.order[i])];
        for (int a = 0; a < 3; ++a) {
            node.lo[a] = std::min(node.lo[a], coordinate(v, a));
            node.hi[a] = std::max(node.hi[a], coordinate(v, a));
        }
    }
    double squared = 0;
    for (int a = 0; a < 3; ++a) {
        const double lo = node.lo[a];
        const double hi = node.hi[a];
        node.sphereCenter[a] = (lo + hi) * 0.5;
        squared += (hi - lo) * (hi - lo) * 0.25;
    }
    node.sphereRadius = std::sqrt(squared);
}

// Splits at the median of the box's longest axis, children stored side by
// side so that a node's right child is its left child + 1.
void split(const SceneModel& model, VertexBvh& bvh, std::int32_t nodeIndex) {
    VertexBvhNode& node = bvh.nodes[static_cast<std::size_t>(nodeIndex)];
    fitBox(model, bvh, node);
    const std::int32_t begin = node.begin;
    const std::int32_t end = node.end;
    if (end - begin <= kLeafSize) {
        for (std::int32_t i = begin; i < end; ++i) {
            bvh.leafOf[static_cast<std::size_t>(bvh.order[i])] = nodeIndex;
        }
        return;
    }
    int axis = 0;
    for (int a = 1; a < 3; ++a) {
        if (node.hi[a] - node.lo[a] > node.hi[axis] - node.lo[axis]) {
            axis = a;
        }
    }
    const std::int32_t middle = begin + (end - begin) / 2;
    // Ties broken by index keep the build deterministic on every library.
    std::nth_element(bvh.order.begin() + begin, bvh.order.begin() + middle, bvh.order.begin() + end,
                     [&](std::int32_t a, std::int32_t b) {
                         const float ca =
                             coordinate(model.vertices[static_cast<std::size_t>(a)], axis);
                         const float cb =
                             coordinate(model.vertices[static_cast<std::size_t>(b)], axis);
                         return ca < cb || (ca == cb && a < b);
                     });
    const auto left = static_cast<std::int32_t>(bvh.nodes.size());
    node.left = left;
    VertexBvhNode child;
    child.parent = nodeIndex;
    child.begin = begin;
    child.end = middle;
    bvh.nodes.push_back(child); // invalidates node
    child.begin = middle;
    child.end = end;
    bvh.nodes.push_back(child);
    split(model, bvh, left);
    split(model, bvh, left + 1);
}

} // namespace

void buildVertexBvh(const SceneModel& model, VertexBvh& bvh) {
    const auto count = static_cast<std::size_t>(std::max(model.vertexCount, 0));
    bvh.nodes.clear();
    bvh.order.clear();
    bvh.loose.clear();
    bvh.leafOf.assign(count, -1);
    for (std::size_t i = 0; i < count; ++i) {
        const Vertex& v = model.vertices[i];
        const bool finite = std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
        (finite ? bvh.order : bvh.loose).push_back(static_cast<std::int32_t>(i));
    }
    if (bvh.order.empty()) {
        return;
    }
    // A binary tree with leaves of at most kLeafSize vertices, split at the
    // median, has fewer than 4 * n / kLeafSize + 1 nodes.
    bvh.nodes.reserve(4 * bvh.order.size() / kLeafSize + 2);
    VertexBvhNode root;
    root.end = static_cast<std::int32_t>(bvh.order.size());
    bvh.nodes.push_back(root);
    split(model, bvh, 0);
}

} // namespace kzo
