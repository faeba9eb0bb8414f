// Precalculated colours with cast shadows on a closed mesh at the converter's
// capacity (9902 vertices, 19800 faces: a sphere with bumps that shadow each
// other) under 8 point lights, 2 spot lights and 1 distant light, shading
// type 3: the literal every-pair marking against the indexed one. The fast
// run checks that its colour bytes equal the literal run's and reports the
// speed-up. kzomakerRun converts the same mesh and lights as a LightWave scene
// with a .3ds object, written into a temporary directory: the scene import,
// the geometry processing and the writing of the .kzo and .kzl files, all a
// kzomaker run does for the file.
// Run: build/bench/converter/bench_precalc
#include "converter/model/compute_normals.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "converter/pipeline/convert_file.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/literal_mark_lit_vertices.h"
#include "tests/support/build_3ds.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

// Shading type 3, no animation: the colours are lit.
const kzo::ConversionSettings kLit = [] {
    kzo::ConversionSettings settings;
    settings.shadingType = kzo::kPrecalcGouraud;
    settings.lightFile = 1;
    return settings;
}();

constexpr int kSegments = 100;
constexpr int kRings = 99; // between the poles
constexpr double kPi = 3.14159265358979323846;

int ringVertex(int ring, int segment) {
    return 1 + (ring - 1) * kSegments + segment % kSegments;
}

void buildBumpySphere(kzo::SceneModel& model) {
    kzotest::startLitScene(model, kLit.shadingType);
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
        kzotest::literalPrecalculateColors(*model, kLit);
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
        kzotest::literalPrecalculateColors(*model, kLit);
    }
}

void fastColors(benchmark::State& state) {
    const LiteralRun& literal = literalRun();
    auto model = std::make_unique<kzo::SceneModel>();
    buildBumpySphere(*model);
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        kzo::precalculateColors(*model, kLit);
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

// The scene's text: the object, the ambient light and one block per light,
// each light's first key giving its position and, through heading and pitch,
// its direction.
std::string sceneText(const kzo::SceneModel& model) {
    std::string text = "LWSC\n1\n\nFirstFrame 1\nLastFrame 1\n\nLoadObject sphere.lwo\n";
    text += "AmbientColor 20 20 20\nAmbIntensity 1.0\n";
    char line[256];
    for (int i = 0; i < model.lightCount; ++i) {
        const kzo::Light& l = model.lights[static_cast<std::size_t>(i)];
        const double pitch = std::asin(l.direction[1]) * 180 / kPi;
        const double heading = std::atan2(-l.direction[0], -l.direction[2]) * 180 / kPi;
        std::snprintf(line, sizeof line,
                      "AddLight\nLightMotion (unnamed)\n  9\n  1\n  %g %g %g %g %g 0 1 1 1\n"
                      "LightColor %d %d %d\nLgtIntensity %g\nLightType %d\nLightRange %g\n"
                      "ConeAngle 20\nEdgeAngle 30\n",
                      l.position[0], l.position[1], l.position[2], heading, pitch, l.color[0],
                      l.color[1], l.color[2], l.intensity, l.type, l.range);
        text += line;
    }
    return text;
}

// The mesh as a 3DS object; the reader exchanges y and z, so they are
// exchanged here too.
kzotest::Bytes sphereFile(const kzo::SceneModel& model) {
    std::vector<kzotest::Vec3> points;
    for (int i = 0; i < model.vertexCount; ++i) {
        const kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        points.push_back({v.x, v.z, v.y});
    }
    std::vector<kzotest::Tri> faces;
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        faces.push_back({f.vertexIndex[0], f.vertexIndex[1], f.vertexIndex[2]});
    }
    return kzotest::file3ds(
        kzotest::object("sphere", kzotest::vertexList(points) + kzotest::faceList(faces)));
}

void kzomakerRun(benchmark::State& state) {
    auto model = std::make_unique<kzo::SceneModel>();
    buildBumpySphere(*model);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kzo_bench_precalc";
    std::filesystem::create_directories(dir);
    const kzotest::Bytes sphere = sphereFile(*model);
    std::ofstream(dir / "sphere.3ds", std::ios::binary)
        .write(reinterpret_cast<const char*>(sphere.data.data()),
               static_cast<std::streamsize>(sphere.size()));
    std::ofstream(dir / "scene.lws") << sceneText(*model);
    const std::string input = (dir / "scene.lws").string();
    for (auto _ : state) {
        std::string output = (dir / "scene.kzo").string();
        if (kzo::convertFile(*model, input, output, kLit) != kzo::ConversionOutcome::converted) {
            state.SkipWithError("the scene did not convert");
            return;
        }
    }
    state.counters["lights"] = model->lightCount;
    state.counters["faces"] = model->faceCount;
}

} // namespace

BENCHMARK(literalColors)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(fastColors)->Unit(benchmark::kMillisecond);
BENCHMARK(kzomakerRun)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
