// One whole conversion as the command line runs it, without the program's
// start-up: the 19906-vertex one-object grid of bench/models read from disk,
// converted and its .kzo written. scripts/measure_floor.py times the program
// itself against assimp's export of the same file.
#include "bench/models/bench_models.h"
#include "converter/pipeline/convert_file.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

void BM_ConvertGridFile(benchmark::State& state) {
    const auto directory = std::filesystem::temp_directory_path() / "bench_convert_file";
    std::filesystem::create_directories(directory);
    const std::string input = (directory / "grid.3ds").string();
    {
        const kzotest::Bytes file = kzobench::gridFile();
        std::ofstream out(input, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data.data()), std::streamsize(file.size()));
    }
    const auto model = std::make_unique<kzo::SceneModel>();
    const kzo::ConversionSettings settings;
    for (auto _ : state) {
        std::string output = (directory / "grid.3ds").string();
        if (kzo::convertFile(*model, input, output, settings) !=
            kzo::ConversionOutcome::converted) {
            state.SkipWithError("the grid did not convert");
            break;
        }
    }
    state.counters["vertices"] = model->vertexCount;
    state.counters["faces"] = model->faceCount;
    std::filesystem::remove_all(directory);
}
BENCHMARK(BM_ConvertGridFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
