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
#include "converter/model/compute_normals.h"
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct MeshSize {
    int around; // segments around the main ring
    int across; // segments around the tube
};
constexpr MeshSize kMeshes[] = {{60, 60}, {100, 73}};

// A torus of radius 1 with a tube of radius 0.35, dented and bulged so that
// its bumps shadow each other, faces turned outwards; every length times
// scale, the lights' positions and ranges too.
void buildBumpyTorus(kzo::SceneModel& model, MeshSize size, float scale) {
    kzotest::startLitScene(model, kzo::kPrecalcGouraud);
    kzotest::addMaterial(model, 200, 180, 160, false);
    for (int i = 0; i < size.around; ++i) {
        const double u = 2 * kPi * i / size.around;
        for (int j = 0; j < size.across; ++j) {
            const double v = 2 * kPi * j / size.across;
            const double tube = 0.35 * (1 + 0.3 * std::sin(7 * u) * std::sin(3 * v));
            const double ring = 1 + tube * std::cos(v);
            kzotest::addVertex(model, static_cast<float>(ring * std::cos(u) * scale),
                               static_cast<float>(tube * std::sin(v) * scale),
                               static_cast<float>(ring * std::sin(u) * scale));
        }
    }
    auto at = [&](int i, int j) { return (i % size.around) * size.across + j % size.across; };
    for (int i = 0; i < size.around; ++i) {
        for (int j = 0; j < size.across; ++j) {
            kzotest::addFace(model, at(i, j), at(i + 1, j), at(i, j + 1));
            kzotest::addFace(model, at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
        }
    }
    kzo::computeNormals(model);
    // Outwards: away from the tube's middle circle.
    for (int f = 0; f < model.faceCount; ++f) {
        kzo::Face& face = model.faces[static_cast<std::size_t>(f)];
        const kzo::Vertex& p = model.vertices[face.vertexIndex[0]];
        const double length =
            std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.z) * p.z);
        const double middle[3] = {p.x / length * scale, 0, p.z / length * scale};
        const double out[3] = {p.x - middle[0], p.y - middle[1], p.z - middle[2]};
        if (face.normal[0] * out[0] + face.normal[1] * out[1] + face.normal[2] * out[2] < 0) {
            std::swap(face.vertexIndex[1], face.vertexIndex[2]);
        }
    }
    kzo::computeNormals(model);

    int n = 0;
    for (const float x : {-1.6f, 1.6f}) {
        for (const float y : {-1.2f, 1.2f}) {
            for (const float z : {-1.6f, 1.6f}) {
                const float range = n % 2 == 0 ? -1.0f : 3.5f * scale;
                kzo::Light light =
                    kzotest::pointLight(x * scale, y * scale, z * scale, range, 0.4f);
                light.color[n % 3] = 120;
                kzotest::addLight(model, light);
                ++n;
            }
        }
    }
    const float cone = static_cast<float>(std::cos(25 * kPi / 180));
    const float edge = static_cast<float>(std::cos(40 * kPi / 180));
    kzotest::addLight(
        model, kzotest::spotLight(0.2f * scale, 2.5f * scale, 0.1f * scale, 0, -1, 0, cone, edge));
    kzotest::addLight(model,
                      kzotest::spotLight(0, 0.1f * scale, 0, 1, 0, 0, cone, edge, 3 * scale));
    const float len = std::sqrt(0.3f * 0.3f + 0.8f * 0.8f + 0.5f * 0.5f);
    kzotest::addLight(model, kzotest::distantLight(0.3f / len, 0.8f / len, 0.5f / len, 0.6f));
    model.ambientColor[0] = model.ambientColor[1] = model.ambientColor[2] = 20;
}

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
    buildBumpyTorus(*model, kMeshes[state.range(0)], static_cast<float>(state.range(1)));
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
    buildBumpyTorus(*model, kMeshes[state.range(0)], 1);
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
