#include "converter/model/shadow_tree_search.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace kzo::shadow {

namespace {

constexpr double kAngleMargin = 1e-6; // radians
const double kCosAngleMargin = std::cos(kAngleMargin);
const double kSinAngleMargin = std::sin(kAngleMargin);
constexpr std::int32_t kVertexLeafSize = 8;
constexpr std::int32_t kFaceLeafSize = 8;

// The cone that holds every line from the light that passes within reach of
// center, widened by the angle margin.
Cone coneAround(const LightFrame& light, const double* center, double reach) {
    Cone cone{{0, 0, 0}, 2, 0};
    const double a[3] = {center[0] - light.q[0], center[1] - light.q[1], center[2] - light.q[2]};
    const double length = std::sqrt(dot3(a, a));
    if (!(length > reach)) {
        return cone;
    }
    // sin and cos of the half angle, then of the half angle plus the margin.
    const double sine = reach / length;
    const double cosine = std::sqrt(1 - sine * sine);
    const double cosWide = cosine * kCosAngleMargin - sine * kSinAngleMargin;
    if (!(cosWide > 0)) {
        return cone;
    }
    for (int i = 0; i < 3; ++i) {
        cone.axis[i] = a[i] / length;
    }
    cone.cosAngle = cosWide;
    cone.sinAngle = sine * kCosAngleMargin + cosine * kSinAngleMargin;
    return cone;
}

// False when no point of the sphere lies on a line of the cone: the angle
// between the sphere's center and the axis exceeds the cone's angle plus the
// sphere's own angular radius. Written without roots or angles.
bool sphereMeetsCone(const Cone& cone, const LightFrame& light, const double* center,
                     double radius) {
    if (cone.cosAngle > 1) {
        return true;
    }
    const double e[3] = {center[0] - light.q[0], center[1] - light.q[1], center[2] - light.q[2]};
    const double squared = dot3(e, e);
    const double radiusSquared = radius * radius;
    if (squared <= radiusSquared) {
        return true;
    }
    const double left = std::fabs(dot3(cone.axis, e)) + cone.sinAngle * radius;
    return left * left >= cone.cosAngle * cone.cosAngle * (squared - radiusSquared);
}

// False when no point of the sphere lies within reach of the line through
// point along the unit axis.
bool sphereMeetsCylinder(const double* point, const double* axis, double reach,
                         const double* center, double radius) {
    const double w[3] = {center[0] - point[0], center[1] - point[1], center[2] - point[2]};
    const double along = dot3(w, axis);
    const double off[3] = {w[0] - along * axis[0], w[1] - along * axis[1], w[2] - along * axis[2]};
    const double total = reach + radius;
    return dot3(off, off) <= total * total;
}

// The shadow frustum of the face seen from the light. A vertex that the exact
// test shadows lies on the ray from the light through the computed crossing
// point, and that point lies in the face up to rounding; the ray stays within
// the margin as long as the light is clear of the plane, which keeps the
// crossing well away from the light.
void prepareFrustum(const LightFrame& light, double sideValue, Query& q) {
    const Occluder& o = *q.o;
    q.useFrustum = lightClearOfPlane(light, o, sideValue);
    for (int i = 0; q.useFrustum && i < 3; ++i) {
        const double* a = o.k[i];
        const double* b = o.k[(i + 1) % 3];
        const double* c = o.k[(i + 2) % 3];
        const double qa[3] = {a[0] - light.q[0], a[1] - light.q[1], a[2] - light.q[2]};
        const double qb[3] = {b[0] - light.q[0], b[1] - light.q[1], b[2] - light.q[2]};
        const double qc[3] = {c[0] - light.q[0], c[1] - light.q[1], c[2] - light.q[2]};
        double* normal = q.sideNormal[i];
        cross3(qa, qb, normal);
        const double length = std::sqrt(dot3(normal, normal));
        const double facing = dot3(normal, qc);
        if (!(std::fabs(facing) > 1e-9 * length * std::sqrt(dot3(qc, qc)))) {
            q.useFrustum = false;
            break;
        }
        if (facing < 0) {
            for (int a3 = 0; a3 < 3; ++a3) {
                normal[a3] = -normal[a3];
            }
        }
        q.sideLength[i] = length;
        q.sideOffset[i] = dot3(normal, light.q) - length * 4 * kRelativeMargin * light.scale;
    }
}

bool sphereMeetsFrustum(const Query& q, const double* center, double radius) {
    for (int i = 0; i < 3; ++i) {
        if (dot3(q.sideNormal[i], center) - q.sideOffset[i] < -radius * q.sideLength[i]) {
            return false;
        }
    }
    return true;
}

void prepareConeQuery(const LightFrame& light, double sideValue, Query& q) {
    const Occluder& o = *q.o;
    q.useBounds = light.cullable && o.finite;
    if (q.useBounds) {
        // A shadowed vertex's line to the light passes within the face's
        // bounding sphere: the exact test checks exactly that.
        q.cone = coneAround(light, o.c, widened(light, std::sqrt(o.radiusSquared)));
        prepareFrustum(light, sideValue, q);
    }
}

void prepareCylinderQuery(const LightFrame& light, Query& q) {
    const Occluder& o = *q.o;
    q.useBounds = light.cullable && o.finite && light.travel > 0;
    if (!q.useBounds) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        q.axis[i] = light.t[i] / light.travel;
    }
    // A shadowed vertex lies on a line along the light through a point of the
    // face, so within the face's widest corner of the axis through its center.
    const double margin = distantCrossingMargin(light, o, q.nt);
    double widest = 0;
    for (const auto& corner : o.k) {
        const double w[3] = {corner[0] - o.c[0], corner[1] - o.c[1], corner[2] - o.c[2]};
        const double along = dot3(w, q.axis);
        const double off[3] = {w[0] - along * q.axis[0], w[1] - along * q.axis[1],
                               w[2] - along * q.axis[2]};
        widest = std::max(widest, dot3(off, off));
    }
    q.reach = std::sqrt(widest) * (1 + kRelativeMargin) + margin;
}

