// Ambient occlusion and the bounce of precalculated colours on the bumpy
// torus of 7300 vertices and 14600 faces under 11 lights (bumpy_torus.h),
// 64 rays per vertex (467200 rays), against Embree itself.
//
// againstEmbree, on one thread, in every iteration: the bake without the
// options, the bake with --occlusion, and Embree alone casting the very rays
// of that bake (the same triangles, origins, directions and reach) with
// rtcOccluded1 into a scene built on one thread. The goal: what --occlusion
// adds to the bake takes at most 1.5 times what Embree needs for its rays.
// Counters (milliseconds of processor time per iteration): plain_ms,
// occlusion_ms, added_ms (their difference), embree_build_ms, embree_rays_ms,
// and added_per_embree (added_ms over embree_build_ms + embree_rays_ms: at
// most 1.5) and added_per_embree_rays (over embree_rays_ms alone).
//
// bake times the whole bake (lights, shadows, rays, colours) without the
// options, with --occlusion and with --occlusion --bounce, on 1 and 2
// threads; the goal is 1.7 times the speed on 2 idle cores. cpu_ms is the
// processor time of all threads per iteration.
// Run: build/bench/converter/bench_indirect_light (on an idle machine)
#include "bench/converter/bumpy_torus.h"
#include "converter/model/hemisphere_rays.h"
#include "converter/model/indirect_light.h"
#include "converter/model/precalculate_colors.h"

#include <benchmark/benchmark.h>
#include <embree3/rtcore.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <vector>

namespace {

// The processor time of the process: everything here runs on one thread, so
// it is that thread's time, which other programs on a busy machine do not
// stretch as they stretch the wall time.
struct Stopwatch {
    std::clock_t start = std::clock();
    double milliseconds() const {
        return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    }
};

kzo::ConversionSettings bakeSettings(int threads, bool occlusion, bool bounce) {
    kzo::ConversionSettings settings;
    settings.shadingType = kzo::kPrecalcGouraud;
    settings.shadows.threads = threads;
    settings.indirectLight.occlusion = occlusion ? 1 : 0;
    settings.indirectLight.bounce = bounce ? 1 : 0;
    return settings;
}

// The rays the bake casts, written out: from every vertex, above it by the
// reach's offset, the set turned onto its normal.
std::vector<RTCRay> bakeRays(const kzo::SceneModel& model,
                             const kzo::IndirectLightOptions& options) {
    const kzo::RayReach reach = kzo::rayReach(model, options);
    const std::vector<float> set = kzo::cosineHemisphere(options.rays);
    std::vector<float> directions(set.size());
    std::vector<RTCRay> rays;
    for (int i = 0; i < model.vertexCount; ++i) {
        const kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        kzo::turnOntoNormal(set, v.normal, i, directions.data());
        for (std::size_t k = 0; k < set.size() / 3; ++k) {
            RTCRay r{};
            r.org_x = v.x + v.normal[0] * reach.offset;
            r.org_y = v.y + v.normal[1] * reach.offset;
            r.org_z = v.z + v.normal[2] * reach.offset;
            r.tnear = reach.near;
            r.dir_x = directions[3 * k];
            r.dir_y = directions[3 * k + 1];
            r.dir_z = directions[3 * k + 2];
            r.tfar = reach.far;
            r.mask = 0xFFFFFFFFu;
            rays.push_back(r);
        }
    }
    return rays;
}

// Embree as a user of it would call it: a device building on one thread, the
// model's triangles, and one rtcOccluded1 per ray.
struct EmbreeAlone {
    RTCDevice device = rtcNewDevice("threads=1");
    RTCScene scene = nullptr;

    ~EmbreeAlone() {
        if (scene != nullptr) {
            rtcReleaseScene(scene);
        }
        rtcReleaseDevice(device);
    }

