#include "viewer/wireframe.h"

#include "viewer/line_raster.h"

#include <algorithm>

namespace kzoview {

namespace {

void turnAndProject(ViewerMesh& mesh, const Matrix3& rotation, float scale, float cx, float cy) {
    const auto& r = rotation.r;
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        MeshVertex& v = mesh.vertexArray[i];
        const float x = v.x * r[0] + v.y * r[3] + v.z * r[6];
        const float y = v.x * r[1] + v.y * r[4] + v.z * r[7];
        const float z = v.x * r[2] + v.y * r[5] + v.z * r[8];
        v.x = x;
        v.y = y;
        v.z = z;
        const float depth = mesh.viewDistance + z;
        v.screenX = cx + scale * x / depth;
        v.screenY = cy - scale * y / depth; // window y grows downwards, model y points up
    }
}

// An edge is white when at least one of its faces faces the viewer: the
// corners run counter-clockwise on screen, or lie on one line.
void markFrontFacingEdges(ViewerMesh& mesh) {
    for (MeshEdge* e = mesh.edgeList; e != nullptr; e = e->next) {
        e->frontFacing = 0;
    }
    for (std::int32_t i = 0; i < mesh.faceCount; ++i) {
        const MeshFace& f = mesh.faceArray[i];
        if (f.cornerCount < 3) {
            continue;
        }
        const MeshVertex& p0 = *f.corners[0];
        const MeshVertex& p1 = *f.corners[1];
        const MeshVertex& p2 = *f.corners[2];
        const float d = (p0.screenX - p1.screenX) * (p2.screenY - p1.screenY) -
                        (p0.screenY - p1.screenY) * (p2.screenX - p1.screenX);
        if (d >= 0.0f) {
            for (std::int32_t j = 0; j < f.cornerCount; ++j) {
                f.edges[j]->frontFacing = 1;
            }
        }
    }
}

void drawEdges(const ViewerMesh& mesh, RasterImage& image, bool frontFacing, std::uint32_t color) {
    for (const MeshEdge* e = mesh.edgeList; e != nullptr; e = e->next) {
        if ((e->frontFacing != 0) != frontFacing) {
            continue;
        }
        const auto x0 = pixelCoordinate(e->v0->screenX);
        const auto y0 = pixelCoordinate(e->v0->screenY);
        const auto x1 = pixelCoordinate(e->v1->screenX);
        const auto y1 = pixelCoordinate(e->v1->screenY);
        if (x0 && y0 && x1 && y1) {
            drawLine(image, *x0, *y0, *x1, *y1, color);
        }
    }
}

} // namespace

bool DrawWireframe(ViewerMesh& mesh, ViewState& view, int clientWidth, int clientHeight,
                   RasterImage& image) {
    // A client area is never wider than a window system allows; the bound
    // keeps W + 1 from overflowing for any argument.
    constexpr int kMaxClientSize = 1 << 24;
    const int w = std::clamp(clientWidth, 0, kMaxClientSize);
    const int h = std::clamp(clientHeight, 0, kMaxClientSize);
    resetImage(image, w + 1, h + 1, kBlack);
    if (mesh.vertexCount <= 0 || mesh.faceCount <= 0) {
        return false;
    }
    const float scale = 1.5f * static_cast<float>(std::min(w, h));
    const auto cx = static_cast<float>(w / 2);
    const auto cy = static_cast<float>(h / 2);
    turnAndProject(mesh, view.rotation, scale, cx, cy);
    markFrontFacingEdges(mesh);
    drawEdges(mesh, image, false, kGrey);
    drawEdges(mesh, image, true, kWhite);
    view.rotation = kIdentityMatrix;
    return true;
}

} // namespace kzoview
