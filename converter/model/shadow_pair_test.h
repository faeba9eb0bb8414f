// What the shadow marking's two searches share: the exact test of one
// (face, vertex) pair, the light and the occluder widened to double, and the
// margins that keep the searches' bounds conservative. Used only by
// mark_lit_vertices.cpp and shadow_tree_search.cpp.
#pragma once

#include "converter/model/double3.h"
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/shadow_occluder.h"
#include "converter/model/shadow_options.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace kzo::shadow {

constexpr double kPlaneTolerance = 0.0001;
constexpr double kInsideThreshold = static_cast<double>(0.00001f);
// Margins of the conservative bounds. The exact test works in double on
// float inputs, so its rounding stays near 1e-15 of the scene's size; these
// margins are many orders of magnitude wider.
constexpr double kRelativeMargin = 1e-8;
// ShadowIndex::state
constexpr std::uint8_t kNotCandidate = 0;
constexpr std::uint8_t kCandidate = 1;
constexpr std::uint8_t kFarCandidate = 2;

inline std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

// The squared length of (K1 - K0) x (K2 - K0), four times the squared area.
inline double doubledAreaSquared(const double (&k)[3][3]) {
    const double e1[3] = {k[1][0] - k[0][0], k[1][1] - k[0][1], k[1][2] - k[0][2]};
    const double e2[3] = {k[2][0] - k[0][0], k[2][1] - k[0][1], k[2][2] - k[0][2]};
    double n[3];
    cross3(e1, e2, n);
    return dot3(n, n);
}

inline Occluder makeOccluder(const SceneModel& model, const Face& face, ShadowTest test) {
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
    o.relative = test == ShadowTest::relative;
    // Powers of two scale every product of the test exactly, and these
    // scale with them.
    o.insideThreshold = o.relative ? kInsideThreshold * doubledAreaSquared(o.k) : kInsideThreshold;
    o.nearLight = o.relative ? kPlaneTolerance * o.radiusSquared : kPlaneTolerance;
    // Wherever P lies, the three cross products of the inside test sum to
    // (K1 - K0) x (K2 - K0) = N, so the sum of their pairwise products is
    // (|N|^2 - sum |Xi|^2) / 2 <= |N|^2 / 3, and the least of them is at most
    // |N|^2 / 9. The factor takes in the rounding of |N|^2.
    o.peakProduct = doubledAreaSquared(o.k) / 9 * (1 + 1e-6);
    o.finite = finite3(o.n) && std::isfinite(o.d) && finite3(o.c) &&
               std::isfinite(o.radiusSquared) && finite3(o.k[0]) && finite3(o.k[1]) &&
               finite3(o.k[2]);
    return o;
}

// The rounding of the inside test's products for a crossing point within
// reach of every corner: 21 units in the last place of reach^4, taken
// generously.
inline double productRounding(double reach) {
    const double reach2 = reach * reach;
    return 1e-13 * (reach2 * reach2);
}

// True when no crossing point whose products round by at most rounding can
// pass the inside test. Only the classic test has a threshold that a small
// face cannot reach.
inline bool cannotEnclose(const Occluder& o, double rounding) {
    return !o.relative && o.peakProduct + rounding <= o.insideThreshold;
}

// The vertex stands on the light, where no face shadows it. The relative
// bound includes 0, so a vertex exactly on the light is on it for every face.
inline bool onLight(const Occluder& o, double dd) {
    return o.relative ? dd <= o.nearLight : dd > -o.nearLight && dd < o.nearLight;
}

inline bool isCorner(const Occluder& o, std::int32_t vertex) {
    return vertex == o.corners[0] || vertex == o.corners[1] || vertex == o.corners[2];
}

// P strictly inside the occluder: the three corner cross products agree with
// a margin, so a point on an edge or a corner stays outside.
inline bool strictlyInside(const Occluder& o, const double* p) {
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
    return dot3(x1, x2) > o.insideThreshold && dot3(x2, x3) > o.insideThreshold &&
           dot3(x3, x1) > o.insideThreshold;
}

struct LightFrame {
    bool distant;
    ShadowTest test;
    double q[3];   // point and spot: the position
    double t[3];   // distant: the direction the light travels
    bool ranged;   // range >= 0
    double range2; // range squared
    bool cullable; // every value finite, so the node tests may be used
    double scale;  // largest absolute coordinate of the scene and the light
    double travel; // |t|
    double unitTravel[3];
    double distantMargin; // bounds every face's cylinder margin
    double pointRounding; // productRounding of a point light's crossing points
    double pointRadius;   // a vertex as a sphere, for the node tests
    bool gridReady;       // the index's grid holds this light's view
};

// The shadow test of a point or spot light for one (face, vertex) pair; true
// when the face puts the vertex in shadow or the vertex lies beyond the range.
inline bool pointLightUnlights(const LightFrame& light, const Occluder& o, double side,
                               const double* v) {
    const double s = dot3(o.n, v) + o.d;
    if (side > 0 ? s >= 0 : s <= 0) {
        return false;
    }
    const double dv[3] = {light.q[0] - v[0], light.q[1] - v[1], light.q[2] - v[2]};
    const double dd = dot3(dv, dv);
    if (onLight(o, dd)) {
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
inline bool distantLightUnlights(const LightFrame& light, const Occluder& o, double nt,
                                 const double* v) {
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
inline double planeScale(const LightFrame& light, const Occluder& o) {
    const double normalSize = std::fabs(o.n[0]) + std::fabs(o.n[1]) + std::fabs(o.n[2]);
    return normalSize * 2 * light.scale + std::fabs(o.d);
}

// The light stands clear of the occluder's plane (sideValue = n . Q + d), so
// the crossing point of a shadowed vertex's line lies well away from the
// light, and the vertex sits on the ray from the light through that point up
// to a tiny angle.
inline bool lightClearOfPlane(const LightFrame& light, const Occluder& o, double sideValue) {
    return std::fabs(sideValue) > 1e-6 * planeScale(light, o);
}

// How far the crossing point v + t T of a distant light may stray by
// rounding: in proportion to the scene and to t T.
inline double distantCrossingMargin(const LightFrame& light, const Occluder& o, double nt) {
    return kRelativeMargin * (light.scale + planeScale(light, o) * light.travel / std::fabs(nt));
}

inline double widened(const LightFrame& light, double radius) {
    return radius * (1 + kRelativeMargin) + kRelativeMargin * light.scale;
}

// Runs the exact test of the query's occluder on the vertex, unless it is a
// corner of the occluder or already unlit, and unlights it when the test
// says so.
void testVertex(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                const Query& q, std::int32_t vertex);
void testEveryVertex(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q);
// The vertices with a NaN or infinite coordinate.
void testLooseVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                       const Query& q);

} // namespace kzo::shadow
