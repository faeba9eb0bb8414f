#include "converter/import/camera_file.h"
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
    f.model.settings.cameraFile = 1;
    writeCamFile(f.model, sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}))),
                 "o/s.cam");
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
    f.model.settings.cameraFile = 1;
    // The objects' own ParentObject lines stand before any CameraMotion.
    writeCamFile(f.model, sceneOf(twoObjectsThen(lws({"ParentObject 1", "TargetObject 2"}))),
                 "s.cam");
    ByteReader in(f.output("s.cam"));
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_EQ(in.i32le(), -1);
    EXPECT_TRUE(in.atEnd());
}

TEST(CameraFile, targetSectionHoldsTheBlockAndTheTargetPoint) {
    SceneFixture f;
    f.model.settings.cameraFile = 1;
    f.model.settings.scaleFactor = 2.0f;
    f.model.pivotCount = 2;
    // As the KZO writer leaves it: pivot point (1, 0, 0) already scaled by 2;
    // the first key's position (0, 2, 0) as the scene gives it.
    f.model.pivots[0].pivotPoint[0] = 2.0f;
    f.model.pivots[0].firstKey[1] = 2.0f;
    writeCamFile(f.model,
                 sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) +
                                        lws({"TargetObject 1"}))),
                 "s.cam");
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
    f.model.settings.cameraFile = 1;
    f.model.pivotCount = 2;
    writeCamFile(f.model,
                 sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) +
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
    f.model.settings.cameraFile = 1;
    f.model.pivotCount = 2;
    writeCamFile(f.model,
                 sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}) +
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
    writeCamFile(f.model, sceneOf(twoObjectsThen(envelope("CameraMotion", {key(0, 0, -10)}))),
                 "s.cam");
    EXPECT_TRUE(f.model.pendingOutputs.empty());
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
        f.model.settings.cameraFile = 1;
        f.model.pivotCount = 2;
        writeCamFile(f.model,
                     sceneOf(keylessObjects + envelope("CameraMotion", {key(0, 0, -10)}) + links),
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
        f.model.settings.cameraFile = 1;
        f.model.pivotCount = 2;
        writeCamFile(f.model, sceneOf(twoObjectsThen(lws({"CameraMotion", "9", "0"}) + links)),
                     "s.cam");
        EXPECT_EQ(f.output("s.cam"), Bytes{}.i32le(-1).i32le(-1).data);
    }
}

TEST(CameraFile, aTargetPointThatIsNotFiniteIsAnError) {
    SceneFixture f;
    f.model.settings.cameraFile = 1;
    f.model.pivotCount = 1;
    f.model.pivots[0].pivotPoint[2] = 3e38f;
    f.model.pivots[0].firstKey[2] = 3e38f;
    EXPECT_THROW(
        writeCamFile(f.model,
                     sceneOf(lws({"LoadObject a.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
                             envelope("CameraMotion", {key(0, 0, -10)}) + lws({"TargetObject 1"})),
                     "s.cam"),
        FatalErrorSignal);
    EXPECT_EQ(f.messages.back(),
              "ERROR: cannot write 's.cam': the target point of object 1 is not a finite number");
    EXPECT_TRUE(f.model.pendingOutputs.empty());
}
