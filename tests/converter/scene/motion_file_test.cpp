#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

using namespace kzo;
using namespace kzotest;

TEST(MotionFile, writesOneBlockPerObjectAndCameraEnvelopeButNoneForLights) {
    SceneFixture f;
    const auto text =
        lws({"LastFrame 60", "LoadObject box.lwo"}) +
        envelope("ObjectMotion", {key(1, 2, 3).frame(0), key(4, 5, 6).hpb(90, 0, 0).frame(30)}) +
        lws({"AddLight"}) + envelope("LightMotion", {key(9, 9, 9)}) +
        envelope("CameraMotion", {key(0, 1, -5).frame(0)});
    f.writeMot(sceneOf(text), "out/scene.mot");
    // 8 + (4 + 2 x 40) + (4 + 40) = 136 bytes.
    const Bytes expected = Bytes{}
                               .i32le(60)
                               .i32le(2)
                               .i32le(2)
                               .append(keyBytes(0, {1, 2, 3, 0, 0, 0, 1, 1, 1}))
                               .append(keyBytes(30, {4, 5, 6, 90, 0, 0, 1, 1, 1}))
                               .i32le(1)
                               .append(keyBytes(0, {0, 1, -5, 0, 0, 0, 1, 1, 1}));
    ASSERT_EQ(expected.size(), 136u);
    EXPECT_EQ(f.output("out/scene.mot"), expected.data);
    EXPECT_TRUE(f.messages.empty());
}

TEST(MotionFile, withoutLastFrameTheFileIsEightZeroBytes) {
    SceneFixture f;
    f.writeMot(sceneOf(lws({"AddNullObject null"}) + envelope("ObjectMotion", {key(1, 1, 1)})),
               "a.mot");
    EXPECT_EQ(f.output("a.mot"), std::vector<std::uint8_t>(8, 0));
}

TEST(MotionFile, envelopesBeforeLastFrameAreNotWritten) {
    SceneFixture f;
    f.writeMot(sceneOf(envelope("ObjectMotion", {key(1, 1, 1)}) + lws({"LastFrame 10"}) +
                       envelope("ObjectMotion", {key(2, 2, 2)})),
               "a.mot");
    ByteReader in(f.output("a.mot"));
    EXPECT_EQ(in.i32le(), 10);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(readKey(in).v[0], 2.0f);
}

TEST(MotionFile, scaleFactorMultipliesPositionsOnly) {
    SceneFixture f;
    f.settings.scaleFactor = 2.0f;
    f.writeMot(sceneOf(lws({"LastFrame 1"}) +
                       envelope("ObjectMotion",
                                {key(1, 2, 3).hpb(10, 20, 30).scale(0.5f, 4, 5).frame(7)})),
               "a.mot");
    ByteReader in(f.output("a.mot"));
    in.skip(12);
    const ReadKey k = readKey(in);
    EXPECT_EQ(k.frame, 7);
    const float expected[9] = {2, 4, 6, 10, 20, 30, 0.5f, 4, 5};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(k.v[i], expected[i]) << i;
    }
}

TEST(MotionFile, shortKeyLinesKeepTheIdentityKey) {
    SceneFixture f;
    f.writeMot(sceneOf(lws({"LastFrame 1", "ObjectMotion", "9", "1", "5 6", "3"})), "a.mot");
    ByteReader in(f.output("a.mot"));
    in.skip(12);
    const ReadKey k = readKey(in);
    EXPECT_EQ(k.frame, 3);
    const float expected[9] = {5, 6, 0, 0, 0, 0, 1, 1, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(k.v[i], expected[i]) << i;
    }
}

TEST(MotionFile, keyCountBeyondTheFileWritesTheKeysPresent) {
    SceneFixture f;
    // Two billion keys announced, one present: no huge loop, a block that
    // counts what it holds.
    f.writeMot(
        sceneOf(lws({"LastFrame 1", "ObjectMotion", "9", "2000000000", "1 2 3 0 0 0 1 1 1", "0"})),
        "a.mot");
    const auto& bytes = f.output("a.mot");
    ASSERT_EQ(bytes.size(), 8u + 4 + 40);
    ByteReader in(bytes);
    in.skip(4);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(in.i32le(), 1);
}

TEST(MotionFile, negativeKeyCountWritesAnEmptyBlock) {
    SceneFixture f;
    f.writeMot(sceneOf(lws({"LastFrame 1", "ObjectMotion", "9", "-5", "1 2 3"})), "a.mot");
    ByteReader in(f.output("a.mot"));
    in.skip(4);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(in.i32le(), 0);
    EXPECT_TRUE(in.atEnd());
}

TEST(MotionFile, keyLinesAreNotTakenForKeywords) {
    SceneFixture f;
    // The envelope's own lines are consumed by the block, even when one of them
    // starts like a keyword.
    f.writeMot(sceneOf(lws({"LastFrame 1", "ObjectMotion", "9", "1", "ObjectMotion", "0"})),
               "a.mot");
    ByteReader in(f.output("a.mot"));
    in.skip(4);
    EXPECT_EQ(in.i32le(), 1);
}

TEST(MotionFile, nonFiniteKeyValuesAreAnErrorNamingTheLine) {
    for (const char* values : {"1 nan 3 0 0 0 1 1 1", "0 0 0 0 0 0 inf 1 1", "3e38 0 0"}) {
        SceneFixture f;
        f.settings.scaleFactor = 10.0f; // 3e38 overflows only when scaled
        const auto scene =
            sceneOf(lws({"LastFrame 1", "ObjectMotion", "9", "1", values, "0"}), "s.lws");
        EXPECT_THROW(f.writeMot(scene, "s.mot"), FatalErrorSignal) << values;
        EXPECT_EQ(f.messages, std::vector<std::string>{"ERROR: 's.lws' line 5: the key is not a "
                                                       "finite number at scale 10"});
        EXPECT_TRUE(f.outputs.empty());
    }
}
