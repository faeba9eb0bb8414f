// The steps between reading and the file on disk, at the converter's
// capacities: the stable face sort, the pivot transforms, and the geometry
// (normals, white corners, scaling) with the KZO encoder.
#include "converter/encode/kzo_file.h"
#include "converter/model/bake_transforms.h"
#include "converter/model/sort_faces.h"
#include "converter/pipeline/convert_file.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

// A grid of 100 x 100 vertices and 19602 triangles over it, faces spread over
// 16 materials in random order.
std::unique_ptr<kzo::SceneModel> gridModel() {
    auto model = std::make_unique<kzo::SceneModel>();
    kzo::resetSceneModel(*model);
    std::mt19937 random(1);
    const int n = 100;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            kzo::Vertex& v = model->vertices[static_cast<std::size_t>(model->vertexCount++)];
            v.x = static_cast<float>(i);
            v.y = static_cast<float>(random() % 100) * 0.01f;
            v.z = static_cast<float>(j);
        }
    }
    for (int m = 0; m < 16; ++m) {
        model->materials[static_cast<std::size_t>(model->materialCount++)] = kzo::Material{};
    }
    for (int i = 0; i + 1 < n; ++i) {
        for (int j = 0; j + 1 < n; ++j) {
            const auto a = static_cast<std::uint16_t>(i * n + j);
            const auto b = static_cast<std::uint16_t>(a + n);
            const std::uint16_t corners[2][3] = {
                {a, b, static_cast<std::uint16_t>(b + 1)},
                {a, static_cast<std::uint16_t>(b + 1), static_cast<std::uint16_t>(a + 1)}};
            for (const auto& c : corners) {
                kzo::Face& f = model->faces[static_cast<std::size_t>(model->faceCount++)];
                f.vertexIndex[0] = c[0];
                f.vertexIndex[1] = c[1];
                f.vertexIndex[2] = c[2];
                f.materialIndex = static_cast<std::int16_t>(random() % 16);
            }
        }
    }
    return model;
}

void sortFaces(benchmark::State& state) {
    const auto source = gridModel();
    auto model = gridModel();
    for (auto _ : state) {
        state.PauseTiming();
        for (std::int32_t f = 0; f < source->faceCount; ++f) {
            model->faces[std::size_t(f)] = source->faces[std::size_t(f)];
        }
        state.ResumeTiming();
        kzo::sortFacesByMaterial(*model);
        benchmark::DoNotOptimize(model->faces.data());
    }
    state.SetItemsProcessed(state.iterations() * model->faceCount);
}
BENCHMARK(sortFaces)->Unit(benchmark::kMillisecond);

void writeKzo(benchmark::State& state) {
    auto model = gridModel();
    kzo::ConversionSettings settings;
    settings.shadingType = static_cast<std::int32_t>(state.range(0));
    kzo::sortFacesByMaterial(*model);
    for (auto _ : state) {
        // Scale 1 and no pivots: the geometry leaves the positions as they are.
        kzo::processGeometry(*model, settings);
        const std::vector<std::uint8_t> bytes =
            kzo::encodeKzo(*model, settings, "bench.kzo", "bench.3ds");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetItemsProcessed(state.iterations() * model->faceCount);
}
BENCHMARK(writeKzo)
    ->Arg(kzo::kNoShading)
    ->Arg(kzo::kRealtimeGouraud)
    ->Unit(benchmark::kMillisecond);

// 1000 pivots in one chain, listed child first, and 20000 vertices spread over
// the first 256 of them.
void bakeTransforms(benchmark::State& state) {
    auto model = std::make_unique<kzo::SceneModel>();
    kzo::resetSceneModel(*model);
    for (int i = 0; i < kzo::kMaxPivots; ++i) {
        kzo::Pivot& p = model->pivots[static_cast<std::size_t>(model->pivotCount++)];
        p = kzo::Pivot{};
        p.parentIndex =
            i + 1 < kzo::kMaxPivots ? static_cast<std::uint16_t>(i + 1) : kzo::kNoParent;
        p.firstKey[0] = 0.001f;
        p.firstKey[3] = 0.5f;
    }
    for (int i = 0; i < kzo::kMaxVertices; ++i) {
        kzo::Vertex& v = model->vertices[static_cast<std::size_t>(model->vertexCount++)];
        v = kzo::Vertex{};
        v.pivotIndex = static_cast<std::uint8_t>(i % 256);
    }
    for (auto _ : state) {
        kzo::bakeTransforms(*model);
        benchmark::DoNotOptimize(model->vertices.data());
    }
    state.SetItemsProcessed(state.iterations() * model->vertexCount);
}
BENCHMARK(bakeTransforms)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
