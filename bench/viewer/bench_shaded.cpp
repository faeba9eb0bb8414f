// The shaded paint of a 20000-triangle sphere with baked corner colours (the
// interpolated fill, the heaviest) into a 1280 x 720 client area, seen from
// the viewer's distance and from near enough to fill the frame, turning by
// the form's initial timer step every frame as the idle spin does; the same
// sphere textured with one 1024 x 1024 image; and a whole --snapshot of
// either, as the program makes it: the file loaded, the texture read and
// mipmapped, the frame drawn and written as a PNG. One core: the paint runs
// on the window's thread.
#include "bench/models/bench_models.h"
#include "viewer/app/snapshot_png.h"
#include "viewer/loaders.h"
#include "viewer/model_textures.h"
#include "viewer/shaded_view.h"
#include "viewer/view_session.h"
#include "viewer/view_state.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

void writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The sphere's files in a folder of their own: sphere.kzo, textured or not,
// and sphere.tga beside it.
fs::path sphereFolder(bool textured) {
    const fs::path dir =
        fs::temp_directory_path() / (textured ? "kzo_bench_textured_sphere" : "kzo_bench_sphere");
    fs::create_directories(dir);
    writeFile(dir / "sphere.kzo", kzobench::sphereKzo(100, 100, textured));
    writeFile(dir / "sphere.tga", kzobench::sphereTexture(1024).data);
    return dir;
}

void drawTurning(benchmark::State& state, const kzoview::ShadedModel& model) {
    kzoview::ShadedFrame frame;
    kzoview::restPose(model, frame);
    kzoview::MeshPlacement place;
    // 4: the viewer's own distance for a unit sphere; 2.2: near enough that
    // the sphere covers the frame's whole height.
    place.viewDistance = float(state.range(0)) / 10;
    kzoview::ViewState view;
    kzoview::FormCreate(view);
    kzoview::Matrix3 orientation = kzoview::kIdentityMatrix;
    kzoview::RasterImage image;
    kzoview::DepthBuffer depth;
    kzoview::ShadedScratch scratch;
    for (auto _ : state) {
        kzoview::Timer1Timer(view);
        kzoview::MultiplyMatrix(orientation, orientation, view.rotation);
        view.rotation = kzoview::kIdentityMatrix;
        kzoview::resetImage(image, kWidth + 1, kHeight + 1, kzoview::kBlack);
        kzoview::resetDepth(depth, image.width, image.height);
        kzoview::drawShaded(model, frame,
                            kzoview::turningProjection(place, orientation, kWidth, kHeight), image,
                            depth, scratch);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["faces"] = double(model.triangles.size());
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_DrawShaded(benchmark::State& state) {
    drawTurning(state, kzoview::loadShadedKzo(kzobench::sphereKzo(100, 100, false), "sphere.kzo"));
}
BENCHMARK(BM_DrawShaded)->Arg(40)->Arg(22)->Unit(benchmark::kMillisecond);

void BM_DrawTextured(benchmark::State& state) {
    const fs::path dir = sphereFolder(true);
    const std::string file = (dir / "sphere.kzo").string();
    kzoview::ShadedModel model = kzoview::loadShadedKzoFile(file);
    kzoview::readModelTextures(model, {file, {}}, {});
    if (!kzoview::showsTextures(model)) {
        state.SkipWithError("the sphere's texture was not read");
        return;
    }
    drawTurning(state, model);
}
BENCHMARK(BM_DrawTextured)->Arg(40)->Arg(22)->Unit(benchmark::kMillisecond);

// kzoview --snapshot OUT.png --size 1280x720 --shaded sphere.kzo, with the
// texture (1) or without (0).
void BM_Snapshot(benchmark::State& state) {
    const bool textured = state.range(0) != 0;
    const fs::path dir = sphereFolder(textured);
    const std::string out = (dir / "out.png").string();
    const kzoview::ViewCommand command = kzoview::parseViewCommand(
        {"--snapshot", out, "--size", "1280x720", "--shaded", (dir / "sphere.kzo").string()});
    for (auto _ : state) {
        kzoview::ViewerDocument doc;
        kzoview::LoadObjectFile(command.file, doc);
        kzoview::ViewSession session;
        if (!kzoview::openSession(session, doc.mesh, command).empty()) {
            state.SkipWithError("the sphere did not open");
            return;
        }
        const kzoview::RasterImage frame = kzoview::renderSnapshot(session, kWidth, kHeight);
        if (textured != kzoview::showsTextures(*session.model)) {
            state.SkipWithError("the sphere's texture was not read as it should be");
            return;
        }
        if (!kzoview::writeSnapshotPng(frame, out).empty()) {
            state.SkipWithError("the snapshot was not written");
            return;
        }
    }
}
BENCHMARK(BM_Snapshot)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
