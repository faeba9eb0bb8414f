#include "converter/model/mark_lit_vertices.h"

#include <algorithm>
#include <cmath>

namespace kzo {

namespace {

constexpr double kPlaneTolerance = 0.0001;
constexpr double kInsideThreshold = static_cast<double>(0.00001f);
// Margins of the conservative node tests. The exact test works in double on
// float inputs, so its rounding stays near 1e-15 of the scene's size; these
// margins are many orders of magnitude wider.
constexpr double kRelativeMargin = 1e-8;
constexpr double kAngleMargin = 1e-6; // radians
const double kCosAngleMargin = std::cos(kAngleMargin);
const double kSinAngleMargin = std::sin(kAngleMargin);
constexpr std::int32_t kVertexLeafSize = 8;
constexpr std::int32_t kFaceLeafSize = 8;
// ShadowIndex::state
constexpr std::uint8_t kNotCandidate = 0;
constexpr std::uint8_t kCandidate = 1;
constexpr std::uint8_t kFarCandidate = 2;

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

double dot3(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void cross3(const double* a, const double* b, double* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

bool finite3(const double* v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// One face as an occluder, widened to double.
struct Occluder {
    std::int32_t corners[3];
    double n[3];
    double d;
    double c[3];
    double radiusSquared;
    double k[3][3];
    bool finite;
};

Occluder makeOccluder(const SceneModel& model, const Face& face) {
    Occluder o;
    for (int a = 0; a < 3; ++a) {
        o.corners[a] = face.vertexIndex[a];
        o.n[a] = face.normal[a];
        o.c[a] = face.center[a];
        const Vertex& corner = model.vertices[face.vertexIndex[a]];
        o.k[a][0] = corner.x;
        o.k[a][1] = corner.y;
        o.k[a][2] = corner.z;
    }
    o.d = face.planeD;
    o.radiusSquared = face.radiusSquared;
    o.finite = finite3(o.n) && std::isfinite(o.d) && finite3(o.c) &&
               std::isfinite(o.radiusSquared) && finite3(o.k[0]) && finite3(o.k[1]) &&
               finite3(o.k[2]);
    return o;
}

bool isCorner(const Occluder& o, std::int32_t vertex) {
    return vertex == o.corners[0] || vertex == o.corners[1] || vertex == o.corners[2];
}

// P strictly inside the occluder: the three corner cross products agree with
// a margin, so a point on an edge or a corner stays outside.
bool strictlyInside(const Occluder& o, const double* p) {
    double a[3], b[3], c[3];
    for (int i = 0; i < 3; ++i) {
        a[i] = o.k[0][i] - p[i];
        b[i] = o.k[1][i] - p[i];
        c[i] = o.k[2][i] - p[i];
    }
    double x1[3], x2[3], x3[3];
    cross3(c, a, x1);
    cross3(a, b, x2);
    cross3(b, c, x3);
    return dot3(x1, x2) > kInsideThreshold && dot3(x2, x3) > kInsideThreshold &&
           dot3(x3, x1) > kInsideThreshold;
}

struct LightFrame {
    bool distant;
    double q[3];   // point and spot: the position
    double t[3];   // distant: the direction the light travels
    bool ranged;   // range >= 0
    double range2; // range squared
    bool cullable; // every value finite, so the node tests may be used
    double scale;  // largest absolute coordinate of the scene and the light
    double travel; // |t|
    double unitTravel[3];
    double distantMargin; // bounds every face's cylinder margin
    double pointRadius;   // a vertex as a sphere, for the node tests
    bool gridReady;       // the index's grid holds this light's view
};

// The shadow test of a point or spot light for one (face, vertex) pair; true
// when the face puts the vertex in shadow or the vertex lies beyond the range.
bool pointLightUnlights(const LightFrame& light, const Occluder& o, double side, const double* v) {
    const double s = dot3(o.n, v) + o.d;
    if (side > 0 ? s >= 0 : s <= 0) {
        return false;
    }
    const double dv[3] = {light.q[0] - v[0], light.q[1] - v[1], light.q[2] - v[2]};
    const double dd = dot3(dv, dv);
    if (dd > -kPlaneTolerance && dd < kPlaneTolerance) {
        return false;
    }
    if (light.ranged && light.range2 <= dd) {
        return true;
    }
    const double w[3] = {o.c[0] - v[0], o.c[1] - v[1], o.c[2] - v[2]};
    const double along = dot3(w, dv) / dd;
    const double offset[3] = {w[0] - along * dv[0], w[1] - along * dv[1], w[2] - along * dv[2]};
    if (dot3(offset, offset) > o.radiusSquared) {
        return false;
    }
    const double t = -(dot3(o.n, v) + o.d) / dot3(o.n, dv);
    const double p[3] = {v[0] + t * dv[0], v[1] + t * dv[1], v[2] + t * dv[2]};
    return strictlyInside(o, p);
}

// The shadow test of a distant light for one (face, vertex) pair.
bool distantLightUnlights(const LightFrame& light, const Occluder& o, double nt, const double* v) {
    const double t = -(dot3(o.n, v) + o.d) / nt;
    if (t >= 0) {
        return false;
    }
    const double p[3] = {v[0] + t * light.t[0], v[1] + t * light.t[1], v[2] + t * light.t[2]};
    return strictlyInside(o, p);
}

// A cone from the light: every line from the light within the angle of the
// axis. cosAngle > 1 stands for "no cone": the lines go everywhere.
struct Cone {
    double axis[3];
    double cosAngle;
    double sinAngle;
};

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

double widened(const LightFrame& light, double radius) {
    return radius * (1 + kRelativeMargin) + kRelativeMargin * light.scale;
}

// What the node tests need of one occluder, computed once per face.
// Made for every face tried, so the bounds are left unset until a tree
// search fills them; useBounds and useFrustum say which are set.
struct Query {
    const Occluder* o = nullptr;
    double side = 0; // point and spot: the light's side of the plane, +1 or -1
    double nt = 0;   // distant: normal . travel
    // Only vertices with n . v + d < 0 (else > 0) can be shadowed.
    bool processesNegative = false;
    bool useBounds = false;
    Cone cone; // point and spot
    // Point and spot, when the light stands clear of the face's plane: the
    // three planes through the light and an edge, facing inwards; a shadowed
    // vertex has n . v >= offset on each.
    bool useFrustum = false;
    double sideNormal[3][3];
    double sideLength[3];
    double sideOffset[3];
    double axis[3]; // distant: unit travel
    double reach;   // distant: the cylinder's radius
};

// Bounds |n . p + d| for every point p of the scene and the light. The sum
// of the normal's magnitudes stands for its length, which it never falls
// below, and saves a root per face.
double planeScale(const LightFrame& light, const Occluder& o) {
    const double normalSize = std::fabs(o.n[0]) + std::fabs(o.n[1]) + std::fabs(o.n[2]);
    return normalSize * 2 * light.scale + std::fabs(o.d);
}

// The light stands clear of the occluder's plane (sideValue = n . Q + d), so
// the crossing point of a shadowed vertex's line lies well away from the
// light, and the vertex sits on the ray from the light through that point up
// to a tiny angle.
bool lightClearOfPlane(const LightFrame& light, const Occluder& o, double sideValue) {
    return std::fabs(sideValue) > 1e-6 * planeScale(light, o);
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

// How far the crossing point v + t T of a distant light may stray by
// rounding: in proportion to the scene and to t T.
double distantCrossingMargin(const LightFrame& light, const Occluder& o, double nt) {
    return kRelativeMargin * (light.scale + planeScale(light, o) * light.travel / std::fabs(nt));
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
    const BoundingTreeNode& node = index.vertexTree.nodes[at(nodeIndex)];
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
    for (std::int32_t node = index.vertexTree.leafOf[at(vertex)]; node >= 0;
         node = index.vertexTree.nodes[at(node)].parent) {
        index.candidates[at(node)] += delta;
        if (far) {
            index.farCandidates[at(node)] += delta;
        }
    }
}

void unlight(SceneModel& model, ShadowIndex& index, std::int32_t vertex) {
    model.vertices[at(vertex)].counter = 0;
    removeFromShadowGrid(index.grid, vertex);
    const std::uint8_t state = index.state[at(vertex)];
    if (state == kNotCandidate) {
        return;
    }
    index.state[at(vertex)] = kNotCandidate;
    --index.remaining;
    index.farRemaining -= state == kFarCandidate ? 1 : 0;
    if (index.treesCounted && index.vertexTree.leafOf[at(vertex)] >= 0) {
        candidateStep(index, vertex, state == kFarCandidate, -1);
    }
}

void testVertex(SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q,
                std::int32_t vertex) {
    if (isCorner(*q.o, vertex)) {
        return;
    }
    const Vertex& vx = model.vertices[at(vertex)];
    if (vx.counter <= 0) {
        return;
    }
    const double v[3] = {vx.x, vx.y, vx.z};
    const bool unlit = light.distant ? distantLightUnlights(light, *q.o, q.nt, v)
                                     : pointLightUnlights(light, *q.o, q.side, v);
    if (unlit) {
        unlight(model, index, vertex);
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

void testLeaf(SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q,
              std::int32_t nodeIndex) {
    const BoundingTreeNode& node = index.vertexTree.nodes[at(nodeIndex)];
    // Vertices beyond the range are shadowed by the plane alone.
    const bool filter = index.farCandidates[at(nodeIndex)] == 0;
    for (std::int32_t i = node.begin; i < node.end; ++i) {
        const std::int32_t vertex = index.vertexTree.order[at(i)];
        const Vertex& v = model.vertices[at(vertex)];
        if (v.counter > 0 && (!filter || vertexMayBeShadowed(q, light, v))) {
            testVertex(model, index, light, q, vertex);
        }
    }
}

void testEveryVertex(SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        testVertex(model, index, light, q, i);
    }
}

// The vertices beyond the range sphere that lie behind the occluder's plane.
void testFarVertices(SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    // Median splits keep the depth near log2(20000 / 8), far below this.
    std::int32_t stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const std::int32_t nodeIndex = stack[--top];
        if (index.farCandidates[at(nodeIndex)] <= 0 ||
            !nodeCrossesPlane(q, index.vertexTree.nodes[at(nodeIndex)])) {
            continue;
        }
        const BoundingTreeNode& node = index.vertexTree.nodes[at(nodeIndex)];
        if (node.left >= 0) {
            stack[top++] = node.left + 1;
            stack[top++] = node.left;
            continue;
        }
        testLeaf(model, index, light, q, nodeIndex);
    }
}

void markRangeBox(SceneModel& model, const Light& light) {
    const bool ranged = light.range >= 0;
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = static_cast<double>(light.position[a]) - light.range;
        hi[a] = static_cast<double>(light.position[a]) + light.range;
    }
    for (int i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[at(i)];
        const double p[3] = {v.x, v.y, v.z};
        bool inside = true;
        if (ranged) {
            for (int a = 0; a < 3; ++a) {
                inside = inside && p[a] >= lo[a] && p[a] <= hi[a];
            }
        }
        v.counter = inside ? 1 : 0;
    }
}

// Per light: which vertices can still be shadowed and which of those lie
// beyond the range sphere.
void classifyVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light) {
    index.remaining = 0;
    index.farRemaining = 0;
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& vx = model.vertices[at(i)];
        std::uint8_t state = kNotCandidate;
        const double v[3] = {vx.x, vx.y, vx.z};
        if (vx.counter > 0 && finite3(v)) {
            state = kCandidate;
            if (!light.distant) {
                const double dv[3] = {light.q[0] - v[0], light.q[1] - v[1], light.q[2] - v[2]};
                const double dd = dot3(dv, dv);
                // Too close to the light to be shadowed at all.
                if (dd > -kPlaneTolerance && dd < kPlaneTolerance) {
                    state = kNotCandidate;
                } else if (light.ranged && light.range2 <= dd) {
                    state = kFarCandidate;
                }
            }
        }
        index.state[at(i)] = state;
        index.remaining += state != kNotCandidate ? 1 : 0;
        index.farRemaining += state == kFarCandidate ? 1 : 0;
    }
}

// The candidates of the current light counted up the vertex tree.
void countTreeCandidates(ShadowIndex& index) {
    std::fill(index.candidates.begin(), index.candidates.end(), 0);
    std::fill(index.farCandidates.begin(), index.farCandidates.end(), 0);
    for (const std::int32_t vertex : index.vertexTree.order) {
        const std::uint8_t state = index.state[at(vertex)];
        if (state != kNotCandidate) {
            const std::int32_t leaf = index.vertexTree.leafOf[at(vertex)];
            index.candidates[at(leaf)] += 1;
            index.farCandidates[at(leaf)] += state == kFarCandidate ? 1 : 0;
        }
    }
    for (std::size_t i = index.vertexTree.nodes.size(); i-- > 1;) {
        const std::int32_t parent = index.vertexTree.nodes[i].parent;
        index.candidates[at(parent)] += index.candidates[i];
        index.farCandidates[at(parent)] += index.farCandidates[i];
    }
}

void buildTrees(const SceneModel& model, ShadowIndex& index) {
    const auto vertexCount = at(std::max(model.vertexCount, 0));
    const auto faceCount = at(std::max(model.faceCount, 0));
    index.items.resize(std::max(vertexCount, faceCount));
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vertex& v = model.vertices[i];
        index.items[i] = BoundingItem{{v.x, v.y, v.z}, 0};
    }
    buildBoundingTree(index.items, model.vertexCount, kVertexLeafSize, index.vertexTree);
    for (std::size_t i = 0; i < faceCount; ++i) {
        const Face& f = model.faces[i];
        index.items[i] = BoundingItem{{f.center[0], f.center[1], f.center[2]},
                                      std::sqrt(static_cast<double>(f.radiusSquared))};
    }
    buildBoundingTree(index.items, model.faceCount, kFaceLeafSize, index.faceTree);
    index.candidates.assign(index.vertexTree.nodes.size(), 0);
    index.farCandidates.assign(index.vertexTree.nodes.size(), 0);
    index.pairStart.assign(index.faceTree.nodes.size(), -1);
    index.pairEnd.assign(index.faceTree.nodes.size(), -1);
    // Room for a few dozen vertex leaves per face leaf, so that the lists
    // rarely grow after the first light.
    index.pairLeaves.reserve(16 * index.faceTree.nodes.size());
    index.treesBuilt = true;
}

// The trees are built the first time a light needs them, at most once per
// file, and counted for the light from the counters as they stand: from then
// on every unlit vertex is taken off the counts.
void prepareTrees(const SceneModel& model, ShadowIndex& index) {
    if (index.treesCounted) {
        return;
    }
    if (!index.treesBuilt) {
        buildTrees(model, index);
    }
    countTreeCandidates(index);
    std::fill(index.pairStart.begin(), index.pairStart.end(), -1);
    index.pairLeaves.clear();
    index.treesCounted = true;
}

// The vertex leaves that the shadows of a face leaf's faces may reach, found
// when the first of its faces is tried: a walk of the vertex tree with the
// leaf's bound (its sphere holds every face's bounding sphere, so its cone or
// cylinder holds every face's). Vertex leaves without candidates then stay
// without them, so the list serves the leaf's later faces too.
void collectLeaves(ShadowIndex& index, const LightFrame& light, std::int32_t faceLeaf) {
    const BoundingTreeNode& f = index.faceTree.nodes[at(faceLeaf)];
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
        const BoundingTreeNode& node = index.vertexTree.nodes[at(nodeIndex)];
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

LightFrame makeFrame(const Light& light, const ShadowIndex& index) {
    LightFrame frame{};
    frame.distant = light.type == kDistantLight;
    frame.ranged = light.range >= 0;
    frame.range2 = static_cast<double>(light.range) * light.range;
    frame.scale = index.extent;
    for (int a = 0; a < 3; ++a) {
        frame.q[a] = light.position[a];
        frame.t[a] = -static_cast<double>(light.direction[a]);
    }
    frame.travel = std::sqrt(dot3(frame.t, frame.t));
    frame.pointRadius = 0;
    const double* values = frame.distant ? frame.t : frame.q;
    frame.cullable = finite3(values) && std::isfinite(frame.range2) && std::isfinite(frame.travel);
    if (frame.cullable && !frame.distant) {
        for (int a = 0; a < 3; ++a) {
            frame.scale = std::max(frame.scale, std::fabs(frame.q[a]));
        }
    }
    frame.pointRadius = widened(frame, 0);
    if (frame.cullable && frame.distant && frame.travel > 0) {
        for (int a = 0; a < 3; ++a) {
            frame.unitTravel[a] = frame.t[a] / frame.travel;
        }
        // Bounds the per-face margin of prepareCylinderQuery for every face
        // that is tried (|nt| at least the plane tolerance).
        frame.distantMargin =
            kRelativeMargin * (frame.scale + index.planeReach * frame.travel / kPlaneTolerance);
    }
    return frame;
}

bool hasLitCorner(const SceneModel& model, const Face& face) {
    for (const std::uint16_t corner : face.vertexIndex) {
        if (model.vertices[corner].counter >= 1) {
            return true;
        }
    }
    return false;
}

// Where a point light's occluder may cast its shadow in the grid: a vertex
// that the exact test shadows lies on the ray from the light through a point
// of the face, up to an angle near 1e-9 (the light is clear of the plane), so
// in the view it lies in the triangle of the corners' positions up to a few
// times that. Corners near a part's border are left to the trees, which keeps
// the whole triangle and its margin inside the part.
bool pointShadowWindow(const ShadowGrid& grid, const LightFrame& light, const Occluder& o,
                       double sideValue, ViewTriangle& triangle, ShadowGridWindow& window) {
    constexpr double kViewMargin = 1e-6;
    constexpr double kInnerView = 1 - 1e-4;
    if (!lightClearOfPlane(light, o, sideValue)) {
        return false;
    }
    const int part = grid.part[at(o.corners[0])];
    const double* corners[3];
    for (int k = 0; k < 3; ++k) {
        const std::int32_t corner = o.corners[k];
        corners[k] = &grid.view[2 * at(corner)];
        if (part < 0 || grid.part[at(corner)] != part ||
            !(std::fabs(corners[k][0]) <= kInnerView && std::fabs(corners[k][1]) <= kInnerView)) {
            return false;
        }
    }
    widenViewTriangle(corners[0], corners[1], corners[2], kViewMargin, triangle);
    return cellsCovering(grid, part, triangle, window);
}

// The same for a distant light, whose view is a plane across its travel: a
// shadowed vertex lies on a line along the travel through the crossing point,
// which is off by rounding at most by distantCrossingMargin.
bool distantShadowWindow(const ShadowGrid& grid, const LightFrame& light, const Occluder& o,
                         double nt, ViewTriangle& triangle, ShadowGridWindow& window) {
    const double* corners[3];
    for (int k = 0; k < 3; ++k) {
        const std::int32_t corner = o.corners[k];
        if (grid.part[at(corner)] != 0) {
            return false;
        }
        corners[k] = &grid.view[2 * at(corner)];
    }
    widenViewTriangle(corners[0], corners[1], corners[2], distantCrossingMargin(light, o, nt),
                      triangle);
    return cellsCovering(grid, 0, triangle, window);
}

void testWindow(SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q,
                const ViewTriangle& triangle, const ShadowGridWindow& window) {
    // The face's own corners lie in its triangle and are never shadowed by it.
    forEachVertexInTriangle(index.grid, triangle, window, [&](std::int32_t vertex) {
        if (!isCorner(*q.o, vertex)) {
            testVertex(model, index, light, q, vertex);
        }
    });
}

void testLooseVertices(SceneModel& model, ShadowIndex& index, const LightFrame& light,
                       const Query& q) {
    for (const std::int32_t vertex : index.looseVertices) {
        testVertex(model, index, light, q, vertex);
    }
}

// The occluder's vertices through the trees: for faces the grid cannot take
// (the light near their plane, corners across the view's parts) and for
// lights the grid does not hold.
void testThroughTrees(SceneModel& model, ShadowIndex& index, const LightFrame& frame, Query& q,
                      int faceIndex, double sideValue) {
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
    const std::int32_t faceLeaf = index.faceTree.leafOf[at(faceIndex)];
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

void tryOccluder(SceneModel& model, ShadowIndex& index, const LightFrame& frame, int faceIndex) {
    const Face& face = model.faces[at(faceIndex)];
    const Occluder o = makeOccluder(model, face);
    Query q;
    q.o = &o;
    double sideValue = 0;
    if (frame.distant) {
        q.nt = dot3(o.n, frame.t);
        if (q.nt > -kPlaneTolerance && q.nt < kPlaneTolerance) {
            return;
        }
        // t = -s / nt < 0 is processed.
        q.processesNegative = q.nt < 0;
    } else {
        sideValue = dot3(o.n, frame.q) + o.d;
        q.side = sideValue > 0 ? 1 : -1;
        q.processesNegative = q.side > 0;
    }
    ViewTriangle triangle;
    ShadowGridWindow window;
    const bool inGrid =
        frame.gridReady && o.finite &&
        (frame.distant ? distantShadowWindow(index.grid, frame, o, q.nt, triangle, window)
                       : pointShadowWindow(index.grid, frame, o, sideValue, triangle, window));
    if (!inGrid) {
        testThroughTrees(model, index, frame, q, faceIndex, sideValue);
        return;
    }
    // Vertices beyond the range are shadowed by the plane alone, wherever
    // they appear.
    if (index.farRemaining > 0) {
        prepareTrees(model, index);
        testFarVertices(model, index, frame, q);
    }
    testWindow(model, index, frame, q, triangle, window);
    testLooseVertices(model, index, frame, q);
}

// Puts the light's view of the lit vertices into the grid, when every value
// of the light is finite.
void prepareGrid(const SceneModel& model, ShadowIndex& index, LightFrame& frame) {
    frame.gridReady = frame.cullable && (!frame.distant || frame.travel > 0);
    if (!frame.gridReady) {
        std::fill(index.grid.slotOf.begin(), index.grid.slotOf.end(), -1);
        return;
    }
    if (frame.distant) {
        viewAlong(index.grid, model, frame.t);
    } else {
        viewFromPoint(index.grid, model, frame.q, index.middle);
    }
    bucketLitVertices(index.grid, model);
}

} // namespace

void buildShadowIndex(const SceneModel& model, ShadowIndex& index) {
    const auto vertexCount = at(std::max(model.vertexCount, 0));
    index.extent = 0;
    index.looseVertices.clear();
    double lo[3] = {INFINITY, INFINITY, INFINITY};
    double hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const Vertex& v = model.vertices[i];
        const double p[3] = {v.x, v.y, v.z};
        for (const double c : p) {
            if (std::isfinite(c)) {
                index.extent = std::max(index.extent, std::fabs(c));
            }
        }
        if (!finite3(p)) {
            index.looseVertices.push_back(static_cast<std::int32_t>(i));
            continue;
        }
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    for (int a = 0; a < 3; ++a) {
        index.middle[a] = lo[a] <= hi[a] ? (lo[a] + hi[a]) * 0.5 : 0;
    }
    index.planeReach = 0;
    for (int i = 0; i < model.faceCount; ++i) {
        const Face& f = model.faces[at(i)];
        // As planeScale computes it for a distant light.
        const double normalSize = std::fabs(static_cast<double>(f.normal[0])) +
                                  std::fabs(static_cast<double>(f.normal[1])) +
                                  std::fabs(static_cast<double>(f.normal[2]));
        const double reach = normalSize * 2 * index.extent + std::fabs(f.planeD);
        if (std::isfinite(reach)) {
            index.planeReach = std::max(index.planeReach, reach);
        }
    }
    index.state.assign(vertexCount, kNotCandidate);
    sizeShadowGrid(index.grid, model.vertexCount);
    index.treesBuilt = false;
    index.treesCounted = false;
}

void markLitVertices(SceneModel& model, int lightIndex, ShadowIndex& index) {
    const Light& light = model.lights[at(lightIndex)];
    markRangeBox(model, light);
    LightFrame frame = makeFrame(light, index);
    classifyVertices(model, index, frame);
    index.treesCounted = false;
    prepareGrid(model, index, frame);
    for (int f = 0; f < model.faceCount; ++f) {
        if (index.remaining == 0 && index.looseVertices.empty()) {
            break;
        }
        if (hasLitCorner(model, model.faces[at(f)])) {
            tryOccluder(model, index, frame, f);
        }
    }
}

void markLitVertices(SceneModel& model, int lightIndex) {
    ShadowIndex index;
    buildShadowIndex(model, index);
    markLitVertices(model, lightIndex, index);
}

} // namespace kzo
