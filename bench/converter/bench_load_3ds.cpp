// Reading a 19000-vertex 3DS file, with the hashed welder and with the literal
// scan it replaces. Run: build/bench/converter/bench_load_3ds
#include "converter/import/load_3ds.h"
#include "converter/model/scene_model.h"
#include "tests/converter/reference_weld.h"
#include "tests/support/build_3ds.h"

#include <benchmark/benchmark.h>

namespace {

using kzotest::Bytes;

// A 190 x 100 grid of distinct vertices (the scan's worst case) in two
// objects that share their seam row, triangulated until the face table's
// 20000 would be passed.
Bytes gridFile() {
    constexpr int kColumns = 190;
    constexpr int kRows = 100;
    constexpr int kFaces = 19000;
    Bytes objects;
    for (int half = 0; half < 2; ++half) {
        const int firstRow = half * (kRows / 2);
        const int rows = kRows / 2 + (half == 0 ? 1 : 0);
        std::vector<kzotest::Vec3> points;
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < kColumns; ++c) {
                points.push_back({c * 0.25f, (firstRow + r) * 0.5f, 0.01f * c * (firstRow + r)});
            }
        }
        std::vector<kzotest::Tri> faces;
        for (int r = 0; r + 1 < rows && int(faces.size()) < kFaces / 2; ++r) {
            for (int c = 0; c + 1 < kColumns && int(faces.size()) < kFaces / 2; ++c) {
                const auto v = static_cast<std::uint16_t>(r * kColumns + c);
                faces.push_back({v, std::uint16_t(v + 1), std::uint16_t(v + kColumns)});
                faces.push_back({std::uint16_t(v + 1), std::uint16_t(v + kColumns + 1),
                                 std::uint16_t(v + kColumns)});
            }
        }
        objects.append(kzotest::object("half" + std::to_string(half),
                                       kzotest::vertexList(points) + kzotest::faceList(faces)));
    }
    return kzotest::file3ds(objects);
}

void loadGrid(benchmark::State& state, kzo::VertexWelder welder) {
    const Bytes file = gridFile();
    kzo::SceneModel model;
    for (auto _ : state) {
        kzo::resetSceneModel(model);
        kzo::load3dsBuffer(model, file.data, "grid.3ds", welder);
        benchmark::DoNotOptimize(model.vertexCount);
    }
    state.counters["vertices"] = model.vertexCount;
    state.counters["faces"] = model.faceCount;
}

void BM_Load3dsHashedWelding(benchmark::State& state) {
    loadGrid(state, kzo::weldVertex);
}
BENCHMARK(BM_Load3dsHashedWelding)->Unit(benchmark::kMillisecond);

void BM_Load3dsLiteralWelding(benchmark::State& state) {
    loadGrid(state, kzotest::referenceWeldVertex);
}
BENCHMARK(BM_Load3dsLiteralWelding)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
