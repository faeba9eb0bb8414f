// The viewer's one mesh in flat arrays: vertices, faces as runs of 32-bit
// corner numbers, and the shared edges as pairs of vertex numbers. Every array
// lives in the mesh's tracked arena and is released with it in one sweep;
// nothing is allocated per face or per edge.
#pragma once

#include "viewer/tracked_alloc.h"

#include <climits>
#include <cstdint>

namespace kzoview {

struct MeshVertex {
    float x = 0, y = 0, z = 0; // model coordinates; turned in place by every paint
};

// Window coordinates of a vertex in the last paint. Apart from the vertices,
// so that the paint's face walk reads 8 bytes of each corner's vertex.
struct ScreenPoint {
    float x;
    float y;
};

// Ends as vertex numbers, in the order of the face that created the edge.
// Trivial, so that an edge array needs no pass that clears it.
struct MeshEdge {
    std::uint32_t v0;
    std::uint32_t v1;
};

// A window position in whole pixels, as the paint draws an edge's end.
struct PixelPoint {
    std::int32_t x;
    std::int32_t y;
};
// PixelPoint::x of a point with a NaN coordinate, which names no pixel.
inline constexpr std::int32_t kNoPixel = INT32_MIN;

// Owns all its memory through arena; moving a mesh moves that ownership and
// leaves the source empty. Not copyable: its arrays live in its arena.
struct ViewerMesh {
    ViewerMesh() = default;
    ViewerMesh(const ViewerMesh&) = delete;
    ViewerMesh& operator=(const ViewerMesh&) = delete;
    ViewerMesh(ViewerMesh&& other) noexcept;
    ViewerMesh& operator=(ViewerMesh&& other) noexcept;
    ~ViewerMesh() = default;

    MeshVertex* vertexArray = nullptr;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    // Face i has the corners corners[faceStart[i]] to corners[faceStart[i + 1] - 1]
    // in its winding order; faceStart has faceCount + 1 entries.
    std::uint32_t* faceStart = nullptr;
    std::uint32_t* corners = nullptr; // vertex numbers
    // cornerEdges[k] is the edge from corner k to the next corner of its face
    // (the last corner's edge leads back to the first).
    std::uint32_t* cornerEdges = nullptr;
    // Edges in creation order. The edge list that the paint walks runs newest
    // first: from edges[edgeCount - 1] down to edges[0].
    MeshEdge* edges = nullptr;
    std::uint32_t edgeCount = 0;
    std::uint8_t* frontFacing = nullptr; // per edge, set and read by every paint
    ScreenPoint* screenPoints = nullptr; // per vertex, set and read by every paint
    PixelPoint* pixelPoints = nullptr;   // per vertex, set and read by every paint
    float viewDistance = 0;              // eye to mesh centre, set by NormalizeMesh

    TrackedArena arena; // every array above lives here
};

// Releases every array and empties the mesh.
void resetMesh(ViewerMesh& mesh);

inline std::uint32_t cornerCountOf(const ViewerMesh& mesh, std::int32_t face) {
    return mesh.faceStart[face + 1] - mesh.faceStart[face];
}

} // namespace kzoview
