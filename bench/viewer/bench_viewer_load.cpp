// Loading the 1036800-triangle tori of bench/models from memory, whole (as
// --snapshot and the window load it: vertices, faces, shared edges) and as a
// summary (as --info loads it: every record read and checked, nothing kept).
#include "bench/models/bench_models.h"
#include "viewer/loaders.h"

#include <benchmark/benchmark.h>

namespace {

void loadTori(benchmark::State& state, kzoview::LoadScope scope) {
    const kzotest::Bytes file = kzobench::toriFile();
    for (auto _ : state) {
        kzoview::ViewerDocument doc;
        kzoview::Load3DSBytes(file.data, "tori.3ds", doc, scope);
        benchmark::DoNotOptimize(doc.mesh.edgeCount);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations() * file.size()));
}

void BM_Load3dsWhole(benchmark::State& state) {
    loadTori(state, kzoview::LoadScope::wholeMesh);
}
BENCHMARK(BM_Load3dsWhole)->Unit(benchmark::kMillisecond);

void BM_Load3dsSummary(benchmark::State& state) {
    loadTori(state, kzoview::LoadScope::summary);
}
BENCHMARK(BM_Load3dsSummary)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
