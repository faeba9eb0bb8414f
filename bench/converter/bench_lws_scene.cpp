// Scene parsing and side-file writing on generated scenes: objects with long
// motion envelopes, lights, and a camera targeting the last object.
#include "converter/import/import_lws_scene.h"
#include "converter/pipeline/convert_file.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void appendEnvelope(std::string& text, const char* keyword, int keys) {
    text += keyword;
    text += " (unnamed)\n  9\n  " + std::to_string(keys) + "\n";
    for (int k = 0; k < keys; ++k) {
        text += "  " + std::to_string(k) + " 1.5 -2.25 " + std::to_string(k * 3) +
                " 0 0 1 1 1\n  " + std::to_string(k) + " 0 0.0 0.0 0.0\n";
    }
    text += "EndBehavior 1\n";
}

std::string makeScene(int objects, int keys, int lights) {
    std::string text = "LWSC\n1\n\nFirstFrame 1\nLastFrame " + std::to_string(keys) + "\n\n";
    for (int i = 0; i < objects; ++i) {
        text += "AddNullObject Null" + std::to_string(i) + "\n";
        appendEnvelope(text, "ObjectMotion", keys);
        text += "PivotPoint 0.5 0 0\nParentObject " + std::to_string(i) + "\n\n";
    }
    for (int i = 0; i < lights; ++i) {
        text += "AddLight\nLightName L\n";
        appendEnvelope(text, "LightMotion", 1);
        text += "LightColor 255 200 100\nLgtIntensity 0.8\nLightType 2\nConeAngle 20\n"
                "EdgeAngle 30\n\n";
    }
    appendEnvelope(text, "CameraMotion", keys);
    text += "TargetObject " + std::to_string(objects) + "\n";
    return text;
}

void sceneImport(benchmark::State& state) {
    const int objects = static_cast<int>(state.range(0));
    const int keys = static_cast<int>(state.range(1));
    const std::string text = makeScene(objects, keys, 100);
    kzo::ConversionSettings settings;
    settings.animation = 1;
    settings.cameraFile = 1;
    settings.lightFile = 1;
    for (auto _ : state) {
        const kzo::SceneText scene = kzo::makeSceneText("bench.lws", text);
        const kzo::SceneDescription parsed =
            kzo::parseSceneText(scene, nullptr, [](const kzo::SceneObject&, std::size_t) {});
        const std::vector<kzo::OutputFile> files =
            kzo::encodeSideFiles(parsed, settings, "bench.kzo", nullptr);
        benchmark::DoNotOptimize(files.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

} // namespace

BENCHMARK(sceneImport)
    ->Args({10, 60})
    ->Args({250, 600})
    ->Args({999, 1000})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
