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
        const float screenX = cx + scale * x / depth;
        const float screenY = cy - scale * y / depth; // window y grows downwards, model y points up
        mesh.screenPoints[i] = ScreenPoint{screenX, screenY};
        const auto px = pixelCoordinate(screenX);
        const auto py = pixelCoordinate(screenY);
        mesh.pixelPoints[i] = px && py ? PixelPoint{*px, *py} : PixelPoint{kNoPixel, 0};
    }
}

// An edge is white when at least one of its faces faces the viewer: the
// corners run counter-clockwise on screen, or lie on one line.
void markFrontFacingEdges(ViewerMesh& mesh) {
    // Locals, so that the byte stores below need not be taken to change them.
    std::uint8_t* const front = mesh.frontFacing;
    const ScreenPoint* const v = mesh.screenPoints;
    const std::uint32_t* const faceStart = mesh.faceStart;
    const std::uint32_t* const corners = mesh.corners;
    const std::uint32_t* const cornerEdges = mesh.cornerEdges;
    const std::int32_t faceCount = mesh.faceCount;
    std::fill(front, front + mesh.edgeCount, std::uint8_t{0});
    for (std::int32_t i = 0; i < faceCount; ++i) {
        const std::uint32_t first = faceStart[i];
        const std::uint32_t end = faceStart[i + 1];
        if (end - first < 3) {
            continue;
        }
        const ScreenPoint p0 = v[corners[first]];
        const ScreenPoint p1 = v[corners[first + 1]];
        const ScreenPoint p2 = v[corners[first + 2]];
        const float d = (p0.x - p1.x) * (p2.y - p1.y) - (p0.y - p1.y) * (p2.x - p1.x);
        // Marked without a branch: on a dense mesh facing and turned-away
        // faces alternate along every silhouette, which a branch mispredicts.
        const std::uint8_t facing = d >= 0.0f ? 1 : 0;
        for (std::uint32_t k = first; k < end; ++k) {
            front[cornerEdges[k]] |= facing;
        }
    }
}

// The box of the vertices whose pixel lies inside the image: every line drawn
// with both ends inside stays within it.
PixelRect insideBox(const ViewerMesh& mesh, const RasterImage& image) {
    PixelRect box{image.width, image.height, 0, 0};
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const PixelPoint p = mesh.pixelPoints[i];
        if (std::uint32_t(p.x) < std::uint32_t(image.width) &&
            std::uint32_t(p.y) < std::uint32_t(image.height)) {
            box.x0 = std::min(box.x0, p.x);
            box.y0 = std::min(box.y0, p.y);
            box.x1 = std::max(box.x1, p.x + 1);
            box.y1 = std::max(box.y1, p.y + 1);
        }
    }
    return box;
}

// Grey edges of faces turned away, white edges of faces facing the viewer
// over them. Every line is drawn keeping the brighter pixel, which gives that
// picture in one walk of the list (newest first, as the paint always walked it).
void drawEdges(const ViewerMesh& mesh, RasterImage& image) {
    const PixelPoint* p = mesh.pixelPoints;
    const auto width = std::uint32_t(image.width);
    const auto height = std::uint32_t(image.height);
    for (std::uint32_t e = mesh.edgeCount; e-- > 0;) {
        const PixelPoint a = p[mesh.edges[e].v0];
        const PixelPoint b = p[mesh.edges[e].v1];
        if (a.x == kNoPixel || b.x == kNoPixel || (a.x == b.x && a.y == b.y)) {
            continue; // no position, or only the last pixel, which a line leaves out
        }
        const std::uint32_t color = mesh.frontFacing[e] != 0 ? kWhite : kGrey;
        if (std::uint32_t(a.x) < width && std::uint32_t(b.x) < width &&
            std::uint32_t(a.y) < height && std::uint32_t(b.y) < height) {
            drawLineInside(image, a.x, a.y, b.x, b.y, color);
        } else {
            drawLine(image, a.x, a.y, b.x, b.y, color, LinePaint::brighter);
        }
    }
    markDrawn(image, insideBox(mesh, image));
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
    drawEdges(mesh, image);
    view.rotation = kIdentityMatrix;
    return true;
}

} // namespace kzoview
