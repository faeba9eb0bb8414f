#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

using namespace kzo;
using namespace kzotest;

namespace {

// Two objects (the second a null object), then the camera block given.
Lws twoObjectsThen(const Lws& camera) {
    return lws({"LastFrame 30", "LoadObject a.lwo"}) +
           envelope("ObjectMotion", {key(0, 2, 0).frame(0), key(0, 3, 0).frame(10)}) +
           lws({"AddNullObject n"}) + envelope("ObjectMotion", {key(7, 0, 0)}) + camera;
}

} // namespace

TEST(CameraFile, aCameraWithoutLinksIsItsBlockAndTwoAbsentSections) {
    SceneFixture f;
    f.writeCam(sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}))), "o/s.cam");
    EXPECT_EQ(f.messages, std::vector<std::string>{"'o/s.cam' Writing..."});
    const auto& bytes = f.output("o/s.cam");
    ASSERT_EQ(bytes.size(), 44u + 8);
    ByteReader in(bytes);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(readKey(in).v[2], -10.0f);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_EQ(in.i32le(), -1);
}

TEST(CameraFile, withoutCameraMotionOnlyTheAbsentSectionsAreWritten) {
    SceneFixture f;
    // The objects' own ParentObject lines stand before any CameraMotion.
    f.writeCam(sceneOf(twoObjectsThen(lws({"ParentObject 1", "TargetObject 2"}))), "s.cam");
    ByteReader in(f.output("s.cam"));
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_TRUE(in.atEnd());
}

TEST(CameraFile, targetSectionHoldsTheBlockAndTheTargetPoint) {
    SceneFixture f;
    f.settings.scaleFactor = 2.0f;
    SceneDescription scene = f.parse(sceneOf(
        twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) + lws({"TargetObject 1"}))));
    // Pivot point (1, 0, 0), scaled by 2 in the file; the first key's position
    // (0, 2, 0) as the scene gives it.
    scene.objects[0].pivotPoint[0] = 1.0f;
    f.writeCam(scene, "s.cam");
    const Bytes expected = Bytes{}
                               .i32le(1)
                               .append(keyBytes(0, {0, 0, -20, 0, 0, 0, 1, 1, 1}))
                               .i32le(-1)
                               .i32le(2)
                               .append(keyBytes(0, {0, 4, 0, 0, 0, 0, 1, 1, 1}))
                               .append(keyBytes(10, {0, 6, 0, 0, 0, 0, 1, 1, 1}))
                               .f32le(2) // scaled pivot plus unscaled key
                               .f32le(2)
                               .f32le(0);
    EXPECT_EQ(f.output("s.cam"), expected.data);
}

TEST(CameraFile, parentSectionTakesTheNthObjectEvenANullObject) {
    SceneFixture f;
    f.writeCam(sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) +
                                      lws({"ParentObject 2", "TargetObject 0"}))),
               "s.cam");
    ByteReader in(f.output("s.cam"));
    in.skip(44);
    EXPECT_EQ(in.i32le(), 1);
    EXPECT_EQ(readKey(in).v[0], 7.0f);
    EXPECT_EQ(in.i32le(), 0); // the number as written
    EXPECT_TRUE(in.atEnd());
}

TEST(CameraFile, objectNumbersBeyondTheSceneWriteAbsentSections) {
    SceneFixture f;
    f.writeCam(sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) +
                                      lws({"ParentObject 3", "TargetObject 2000000000"}))),
               "s.cam");
    ByteReader in(f.output("s.cam"));
    in.skip(44);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_TRUE(in.atEnd());
}

TEST(CameraFile, theCameraOptionOffWritesNothing) {
    SceneFixture f;
    f.writeSideFiles(f.parse(sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)})))),
                     "s.kzo");
    EXPECT_TRUE(f.outputs.empty());
    EXPECT_TRUE(f.messages.empty());
}

