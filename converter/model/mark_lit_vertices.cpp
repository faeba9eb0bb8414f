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
constexpr double kHalfPi = 1.5707963267948966;

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

// What the node tests need of one occluder, computed once per face.
struct Query {
    const Occluder* o;
    double side; // point: the light's side of the plane; distant: sign of nt
    double nt;
    double planeScale; // |n| for the rounding margin of n.v + d
    // Point lights: the cone from the light around the occluder's bounding
    // sphere. Distant lights: the cylinder along the light around it.
    bool useCone;
    double axis[3]; // point: center - light, unit; distant: unit travel
    double axisLength;
    double cosAngle, sinAngle;
    double reach; // distant: cylinder radius with margin
};

void candidateStep(ShadowIndex& index, std::int32_t vertex, std::int32_t delta) {
    const bool far = index.far[at(vertex)] != 0;
    for (std::int32_t node = index.bvh.leafOf[at(vertex)]; node >= 0;
         node = index.bvh.nodes[at(node)].parent) {
        index.candidates[at(node)] += delta;
        if (far) {
            index.farCandidates[at(node)] += delta;
        }
    }
}

void unlight(SceneModel& model, ShadowIndex& index, std::int32_t vertex) {
    model.vertices[at(vertex)].counter = 0;
    if (index.bvh.leafOf[at(vertex)] >= 0) {
        candidateStep(index, vertex, -1);
    }
}

// False when no vertex of the node can be strictly on the processed side of
// the occluder's plane.
bool nodeCrossesPlane(const Query& q, const VertexBvhNode& node) {
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
    // side > 0: only s < 0 is processed; side < 0: only s > 0.
    return q.side > 0 ? low - margin < 0 : high + margin > 0;
}

bool nodeMeetsCone(const Query& q, const LightFrame& light, const VertexBvhNode& node) {
    const double radius = node.sphereRadius * (1 + kRelativeMargin) + kRelativeMargin * light.scale;
    const double e[3] = {node.sphereCenter[0] - light.q[0], node.sphereCenter[1] - light.q[1],
                         node.sphereCenter[2] - light.q[2]};
    const double distance = std::sqrt(dot3(e, e));
    if (distance <= radius) {
        return true;
    }
    const double sinSpread = radius / distance;
    const double cosSpread = std::sqrt(1 - sinSpread * sinSpread);
    // cos of the widened cone angle plus the node's spread
    const double limit = q.cosAngle * cosSpread - q.sinAngle * sinSpread;
    if (limit <= 0) {
        return true;
    }
    return std::fabs(dot3(q.axis, e)) >= limit * distance;
}

bool nodeMeetsCylinder(const Query& q, const VertexBvhNode& node) {
    const Occluder& o = *q.o;
    const double w[3] = {node.sphereCenter[0] - o.c[0], node.sphereCenter[1] - o.c[1],
                         node.sphereCenter[2] - o.c[2]};
    const double along = dot3(w, q.axis);
    const double off[3] = {w[0] - along * q.axis[0], w[1] - along * q.axis[1],
                           w[2] - along * q.axis[2]};
    const double reach = q.reach + node.sphereRadius * (1 + kRelativeMargin);
    return dot3(off, off) <= reach * reach;
}

bool nodeMayHoldShadowed(const Query& q, const LightFrame& light, const ShadowIndex& index,
                         std::int32_t nodeIndex) {
    const VertexBvhNode& node = index.bvh.nodes[at(nodeIndex)];
    if (!nodeCrossesPlane(q, node)) {
        return false;
    }
    if (!q.useCone) {
        return true;
    }
    if (light.distant) {
        return nodeMeetsCylinder(q, node);
    }
    // A vertex beyond the range is unlit by any occluder whose plane it lies
    // behind, wherever the occluder stands.
    if (index.farCandidates[at(nodeIndex)] > 0) {
        return true;
    }
    return nodeMeetsCone(q, light, node);
}

bool pairUnlights(const LightFrame& light, const Query& q, const double* v) {
    return light.distant ? distantLightUnlights(light, *q.o, q.nt, v)
                         : pointLightUnlights(light, *q.o, q.side, v);
}

void testVertex(SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q,
                std::int32_t vertex) {
    const Vertex& vx = model.vertices[at(vertex)];
    if (vx.counter <= 0 || isCorner(*q.o, vertex)) {
        return;
    }
    const double v[3] = {vx.x, vx.y, vx.z};
    if (pairUnlights(light, q, v)) {
        unlight(model, index, vertex);
    }
}

void traverse(SceneModel& model, ShadowIndex& index, const LightFrame& light, const Query& q) {
    if (index.bvh.nodes.empty()) {
        return;
    }
    // Median splits keep the depth near log2(20000 / 8), far below this.
    std::int32_t stack[128];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const std::int32_t nodeIndex = stack[--top];
        if (index.candidates[at(nodeIndex)] <= 0 ||
            !nodeMayHoldShadowed(q, light, index, nodeIndex)) {
            continue;
        }
        const VertexBvhNode& node = index.bvh.nodes[at(nodeIndex)];
        if (node.left >= 0) {
            stack[top++] = node.left + 1;
            stack[top++] = node.left;
            continue;
        }
        for (std::int32_t i = node.begin; i < node.end; ++i) {
            testVertex(model, index, light, q, index.bvh.order[at(i)]);
        }
    }
}

void testEveryVertex(SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        testVertex(model, index, light, q, i);
    }
}

