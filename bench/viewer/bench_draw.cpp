// DrawWireframe of a 20000-triangle sphere into a 1920 x 1080 client area and
// of a million triangles into the form's own, turning by the form's initial
// timer step every frame as the idle spin does.
#include "bench/models/bench_models.h"
#include "tests/support/build_lwob.h"
#include "viewer/loaders.h"
#include "viewer/view_command.h"
#include "viewer/wireframe.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A sphere of rings x segments quads between two polar caps, each quad split
// into two triangles (2 x rings x segments faces), as a LightWave object, so
// the mesh is laid out in memory exactly as the viewer loads it.
kzotest::Bytes sphereObject(int rings, int segments) {
    std::vector<std::array<float, 3>> points;
    for (int r = 0; r <= rings; ++r) {
        const double phi = 3.141592 * (0.05 + 0.9 * r / rings);
        for (int g = 0; g < segments; ++g) {
            const double theta = 2 * 3.141592 * g / segments;
            points.push_back({static_cast<float>(std::sin(phi) * std::cos(theta)),
                              static_cast<float>(std::cos(phi)),
                              static_cast<float>(std::sin(phi) * std::sin(theta))});
        }
    }
    std::vector<std::vector<std::uint16_t>> triangles;
    for (int r = 0; r < rings; ++r) {
        for (int g = 0; g < segments; ++g) {
            const auto a = static_cast<std::uint16_t>(r * segments + g);
            const auto b = static_cast<std::uint16_t>(r * segments + (g + 1) % segments);
            const auto c = static_cast<std::uint16_t>(a + segments);
            const auto d = static_cast<std::uint16_t>(b + segments);
            triangles.push_back({a, c, b});
            triangles.push_back({b, c, d});
        }
    }
    return kzotest::lwobFile(kzotest::pnts(points) + kzotest::pols(triangles));
}

void BM_DrawWireframe(benchmark::State& state) {
    const kzotest::Bytes file = sphereObject(100, 100);
    kzoview::ViewerDocument sphere;
    kzoview::LoadLWOBytes(file.data, "sphere.lwo", sphere);
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

// One frame of the window's idle spin with a 1036800-triangle mesh (16 tori)
// in the form's client area: the paint must fit the 16 ms timer on one core.
void BM_DrawMillionTriangles(benchmark::State& state) {
    const kzotest::Bytes file = kzobench::toriFile();
    kzoview::ViewerDocument tori;
    kzoview::Load3DSBytes(file.data, "tori.3ds", tori);
    kzoview::ViewState view;
    kzoview::FormCreate(view);
    kzoview::RasterImage image;
    for (auto _ : state) {
        kzoview::Timer1Timer(view);
        kzoview::DrawWireframe(tori.mesh, view, kzoview::kFormClientWidth,
                               kzoview::kFormClientHeight, image);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["faces"] = tori.mesh.faceCount;
    state.counters["edges"] = tori.mesh.edgeCount;
}
BENCHMARK(BM_DrawMillionTriangles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
