// Poses from the side files: keys between and beyond, the pivot hierarchy,
// the camera with its parent and target, and files that do not hold together.
#include "viewer/scene_motion.h"

#include "tests/viewer/scene_files.h"
#include "viewer/shaded_view.h"
#include "viewer/viewer_error.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kzotest;
using namespace kzoview;

namespace {

void expectPoint(const Vec3f& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-4f);
    EXPECT_NEAR(p.y, y, 1e-4f);
    EXPECT_NEAR(p.z, z, 1e-4f);
}

template <class Parse>
std::string faultOf(Parse parse, const std::vector<std::uint8_t>& bytes) {
    try {
        parse(bytes, "side.bin");
    } catch (const FatalError& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(SceneMotion, keysInterpolateLinearlyHoldAtTheEndsAndChainThroughParents) {
    // Pivot 2 turns by bank from 0 to 90 degrees over frames 0 to 10, about its
    // pivot point (1, 0, 0); pivot 0 is its child, pivot 1 the child's child:
    // the table lists children before their parents.
    std::vector<ShadedPivot> pivots(3);
    pivots[0].parent = 2;
    pivots[1].parent = 0;
    pivots[2].point = {1, 0, 0};
    MotionFile motion;
    motion.lastFrame = 20;
    motion.tracks = {{key(0, {0, 0, 1})},
                     {key(0, {0, 1, 0})},
                     {key(0, {1, 0, 0}), key(10, {1, 0, 0}, 0, 0, 90)}};

    const auto at = [&](double frame, std::size_t pivot, Vec3f p) {
        return transformPoint(pivotTransforms(pivots, motion, frame)[pivot], p);
    };
    // Bank 90 turns +x onto +y about the pivot point.
    expectPoint(at(0, 2, {2, 0, 0}), 2, 0, 0);
    expectPoint(at(10, 2, {2, 0, 0}), 1, 1, 0);
    expectPoint(at(5, 2, {2, 0, 0}), 1 + 0.70710678f, 0.70710678f, 0);
    expectPoint(at(30, 2, {2, 0, 0}), 1, 1, 0); // the last key holds
    expectPoint(at(-5, 2, {2, 0, 0}), 2, 0, 0); // and the first before it
    // The grandchild's origin: moved by (0, 1, 0), then (0, 0, 1), then turned by pivot 2.
    expectPoint(at(10, 1, {0, 0, 0}), 0, -1, 1);
    expectPoint(at(0, 1, {0, 0, 0}), 0, 1, 1);

    // Heading 90 turns +z onto +x, pitch 90 turns +z onto -y.
    expectPoint(transformPoint(keyTransform(key(0, {}, 90), {}), {0, 0, 1}), 1, 0, 0);
    expectPoint(transformPoint(keyTransform(key(0, {}, 0, 90), {}), {0, 0, 1}), 0, -1, 0);

    // A link to no pivot and a cycle both end the chain instead of looping.
    pivots[2].parent = 1;
    pivots[1].parent = 7;
    EXPECT_EQ(pivotTransforms(pivots, motion, 0).size(), 3u);
}

TEST(SceneMotion, theCameraSeesNinetyDegreesAcrossRidesItsParentAndAimsAtItsTarget) {
    kzo::ByteWriter plain;
    writeMotionBlock(plain, {key(0, {0, 0, -5})});
    plain.i32le(-1);
    plain.i32le(-1);
    const CameraFile still = parseCameraFile(plain.bytes(), "still.cam");
    ASSERT_TRUE(still.camera);
    EXPECT_FALSE(still.parent);
    const CameraPose pose = cameraAt(still, 0);
    expectPoint(pose.position, 0, 0, -5);
    // The right edge of a 100-pixel view lies 45 degrees off the axis.
    const ViewProjection view = cameraProjection(pose, 10, 100, 60);
    EXPECT_FLOAT_EQ(view.scale, 50.0f);

    // No camera block, a parent that carries the camera, a target that moves.
    kzo::ByteWriter riding;
    writeMotionBlock(riding, {key(0, {0, 0, -5})});
    writeMotionBlock(riding, {key(0, {0, 0, 0}), key(10, {3, 0, 0})});
    for (float v : {0.0f, 0.0f, 0.0f}) {
        riding.f32le(v);
    }
    const CameraFile aimed = parseCameraFile(riding.bytes(), "aimed.cam");
    EXPECT_FALSE(aimed.camera);
    ASSERT_TRUE(aimed.parent && aimed.target);
    const CameraPose later = cameraAt(aimed, 10);
    expectPoint(later.position, 0, 0, -5);
    // Its viewing axis, the third row, points from (0, 0, -5) at (3, 0, 0).
    expectPoint({later.turn.r[6], later.turn.r[7], later.turn.r[8]}, 3 / std::sqrt(34.0f), 0,
                5 / std::sqrt(34.0f));

    EXPECT_NE(faultOf(parseCameraFile, {1, 0, 0, 0}).find("side.bin"), std::string::npos);
}

TEST(SceneMotion, sideFilesThatDoNotHoldTogetherFailNamingTheFile) {
    const std::vector<std::uint8_t> mot = motBytes(10, {{key(0), key(10)}});
    EXPECT_EQ(parseMotionFile(mot, "a.mot").tracks[0].size(), 2u);
    for (std::size_t cut : {std::size_t(3), std::size_t(12), mot.size() - 1}) {
        const std::vector<std::uint8_t> part(mot.begin(), mot.begin() + std::ptrdiff_t(cut));
        EXPECT_NE(faultOf(parseMotionFile, part).find("side.bin"), std::string::npos) << cut;
    }
    std::vector<std::uint8_t> huge = motBytes(0, {});
    huge[4] = 0xFF;
    huge[7] = 0x7F;
    EXPECT_NE(faultOf(parseMotionFile, huge).find("motion blocks"), std::string::npos);

    kzo::Light light;
    light.type = kzo::kSpotLight;
    const std::vector<std::uint8_t> kzl = kzlBytes({light, light});
    EXPECT_EQ(parseLightFile(kzl, "a.kzl").size(), 2u);
    const std::vector<std::uint8_t> shortKzl(kzl.begin(), kzl.end() - 1);
    EXPECT_NE(faultOf(parseLightFile, shortKzl).find("side.bin"), std::string::npos);

    EXPECT_EQ(sideFileName("dir/robot.kzo", "mot"), "dir/robot.mot");
}
