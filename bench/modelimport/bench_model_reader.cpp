// What reading a model in the model reader's processes costs over reading it
// with the module loaded into the program, as the programs did before: the
// same files both ways, a triangle, the test model of three formats (OBJ,
// glTF), and a 100 x 100 grid of quads (20000 triangles) as OBJ. The machine
// is shared, so the figure is processor time (user and system) of this
// process and of the reader's processes, not wall time: each iteration reads
// the file ten times on a fresh thread, whose reader starts with its first
// read and is collected when the thread ends, and counts a tenth of the time
// per read. The in-process reads load the module once, before the timing.
#include "format/module_loader.h"
#include "format/system_calls.h"
#include "modelimport/model_import.h"
#include "modelimport/model_module_api.h"
#include "tests/support/model_formats.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace {

namespace fs = std::filesystem;

constexpr int kReadsPerIteration = 10;

const fs::path& folder() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / "bench_model_reader";
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A flat grid of side x side quads.
std::string gridObj(int side) {
    std::string text;
    for (int y = 0; y <= side; ++y) {
        for (int x = 0; x <= side; ++x) {
            text += "v " + std::to_string(x) + " 0 " + std::to_string(y) + "\n";
        }
    }
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int a = y * (side + 1) + x + 1;
            const int b = a + side + 1;
            text += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " +
                    std::to_string(b + 1) + " " + std::to_string(b) + "\n";
        }
    }
    return text;
}

const char* const kInputs[] = {"triangle.obj", "model.obj", "model.gltf", "grid.obj"};

// Writes the inputs once; returns the path of the one numbered.
std::string input(std::int64_t which) {
    static const bool written = [] {
        writeFile(folder() / "triangle.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        const kzotest::TestModel model = kzotest::roofAndWall();
        writeFile(folder() / "model.obj", kzotest::asObj(model, "model.mtl"));
        writeFile(folder() / "model.mtl", kzotest::asMtl(model));
        const kzotest::GltfFiles gltf = kzotest::asGltf(model, "model.bin");
        writeFile(folder() / "model.gltf", gltf.json);
        std::ofstream(folder() / "model.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(gltf.bin.data.data()),
                   static_cast<std::streamsize>(gltf.bin.size()));
        writeFile(folder() / "grid.obj", gridObj(100));
        return true;
    }();
    static_cast<void>(written);
    return (folder() / kInputs[which]).string();
}

// Runs reads kReadsPerIteration times per iteration and counts processor
// time per read.
void timeReads(benchmark::State& state, const std::function<void()>& reads) {
    for (auto _ : state) {
        const double before = kzo::sys::processorSeconds();
        reads();
        state.SetIterationTime((kzo::sys::processorSeconds() - before) / kReadsPerIteration);
    }
    state.SetLabel(kInputs[state.range(0)]);
}

void BM_ReadInProcess(benchmark::State& state) {
    const std::string path = input(state.range(0));
    const auto& api = kzo::moduleEntries<kzo::ModelModuleApi>(
        kzo::kModelModuleFile, kzo::kModelModuleSymbol, kzo::kModelModuleVersion);
    const kzo::ModelReadOptions options;
    timeReads(state, [&] {
        for (int i = 0; i < kReadsPerIteration; ++i) {
            kzo::ImportedModel model;
            std::string error;
            kzo::ModelErrorStage stage{};
            if (!api.readModel(path.c_str(), &options, &model, &error, &stage)) {
                state.SkipWithError(error.c_str());
            }
            benchmark::DoNotOptimize(model.triangles.data());
        }
    });
}
BENCHMARK(BM_ReadInProcess)->DenseRange(0, 3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ReadThroughReader(benchmark::State& state) {
    const std::string path = input(state.range(0));
    timeReads(state, [&] {
        std::thread([&] {
            for (int i = 0; i < kReadsPerIteration; ++i) {
                benchmark::DoNotOptimize(kzo::readModelFile(path).triangles.data());
            }
        }).join();
    });
}
BENCHMARK(BM_ReadThroughReader)->DenseRange(0, 3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
