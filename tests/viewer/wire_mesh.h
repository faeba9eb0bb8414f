// Small meshes for the drawing tests, held in plain containers: vertices, faces
// by corner numbers, and edges shared per unordered vertex pair by the plain
// list walk the loaders' index matches.
#pragma once

#include "tests/viewer/literal_edges.h"
#include "viewer/raster_image.h"
#include "viewer/viewer_mesh.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace kzotest {

struct WireMesh {
    std::vector<kzoview::MeshVertex> vertices;
    std::vector<std::uint32_t> faceStart{0};
    std::vector<std::uint32_t> corners;
    std::vector<std::uint32_t> cornerEdges;
    std::vector<kzoview::MeshEdge> edges;
    std::vector<std::uint8_t> frontFacing;
    std::vector<kzoview::ScreenPoint> screenPoints;
    std::vector<kzoview::PixelPoint> pixelPoints;
    kzoview::ViewerMesh mesh;
};

inline std::unique_ptr<WireMesh> makeWireMesh(const std::vector<std::array<float, 3>>& points,
                                              const std::vector<std::vector<int>>& faces,
                                              float viewDistance) {
    auto w = std::make_unique<WireMesh>();
    for (const auto& p : points) {
        w->vertices.push_back({p[0], p[1], p[2]});
    }
    for (const auto& f : faces) {
        for (std::size_t j = 0; j < f.size(); ++j) {
            const auto a = static_cast<std::uint32_t>(f[j]);
            const auto b = static_cast<std::uint32_t>(f[(j + 1) % f.size()]);
            w->corners.push_back(a);
            w->cornerEdges.push_back(findOrAddEdgeLiteral(w->edges, a, b));
        }
        w->faceStart.push_back(static_cast<std::uint32_t>(w->corners.size()));
    }
    w->frontFacing.assign(w->edges.size(), 0);
    w->screenPoints.assign(w->vertices.size(), {0, 0});
    w->pixelPoints.assign(w->vertices.size(), {0, 0});
    w->mesh.vertexArray = w->vertices.data();
    w->mesh.vertexCount = static_cast<std::int32_t>(w->vertices.size());
    w->mesh.faceCount = static_cast<std::int32_t>(faces.size());
    w->mesh.faceStart = w->faceStart.data();
    w->mesh.corners = w->corners.data();
    w->mesh.cornerEdges = w->cornerEdges.data();
    w->mesh.edges = w->edges.data();
    w->mesh.edgeCount = static_cast<std::uint32_t>(w->edges.size());
    w->mesh.frontFacing = w->frontFacing.data();
    w->mesh.screenPoints = w->screenPoints.data();
    w->mesh.pixelPoints = w->pixelPoints.data();
    w->mesh.viewDistance = viewDistance;
    return w;
}

// The image as text, one string per row: '.' black, '+' grey, '#' white.
inline std::vector<std::string> imageRows(const kzoview::RasterImage& image) {
    std::vector<std::string> rows;
    for (int y = 0; y < image.height; ++y) {
        std::string row;
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t p = image.at(x, y);
            row += p == kzoview::kBlack   ? '.'
                   : p == kzoview::kGrey  ? '+'
                   : p == kzoview::kWhite ? '#'
                                          : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace kzotest