// Fills the node tests for a point or spot light. False when the face can
// shadow nothing through the exact test's own early exits.
void prepareConeQuery(const LightFrame& light, Query& q) {
    const Occluder& o = *q.o;
    q.side = dot3(o.n, light.q) + o.d > 0 ? 1 : -1;
    const double a[3] = {o.c[0] - light.q[0], o.c[1] - light.q[1], o.c[2] - light.q[2]};
    q.axisLength = std::sqrt(dot3(a, a));
    const double reach =
        std::sqrt(o.radiusSquared) * (1 + kRelativeMargin) + kRelativeMargin * light.scale;
    q.useCone = light.cullable && o.finite && q.axisLength > reach;
    if (!q.useCone) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        q.axis[i] = a[i] / q.axisLength;
    }
    const double angle = std::asin(reach / q.axisLength) + kAngleMargin;
    if (angle >= kHalfPi) {
        q.useCone = false;
        return;
    }
    q.cosAngle = std::cos(angle);
    q.sinAngle = std::sin(angle);
}

void prepareCylinderQuery(const LightFrame& light, Query& q) {
    const Occluder& o = *q.o;
    q.side = q.nt > 0 ? -1 : 1; // nt > 0: only s > 0 is processed, as for side -1
    const double travel = std::sqrt(dot3(light.t, light.t));
    q.useCone = light.cullable && o.finite && travel > 0;
    if (!q.useCone) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        q.axis[i] = light.t[i] / travel;
    }
    // The crossing point v + t T is off by rounding in proportion to t T.
    const double planeReach = std::sqrt(dot3(o.n, o.n)) * 2 * light.scale + std::fabs(o.d);
    const double margin = kRelativeMargin * (light.scale + planeReach * travel / std::fabs(q.nt));
    // A shadowed vertex lies on a line along the light through a point of
    // the face, so within the face's widest corner of the axis through its
    // center.
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

// Per light: which vertices can still be shadowed and which lie beyond the
// range sphere, counted up the hierarchy.
void countCandidates(const SceneModel& model, ShadowIndex& index, const LightFrame& light) {
    std::fill(index.candidates.begin(), index.candidates.end(), 0);
    std::fill(index.farCandidates.begin(), index.farCandidates.end(), 0);
    for (const std::int32_t vertex : index.bvh.order) {
        index.far[at(vertex)] = 0;
        const Vertex& vx = model.vertices[at(vertex)];
        if (vx.counter <= 0) {
            continue;
        }
        if (!light.distant) {
            const double dv[3] = {light.q[0] - vx.x, light.q[1] - vx.y, light.q[2] - vx.z};
            const double dd = dot3(dv, dv);
            // Too close to the light to be shadowed at all.
            if (dd > -kPlaneTolerance && dd < kPlaneTolerance) {
                continue;
            }
            index.far[at(vertex)] = light.ranged && light.range2 <= dd ? 1 : 0;
        }
        const std::int32_t leaf = index.bvh.leafOf[at(vertex)];
        index.candidates[at(leaf)] += 1;
        index.farCandidates[at(leaf)] += index.far[at(vertex)];
    }
    // Children always come after their parent.
    for (std::size_t i = index.bvh.nodes.size(); i-- > 1;) {
        const std::int32_t parent = index.bvh.nodes[i].parent;
        index.candidates[at(parent)] += index.candidates[i];
        index.farCandidates[at(parent)] += index.farCandidates[i];
    }
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
    const double* values = frame.distant ? frame.t : frame.q;
    frame.cullable = finite3(values) && std::isfinite(frame.range2);
    if (frame.cullable && !frame.distant) {
        for (int a = 0; a < 3; ++a) {
            frame.scale = std::max(frame.scale, std::fabs(frame.q[a]));
        }
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

} // namespace

void buildShadowIndex(const SceneModel& model, ShadowIndex& index) {
    buildVertexBvh(model, index.bvh);
    index.candidates.assign(index.bvh.nodes.size(), 0);
    index.farCandidates.assign(index.bvh.nodes.size(), 0);
    index.far.assign(static_cast<std::size_t>(std::max(model.vertexCount, 0)), 0);
    index.extent = 0;
    for (const std::int32_t vertex : index.bvh.order) {
        const Vertex& v = model.vertices[at(vertex)];
        index.extent =
            std::max({index.extent, std::fabs(static_cast<double>(v.x)),
                      std::fabs(static_cast<double>(v.y)), std::fabs(static_cast<double>(v.z))});
    }
}

void markLitVertices(SceneModel& model, int lightIndex, ShadowIndex& index) {
    const Light& light = model.lights[at(lightIndex)];
    markRangeBox(model, light);
    const LightFrame frame = makeFrame(light, index);
    countCandidates(model, index, frame);
    for (int f = 0; f < model.faceCount; ++f) {
        const bool nothingLeft =
            (index.bvh.nodes.empty() || index.candidates[0] == 0) && index.bvh.loose.empty();
        if (nothingLeft) {
            break;
        }
        const Face& face = model.faces[at(f)];
        if (!hasLitCorner(model, face)) {
            continue;
        }
        const Occluder o = makeOccluder(model, face);
        Query q{};
        q.o = &o;
        if (frame.distant) {
            q.nt = dot3(o.n, frame.t);
            if (q.nt > -kPlaneTolerance && q.nt < kPlaneTolerance) {
                continue;
            }
            prepareCylinderQuery(frame, q);
        } else {
            prepareConeQuery(frame, q);
        }
        if (!frame.cullable || !o.finite) {
            testEveryVertex(model, index, frame, q);
            continue;
        }
        traverse(model, index, frame, q);
        for (const std::int32_t vertex : index.bvh.loose) {
            testVertex(model, index, frame, q, vertex);
        }
    }
}

void markLitVertices(SceneModel& model, int lightIndex) {
    ShadowIndex index;
    buildShadowIndex(model, index);
    markLitVertices(model, lightIndex, index);
}

} // namespace kzo
