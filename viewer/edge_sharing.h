// The faces of a mesh and their shared edges, as the loaders build them: the
// corners of every face are placed first, then the edges are made in one go.
#pragma once

#include "viewer/viewer_mesh.h"

#include <cstddef>
#include <cstdint>

namespace kzoview {

struct FacePlacement {
    std::size_t cornerCapacity = 0;
    std::uint32_t cornersPlaced = 0;
};

// Gives the mesh its face arrays for faceCount faces holding at most
// cornerCount corners together (pages beyond the corners placed are never
// touched). Throws std::bad_alloc, or the arena's memory error, when memory
// is refused.
FacePlacement startFaces(ViewerMesh& mesh, std::size_t faceCount, std::size_t cornerCount);

// Places face number face, the next one in order, with cornerCount corners
// and returns where its vertex numbers go.
std::uint32_t* addFace(ViewerMesh& mesh, FacePlacement& placement, std::int32_t face,
                       std::uint32_t cornerCount);

// Places faceCount faces of cornersEach corners, numbers firstFace onwards,
// and returns where their vertex numbers go, face after face.
std::uint32_t* addFaces(ViewerMesh& mesh, FacePlacement& placement, std::int32_t firstFace,
                        std::uint32_t faceCount, std::uint32_t cornersEach);

// Makes the edges of the mesh's faceCount placed faces, and the arrays every
// paint fills (frontFacing, screenPoints, pixelPoints). The result is that of sharing each face's
// edges in face order, corner by corner, through a walk of the newest-first edge list that takes
// the first edge whose two ends are each one of the pair's ends, and adds the pair as a new edge
// when there is none. So an edge from a vertex to itself also stands for any edge of that vertex
// made after it.
//
// Each vertex keeps a list of the edges whose lower end it is, where the
// pairs look for their edges in one walk of the corners; a mesh with a loop,
// or whose lists grow long (a vertex of very many faces), has its pairs
// bucketed by their lower vertex number (a counting sort) instead. Either way
// the cost is linear in the corner count, and the lists or buckets are
// released at the end.
// Throws std::bad_alloc, or the arena's memory error, when memory is refused.
void shareEdges(ViewerMesh& mesh);

} // namespace kzoview
