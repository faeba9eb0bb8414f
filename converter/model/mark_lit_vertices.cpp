#include "converter/model/mark_lit_vertices.h"

#include "converter/model/shadow_pair_test.h"
#include "converter/model/shadow_tree_search.h"

#include <algorithm>
#include <cmath>

namespace kzo {

namespace shadow {

namespace {

void unlight(ShadowIndex& index, std::int32_t vertex) {
    index.lit[at(vertex)] = 0;
    removeFromShadowGrid(index.grid, vertex);
    const std::uint8_t state = index.state[at(vertex)];
    if (state == kNotCandidate) {
        return;
    }
    index.state[at(vertex)] = kNotCandidate;
    --index.remaining;
    index.farRemaining -= state == kFarCandidate ? 1 : 0;
    takeOffTreeCounts(index, vertex, state == kFarCandidate);
}

} // namespace

void testVertex(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                const Query& q, std::int32_t vertex) {
    if (index.lit[at(vertex)] == 0 || isCorner(*q.o, vertex)) {
        return;
    }
    const Vertex& vx = model.vertices[at(vertex)];
    const double v[3] = {vx.x, vx.y, vx.z};
    const bool unlit = light.distant ? distantLightUnlights(light, *q.o, q.nt, v)
                                     : pointLightUnlights(light, *q.o, q.side, v);
    if (unlit) {
        unlight(index, vertex);
    }
}

void testEveryVertex(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        testVertex(model, index, light, q, i);
    }
}

void testLooseVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                       const Query& q) {
    for (const std::int32_t vertex : index.looseVertices) {
        testVertex(model, index, light, q, vertex);
    }
}

} // namespace shadow

namespace {

using namespace shadow;

void markRangeBox(const SceneModel& model, ShadowIndex& index, const Light& light) {
    const bool ranged = light.range >= 0;
    double lo[3], hi[3];
    for (int a = 0; a < 3; ++a) {
        lo[a] = static_cast<double>(light.position[a]) - light.range;
        hi[a] = static_cast<double>(light.position[a]) + light.range;
    }
    for (int i = 0; i < model.vertexCount; ++i) {
        const Vertex& v = model.vertices[at(i)];
        const double p[3] = {v.x, v.y, v.z};
        bool inside = true;
        if (ranged) {
            for (int a = 0; a < 3; ++a) {
                inside = inside && p[a] >= lo[a] && p[a] <= hi[a];
            }
        }
        index.lit[at(i)] = inside ? 1 : 0;
    }
}

// Per light: which vertices can still be shadowed and which of those lie
// beyond the range sphere.
void classifyVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light) {
    index.remaining = 0;
    index.farRemaining = 0;
    index.farVertices.clear();
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& vx = model.vertices[at(i)];
        std::uint8_t state = kNotCandidate;
        const double v[3] = {vx.x, vx.y, vx.z};
        if (index.lit[at(i)] != 0 && finite3(v)) {
            state = kCandidate;
            if (!light.distant) {
                const double dv[3] = {light.q[0] - v[0], light.q[1] - v[1], light.q[2] - v[2]};
                const double dd = dot3(dv, dv);
                // Too close to the light to be shadowed at all; the relative
                // bound depends on the face, but takes in 0 for every face.
                const bool onTheLight = light.test == ShadowTest::relative
                                            ? dd <= 0
                                            : dd > -kPlaneTolerance && dd < kPlaneTolerance;
                if (onTheLight) {
                    state = kNotCandidate;
                } else if (light.ranged && light.range2 <= dd) {
                    state = kFarCandidate;
                }
            }
        }
        index.state[at(i)] = state;
        if (state == kFarCandidate) {
            index.farVertices.push_back(i);
        }
        index.remaining += state != kNotCandidate ? 1 : 0;
        index.farRemaining += state == kFarCandidate ? 1 : 0;
    }
}