// False when no vertex of the node can be strictly on the processed side of
// the occluder's plane.
bool nodeCrossesPlane(const Query& q, const BoundingTreeNode& node) {
    const Occluder& o = *q.o;
    double low = 0, high = 0, magnitude = 0;
    for (int a = 0; a < 3; ++a) {
        const double x = o.n[a] * node.lo[a];
        const double y = o.n[a] * node.hi[a];
        low += std::min(x, y);
        high += std::max(x, y);
        magnitude += std::max(std::fabs(x), std::fabs(y));
    }
    low += o.d;
    high += o.d;
    const double margin = kRelativeMargin * (magnitude + std::fabs(o.d));
    return q.processesNegative ? low - margin < 0 : high + margin > 0;
}

bool nodeMayHoldShadowed(const Query& q, const LightFrame& light, const ShadowIndex& index,
                         std::int32_t nodeIndex) {
    const BoundingTreeNode& node = treesOf(index).vertexTree.nodes[at(nodeIndex)];
    if (!nodeCrossesPlane(q, node)) {
        return false;
    }
    if (!q.useBounds) {
        return true;
    }
    const double radius = widened(light, node.radius);
    if (light.distant) {
        return sphereMeetsCylinder(q.o->c, q.axis, q.reach, node.center, radius);
    }
    // A vertex beyond the range is unlit by any occluder whose plane it lies
    // behind, wherever the occluder stands.
    if (index.farCandidates[at(nodeIndex)] > 0) {
        return true;
    }
    if (q.useFrustum) {
        return sphereMeetsFrustum(q, node.center, radius);
    }
    return sphereMeetsCone(q.cone, light, node.center, radius);
}

void candidateStep(ShadowIndex& index, std::int32_t vertex, bool far, std::int32_t delta) {
    for (std::int32_t node = treesOf(index).vertexTree.leafOf[at(vertex)]; node >= 0;
         node = treesOf(index).vertexTree.nodes[at(node)].parent) {
        index.candidates[at(node)] += delta;
        if (far) {
            index.farCandidates[at(node)] += delta;
        }
    }
}

// Before the exact test, a vertex of a point or spot light must lie on a line
// of the face's cone: the same bound as the node test, for a single point.
bool vertexMayBeShadowed(const Query& q, const LightFrame& light, const Vertex& v) {
    if (light.distant || !q.useBounds) {
        return true;
    }
    const double p[3] = {v.x, v.y, v.z};
    if (q.useFrustum) {
        return sphereMeetsFrustum(q, p, light.pointRadius);
    }
    return sphereMeetsCone(q.cone, light, p, light.pointRadius);
}

