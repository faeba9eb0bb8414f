#pragma once

#include "viewer/viewer_mesh.h"

#include <cmath>
#include <cstdint>

namespace kzoview {

// The bounding box of vertices as they are met, for the checks NormalizeMesh
// makes; a summary load keeps only this of its vertices.
struct VertexBounds {
    std::int64_t count = 0;
    std::int64_t firstNotFinite = -1; // number of the first vertex with a NaN or infinity
    float minimum[3] = {0, 0, 0};
    float maximum[3] = {0, 0, 0};
};

// Inline: loaders meet every vertex of a file through it.
inline void addVertex(VertexBounds& bounds, float x, float y, float z) {
    const float value[3] = {x, y, z};
    if (bounds.firstNotFinite < 0 && !(std::isfinite(x) && std::isfinite(y) && std::isfinite(z))) {
        bounds.firstNotFinite = bounds.count;
    }
    if (bounds.count++ == 0) {
        for (int axis = 0; axis < 3; ++axis) {
            bounds.minimum[axis] = bounds.maximum[axis] = value[axis];
        }
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if (bounds.maximum[axis] < value[axis]) {
            bounds.maximum[axis] = value[axis];
        }
        if (bounds.minimum[axis] > value[axis]) {
            bounds.minimum[axis] = value[axis];
        }
    }
}

struct MeshPlacement {
    float centre[3] = {0, 0, 0};
    float viewDistance = 0;
};

// Where a mesh of finite vertices with these bounds is centred and how far the
// eye stands. Throws FatalError "Object vertex count or face count is zero !!!"
// without vertices, "Object bounding volume is zero !!!" when all vertices
// coincide, and "Object bounding volume is too large !!!" when the centre or
// an extent does not fit a float.
MeshPlacement placeMesh(const VertexBounds& bounds);

// Centres the mesh on its bounding box and sets viewDistance to four times the
// largest half-extent. Fails as placeMesh does; a mesh whose vertices all
// coincide is left with no vertices and no faces.
void NormalizeMesh(ViewerMesh& mesh);

} // namespace kzoview
