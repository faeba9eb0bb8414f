// The shadow marking of precalculated colours, in vertex-light pairs per
// second, on two closed meshes (a bumpy torus of 3600 vertices and 7200
// faces, and one of 7300 vertices and 14600 faces) lit by 8 point lights
// (half of them with a range), 2 spot lights and 1 distant light, modelled at
// unit size and at 1000 times that, with the classic and the relative shadow
// test, on 1 and 2 threads. A yardstick of 10 M pairs per second per core
// stands for what an industrial ray tracer answers; the goal is to stay
// within 1.5 times its time (6.7 M pairs per second on one thread).
// literal times the every-pair reference on the unit-size meshes as the
// median of three runs, and checks that the fast run gives its colour bytes.
// The counters: pairs_per_s (vertices times lights over the wall time),
// pairs_per_cpu_s (over the processor time of all threads, which a busy
// machine does not inflate as it does the wall time), unlit_pairs (pairs a
// shadow or the range leaves dark).
// Run: build/bench/converter/bench_shadow_marking
#include "bench/converter/bumpy_torus.h"
#include "converter/model/compute_normals.h"
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

namespace {

std::vector<std::uint8_t> colorBytes(const kzo::SceneModel& model) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            out.insert(out.end(), {f.colorR[k], f.colorG[k], f.colorB[k]});
        }
    }
    return out;
}

double unlitPairs(kzo::SceneModel& model, kzo::ShadowTest test) {
    kzo::prepareFacesForLighting(model);
    kzo::ShadowIndex index;
    kzo::buildShadowIndex(model, index, test);
    double unlit = 0;
    for (int light = 0; light < model.lightCount; ++light) {
        kzo::markLitInIndex(model, light, index);
        for (const std::uint8_t lit : index.lit) {
            unlit += lit == 0 ? 1 : 0;
        }
    }
    return unlit;
}

// Shading type 3, no animation, the shadow options given.
kzo::ConversionSettings litSettings(kzo::ShadowTest test, int threads) {
    kzo::ConversionSettings settings;
    settings.shadingType = kzo::kPrecalcGouraud;
    settings.shadows = {test, threads};
    return settings;
}

kzo::ShadowTest testOf(std::int64_t arg) {
    return arg == 0 ? kzo::ShadowTest::classic : kzo::ShadowTest::relative;
}

void setPairCounters(benchmark::State& state, const kzo::SceneModel& model, double unlit,
                     double cpuSeconds) {
    const double pairs = static_cast<double>(model.vertexCount) * model.lightCount;
    state.counters["pairs_per_s"] =
        benchmark::Counter(pairs, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pairs_per_cpu_s"] =
        pairs * static_cast<double>(state.iterations()) / cpuSeconds;
    state.counters["unlit_pairs"] = unlit;
    state.counters["vertices"] = model.vertexCount;
    state.counters["faces"] = model.faceCount;
}

// Arguments: mesh (0, 1), scale (1, 1000), test (0 classic, 1 relative),
// threads.
void marking(benchmark::State& state) {
    auto model = std::make_unique<kzo::SceneModel>();
    kzobench::buildBumpyTorus(*model, kzobench::kTorusMeshes[state.range(0)],
                              static_cast<float>(state.range(1)));
    const kzo::ConversionSettings settings =
        litSettings(testOf(state.range(2)), static_cast<int>(state.range(3)));
    const double unlit = unlitPairs(*model, settings.shadows.test);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        kzo::precalculateColors(*model, settings);
    }
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    setPairCounters(state, *model, unlit, cpu);
}

// Arguments: mesh, test.
void literal(benchmark::State& state) {
    auto model = std::make_unique<kzo::SceneModel>();
    kzobench::buildBumpyTorus(*model, kzobench::kTorusMeshes[state.range(0)], 1);
    const kzo::ConversionSettings settings = litSettings(testOf(state.range(1)), 1);
    kzo::precalculateColors(*model, settings);
    const std::vector<std::uint8_t> fast = colorBytes(*model);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        kzotest::literalPrecalculateColors(*model, settings);
    }
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (colorBytes(*model) != fast) {
        state.SkipWithError("the fast marking's colour bytes differ from the literal run's");
        return;
    }
    setPairCounters(state, *model, unlitPairs(*model, settings.shadows.test), cpu);
}

void markingArguments(benchmark::internal::Benchmark* b) {
    for (const int mesh : {0, 1}) {
        for (const int scale : {1, 1000}) {
            for (const int test : {0, 1}) {
                for (const int threads : {1, 2}) {
                    b->Args({mesh, scale, test, threads});
                }
            }
        }
    }
    b->ArgNames({"mesh", "scale", "relative", "threads"});
}

} // namespace

BENCHMARK(marking)->Apply(markingArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(literal)
    ->ArgsProduct({{0, 1}, {1}})
    ->ArgNames({"mesh", "relative"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

BENCHMARK_MAIN();
