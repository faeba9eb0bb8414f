// A bounding-volume hierarchy over spheres (points are spheres of radius 0),
// built once per file. The shadow marking keeps one over the vertices and one
// over the faces' bounding spheres and queries them with conservative tests:
// a node is only skipped when nothing inside it can pass the exact test.
#pragma once

#include <cstdint>
#include <vector>

namespace kzo {

struct BoundingItem {
    double center[3] = {};
    double radius = 0;
};

struct BoundingTreeNode {
    double lo[3] = {}; // box around the items' spheres
    double hi[3] = {};
    double center[3] = {}; // a sphere around the items' spheres
    double radius = 0;
    std::int32_t parent = -1;
    std::int32_t left = -1; // -1 for a leaf; the right child is left + 1
    std::int32_t begin = 0; // the node's items are order[begin, end)
    std::int32_t end = 0;
};

// An item with its index, moved about while a tree is built so that every
// node's items lie side by side.
struct BoundingSplitItem {
    BoundingItem item;
    std::int32_t index = 0;
};

struct BoundingTree {
    std::vector<BoundingTreeNode> nodes; // nodes[0] is the root when there is one
    std::vector<std::int32_t> order;     // item indices grouped by leaf
    std::vector<std::int32_t> leafOf;    // per item: its leaf, or -1
    // Items with a NaN or infinite value have no place in a box; callers test
    // them one by one.
    std::vector<std::int32_t> loose;
    // The build's working copy of the items, kept for the next build.
    std::vector<BoundingSplitItem> scratch;
};

// Builds the tree over items[0, count) with at most leafSize (2 or more)
// items per leaf. Children always come after their parent in nodes. The
// vectors keep their capacity when built again.
void buildBoundingTree(const std::vector<BoundingItem>& items, std::int32_t count,
                       std::int32_t leafSize, BoundingTree& tree);

} // namespace kzo
