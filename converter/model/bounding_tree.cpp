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

struct Build {
    std::vector<BoundingSplitItem>& items;
    std::int32_t leafSize;
    BoundingTree& tree;
};

void fitBox(const Build& build, BoundingTreeNode& node) {
    for (int a = 0; a < 3; ++a) {
        node.lo[a] = INFINITY;
        node.hi[a] = -INFINITY;
    }
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const BoundingItem& item = build.items[at(i)].item;
        for (int a = 0; a < 3; ++a) {
            node.lo[a] = std::min(node.lo[a], item.center[a] - item.radius);
            node.hi[a] = std::max(node.hi[a], item.center[a] + item.radius);
        }
    }
    for (int a = 0; a < 3; ++a) {
        node.center[a] = (node.lo[a] + node.hi[a]) * 0.5;
    }
}

double distance(const double* a, const double* b) {
    const double d[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// A leaf's sphere around its box's middle holds its items' spheres; points
// (radius 0) need one root for the whole leaf.
void fitLeafSphere(const Build& build, BoundingTreeNode& node) {
    double farthestPoint = 0;
    double radius = 0;
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const BoundingItem& item = build.items[at(i)].item;
        if (item.radius == 0) {
            const double d[3] = {item.center[0] - node.center[0], item.center[1] - node.center[1],
                                 item.center[2] - node.center[2]};
            farthestPoint = std::max(farthestPoint, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        } else {
            radius = std::max(radius, distance(item.center, node.center) + item.radius);
        }
    }
    node.radius = std::max(radius, std::sqrt(farthestPoint));
}

// An inner node's sphere around its box's middle holds its children's
// spheres, which hold its items'.
void fitInnerSphere(BoundingTreeNode& node, const BoundingTreeNode& left,
                    const BoundingTreeNode& right) {
    node.radius = std::max(distance(left.center, node.center) + left.radius,
                           distance(right.center, node.center) + right.radius);
}

// Splits at the median of the box's longest axis; recursion depth is the
// tree's depth, about log2(count / leafSize).
void split(Build& build, std::int32_t nodeIndex) {
    BoundingTree& tree = build.tree;
    BoundingTreeNode& node = tree.nodes[at(nodeIndex)];
    fitBox(build, node);
    const std::int32_t begin = node.begin;
    const std::int32_t end = node.end;
    if (end - begin <= build.leafSize) {
        fitLeafSphere(build, node);
        for (std::int32_t i = begin; i < end; ++i) {
            const std::int32_t index = build.items[at(i)].index;
            tree.order[at(i)] = index;
            tree.leafOf[at(index)] = nodeIndex;
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
    std::nth_element(build.items.begin() + begin, build.items.begin() + middle,
                     build.items.begin() + end,
                     [axis](const BoundingSplitItem& a, const BoundingSplitItem& b) {
                         const double ca = a.item.center[axis];
                         const double cb = b.item.center[axis];
                         return ca < cb || (ca == cb && a.index < b.index);
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
    split(build, left);
    split(build, left + 1);
    fitInnerSphere(tree.nodes[at(nodeIndex)], tree.nodes[at(left)], tree.nodes[at(left + 1)]);
}

} // namespace

void buildBoundingTree(const std::vector<BoundingItem>& items, std::int32_t count,
                       std::int32_t leafSize, BoundingTree& tree) {
    tree.nodes.clear();
    tree.order.clear();
    tree.loose.clear();
    tree.leafOf.assign(at(std::max(count, 0)), -1);
    Build build{tree.scratch, leafSize, tree};
    build.items.clear();
    for (std::int32_t i = 0; i < count; ++i) {
        if (isFinite(items[at(i)])) {
            build.items.push_back({items[at(i)], i});
        } else {
            tree.loose.push_back(i);
        }
    }
    if (build.items.empty()) {
        return;
    }
    tree.order.resize(build.items.size());
    // Median splits leave at least leafSize / 2 items in a leaf, so there
    // are fewer than 4 * n / leafSize + 1 nodes.
    tree.nodes.reserve(4 * build.items.size() / static_cast<std::size_t>(leafSize) + 2);
    BoundingTreeNode root;
    root.end = static_cast<std::int32_t>(build.items.size());
    tree.nodes.push_back(root);
    split(build, 0);
}

} // namespace kzo
