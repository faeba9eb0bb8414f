// A scene of another format plays in the viewer from the files the kzomaker
// program writes, as the LightWave scene of the same objects, keys, camera
// and lights plays: the same picture at every frame, seen through the camera.
#include "tests/converter/scene/same_scene.h"
#include "viewer/loaders.h"
#include "viewer/view_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace kzotest;
namespace fs = std::filesystem;

namespace {

fs::path scratchDirectory() {
    auto dir =
        fs::temp_directory_path() / ("kzoview_played_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string convert(const fs::path& input, const fs::path& into) {
    fs::create_directories(into);
    const std::string command = std::string("\"") + KZOMAKER_PATH +
                                "\" -q --shading 1 --animation --camera --light --output-dir \"" +
                                into.string() + "\" \"" + input.string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return (into / "scene.kzo").string();
}

kzoview::RasterImage frame(const std::string& file, int number) {
    const kzoview::ViewCommand command = kzoview::parseViewCommand(
        {"--snapshot", "out.png", "--shaded", "--lights", "--frame", std::to_string(number), file});
    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile(command.file, doc);
    kzoview::ViewSession session;
    EXPECT_EQ(kzoview::openSession(session, doc.mesh, command), "");
    return kzoview::renderSnapshot(session, 160, 120);
}

std::size_t differingPixels(const kzoview::RasterImage& a, const kzoview::RasterImage& b) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
        count += a.pixels[i] != b.pixels[i] ? 1 : 0;
    }
    return count + (a.pixels.size() > b.pixels.size() ? a.pixels.size() - b.pixels.size()
                                                      : b.pixels.size() - a.pixels.size());
}

} // namespace

// The two scenes' files agree within 1e-4, not to the bit, so a pixel on an
// edge may fall either way: a few in the thousand may differ, no more. The
// pictures must change as the scene plays.
TEST(PlayedScene, aGltfScenePlaysAsTheSameLightWaveScene) {
    const fs::path dir = scratchDirectory();
    const SameScene scene = sameScene();
    const LightWaveFiles lightWave = asLightWave(scene);
    writeFile(dir / "scene.lws", lightWave.scene);
    for (const auto& [name, bytes] : lightWave.objects) {
        writeFile(dir / name, std::string(bytes.data.begin(), bytes.data.end()));
    }
    writeFile(dir / "scene.gltf", asGltf(scene, {1.0f, 9.5625f, 4.78125f}));
    const std::string fromLightWave = convert(dir / "scene.lws", dir / "lws");
    const std::string fromGltf = convert(dir / "scene.gltf", dir / "gltf");
    const kzoview::RasterImage start = frame(fromLightWave, 0);
    for (const int number : {0, 10, 15, 30}) {
        const kzoview::RasterImage want = frame(fromLightWave, number);
        const kzoview::RasterImage got = frame(fromGltf, number);
        EXPECT_LE(differingPixels(got, want), want.pixels.size() / 250) << "frame " << number;
        if (number > 0) {
            EXPECT_GT(differingPixels(want, start), want.pixels.size() / 100) << "frame " << number;
        }
    }
    fs::remove_all(dir);
}
