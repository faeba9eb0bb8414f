// Precalculated colours with cast shadows on a closed mesh at the converter's
// capacity (9902 vertices, 19800 faces: a sphere with bumps that shadow each
// other) under 8 point lights, 2 spot lights and 1 distant light, shading
// type 3: the literal every-pair marking against the indexed one. The fast
// run checks that its colour bytes equal the literal run's and reports the
// speed-up.
// Run: build/bench/converter/bench_precalc
#include "converter/model/compute_normals.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kSegments = 100;
constexpr int kRings = 99; // between the poles
constexpr double kPi = 3.14159265358979323846;

int ringVertex(int ring, int segment) {
    return 1 + (ring - 1) * kSegments + segment % kSegments;
}

void buildBumpySphere(kzo::SceneModel& model) {
    kzotest::startLitScene(model, kzo::kPrecalcGouraud);
    kzotest::addMaterial(model, 200, 180, 160, false);
    auto radius = [](double theta, double phi) {
        return 10.0 * (1.0 + 0.12 * std::sin(6 * theta) * std::sin(5 * phi));
    };
    kzotest::addVertex(model, 0, 10, 0);
    for (int ring = 1; ring <= kRings; ++ring) {
        const double theta = kPi * ring / (kRings + 1);
        for (int segment = 0; segment < kSegments; ++segment) {
            const double phi = 2 * kPi * segment / kSegments;
            const double r = radius(theta, phi);
            kzotest::addVertex(model, static_cast<float>(r * std::sin(theta) * std::cos(phi)),
                               static_cast<float>(r * std::cos(theta)),
                               static_cast<float>(r * std::sin(theta) * std::sin(phi)));
        }
    }
    const int south = kzotest::addVertex(model, 0, -10, 0);
    for (int s = 0; s < kSegments; ++s) {
        kzotest::addFace(model, 0, ringVertex(1, s), ringVertex(1, s + 1));
        kzotest::addFace(model, south, ringVertex(kRings, s + 1), ringVertex(kRings, s));
        for (int ring = 1; ring < kRings; ++ring) {
            const int a = ringVertex(ring, s), b = ringVertex(ring, s + 1);
            const int c = ringVertex(ring + 1, s), d = ringVertex(ring + 1, s + 1);
            kzotest::addFace(model, a, c, b);
            kzotest::addFace(model, b, c, d);
        }
    }
    kzo::computeNormals(model);
    // Faces outward: a face whose normal points to the sphere's middle is turned.
    for (int i = 0; i < model.faceCount; ++i) {
        kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        const kzo::Vertex& p = model.vertices[f.vertexIndex[0]];
        if (f.normal[0] * p.x + f.normal[1] * p.y + f.normal[2] * p.z < 0) {
            std::swap(f.vertexIndex[1], f.vertexIndex[2]);
        }
    }
    kzo::computeNormals(model);

    const float c = 25.0f / std::sqrt(3.0f);
    int n = 0;
    for (const float x : {-c, c}) {
        for (const float y : {-c, c}) {
            for (const float z : {-c, c}) {
                kzo::Light light = kzotest::pointLight(x, y, z, n % 2 == 0 ? -1.0f : 40.0f, 0.4f);
                light.color[n % 3] = 120;
                kzotest::addLight(model, light);
                ++n;
            }
        }
    }
    const float cone = static_cast<float>(std::cos(20 * kPi / 180));
    const float edge = static_cast<float>(std::cos(30 * kPi / 180));
    kzotest::addLight(model, kzotest::spotLight(3, 30, 2, 0, 1, 0, cone, edge));
    kzotest::addLight(model, kzotest::spotLight(30, 5, 0, 1, 0, 0, cone, edge, 45));
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

struct LiteralRun {
    std::vector<std::uint8_t> colors;
    double seconds = 0;
};

// The literal run is slow; it is made once and shared.
const LiteralRun& literalRun() {
    static const LiteralRun run = [] {
        auto model = std::make_unique<kzo::SceneModel>();
        buildBumpySphere(*model);
        LiteralRun result;
        const auto start = std::chrono::steady_clock::now();
        kzotest::literalPrecalculateColors(*model);
        result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.colors = colorBytes(*model);
        return result;
    }();
    return run;
}

void literalColors(benchmark::State& state) {
    auto model = std::make_unique<kzo::SceneModel>();
    buildBumpySphere(*model);
    for (auto _ : state) {
        kzotest::literalPrecalculateColors(*model);
    }
}

void fastColors(benchmark::State& state) {
    const LiteralRun& literal = literalRun();
    auto model = std::make_unique<kzo::SceneModel>();
    buildBumpySphere(*model);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        kzo::precalculateColors(*model);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (colorBytes(*model) != literal.colors) {
        state.SkipWithError("colour bytes differ from the literal run");
        return;
    }
    const double perRun = seconds / static_cast<double>(state.iterations());
    state.counters["literal_ms"] = literal.seconds * 1000;
    state.counters["speedup"] = literal.seconds / perRun;
}

} // namespace

BENCHMARK(literalColors)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(fastColors)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
