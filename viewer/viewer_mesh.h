// The viewer's one mesh: vertices, faces and the shared edge list, all held in
// memory that the mesh's tracked allocator owns and releases in one sweep.
#pragma once

#include "viewer/edge_index.h"
#include "viewer/tracked_alloc.h"

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

// Owns all its memory through arena; moving a mesh moves that ownership and
// leaves the source empty. Not copyable: its records point into one another.
struct ViewerMesh {
    ViewerMesh() = default;
    ViewerMesh(const ViewerMesh&) = delete;
    ViewerMesh& operator=(const ViewerMesh&) = delete;
    ViewerMesh(ViewerMesh&& other) noexcept;
    ViewerMesh& operator=(ViewerMesh&& other) noexcept;
    ~ViewerMesh() = default;

    MeshVertex* vertexArray = nullptr;
    std::int32_t vertexCount = 0;
    MeshFace* faceArray = nullptr;
    std::int32_t faceCount = 0;
    MeshEdge* edgeList = nullptr; // every edge, newest first
    float viewDistance = 0;       // eye to mesh centre, set by NormalizeMesh

    TrackedArena arena;  // every array, corner list and edge above lives here
    EdgeIndex edgeIndex; // finds edgeList entries by vertex pair
};

// Releases every block and empties the mesh.
void resetMesh(ViewerMesh& mesh);

// The edge joining a and b in either direction: the first such edge of
// edgeList, or a new one (v0 = a, v1 = b) linked in front of it. An edge from a
// vertex to itself also counts as joining that vertex to any other, as a walk
// of the list testing "both ends are a or b" would find it.
MeshEdge* FindOrAddEdge(ViewerMesh& mesh, MeshVertex* a, MeshVertex* b);

} // namespace kzoview
