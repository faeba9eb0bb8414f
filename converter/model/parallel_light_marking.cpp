#include "converter/model/parallel_light_marking.h"

#include "converter/model/mark_lit_vertices.h"
#include "converter/model/precalculate_colors.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <latch>
#include <mutex>
#include <thread>

namespace kzo {

namespace {

std::size_t at(std::int32_t index) {
    return static_cast<std::size_t>(index);
}

struct SharedRun {
    SharedRun(const SceneModel& m, ShadowTest t, LightMarks& k) : model(m), test(t), marks(k) {}
    const SceneModel& model;
    ShadowTest test;
    LightMarks& marks;
    std::atomic<std::int32_t> nextLight{0};
    std::atomic<bool> failed{false};
    std::mutex failureLock;
    std::mutex treeLock;
    std::exception_ptr failure;
};

void storeRow(const ShadowIndex& index, std::int32_t vertexCount, std::uint64_t* row) {
    for (std::int32_t i = 0; i < vertexCount; ++i) {
        row[at(i) / 64] |= static_cast<std::uint64_t>(index.lit[at(i)] != 0 ? 1 : 0) << (i % 64);
    }
}

void recordFailure(SharedRun& run) {
    const std::lock_guard<std::mutex> guard(run.failureLock);
    if (!run.failure) {
        run.failure = std::current_exception();
    }
    run.failed.store(true);
}

void markLights(SharedRun& run, ShadowIndex& index) {
    try {
        for (;;) {
            const std::int32_t light = run.nextLight.fetch_add(1);
            if (light >= run.model.lightCount || run.failed.load()) {
                return;
            }
            if (!lightAddsLight(run.model.lights[at(light)])) {
                continue;
            }
            markLitInIndex(run.model, light, index);
            storeRow(index, run.model.vertexCount,
                     run.marks.bits.data() + at(light) * run.marks.wordsPerLight);
        }
    } catch (...) {
        recordFailure(run);
    }
}

// Each thread builds its own index; the first index's trees then serve all,
// so none may be built before every index has been built (and its trees
// reset).
void buildAndMark(SharedRun& run, std::vector<ShadowIndex>& indexes, int thread,
                  std::latch& built) {
    ShadowIndex& index = indexes[at(thread)];
    try {
        buildShadowIndex(run.model, index, run.test);
        index.sharedTrees = thread > 0 ? &indexes.front().ownTrees : nullptr;
        index.treeLock = &run.treeLock;
    } catch (...) {
        recordFailure(run);
    }
    built.arrive_and_wait();
    markLights(run, index);
}

} // namespace

void markLightsOnThreads(const SceneModel& model, ShadowTest test,
                         std::vector<ShadowIndex>& indexes, int threads, LightMarks& marks) {
    marks.wordsPerLight = (at(std::max(model.vertexCount, 0)) + 63) / 64;
    marks.bits.assign(marks.wordsPerLight * at(std::max(model.lightCount, 0)), 0);
    SharedRun run(model, test, marks);
    std::latch built(threads);
    {
        std::vector<std::jthread> helpers;
        int started = 1;
        try {
            helpers.reserve(at(threads - 1));
            for (; started < threads; ++started) {
                const int t = started;
                helpers.emplace_back(
                    [&run, &indexes, t, &built] { buildAndMark(run, indexes, t, built); });
            }
        } catch (...) {
            // The threads that did start must not wait for the others.
            recordFailure(run);
            built.count_down(threads - started);
        }
        buildAndMark(run, indexes, 0, built);
    } // the helpers join here
    if (run.failure) {
        std::rethrow_exception(run.failure);
    }
}

} // namespace kzo
