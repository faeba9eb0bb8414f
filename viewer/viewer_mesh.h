// The viewer's one mesh: vertices, faces and the shared edge list, all held in
// memory that the mesh's tracked allocator owns and releases in one sweep.
#pragma once

#include <cstdint>
#include <string>

namespace kzoview {

struct MeshVertex {
    float x = 0, y = 0, z = 0;      // model coordinates; turned in place by every paint
    float screenX = 0, screenY = 0; // window coordinates of the last paint
};

struct MeshEdge {
    std::int32_t frontFacing = 0; // set and read by every paint
    MeshVertex* v0 = nullptr;     // ends in the order of the face that created the edge
    MeshVertex* v1 = nullptr;
    MeshEdge* next = nullptr; // next edge of edgeList (newest first)
};

struct MeshFace {
    std::int32_t cornerCount = 0;   // 3 or more
    MeshVertex** corners = nullptr; // winding order as each loader states it
    MeshEdge** edges = nullptr;     // edges[j] joins corners[j] and corners[(j + 1) % n]
};

struct ViewerMesh {
    MeshVertex* vertexArray = nullptr;
    std::int32_t vertexCount = 0;
    MeshFace* faceArray = nullptr;
    std::int32_t faceCount = 0;
    MeshEdge* edgeList = nullptr; // every edge, newest first
    float viewDistance = 0;       // eye to mesh centre, set by NormalizeMesh
};

} // namespace kzoview