LightFrame makeFrame(const Light& light, const ShadowIndex& index) {
    LightFrame frame{};
    frame.distant = light.type == kDistantLight;
    frame.test = index.test;
    frame.ranged = light.range >= 0;
    frame.range2 = static_cast<double>(light.range) * light.range;
    frame.scale = index.extent;
    for (int a = 0; a < 3; ++a) {
        frame.q[a] = light.position[a];
        frame.t[a] = -static_cast<double>(light.direction[a]);
    }
    frame.travel = std::sqrt(dot3(frame.t, frame.t));
    const double* values = frame.distant ? frame.t : frame.q;
    frame.cullable = finite3(values) && std::isfinite(frame.range2) && std::isfinite(frame.travel);
    if (frame.cullable && !frame.distant) {
        for (int a = 0; a < 3; ++a) {
            frame.scale = std::max(frame.scale, std::fabs(frame.q[a]));
        }
    }
    frame.pointRadius = widened(frame, 0);
    frame.pointRounding = productRounding(4 * frame.scale);
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

bool hasLitCorner(const ShadowIndex& index, const Face& face) {
    for (const std::uint16_t corner : face.vertexIndex) {
        if (index.lit[corner] != 0) {
            return true;
        }
    }
    return false;
}

// The windows of the grid where a face's shadow may appear: at most one per
// part of the view.
struct ShadowWindows {
    int count = 0;
    ViewTriangle triangle[6];
    ShadowGridWindow window[6];
};

void addWindow(const ShadowGrid& grid, int part, const double* a, const double* b, const double* c,
               double margin, ShadowWindows& windows) {
    ViewTriangle& triangle = windows.triangle[windows.count];
    widenViewTriangle(a, b, c, margin, triangle);
    // A window outside the part's span holds none of its vertices.
    if (cellsCovering(grid, part, triangle, windows.window[windows.count])) {
        ++windows.count;
    }
}

// The face's shadow in every part of a point light's view. The rays through
// the face are the positive combinations of the rays through its corners, so
// a part in front of which no corner lies holds none of them, and in a part
// in front of which every corner lies (the depth along its axis positive)
// they appear in the triangle of the corners projected onto that part's
// plane, even where the corners themselves belong to other parts. A corner
// beside or barely in front of a part whose rays the face may reach leaves
// the face to the trees.
bool shadowInEveryPart(const ShadowGrid& grid, const Occluder& o, double margin,
                       ShadowWindows& windows) {
    // Keeps the projected corners within a thousand times the part's span.
    constexpr double kLeastDepth = 1e-3;
    double c[3][3];
    double largest[3];
    for (int k = 0; k < 3; ++k) {
        const double d[3] = {o.k[k][0] - grid.origin[0], o.k[k][1] - grid.origin[1],
                             o.k[k][2] - grid.origin[2]};
        for (int a = 0; a < 3; ++a) {
            c[k][a] = dot3(d, grid.axes[a]);
        }
        largest[k] = std::max({std::fabs(c[k][0]), std::fabs(c[k][1]), std::fabs(c[k][2])});
    }
    for (int part = 0; part < 6; ++part) {
        if (grid.parts[part].columns == 0) {
            continue;
        }
        const int major = part / 2;
        const double sign = part % 2 == 0 ? 1 : -1;
        int inFront = 0;
        bool projects = true;
        for (int k = 0; k < 3; ++k) {
            const double depth = sign * c[k][major];
            inFront += depth > 0 ? 1 : 0;
            projects = projects && depth > kLeastDepth * largest[k];
        }
        if (inFront == 0) {
            continue;
        }
        if (!projects) {
            return false;
        }
        double view[3][2];
        for (int k = 0; k < 3; ++k) {
            const double depth = sign * c[k][major];
            view[k][0] = c[k][major == 0 ? 1 : 0] / depth;
            view[k][1] = c[k][major == 2 ? 1 : 2] / depth;
        }
        addWindow(grid, part, view[0], view[1], view[2], margin, windows);
    }
    return true;
}

// Where a point light's occluder may cast its shadow in the grid. A vertex
// that the exact test shadows lies on the ray from the light through the
// computed crossing point. That point is off by rounding in proportion to the
// scene, and lies at least the light's distance from the plane away from the
// light, so the ray is off by an angle near 1e-15 times the scene over that
// distance: 1e-9 when the light stands clear of the plane, where a margin of
// 1e-6 in the view (which magnifies angles at most fourfold) is ample. Closer
// to the plane the margin grows as the angle does. Most faces lie well inside
// one part, and their corners' view positions are at hand.
bool pointShadowWindows(const ShadowGrid& grid, const LightFrame& light, const Occluder& o,
                        double sideValue, ShadowWindows& windows) {
    constexpr double kViewMargin = 1e-6;
    constexpr double kInnerView = 1 - 1e-4;
    if (!lightClearOfPlane(light, o, sideValue)) {
        const double margin = 1e-12 * planeScale(light, o) / std::fabs(sideValue);
        // Beyond that the light stands all but in the plane: left to the trees.
        return margin <= 1e-2 && shadowInEveryPart(grid, o, margin, windows);
    }
    const int part = grid.part[at(o.corners[0])];
    const double* corners[3];
    for (int k = 0; k < 3; ++k) {
        const std::int32_t corner = o.corners[k];
        corners[k] = &grid.view[2 * at(corner)];
        if (part < 0 || grid.part[at(corner)] != part ||
            !(std::fabs(corners[k][0]) <= kInnerView && std::fabs(corners[k][1]) <= kInnerView)) {
            return shadowInEveryPart(grid, o, kViewMargin, windows);
        }
    }
    addWindow(grid, part, corners[0], corners[1], corners[2], kViewMargin, windows);
    return true;
}

// The same for a distant light, whose view is a plane across its travel: a
// shadowed vertex lies on a line along the travel through the crossing point,
// which is off by rounding at most by distantCrossingMargin.
bool distantShadowWindows(const ShadowGrid& grid, const LightFrame& light, const Occluder& o,
                          double nt, ShadowWindows& windows) {
    const double* corners[3];
    for (int k = 0; k < 3; ++k) {
        const std::int32_t corner = o.corners[k];
        if (grid.part[at(corner)] != 0) {
            return false;
        }
        corners[k] = &grid.view[2 * at(corner)];
    }
    addWindow(grid, 0, corners[0], corners[1], corners[2], distantCrossingMargin(light, o, nt),
              windows);
    return true;
}

void testWindow(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                const Query& q, const ViewTriangle& triangle, const ShadowGridWindow& window) {
    forEachVertexInTriangle(index.grid, triangle, window, q.o->corners, [&](std::int32_t vertex) {
        testVertex(model, index, light, q, vertex);
    });
}

// The vertices beyond the range sphere, which any plane they lie behind
// unlights: tried from a list while they leave it quickly, as they do when the
// light stands outside the scene, else through the vertex tree, which skips
// the planes they all lie in front of.
void testBeyondRange(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q) {
    if (index.treesCounted || index.farBudget <= 0) {
        prepareTrees(model, index);
        shadow::testFarVertices(model, index, light, q);
        return;
    }
    std::size_t kept = 0;
    for (const std::int32_t vertex : index.farVertices) {
        if (index.state[at(vertex)] == kFarCandidate) {
            index.farVertices[kept++] = vertex;
            testVertex(model, index, light, q, vertex);
        }
    }
    index.farVertices.resize(kept);
    index.farBudget -= static_cast<std::int64_t>(kept);
}

// True when the face can unlight only vertices beyond the range: the inside
// test cannot pass for any crossing point of a vertex that the grid yields.
// With a point light clear of the plane (or nearly so, as the grid takes it),
// that point lies on the segment from the vertex to the light, to a few parts
// in a million, so within the box of the scene and the light, 2 sqrt(3) scale
// from any corner (pointRounding). A distant light's crossing lies |s / nt| |T|
// from the vertex, with |s| bounded by planeScale.
bool reachesOnlyBeyondRange(const LightFrame& light, const Occluder& o, double nt,
                            double sideValue) {
    if (!cannotEnclose(o, 0)) {
        return false;
    }
    if (!light.distant) {
        return std::fabs(sideValue) > 1e-10 * planeScale(light, o) &&
               cannotEnclose(o, light.pointRounding);
    }
    const double reach = 4 * light.scale + 2 * planeScale(light, o) * light.travel / std::fabs(nt);
    return cannotEnclose(o, productRounding(reach));
}

void tryOccluder(const SceneModel& model, ShadowIndex& index, const LightFrame& frame,
                 int faceIndex) {
    const Occluder& o = index.occluders[at(faceIndex)];
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
    if (frame.gridReady && o.finite && reachesOnlyBeyondRange(frame, o, q.nt, sideValue)) {
        if (index.farRemaining > 0) {
            testBeyondRange(model, index, frame, q);
        }
        testLooseVertices(model, index, frame, q);
        return;
    }
    ShadowWindows windows;
    const bool inGrid =
        frame.gridReady && o.finite &&
        (frame.distant ? distantShadowWindows(index.grid, frame, o, q.nt, windows)
                       : pointShadowWindows(index.grid, frame, o, sideValue, windows));
    if (!inGrid) {
        testThroughTrees(model, index, frame, q, faceIndex, sideValue);
        return;
    }
    if (index.farRemaining > 0) {
        testBeyondRange(model, index, frame, q);
    }
    for (int w = 0; w < windows.count; ++w) {
        testWindow(model, index, frame, q, windows.triangle[w], windows.window[w]);
    }
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
    bucketLitVertices(index.grid, index.lit.data(), model.vertexCount);
}

} // namespace

