// The views of one open file as the window and --snapshot get them: a pivot
// turned 90 degrees at frame 10, the play keys, and the wireframe untouched
// by everything added to it.
#include "viewer/view_session.h"

#include "tests/viewer/scene_files.h"
#include "viewer/first_frame.h"
#include "viewer/loaders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace kzotest;
using namespace kzoview;

namespace {

std::filesystem::path scratchDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir =
        std::filesystem::temp_directory_path() / ("kzoview_session_" + std::string(test->name()) +
                                                  "_" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

// Two bars 2 long from the origin, white, facing the eye: pivot 0's along +x
// turns by bank to +y over frames 0 to 10; pivot 1's along -x stands still.
// At frame 0 the bounds are x -2..2, so on a 40-pixel square a point (x, y)
// lands on (20 + 7.5 x, 20 - 7.5 y).
std::string writeTurningScene(const std::filesystem::path& dir) {
    SceneKzo kzo;
    kzo.vertices = {{0, -0.1f, 0},  {2, -0.1f, 0}, {2, 0.1f, 0}, {0, 0.1f, 0},
                    {-2, -0.1f, 0}, {0, -0.1f, 0}, {0, 0.1f, 0}, {-2, 0.1f, 0}};
    kzo.faces = {{0, 1, 2}, {0, 2, 3}, {4, 5, 6}, {4, 6, 7}};
    kzo.materials = {{255, 255, 255, 0, false, 4}};
    kzo.pivots = {{{0, 0, 0}, kzo::kKzoNoParent, 4}, {{0, 0, 0}, kzo::kKzoNoParent, 4}};
    const std::string name = (dir / "bars.kzo").string();
    writeBytes(name, kzoBytes(kzo));
    writeBytes(dir / "bars.mot", motBytes(20, {{key(0), key(10, {}, 0, 0, 90)}, {key(0)}}));
    return name;
}

struct Open {
    ViewerDocument doc;
    ViewSession session;
    std::string error;
};

void open(Open& o, const std::vector<std::string>& args) {
    const ViewCommand command = parseViewCommand(args);
    LoadObjectFile(command.file, o.doc);
    o.error = openSession(o.session, o.doc.mesh, command);
}

RasterImage snapshot(const std::string& file, std::vector<std::string> options) {
    Open o;
    options.insert(options.begin(), {"--snapshot", "out.png", "--size", "40x40"});
    options.push_back(file);
    open(o, options);
    EXPECT_EQ(o.error, "");
    return renderSnapshot(o.session, 40, 40);
}

} // namespace

TEST(ViewSession, aPivotTurnedNinetyDegreesAtFrameTenPlaysThroughItsKeys) {
    const std::string file = writeTurningScene(scratchDirectory());
    const std::uint32_t white = kWhite;
    const RasterImage start = snapshot(file, {"--shaded", "--frame", "0"});
    EXPECT_EQ(start.at(32, 20), white);
    EXPECT_EQ(start.at(20, 8), kBlack);
    EXPECT_EQ(start.at(8, 20), white);

    const RasterImage turned = snapshot(file, {"--shaded", "--frame", "10"});
    EXPECT_EQ(turned.at(32, 20), kBlack);
    EXPECT_EQ(turned.at(20, 8), white);
    EXPECT_EQ(turned.at(8, 20), white);

    EXPECT_EQ(snapshot(file, {"--shaded", "--frame", "5"}).at(27, 12),
              white); // halfway: 45 degrees
    EXPECT_EQ(snapshot(file, {"--shaded", "--frame", "15"}).pixels, turned.pixels);
    // --play alone starts at frame 0; without it the file's own positions show,
    // the side files beside it notwithstanding.
    EXPECT_EQ(snapshot(file, {"--shaded", "--play"}).pixels, start.pixels);
    EXPECT_EQ(snapshot(file, {"--shaded"}).at(32, 20), white);
    // The played scene without --shaded: its edges, white where faces face the eye.
    EXPECT_EQ(snapshot(file, {"--frame", "10"}).at(20, 5), white);
}

TEST(ViewSession, playKeysAndPassingTimeStepTheFramesRoundTheScene) {
    const std::string file = writeTurningScene(scratchDirectory());
    Open o;
    open(o, {file});
    ASSERT_EQ(o.error, "");
    ViewSession& s = o.session;
    EXPECT_FALSE(pressKey(s, ViewKey::nextFrame)); // nothing plays yet
    EXPECT_FALSE(advancePlay(s, 1000));
    EXPECT_TRUE(pressKey(s, ViewKey::play));
    EXPECT_TRUE(s.playing);
    EXPECT_TRUE(pressKey(s, ViewKey::nextFrame));
    EXPECT_EQ(s.frame, 1);
    pressKey(s, ViewKey::previousFrame);
    pressKey(s, ViewKey::previousFrame);
    EXPECT_EQ(s.frame, 20); // back past the first frame to the last

    pressKey(s, ViewKey::pause);
    EXPECT_FALSE(advancePlay(s, 1000));
    pressKey(s, ViewKey::pause);
    // 30 frames a second: 100 ms are three frames, and the loop starts again at 0.
    EXPECT_TRUE(advancePlay(s, 100));
    EXPECT_EQ(s.frame, 2);
    EXPECT_FALSE(advancePlay(s, 20));
    EXPECT_TRUE(advancePlay(s, 20));
    EXPECT_EQ(s.frame, 3);

    EXPECT_TRUE(pressKey(s, ViewKey::shaded));
    EXPECT_TRUE(s.shaded);
    EXPECT_TRUE(pressKey(s, ViewKey::play));
    EXPECT_FALSE(s.playing);

    // Without its motion file the scene does not play, and says why.
    Open plain;
    std::filesystem::remove(std::filesystem::path(file).replace_extension("mot"));
    open(plain, {file});
    EXPECT_FALSE(pressKey(plain.session, ViewKey::play));
    EXPECT_NE(plain.session.notice.find("bars.mot"), std::string::npos);
    Open asked;
    open(asked, {"--play", file});
    EXPECT_NE(asked.error.find("bars.mot"), std::string::npos);
    Open lit;
    open(lit, {"--lights", file});
    EXPECT_NE(lit.error.find("bars.kzl"), std::string::npos);
}

TEST(ViewSession, theWireframeStaysAsItWasWhateverViewWasShownBetween) {
    const std::string file = writeTurningScene(scratchDirectory());
    ViewerDocument reference;
    LoadObjectFile(file, reference);
    const RasterImage described = renderFirstFrame(reference.mesh, 40, 40);
    EXPECT_EQ(snapshot(file, {}).pixels, described.pixels);
    // The thumbnail of a file without baked light is its wireframe.
    EXPECT_EQ(snapshot(file, {"--auto-shaded"}).pixels, described.pixels);

    Open o;
    open(o, {file});
    RasterImage image;
    paintSession(o.session, 40, 40, image);
    const std::vector<std::uint32_t> before = image.pixels;
    pressKey(o.session, ViewKey::shaded);
    paintSession(o.session, 40, 40, image);
    EXPECT_NE(image.pixels, before);
    pressKey(o.session, ViewKey::shaded);
    paintSession(o.session, 40, 40, image);
    EXPECT_EQ(image.pixels, before);

    // Turns made while shaded reach the wireframe's vertices when it returns.
    pressKey(o.session, ViewKey::shaded);
    o.session.view.rotation = verticalStep(512); // half a turn
    paintSession(o.session, 40, 40, image);
    pressKey(o.session, ViewKey::shaded);
    paintSession(o.session, 40, 40, image);
    EXPECT_NEAR(o.doc.mesh.vertexArray[1].x, -2.0f, 1e-4f);
}

TEST(ViewSession, theThumbnailOfAPrecalculatedFileShowsItsBakedLight) {
    const auto dir = scratchDirectory();
    SceneKzo kzo;
    kzo.vertices = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    kzo.faces = {{0, 1, 2}};
    kzo.materials = {{255, 255, 255, 0, false, 1}};
    kzo.shadingType = kzo::kPrecalcFlat;
    kzo.shadingData = {90, 60, 30, 30};
    const std::string file = (dir / "baked.kzo").string();
    writeBytes(file, kzoBytes(kzo));
    EXPECT_EQ(snapshot(file, {"--auto-shaded"}).at(20, 20), 0xFF5A3C1Eu);
}
