#include "viewer/normalize_mesh.h"

#include "viewer/viewer_error.h"

#include <cmath>

namespace kzoview {

namespace {

bool allCoincide(const VertexBounds& b) {
    return b.maximum[0] == b.minimum[0] && b.maximum[1] == b.minimum[1] &&
           b.maximum[2] == b.minimum[2];
}

} // namespace

MeshPlacement placeMesh(const VertexBounds& bounds) {
    if (bounds.count <= 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    if (allCoincide(bounds)) {
        fatalError("Object bounding volume is zero !!!");
    }
    MeshPlacement place;
    float largestHalf = 0;
    for (int axis = 0; axis < 3; ++axis) {
        place.centre[axis] = (bounds.maximum[axis] + bounds.minimum[axis]) * 0.5f;
        const float half = (bounds.maximum[axis] - bounds.minimum[axis]) * 0.5f;
        if (half > largestHalf) {
            largestHalf = half;
        }
        // Coordinates near the float limit would centre to infinities, which
        // no projection can draw.
        if (!std::isfinite(place.centre[axis]) || !std::isfinite(half)) {
            fatalError("Object bounding volume is too large !!!");
        }
    }
    place.viewDistance = 4.0f * largestHalf;
    return place;
}

void NormalizeMesh(ViewerMesh& mesh) {
    VertexBounds bounds;
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const MeshVertex& v = mesh.vertexArray[i];
        addVertex(bounds, v.x, v.y, v.z);
    }
    if (bounds.count > 0 && allCoincide(bounds)) {
        mesh.vertexCount = 0;
        mesh.faceCount = 0;
    }
    const MeshPlacement place = placeMesh(bounds);
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        MeshVertex& v = mesh.vertexArray[i];
        v.x = v.x - place.centre[0];
        v.y = v.y - place.centre[1];
        v.z = v.z - place.centre[2];
    }
    mesh.viewDistance = place.viewDistance;
}

} // namespace kzoview