void buildShadowIndex(const SceneModel& model, ShadowIndex& index, ShadowTest test) {
    const auto vertexCount = at(std::max(model.vertexCount, 0));
    index.test = test;
    index.lit.assign(vertexCount, 0);
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
    index.occluders.resize(at(std::max(model.faceCount, 0)));
    for (int i = 0; i < model.faceCount; ++i) {
        index.occluders[at(i)] = makeOccluder(model, model.faces[at(i)], test);
    }
    index.state.assign(vertexCount, kNotCandidate);
    sizeShadowGrid(index.grid, model.vertexCount);
    index.ownTrees.built = false;
    index.sharedTrees = nullptr;
    index.treeLock = nullptr;
    index.countsSized = false;
    index.treesCounted = false;
}

void markLitInIndex(const SceneModel& model, int lightIndex, ShadowIndex& index) {
    const Light& light = model.lights[at(lightIndex)];
    markRangeBox(model, index, light);
    LightFrame frame = makeFrame(light, index);
    classifyVertices(model, index, frame);
    index.treesCounted = false;
    // The list's work for the light before the tree takes over: a few times
    // what counting the tree's nodes costs.
    index.farBudget = 4 * (static_cast<std::int64_t>(model.vertexCount) + model.faceCount);
    prepareGrid(model, index, frame);
    for (int f = 0; f < model.faceCount; ++f) {
        if (index.remaining == 0 && index.looseVertices.empty()) {
            break;
        }
        if (hasLitCorner(index, model.faces[at(f)])) {
            tryOccluder(model, index, frame, f);
        }
    }
}

void markLitVertices(SceneModel& model, int lightIndex, ShadowIndex& index) {
    markLitInIndex(model, lightIndex, index);
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        model.vertices[at(i)].counter = index.lit[at(i)];
    }
}

void markLitVertices(SceneModel& model, int lightIndex) {
    ShadowIndex index;
    buildShadowIndex(model, index);
    markLitVertices(model, lightIndex, index);
}

std::int32_t facesTooSmallToCast(const SceneModel& model) {
    std::int32_t count = 0;
    for (std::int32_t i = 0; i < model.faceCount; ++i) {
        const Occluder o = makeOccluder(model, model.faces[at(i)], ShadowTest::classic);
        // Products of 4 A1 A2 with A1 + A2 + A3 = A reach at most 4 A^2 / 9,
        // a ninth of the squared doubled area.
        const double peak = doubledAreaSquared(o.k) / 9;
        count += peak > 0 && peak <= kInsideThreshold ? 1 : 0;
    }
    return count;
}

} // namespace kzo