    void build(const kzo::SceneModel& model) {
        if (scene != nullptr) {
            rtcReleaseScene(scene);
        }
        scene = rtcNewScene(device);
        rtcSetSceneFlags(scene, RTC_SCENE_FLAG_ROBUST);
        RTCGeometry geometry = rtcNewGeometry(device, RTC_GEOMETRY_TYPE_TRIANGLE);
        auto* p = static_cast<float*>(rtcSetNewGeometryBuffer(
            geometry, RTC_BUFFER_TYPE_VERTEX, 0, RTC_FORMAT_FLOAT3, 3 * sizeof(float),
            static_cast<std::size_t>(model.vertexCount)));
        auto* c = static_cast<unsigned*>(rtcSetNewGeometryBuffer(
            geometry, RTC_BUFFER_TYPE_INDEX, 0, RTC_FORMAT_UINT3, 3 * sizeof(unsigned),
            static_cast<std::size_t>(model.faceCount)));
        for (int i = 0; i < model.vertexCount; ++i) {
            const kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
            p[3 * i] = v.x;
            p[3 * i + 1] = v.y;
            p[3 * i + 2] = v.z;
        }
        for (int i = 0; i < model.faceCount; ++i) {
            for (int k = 0; k < 3; ++k) {
                c[3 * i + k] = model.faces[static_cast<std::size_t>(i)].vertexIndex[k];
            }
        }
        rtcCommitGeometry(geometry);
        rtcAttachGeometry(scene, geometry);
        rtcReleaseGeometry(geometry);
        rtcCommitScene(scene);
    }

    std::size_t cast(const std::vector<RTCRay>& rays) const {
        RTCIntersectContext context;
        rtcInitIntersectContext(&context);
        std::size_t blocked = 0;
        for (RTCRay ray : rays) {
            rtcOccluded1(scene, &context, &ray);
            blocked += ray.tfar < 0.0f ? 1 : 0;
        }
        return blocked;
    }
};

std::unique_ptr<kzo::SceneModel> torus() {
    auto model = std::make_unique<kzo::SceneModel>();
    kzobench::buildBumpyTorus(*model, kzobench::kTorusMeshes[1], 1);
    return model;
}

void againstEmbree(benchmark::State& state) {
    auto model = torus();
    const kzo::ConversionSettings plain = bakeSettings(1, false, false);
    const kzo::ConversionSettings occluded = bakeSettings(1, true, false);
    const std::vector<RTCRay> rays = bakeRays(*model, occluded.indirectLight);
    EmbreeAlone embree;
    double plainMs = 0, occlusionMs = 0, buildMs = 0, raysMs = 0;
    std::size_t blocked = 0;
    for (auto _ : state) {
        const Stopwatch plainTime;
        kzo::precalculateColors(*model, plain);
        plainMs += plainTime.milliseconds();
        const Stopwatch occlusionTime;
        kzo::precalculateColors(*model, occluded);
        occlusionMs += occlusionTime.milliseconds();
        const Stopwatch buildTime;
        embree.build(*model);
        buildMs += buildTime.milliseconds();
        const Stopwatch raysTime;
        blocked = embree.cast(rays);
        raysMs += raysTime.milliseconds();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["plain_ms"] = plainMs / n;
    state.counters["occlusion_ms"] = occlusionMs / n;
    state.counters["added_ms"] = (occlusionMs - plainMs) / n;
    state.counters["embree_build_ms"] = buildMs / n;
    state.counters["embree_rays_ms"] = raysMs / n;
    state.counters["added_per_embree"] = (occlusionMs - plainMs) / (buildMs + raysMs);
    state.counters["added_per_embree_rays"] = (occlusionMs - plainMs) / raysMs;
    state.counters["rays"] = static_cast<double>(rays.size());
    state.counters["blocked_share"] =
        static_cast<double>(blocked) / static_cast<double>(rays.size());
}

// Arguments: threads, options (0 none, 1 --occlusion, 2 --occlusion --bounce).
void bake(benchmark::State& state) {
    auto model = torus();
    const std::int64_t options = state.range(1);
    const kzo::ConversionSettings settings =
        bakeSettings(static_cast<int>(state.range(0)), options >= 1, options >= 2);
    const std::clock_t start = std::clock();
    for (auto _ : state) {
        kzo::precalculateColors(*model, settings);
    }
    const double cpu = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["cpu_ms"] = 1000 * cpu / static_cast<double>(state.iterations());
    state.counters["vertices"] = model->vertexCount;
}

} // namespace

BENCHMARK(againstEmbree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(bake)
    ->ArgsProduct({{1, 2}, {0, 1, 2}})
    ->ArgNames({"threads", "options"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
