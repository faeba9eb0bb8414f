// Edge sharing while loading: the indexed FindOrAddEdge against the plain walk
// of the newest-first list, and a whole LightWave object load of 60000 points
// and 120000 triangles.
#include "tests/support/build_lwob.h"
#include "tests/viewer/literal_edges.h"
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

template <class FindOrAdd>
void shareEdges(benchmark::State& state, FindOrAdd findOrAdd) {
    const Grid g = torus(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        kzoview::ViewerMesh mesh;
        mesh.vertexArray = kzoview::trackedArray<kzoview::MeshVertex>(mesh.arena, g.points.size());
        mesh.vertexCount = std::int32_t(g.points.size());
        for (const auto& t : g.triangles) {
            kzoview::MeshVertex* c[3] = {&mesh.vertexArray[t[2]], &mesh.vertexArray[t[1]],
                                         &mesh.vertexArray[t[0]]};
            for (int j = 0; j < 3; ++j) {
                benchmark::DoNotOptimize(findOrAdd(mesh, c[j], c[(j + 1) % 3]));
            }
        }
    }
    state.counters["triangles"] = double(g.triangles.size());
    state.SetItemsProcessed(std::int64_t(state.iterations() * g.triangles.size()));
}

void BM_ShareEdgesIndexed(benchmark::State& state) {
    shareEdges(state, kzoview::FindOrAddEdge);
}
void BM_ShareEdgesListWalk(benchmark::State& state) {
    shareEdges(state, kzotest::findOrAddEdgeLiteral);
}

void BM_LoadLwob(benchmark::State& state) {
    const Grid g = torus(int(state.range(0)), int(state.range(1)));
    const kzotest::Bytes file =
        kzotest::lwobFile(kzotest::pnts(g.points) + kzotest::pols(g.triangles));
    for (auto _ : state) {
        kzoview::ViewerDocument doc;
        kzoview::LoadLWOBytes(file.data, "torus.lwo", doc);
        benchmark::DoNotOptimize(doc.mesh.edgeList);
    }
    state.counters["points"] = double(g.points.size());
    state.counters["triangles"] = double(g.triangles.size());
}

} // namespace

// Triangle counts 2400, 9600, 24000 (and 120000 for the index alone): the walk
// grows with the square of the edge count, the index linearly.
BENCHMARK(BM_ShareEdgesIndexed)
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
BENCHMARK(BM_LoadLwob)->Args({300, 200})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
