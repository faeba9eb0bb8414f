#include "converter/import/scene_lights.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

#include <bit>
#include <cmath>

using namespace kzo;
using namespace kzotest;

namespace {

std::uint32_t bits(float f) {
    return std::bit_cast<std::uint32_t>(f);
}

float cosDegrees(double degrees) {
    return static_cast<float>(std::cos(degrees * 3.141592 / 180.0));
}

SceneDescription lightsOf(const SceneFixture& f, const SceneText& text) {
    SceneDescription scene;
    scene.path = text.path;
    readSceneLights(text, f.model.sink, scene);
    return scene;
}

} // namespace

TEST(LightFile, aBareAddLightWritesTheDefaultRecord) {
    SceneFixture f;
    f.settings.lightFile = 1;
    f.writeSideFiles(lightsOf(f, sceneOf(lws({"AddLight"}))), "out/s.kzo");
    EXPECT_EQ(f.messages, std::vector<std::string>{"'out/s.kzl' Writing..."});
    const auto& bytes = f.output("out/s.kzl");
    ASSERT_EQ(bytes.size(), 4u + 48);
    ByteReader in(bytes);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(in.i32le(), 0); // type
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(bits(in.f32le()), 0u); // position
    }
    EXPECT_EQ(bits(in.f32le()), bits(-0.0f));
    EXPECT_EQ(bits(in.f32le()), bits(0.0f));
    EXPECT_EQ(bits(in.f32le()), bits(-1.0f));
    EXPECT_EQ(in.u32le(), 0u); // colour 0, 0, 0 and the pad byte
    EXPECT_EQ(in.f32le(), 1.0f);
    EXPECT_EQ(in.f32le(), -1.0f);
    EXPECT_EQ(in.f32le(), 1.0f);
    EXPECT_EQ(in.f32le(), cosDegrees(1.0));
}

TEST(LightFile, readsEveryKeywordOfItsOwnLight) {
    SceneFixture f;
    const SceneDescription scene =
        lightsOf(f, sceneOf(lws({"AddLight", "LightName first"}) +
                            envelope("LightMotion", {key(1, 2, 3).hpb(90, 0, 45)}) +
                            lws({"LightColor 255 128 0", "LgtIntensity 0.75", "LightType 2",
                                 "LightRange 12.5", "ConeAngle 30", "EdgeAngle 20", "AddLight",
                                 "LightColor 300 -1 7", "ConeAngle 30", "EdgeAngle 40"}) +
                            envelope("LightMotion", {key(0, 0, 0).hpb(0, 90, 0)})));
    ASSERT_EQ(scene.lights.size(), 2u);
    const Light& a = scene.lights[0];
    EXPECT_EQ(a.type, 2);
    EXPECT_EQ(a.position[0], 1.0f);
    EXPECT_EQ(a.position[2], 3.0f);
    EXPECT_NEAR(a.direction[0], -1.0f, 1e-6);
    EXPECT_NEAR(a.direction[1], 0.0f, 1e-6);
    EXPECT_NEAR(a.direction[2], 0.0f, 1e-6);
    EXPECT_EQ(a.color[0], 255);
    EXPECT_EQ(a.color[1], 128);
    EXPECT_EQ(a.color[2], 0);
    EXPECT_EQ(a.intensity, 0.75f);
    EXPECT_EQ(a.range, 12.5f);
    EXPECT_EQ(a.coneCos, cosDegrees(30.0));
    EXPECT_EQ(a.edgeCos, cosDegrees(31.0)); // an edge inside the cone moves out to cone + 1

    const Light& b = scene.lights[1];
    EXPECT_EQ(b.color[0], 300 & 0xFF);
    EXPECT_EQ(b.color[1], 0xFF);
    EXPECT_EQ(b.color[2], 7);
    EXPECT_EQ(b.intensity, 1.0f);
    EXPECT_EQ(b.edgeCos, cosDegrees(40.0));
    EXPECT_NEAR(b.direction[1], 1.0f, 1e-6);
}

TEST(LightFile, ambientColorIsScaledByAmbIntensity) {
    SceneFixture f;
    const SceneDescription scene =
        lightsOf(f, sceneOf(lws({"AmbientColor 200 100 50", "AmbIntensity 0.5", "AddLight"})));
    EXPECT_EQ(scene.ambientColor[0], 100.0f);
    EXPECT_EQ(scene.ambientColor[1], 50.0f);
    EXPECT_EQ(scene.ambientColor[2], 25.0f);

    // White at full intensity by default.
    EXPECT_EQ(lightsOf(f, sceneOf(lws({"AddLight"}))).ambientColor[0], 255.0f);
}

TEST(LightFile, aSceneWithoutLightsHasNoneAndWritesNoFile) {
    SceneFixture f;
    f.settings.lightFile = 1;
    const SceneDescription scene =
        lightsOf(f, sceneOf(lws({"AmbientColor 1 2 3", "LightColor 1 2 3"})));
    f.writeSideFiles(scene, "s.kzo");
    EXPECT_TRUE(scene.lights.empty());
    EXPECT_EQ(scene.ambientColor[0], 0.0f);
    EXPECT_TRUE(f.outputs.empty());
    EXPECT_TRUE(f.messages.empty());
}

TEST(LightFile, theLightOptionOffWritesNothing) {
    SceneFixture f;
    f.writeSideFiles(lightsOf(f, sceneOf(lws({"AddLight"}))), "s.kzo");
    EXPECT_TRUE(f.outputs.empty());
    EXPECT_TRUE(f.messages.empty());
}

TEST(LightFile, keywordsBeforeTheFirstAddLightChangeNoLight) {
    SceneFixture f;
    const SceneDescription scene =
        lightsOf(f, sceneOf(lws({"LightColor 9 9 9", "LightType 1"}) +
                            envelope("LightMotion", {key(5, 5, 5)}) + lws({"AddLight"})));
    ASSERT_EQ(scene.lights.size(), 1u);
    EXPECT_EQ(scene.lights[0].type, 0);
    EXPECT_EQ(scene.lights[0].color[0], 0);
    EXPECT_EQ(scene.lights[0].position[0], 0.0f);
}

TEST(LightFile, moreLightsThanTheTableHoldsIsAnError) {
    SceneFixture f;
    std::string text;
    for (int i = 0; i < kMaxLights + 1; ++i) {
        text += "AddLight\n";
    }
    EXPECT_THROW(lightsOf(f, makeSceneText("big.lws", text)), FatalErrorSignal);
    ASSERT_EQ(f.messages.size(), 1u);
    EXPECT_EQ(f.messages[0], "ERROR: 'big.lws' has 2001 lights; the light table holds 2000");
}

TEST(LightFile, aValueThatIsNotFiniteStopsTheLightFile) {
    SceneFixture f;
    f.settings.lightFile = 1;
    const SceneDescription nan =
        lightsOf(f, sceneOf(lws({"AddLight", "AddLight", "LgtIntensity nan"})));
    EXPECT_THROW(f.writeSideFiles(nan, "s.kzo"), FatalErrorSignal);
    EXPECT_EQ(f.messages.back(),
              "ERROR: 'test.lws': light 1 holds a value that is not a finite number");
    EXPECT_TRUE(f.outputs.empty());

    const SceneDescription inf = lightsOf(f, sceneOf(lws({"AddLight", "ConeAngle inf"})));
    EXPECT_THROW(f.writeSideFiles(inf, "s.kzo"), FatalErrorSignal); // cos(inf) is no number
}