TEST(CameraFile, envelopesWithoutKeysAreWrittenAsAbsentSections) {
    // A block with the key count 0 would read as an absent section and throw
    // a reader off the rest of the file.
    const Lws keylessObjects = lws({"LoadObject a.lwo", "ObjectMotion", "9", "0"}) +
                               lws({"AddNullObject n", "ObjectMotion", "9", "-4"});
    const Lws links = lws({"ParentObject 1", "TargetObject 2"});
    {
        SceneFixture f;
        f.writeCam(sceneOf(keylessObjects + envelope("CameraMotion", {key(0, 0, -10)}) + links),
                   "s.cam");
        EXPECT_EQ(f.output("s.cam"), Bytes{}
                                         .i32le(1)
                                         .append(keyBytes(0, {0, 0, -10, 0, 0, 0, 1, 1, 1}))
                                         .i32le(-1)
                                         .i32le(-1)
                                         .data);
    }
    {
        // A keyless camera is no camera: its links are not written either.
        SceneFixture f;
        f.writeCam(sceneOf(twoObjectsThen(lws({"CameraMotion", "9", "0"}) + links)), "s.cam");
        EXPECT_EQ(f.output("s.cam"), Bytes{}.i32le(-1).i32le(-1).data);
    }
}

TEST(CameraFile, aTargetPointThatIsNotFiniteIsAnError) {
    SceneFixture f;
    SceneDescription scene =
        f.parse(sceneOf(lws({"LoadObject a.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
                        envelope("CameraMotion", {key(0, 0, -10)}) + lws({"TargetObject 1"})));
    scene.objects[0].pivotPoint[2] = 3e38f;
    scene.objects[0].firstKey.position[2] = 3e38f;
    EXPECT_THROW(f.writeCam(scene, "s.cam"), FatalErrorSignal);
    EXPECT_EQ(f.messages.back(),
              "ERROR: 'test.lws': the target point of object 1 is not a finite number");
    EXPECT_TRUE(f.outputs.empty());
}

// What an importer of another scene format hands over: a description built
// without any scene text.
TEST(CameraFile, encodesADescriptionBuiltByHand) {
    SceneDescription scene;
    scene.path = "hand.lws";
    auto motion = [](std::initializer_list<MotionKey> keys) {
        SceneMotion m;
        for (const MotionKey& k : keys) {
            m.keys.push_back({k, 0});
        }
        return m;
    };
    MotionKey at1;
    at1.position[0] = 1;
    MotionKey at5;
    at5.frame = 5;
    at5.position[1] = 2;
    MotionKey camera;
    camera.position[2] = -3;
    scene.motions = {motion({at1}), motion({at5, at1}), motion({camera})};
    SceneObject root;
    root.kind = SceneObjectKind::null;
    root.motion = 0;
    SceneObject child;
    child.kind = SceneObjectKind::geometry;
    child.parent = 0;
    child.pivotPoint[0] = 0.5f;
    child.firstKey = at5;
    child.motion = 1;
    scene.objects = {root, child};
    scene.camera = {2, 1, 2};

    SceneFixture f;
    f.settings.scaleFactor = 4;
    f.writeCam(scene, "hand.cam");
    EXPECT_EQ(f.output("hand.cam"), Bytes{}
                                        .i32le(1)
                                        .append(keyBytes(0, {0, 0, -12, 0, 0, 0, 1, 1, 1}))
                                        .i32le(1)
                                        .append(keyBytes(0, {4, 0, 0, 0, 0, 0, 1, 1, 1}))
                                        .i32le(2)
                                        .append(keyBytes(5, {0, 8, 0, 0, 0, 0, 1, 1, 1}))
                                        .append(keyBytes(0, {4, 0, 0, 0, 0, 0, 1, 1, 1}))
                                        .f32le(0.5f * 4) // pivot scaled, first key as given
                                        .f32le(2)
                                        .f32le(0)
                                        .data);
}
