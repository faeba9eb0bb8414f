// Which side of a triangle is its front, for every view of the viewer.
//
// The converter's 3DS reader exchanges y and z, a mirror, so a triangle that
// 3D Studio winds counter-clockwise around its outside normal ends up with
// its outside where (P0 - P1) x (P2 - P1) points; the converter's normals and
// the engine's lighting use that same vector. The viewer looks along +z with
// y up, and its loaders order the corners of other formats to agree, so on
// screen (y growing downwards) a front face runs counter-clockwise as the
// user sees it: screenWinding is then positive.
#pragma once

#include "viewer/shaded_model.h"

namespace kzoview {

// The outside normal of the triangle p0 p1 p2 (not normalised).
inline Vec3f frontNormal(const Vec3f& p0, const Vec3f& p1, const Vec3f& p2) {
    const Vec3f a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
    const Vec3f b{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Twice the signed area of a triangle in window coordinates: positive when its
// corners run counter-clockwise as the user sees the window. The wireframe
// draws an edge white when this is 0 or more for one of its faces.
inline float screenWinding(float x0, float y0, float x1, float y1, float x2, float y2) {
    return (x0 - x1) * (y2 - y1) - (y0 - y1) * (x2 - x1);
}

// The filled views draw only the front: a triangle seen edge-on covers no
// pixel, so zero is left out with the back faces.
inline bool showsFront(float winding) {
    return winding > 0.0f;
}

} // namespace kzoview