void testLeaf(const SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q,
              std::int32_t nodeIndex) {
    const BoundingTreeNode& node = treesOf(index).vertexTree.nodes[at(nodeIndex)];
    // Vertices beyond the range are shadowed by the plane alone.
    const bool filter = index.farCandidates[at(nodeIndex)] == 0;
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const std::int32_t vertex = treesOf(index).vertexTree.order[at(i)];
        if (index.lit[at(vertex)] != 0 &&
            (!filter || vertexMayBeShadowed(q, light, model.vertices[at(vertex)]))) {
            testVertex(model, index, light, q, vertex);
        }
    }
}

// The candidates of the current light counted up the vertex tree.
void countTreeCandidates(ShadowIndex& index) {
    std::fill(index.candidates.begin(), index.candidates.end(), 0);
    std::fill(index.farCandidates.begin(), index.farCandidates.end(), 0);
    for (const std::int32_t vertex : treesOf(index).vertexTree.order) {
        const std::uint8_t state = index.state[at(vertex)];
        if (state != kNotCandidate) {
            const std::int32_t leaf = treesOf(index).vertexTree.leafOf[at(vertex)];
            index.candidates[at(leaf)] += 1;
            index.farCandidates[at(leaf)] += state == kFarCandidate ? 1 : 0;
        }
    }
    for (std::size_t i = treesOf(index).vertexTree.nodes.size(); i-- > 1;) {
        const std::int32_t parent = treesOf(index).vertexTree.nodes[i].parent;
        index.candidates[at(parent)] += index.candidates[i];
        index.farCandidates[at(parent)] += index.farCandidates[i];
    }
}

void buildTrees(const SceneModel& model, ShadowTrees& trees) {
    const auto vertexCount = at(std::max(model.vertexCount, 0));
    const auto faceCount = at(std::max(model.faceCount, 0));
    trees.items.resize(std::max(vertexCount, faceCount));
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vertex& v = model.vertices[i];
        trees.items[i] = BoundingItem{{v.x, v.y, v.z}, 0};
    }
    buildBoundingTree(trees.items, model.vertexCount, kVertexLeafSize, trees.vertexTree);
    for (std::size_t i = 0; i < faceCount; ++i) {
        const Face& f = model.faces[i];
        trees.items[i] = BoundingItem{{f.center[0], f.center[1], f.center[2]},
                                      std::sqrt(static_cast<double>(f.radiusSquared))};
    }
    buildBoundingTree(trees.items, model.faceCount, kFaceLeafSize, trees.faceTree);
    trees.built = true;
}

// Builds the trees when no index sharing them has, and sizes this index's
// counts to them.
void ensureTrees(const SceneModel& model, ShadowIndex& index) {
    if (index.countsSized) {
        return;
    }
    {
        std::unique_lock<std::mutex> lock;
        if (index.treeLock != nullptr) {
            lock = std::unique_lock<std::mutex>(*index.treeLock);
        }
        if (!treesOf(index).built) {
            buildTrees(model, treesOf(index));
        }
    }
    const std::size_t vertexNodes = treesOf(index).vertexTree.nodes.size();
    const std::size_t faceNodes = treesOf(index).faceTree.nodes.size();
    index.candidates.assign(vertexNodes, 0);
    index.farCandidates.assign(vertexNodes, 0);
    index.pairStart.assign(faceNodes, -1);
    index.pairEnd.assign(faceNodes, -1);
    // Room for a few dozen vertex leaves per face leaf, so that the lists
    // rarely grow after the first light.
    index.pairLeaves.reserve(16 * faceNodes);
    index.countsSized = true;
}

