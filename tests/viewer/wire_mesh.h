// Small meshes for the drawing tests, held in plain containers: vertices, faces
// by corner indices, and edges shared per unordered vertex pair, newest first,
// the way the loaders build them.
#pragma once

#include "viewer/raster_image.h"
#include "viewer/viewer_mesh.h"

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace kzotest {

struct WireMesh {
    std::vector<kzoview::MeshVertex> vertices;
    std::vector<kzoview::MeshFace> faces;
    std::vector<std::vector<kzoview::MeshVertex*>> corners;
    std::vector<std::vector<kzoview::MeshEdge*>> faceEdges;
    std::deque<kzoview::MeshEdge> edges; // stable addresses
    kzoview::ViewerMesh mesh;
};

inline std::unique_ptr<WireMesh> makeWireMesh(const std::vector<std::array<float, 3>>& points,
                                              const std::vector<std::vector<int>>& faces,
                                              float viewDistance) {
    auto w = std::make_unique<WireMesh>();
    for (const auto& p : points) {
        w->vertices.push_back({p[0], p[1], p[2], 0, 0});
    }
    auto findOrAdd = [&](kzoview::MeshVertex* a, kzoview::MeshVertex* b) {
        for (kzoview::MeshEdge* e = w->mesh.edgeList; e != nullptr; e = e->next) {
            if ((e->v0 == a || e->v0 == b) && (e->v1 == a || e->v1 == b)) {
                return e;
            }
        }
        w->edges.push_back({0, a, b, w->mesh.edgeList});
        w->mesh.edgeList = &w->edges.back();
        return w->mesh.edgeList;
    };
    for (const auto& f : faces) {
        std::vector<kzoview::MeshVertex*> c;
        for (int i : f) {
            c.push_back(&w->vertices[static_cast<std::size_t>(i)]);
        }
        std::vector<kzoview::MeshEdge*> e;
        for (std::size_t j = 0; j < c.size(); ++j) {
            e.push_back(findOrAdd(c[j], c[(j + 1) % c.size()]));
        }
        w->corners.push_back(std::move(c));
        w->faceEdges.push_back(std::move(e));
    }
    for (std::size_t i = 0; i < faces.size(); ++i) {
        w->faces.push_back({static_cast<std::int32_t>(faces[i].size()), w->corners[i].data(),
                            w->faceEdges[i].data()});
    }
    w->mesh.vertexArray = w->vertices.data();
    w->mesh.vertexCount = static_cast<std::int32_t>(w->vertices.size());
    w->mesh.faceArray = w->faces.data();
    w->mesh.faceCount = static_cast<std::int32_t>(w->faces.size());
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
