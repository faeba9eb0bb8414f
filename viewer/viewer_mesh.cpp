#include "viewer/viewer_mesh.h"

#include <utility>

namespace kzoview {

namespace {

// Every field but the arena, which moves by its own rules.
void takeArrays(ViewerMesh& to, ViewerMesh& from) {
    to.vertexArray = std::exchange(from.vertexArray, nullptr);
    to.vertexCount = std::exchange(from.vertexCount, 0);
    to.faceCount = std::exchange(from.faceCount, 0);
    to.faceStart = std::exchange(from.faceStart, nullptr);
    to.corners = std::exchange(from.corners, nullptr);
    to.cornerEdges = std::exchange(from.cornerEdges, nullptr);
    to.edges = std::exchange(from.edges, nullptr);
    to.edgeCount = std::exchange(from.edgeCount, 0u);
    to.frontFacing = std::exchange(from.frontFacing, nullptr);
    to.screenPoints = std::exchange(from.screenPoints, nullptr);
    to.pixelPoints = std::exchange(from.pixelPoints, nullptr);
    to.viewDistance = std::exchange(from.viewDistance, 0.0f);
}

} // namespace

ViewerMesh::ViewerMesh(ViewerMesh&& other) noexcept : arena(std::move(other.arena)) {
    takeArrays(*this, other);
}

ViewerMesh& ViewerMesh::operator=(ViewerMesh&& other) noexcept {
    if (this != &other) {
        arena = std::move(other.arena);
        takeArrays(*this, other);
    }
    return *this;
}

void resetMesh(ViewerMesh& mesh) {
    ViewerMesh empty;
    takeArrays(mesh, empty);
    freeAllTracked(mesh.arena);
}

} // namespace kzoview
