#include "converter/model/bounding_tree.h"

#include <algorithm>
#include <cmath>

namespace kzo {

namespace {

std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

bool isFinite(const BoundingItem& item) {
    return std::isfinite(item.center[0]) && std::isfinite(item.center[1]) &&
           std::isfinite(item.center[2]) && std::isfinite(item.radius);
}

void fitNode(const std::vector<BoundingItem>& items, const BoundingTree& tree,
             BoundingTreeNode& node) {
    for (int a = 0; a < 3; ++a) {
        node.lo[a] = INFINITY;
        node.hi[a] = -INFINITY;
    }
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const BoundingItem& item = items[at(tree.order[at(i)])];
        for (int a = 0; a < 3; ++a) {
            node.lo[a] = std::min(node.lo[a], item.center[a] - item.radius);
            node.hi[a] = std::max(node.hi[a], item.center[a] + item.radius);
        }
    }
    for (int a = 0; a < 3; ++a) {
        node.center[a] = (node.lo[a] + node.hi[a]) * 0.5;
    }
    double radius = 0;
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const BoundingItem& item = items[at(tree.order[at(i)])];
        const double d[3] = {item.center[0] - node.center[0], item.center[1] - node.center[1],
                             item.center[2] - node.center[2]};
        radius = std::max(radius, std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) + item.radius);
    }
    node.radius = radius;
}

// Splits at the median of the box's longest axis; recursion depth is the
// tree's depth, about log2(count / kLeafSize).
void split(const std::vector<BoundingItem>& items, std::int32_t leafSize, BoundingTree& tree,
           std::int32_t nodeIndex) {
    BoundingTreeNode& node = tree.nodes[at(nodeIndex)];
    fitNode(items, tree, node);
    const std::int32_t begin = node.begin;
    const std::int32_t end = node.end;
    if (end - begin <= leafSize) {
        for (std::int32_t i = begin; i < end; ++i) {
            tree.leafOf[at(tree.order[at(i)])] = nodeIndex;
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
    // Ties broken by index keep the build the same on every library.
    std::nth_element(tree.order.begin() + begin, tree.order.begin() + middle,
                     tree.order.begin() + end, [&](std::int32_t a, std::int32_t b) {
                         const double ca = items[at(a)].center[axis];
                         const double cb = items[at(b)].center[axis];
                         return ca < cb || (ca == cb && a < b);
                     });
    const auto left = static_cast<std::int32_t>(tree.nodes.size());
    node.left = left;
    BoundingTreeNode child;
    child.parent = nodeIndex;
    child.begin = begin;
    child.end = middle;
    tree.nodes.push_back(child); // invalidates node
    child.begin = middle;
    child.end = end;
    tree.nodes.push_back(child);
    split(items, leafSize, tree, left);
    split(items, leafSize, tree, left + 1);
}

} // namespace

void buildBoundingTree(const std::vector<BoundingItem>& items, std::int32_t count,
                       std::int32_t leafSize, BoundingTree& tree) {
    tree.nodes.clear();
    tree.order.clear();
    tree.loose.clear();
    tree.leafOf.assign(at(std::max(count, 0)), -1);
    for (std::int32_t i = 0; i < count; ++i) {
        (isFinite(items[at(i)]) ? tree.order : tree.loose).push_back(i);
    }
    if (tree.order.empty()) {
        return;
    }
    // Median splits leave at least leafSize / 2 items in a leaf, so there
    // are fewer than 4 * n / leafSize + 1 nodes.
    tree.nodes.reserve(4 * tree.order.size() / static_cast<std::size_t>(leafSize) + 2);
    BoundingTreeNode root;
    root.end = static_cast<std::int32_t>(tree.order.size());
    tree.nodes.push_back(root);
    split(items, leafSize, tree, 0);
}

} // namespace kzo