// The vertex leaves that the shadows of a face leaf's faces may reach, found
// when the first of its faces is tried: a walk of the vertex tree with the
// leaf's bound (its sphere holds every face's bounding sphere, so its cone or
// cylinder holds every face's). Vertex leaves without candidates then stay
// without them, so the list serves the leaf's later faces too.
void collectLeaves(ShadowIndex& index, const LightFrame& light, std::int32_t faceLeaf) {
    const BoundingTreeNode& f = treesOf(index).faceTree.nodes[at(faceLeaf)];
    index.pairStart[at(faceLeaf)] = static_cast<std::int32_t>(index.pairLeaves.size());
    Cone cone{{0, 0, 0}, 2, 0};
    double reach = 0;
    if (light.distant) {
        reach = f.radius * (1 + kRelativeMargin) + light.distantMargin;
    } else {
        cone = coneAround(light, f.center, widened(light, f.radius));
    }
    std::int32_t stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const std::int32_t nodeIndex = stack[--top];
        if (index.candidates[at(nodeIndex)] <= 0) {
            continue;
        }
        const BoundingTreeNode& node = treesOf(index).vertexTree.nodes[at(nodeIndex)];
        const double radius = widened(light, node.radius);
        const bool meets = light.distant ? sphereMeetsCylinder(f.center, light.unitTravel, reach,
                                                               node.center, radius)
                                         : sphereMeetsCone(cone, light, node.center, radius);
        if (!meets) {
            continue;
        }
        if (node.left >= 0) {
            stack[top++] = node.left + 1;
            stack[top++] = node.left;
            continue;
        }
        index.pairLeaves.push_back(nodeIndex);
    }
    index.pairEnd[at(faceLeaf)] = static_cast<std::int32_t>(index.pairLeaves.size());
}

} // namespace

// The vertices beyond the range sphere that lie behind the occluder's plane.
void testFarVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    // Median splits keep the depth near log2(20000 / 8), far below this.
    std::int32_t stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const std::int32_t nodeIndex = stack[--top];
        if (index.farCandidates[at(nodeIndex)] <= 0 ||
            !nodeCrossesPlane(q, treesOf(index).vertexTree.nodes[at(nodeIndex)])) {
            continue;
        }
        const BoundingTreeNode& node = treesOf(index).vertexTree.nodes[at(nodeIndex)];
        if (node.left >= 0) {
            stack[top++] = node.left + 1;
            stack[top++] = node.left;
            continue;
        }
        testLeaf(model, index, light, q, nodeIndex);
    }
}

// The trees are built the first time a light needs them, at most once per
// file, and counted for the light from the counters as they stand: from then
// on every unlit vertex is taken off the counts.
void prepareTrees(const SceneModel& model, ShadowIndex& index) {
    if (index.treesCounted) {
        return;
    }
    ensureTrees(model, index);
    countTreeCandidates(index);
    std::fill(index.pairStart.begin(), index.pairStart.end(), -1);
    index.pairLeaves.clear();
    index.treesCounted = true;
}

// The occluder's vertices through the trees: for faces the grid cannot take
// (the light near their plane, corners across the view's parts) and for
// lights the grid does not hold.
void testThroughTrees(const SceneModel& model, ShadowIndex& index, const LightFrame& frame,
                      Query& q, int faceIndex, double sideValue) {
    if (frame.distant) {
        prepareCylinderQuery(frame, q);
    } else {
        prepareConeQuery(frame, sideValue, q);
    }
    if (!q.useBounds) {
        testEveryVertex(model, index, frame, q);
        return;
    }
    prepareTrees(model, index);
    const std::int32_t faceLeaf = treesOf(index).faceTree.leafOf[at(faceIndex)];
    if (faceLeaf < 0) {
        testEveryVertex(model, index, frame, q);
        return;
    }
    if (index.farRemaining > 0) {
        testFarVertices(model, index, frame, q);
    }
    if (index.pairStart[at(faceLeaf)] < 0) {
        collectLeaves(index, frame, faceLeaf);
    }
    const std::int32_t end = index.pairEnd[at(faceLeaf)];
    for (std::int32_t i = index.pairStart[at(faceLeaf)]; i < end; ++i) {
        const std::int32_t leaf = index.pairLeaves[at(i)];
        if (index.candidates[at(leaf)] > 0 && nodeMayHoldShadowed(q, frame, index, leaf)) {
            testLeaf(model, index, frame, q, leaf);
        }
    }
    testLooseVertices(model, index, frame, q);
}

void takeOffTreeCounts(ShadowIndex& index, std::int32_t vertex, bool far) {
    if (index.treesCounted && treesOf(index).vertexTree.leafOf[at(vertex)] >= 0) {
        candidateStep(index, vertex, far, -1);
    }
}

} // namespace kzo::shadow
