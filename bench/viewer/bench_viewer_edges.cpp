// Edge sharing while loading: shareEdges against the plain walk of the
// newest-first list, a fan whose hub has every edge, and a whole LightWave
// object load of 60000 points and 120000 triangles.
#include "tests/support/build_lwob.h"
#include "tests/viewer/literal_edges.h"
#include "viewer/edge_sharing.h"
#include "viewer/loaders.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

struct Grid {
    std::vector<std::array<float, 3>> points;
    std::vector<std::vector<std::uint16_t>> triangles;
};

// A torus of rings x segments points, two triangles per cell, wrapping both
// ways: every edge is shared by two triangles, as in a closed model.
Grid torus(int rings, int segments) {
    Grid g;
    for (int r = 0; r < rings; ++r) {
        const double a = 6.283185307179586 * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double b = 6.283185307179586 * s / segments;
            const double radius = 3.0 + std::cos(b);
            g.points.push_back(
                {float(radius * std::cos(a)), float(std::sin(b)), float(radius * std::sin(a))});
        }
    }
    const auto at = [&](int r, int s) {
        return std::uint16_t((r % rings) * segments + (s % segments));
    };
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            g.triangles.push_back({at(r, s), at(r + 1, s), at(r + 1, s + 1)});
            g.triangles.push_back({at(r, s), at(r + 1, s + 1), at(r, s + 1)});
        }
    }
    return g;
}

// The loaders' way: corners placed face by face, then shareEdges.
void shareGridEdges(benchmark::State& state, const Grid& g) {
    for (auto _ : state) {
        kzoview::ViewerMesh mesh;
        mesh.vertexCount = std::int32_t(g.points.size());
        kzoview::FacePlacement placement =
            kzoview::startFaces(mesh, g.triangles.size(), 3 * g.triangles.size());
        for (std::size_t f = 0; f < g.triangles.size(); ++f) {
            const auto& t = g.triangles[f];
            std::uint32_t* c = kzoview::addFace(mesh, placement, std::int32_t(f), 3);
            c[0] = t[2];
            c[1] = t[1];
            c[2] = t[0];
        }
        mesh.faceCount = std::int32_t(g.triangles.size());
        kzoview::shareEdges(mesh);
        benchmark::DoNotOptimize(mesh.edgeCount);
    }
    state.counters["triangles"] = double(g.triangles.size());
    state.SetItemsProcessed(std::int64_t(state.iterations() * g.triangles.size()));
}

void BM_ShareEdges(benchmark::State& state) {
    shareGridEdges(state, torus(int(state.range(0)), int(state.range(1))));
}

// A closed fan of range(0) triangles round one hub: the hub's edges outgrow
// the per-vertex lists and the edges are made by the bucketed sort.
void BM_ShareEdgesFan(benchmark::State& state) {
    Grid fan;
    const auto rim = std::uint16_t(state.range(0));
    fan.points.assign(rim + 1u, {0, 0, 0});
    for (std::uint16_t i = 1; i <= rim; ++i) {
        fan.triangles.push_back({0, i, std::uint16_t(i % rim + 1)});
    }
    shareGridEdges(state, fan);
}

void BM_ShareEdgesListWalk(benchmark::State& state) {
    const Grid g = torus(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        std::vector<kzoview::MeshEdge> edges;
        for (const auto& t : g.triangles) {
            const std::uint32_t c[3] = {t[2], t[1], t[0]};
            for (int j = 0; j < 3; ++j) {
                benchmark::DoNotOptimize(
                    kzotest::findOrAddEdgeLiteral(edges, c[j], c[(j + 1) % 3]));
            }
        }
    }
    state.counters["triangles"] = double(g.triangles.size());
    state.SetItemsProcessed(std::int64_t(state.iterations() * g.triangles.size()));
}

void BM_LoadLwob(benchmark::State& state) {
    const Grid g = torus(int(state.range(0)), int(state.range(1)));
    const kzotest::Bytes file =
        kzotest::lwobFile(kzotest::pnts(g.points) + kzotest::pols(g.triangles));
    for (auto _ : state) {
        kzoview::ViewerDocument doc;
        kzoview::LoadLWOBytes(file.data, "torus.lwo", doc);
        benchmark::DoNotOptimize(doc.mesh.edgeCount);
    }
    state.counters["points"] = double(g.points.size());
    state.counters["triangles"] = double(g.triangles.size());
}

} // namespace

// Triangle counts 2400, 9600, 24000 (and 120000 for the index alone): the walk
// grows with the square of the edge count, the index linearly.
BENCHMARK(BM_ShareEdges)
    ->Args({40, 30})
    ->Args({80, 60})
    ->Args({120, 100})
    ->Args({300, 200})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShareEdgesListWalk)
    ->Args({40, 30})
    ->Args({80, 60})
    ->Args({120, 100})
    ->Unit(benchmark::kMillisecond);
// The full-size walk takes tens of seconds: measured once.
BENCHMARK(BM_ShareEdgesListWalk)->Args({300, 200})->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShareEdgesFan)->Arg(2400)->Arg(60000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLwob)->Args({300, 200})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
