// kzodump on a KZO file at the converter's capacity (20000 vertices and faces,
// 1000 pivots in a deep chain, per-vertex normals): check, parse, text, JSON.
#include "format/kzo_format.h"
#include "tools/dump_check.h"
#include "tools/dump_parse.h"
#include "tools/dump_render.h"

#include <benchmark/benchmark.h>

namespace {

std::vector<std::uint8_t> fullKzo() {
    constexpr int kVertices = 20000, kFaces = 20000, kPivots = 1000;
    kzo::ByteWriter w;
    kzo::KzoHeader h;
    h.materialCount = 1;
    h.vertexCount = kVertices;
    h.faceCount = kFaces;
    h.pivotCount = kPivots;
    h.shadingType = kzo::kRealtimeGouraud;
    kzo::writeKzoHeader(w, h);
    kzo::writeKzoMaterial(w, kzo::KzoMaterialRecord{.materialFaceCount = kFaces});
    for (int i = 0; i < kVertices; ++i) {
        kzo::writeKzoVertex(w, {float(i) * 0.25f, float(i % 100), -float(i) / 3.0f});
    }
    for (int i = 0; i < kFaces; ++i) {
        kzo::KzoFaceRecord f;
        f.vertexIndex[0] = std::uint16_t(i);
        f.vertexIndex[1] = std::uint16_t((i + 1) % kVertices);
        f.vertexIndex[2] = f.vertexIndex[3] = std::uint16_t((i + 2) % kVertices);
        f.u[1] = 255.0f;
        f.v[2] = 127.5f;
        kzo::writeKzoFace(w, f);
    }
    // Each pivot is the child of the one before: the longest parent chains.
    for (int i = 0; i < kPivots; ++i) {
        kzo::KzoPivotRecord p;
        p.parent = i == 0 ? kzo::kKzoNoParent : std::uint16_t(i - 1);
        p.pivotVertexCount = kVertices / kPivots;
        kzo::writeKzoPivot(w, p);
    }
    for (int i = 0; i < kVertices; ++i) {
        w.f32le(0.0f);
        w.f32le(0.6f);
        w.f32le(0.8f);
    }
    return w.take();
}

void checkFullKzo(benchmark::State& state) {
    const auto file = fullKzo();
    for (auto _ : state) {
        benchmark::DoNotOptimize(kzo::dump::checkKzo(file));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(checkFullKzo)->Unit(benchmark::kMillisecond);

void renderFullKzo(benchmark::State& state) {
    const auto file = fullKzo();
    const auto mode = static_cast<kzo::dump::OutputMode>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderFile(kzo::dump::FileKind::kzo, file, mode, "full.kzo"));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(file.size()));
}
BENCHMARK(renderFullKzo)
    ->Arg(int(kzo::dump::OutputMode::text))
    ->Arg(int(kzo::dump::OutputMode::json))
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
