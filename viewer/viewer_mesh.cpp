#include "viewer/viewer_mesh.h"

#include <functional>
#include <utility>

namespace kzoview {

ViewerMesh::ViewerMesh(ViewerMesh&& other) noexcept
    : vertexArray(std::exchange(other.vertexArray, nullptr)),
      vertexCount(std::exchange(other.vertexCount, 0)),
      faceArray(std::exchange(other.faceArray, nullptr)),
      faceCount(std::exchange(other.faceCount, 0)),
      edgeList(std::exchange(other.edgeList, nullptr)),
      viewDistance(std::exchange(other.viewDistance, 0.0f)), arena(std::move(other.arena)),
      edgeIndex(std::exchange(other.edgeIndex, EdgeIndex{})) {}

ViewerMesh& ViewerMesh::operator=(ViewerMesh&& other) noexcept {
    if (this != &other) {
        vertexArray = std::exchange(other.vertexArray, nullptr);
        vertexCount = std::exchange(other.vertexCount, 0);
        faceArray = std::exchange(other.faceArray, nullptr);
        faceCount = std::exchange(other.faceCount, 0);
        edgeList = std::exchange(other.edgeList, nullptr);
        viewDistance = std::exchange(other.viewDistance, 0.0f);
        arena = std::move(other.arena);
        edgeIndex = std::exchange(other.edgeIndex, EdgeIndex{});
    }
    return *this;
}

void resetMesh(ViewerMesh& mesh) {
    mesh.vertexArray = nullptr;
    mesh.vertexCount = 0;
    mesh.faceArray = nullptr;
    mesh.faceCount = 0;
    mesh.edgeList = nullptr;
    mesh.viewDistance = 0;
    clearEdgeIndex(mesh.edgeIndex);
    freeAllTracked(mesh.arena);
}

MeshEdge* FindOrAddEdge(ViewerMesh& mesh, MeshVertex* a, MeshVertex* b) {
    const MeshVertex* lo = a;
    const MeshVertex* hi = b;
    if (std::less<const MeshVertex*>{}(hi, lo)) {
        std::swap(lo, hi);
    }
    const EdgeIndex::Slot* found = findIndexedEdge(mesh.edgeIndex, lo, hi);
    if (lo != hi && mesh.edgeIndex.selfLoops != 0) {
        // A loop at either end matches too; the newest candidate is the one a
        // walk from the list head meets first.
        for (const MeshVertex* end : {lo, hi}) {
            const EdgeIndex::Slot* loop = findIndexedEdge(mesh.edgeIndex, end, end);
            if (loop != nullptr && (found == nullptr || loop->created > found->created)) {
                found = loop;
            }
        }
    }
    if (found != nullptr) {
        return found->edge;
    }
    MeshEdge* edge = trackedArray<MeshEdge>(mesh.arena, 1);
    edge->v0 = a;
    edge->v1 = b;
    edge->next = mesh.edgeList;
    addIndexedEdge(mesh.edgeIndex, edge);
    mesh.edgeList = edge;
    return edge;
}

} // namespace kzoview
