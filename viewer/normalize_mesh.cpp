#include "viewer/normalize_mesh.h"

#include "viewer/viewer_error.h"

#include <cmath>

namespace kzoview {

void NormalizeMesh(ViewerMesh& mesh) {
    if (mesh.vertexCount <= 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    const MeshVertex& first = mesh.vertexArray[0];
    float minimum[3] = {first.x, first.y, first.z};
    float maximum[3] = {first.x, first.y, first.z};
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const MeshVertex& v = mesh.vertexArray[i];
        const float value[3] = {v.x, v.y, v.z};
        for (int axis = 0; axis < 3; ++axis) {
            if (maximum[axis] < value[axis]) {
                maximum[axis] = value[axis];
            }
            if (minimum[axis] > value[axis]) {
                minimum[axis] = value[axis];
            }
        }
    }
    if (maximum[0] == minimum[0] && maximum[1] == minimum[1] && maximum[2] == minimum[2]) {
        mesh.vertexCount = 0;
        mesh.faceCount = 0;
        fatalError("Object bounding volume is zero !!!");
    }
    float centre[3];
    float largestHalf = 0;
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = (maximum[axis] + minimum[axis]) * 0.5f;
        const float half = (maximum[axis] - minimum[axis]) * 0.5f;
        if (half > largestHalf) {
            largestHalf = half;
        }
        // Coordinates near the float limit would centre to infinities, which
        // no projection can draw.
        if (!std::isfinite(centre[axis]) || !std::isfinite(half)) {
            fatalError("Object bounding volume is too large !!!");
        }
    }
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        MeshVertex& v = mesh.vertexArray[i];
        v.x = v.x - centre[0];
        v.y = v.y - centre[1];
        v.z = v.z - centre[2];
    }
    mesh.viewDistance = 4.0f * largestHalf;
}

} // namespace kzoview
