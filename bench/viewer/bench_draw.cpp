// DrawWireframe of a 20000-triangle sphere into a 1920 x 1080 client area,
// turning by the form's initial timer step every frame as the idle spin does.
#include "viewer/wireframe.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <map>
#include <utility>
#include <vector>

namespace {

struct SphereMesh {
    std::vector<kzoview::MeshVertex> vertices;
    std::vector<kzoview::MeshFace> faces;
    std::vector<kzoview::MeshVertex*> corners;
    std::vector<kzoview::MeshEdge*> faceEdges;
    std::deque<kzoview::MeshEdge> edges;
    kzoview::ViewerMesh mesh;
};

// rings x segments quads between the poles' rings, each split into two
// triangles: 2 x rings x segments faces.
void buildSphere(SphereMesh& s, int rings, int segments) {
    for (int r = 0; r <= rings; ++r) {
        const double phi = 3.141592 * (0.05 + 0.9 * r / rings);
        for (int g = 0; g < segments; ++g) {
            const double theta = 2 * 3.141592 * g / segments;
            s.vertices.push_back({static_cast<float>(std::sin(phi) * std::cos(theta)),
                                  static_cast<float>(std::cos(phi)),
                                  static_cast<float>(std::sin(phi) * std::sin(theta)), 0, 0});
        }
    }
    std::map<std::pair<int, int>, kzoview::MeshEdge*> index;
    std::vector<int> tris;
    for (int r = 0; r < rings; ++r) {
        for (int g = 0; g < segments; ++g) {
            const int a = r * segments + g;
            const int b = r * segments + (g + 1) % segments;
            const int c = a + segments;
            const int d = b + segments;
            tris.insert(tris.end(), {a, c, b, b, c, d});
        }
    }
    s.corners.resize(tris.size());
    s.faceEdges.resize(tris.size());
    for (std::size_t i = 0; i < tris.size(); ++i) {
        s.corners[i] = &s.vertices[static_cast<std::size_t>(tris[i])];
    }
    for (std::size_t f = 0; f < tris.size(); f += 3) {
        for (std::size_t j = 0; j < 3; ++j) {
            const int p = tris[f + j];
            const int q = tris[f + (j + 1) % 3];
            auto& e = index[{std::min(p, q), std::max(p, q)}];
            if (e == nullptr) {
                s.edges.push_back(
                    {0, s.corners[f + j], s.corners[f + (j + 1) % 3], s.mesh.edgeList});
                e = s.mesh.edgeList = &s.edges.back();
            }
            s.faceEdges[f + j] = e;
        }
        s.faces.push_back({3, &s.corners[f], &s.faceEdges[f]});
    }
    s.mesh.vertexArray = s.vertices.data();
    s.mesh.vertexCount = static_cast<std::int32_t>(s.vertices.size());
    s.mesh.faceArray = s.faces.data();
    s.mesh.faceCount = static_cast<std::int32_t>(s.faces.size());
    s.mesh.viewDistance = 4;
}

void BM_DrawWireframe(benchmark::State& state) {
    SphereMesh sphere;
    buildSphere(sphere, 100, 100);
    kzoview::ViewState view;
    kzoview::FormCreate(view);
    kzoview::RasterImage image;
    for (auto _ : state) {
        kzoview::Timer1Timer(view);
        kzoview::DrawWireframe(sphere.mesh, view, 1920, 1080, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["faces"] = sphere.mesh.faceCount;
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawWireframe)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
