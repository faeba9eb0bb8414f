#include "converter/import/scene_objects.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

using namespace kzo;
using namespace kzotest;

namespace {

// Records the object paths it is asked for and the pivot index their
// vertices would carry.
struct RecordingLoader {
    std::vector<std::string> paths;
    std::vector<std::string> wholeLines;
    std::vector<std::size_t> pivotIndices;
    GeometryLoader loader() {
        return [this](const SceneObject& object, std::size_t index) {
            EXPECT_EQ(object.kind, SceneObjectKind::geometry);
            paths.push_back(object.name.path);
            wholeLines.push_back(object.name.wholeLine);
            pivotIndices.push_back(index);
        };
    }
};

// The objects of the scene text, loaded through load.
std::vector<SceneObject> readObjects(const SceneFixture& f, const SceneText& text,
                                     RecordingLoader& load) {
    SceneDescription scene;
    readSceneObjects(text, f.model.sink, load.loader(), scene);
    return scene.objects;
}

// The nine channels of a key in file order.
std::vector<float> channels(const MotionKey& k) {
    return {k.position[0], k.position[1], k.position[2], k.heading, k.pitch,
            k.bank,        k.scale[0],    k.scale[1],    k.scale[2]};
}

// A null object with its motion block and a ParentObject line.
Lws null(const std::string& name, int parent) {
    return lws({"AddNullObject " + name}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
           lws({"ParentObject " + std::to_string(parent)});
}

void expectPivot(const SceneObject& p, float px, float py, float pz, std::uint16_t parent) {
    EXPECT_EQ(p.pivotPoint[0], px);
    EXPECT_EQ(p.pivotPoint[1], py);
    EXPECT_EQ(p.pivotPoint[2], pz);
    EXPECT_EQ(p.parent, parent);
}

} // namespace

TEST(SceneObjects, anObjectWithoutPivotLinesGetsADefaultPivotWithItsFirstKey) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects =
        readObjects(f,
                    sceneOf(lws({"LoadObject Objects\\box.lwo"}) +
                            envelope("ObjectMotion", {key(1, 2, 3).hpb(4, 5, 6).scale(7, 8, 9),
                                                      key(0, 0, 0).frame(5)})),
                    load);
    EXPECT_EQ(load.paths, std::vector<std::string>{"Objects\\box.lwo"});
    ASSERT_EQ(objects.size(), 1u);
    expectPivot(objects[0], 0, 0, 0, kNoParent);
    const float expected[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(channels(objects[0].firstKey)[i], expected[i]) << i;
    }
}

TEST(SceneObjects, aPathWithBlanksIsCutAndAlsoGivenWhole) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects = readObjects(f, sceneOf(lws({"LoadObject  Objects\\my box.lwo \t"})), load);
    EXPECT_EQ(load.paths, std::vector<std::string>{"Objects\\my"});
    EXPECT_EQ(load.wholeLines, std::vector<std::string>{"Objects\\my box.lwo"});
}

TEST(SceneObjects, pivotPointAndParentLinesBuildTheHierarchy) {
    SceneFixture f;
    RecordingLoader load;
    // A parent, a null object under it, and a child of the null object: the
    // usual LightWave layout with ParentObject directly behind PivotPoint.
    const auto objects = readObjects(
        f,
        sceneOf(lws({"LoadObject parent.lwo"}) + envelope("ObjectMotion", {key(0, 1, 0)}) +
                lws({"PivotPoint 1 2 3 0 0 0 0 0 0", "AddNullObject joint"}) +
                envelope("ObjectMotion", {key(0, 0, 0)}) +
                lws({"ParentObject 1", "LoadObject child.lwo"}) +
                envelope("ObjectMotion", {key(5, 0, 0)}) +
                lws({"PivotPoint 0 0.5 0", "ParentObject 2", "LoadObject loose.lwo",
                     "ParentObject 0"})),
        load);
    ASSERT_EQ(objects.size(), 4u);
    expectPivot(objects[0], 1, 2, 3, kNoParent);
    expectPivot(objects[1], 0, 0, 0, 0);
    expectPivot(objects[2], 0, 0.5f, 0, 1);
    expectPivot(objects[3], 0, 0, 0, kNoParent);
    EXPECT_EQ(channels(objects[2].firstKey)[0], 5.0f);
    // An object without an ObjectMotion block keeps the identity key.
    EXPECT_EQ(channels(objects[3].firstKey)[6], 1.0f);
    // Geometry is loaded for the index of its object's pivot; the null has none.
    EXPECT_EQ(load.pivotIndices, (std::vector<std::size_t>{0, 2, 3}));
}

TEST(SceneObjects, theLineBehindPivotPointIsConsumedEvenWhenItLoadsAnObject) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects =
        readObjects(f,
                    sceneOf(lws({"LoadObject a.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
                            lws({"PivotPoint 1 1 1", "LoadObject b.lwo"}) +
                            envelope("ObjectMotion", {key(0, 0, 0)})),
                    load);
    EXPECT_EQ(load.paths, std::vector<std::string>{"a.lwo"});
    ASSERT_EQ(objects.size(), 1u);
    expectPivot(objects[0], 1, 1, 1, kNoParent);
}

TEST(SceneObjects, anObjectWithoutMotionKeepsItsOwnPivotAndParentLines) {
    SceneFixture f;
    RecordingLoader load;
    // Object 2 has no ObjectMotion block: the search for its first key must
    // not run over its PivotPoint and ParentObject lines, nor take the key of
    // object 3.
    const auto objects =
        readObjects(f,
                    sceneOf(lws({"AddNullObject root"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
                            lws({"LoadObject still.lwo", "ShowObject 6 7", "PivotPoint 1 2 3",
                                 "ParentObject 1", "AddNullObject moving"}) +
                            envelope("ObjectMotion", {key(7, 8, 9)})),
                    load);
    EXPECT_EQ(load.paths, std::vector<std::string>{"still.lwo"});
    ASSERT_EQ(objects.size(), 3u);
    expectPivot(objects[1], 1, 2, 3, 0);
    EXPECT_EQ(channels(objects[1].firstKey)[0], 0.0f);
    EXPECT_EQ(channels(objects[1].firstKey)[6], 1.0f);
    EXPECT_EQ(channels(objects[2].firstKey)[0], 7.0f);
}

TEST(SceneObjects, aLoadObjectLineWithoutAPathIsAnError) {
    SceneFixture f;
    RecordingLoader load;
    EXPECT_THROW(readObjects(f, makeSceneText("s.lws", "LWSC\n1\nLoadObject   \n"), load),
                 FatalErrorSignal);
    EXPECT_TRUE(load.paths.empty());
    EXPECT_EQ(f.messages,
              std::vector<std::string>{"ERROR: 's.lws' line 3: LoadObject names no object file"});
}

TEST(SceneObjects, parentLinesOfLightsAndCameraAppendPivotsTargetLinesDoNot) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects =
        readObjects(f,
                    sceneOf(null("n", 0) + lws({"AddLight", "ParentObject 1"}) +
                            envelope("CameraMotion", {key(0, 0, 0)}) + lws({"TargetObject 1"})),
                    load);
    ASSERT_EQ(objects.size(), 2u);
    expectPivot(objects[0], 0, 0, 0, kNoParent);
    expectPivot(objects[1], 0, 0, 0, 0);
    // The light's pivot read no key: identity, not what the slot held before.
    EXPECT_EQ(channels(objects[1].firstKey)[6], 1.0f);
}

TEST(SceneObjects, parentsOutsideTheTableAndCyclesAreMadeRoots) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects = readObjects(f,
                                     sceneOf(null("a", 2) + null("b", 3) + null("c", 1) +
                                             null("d", 9) + null("e", 5) + null("f", -70000)),
                                     load);
    ASSERT_EQ(objects.size(), 6u);
    EXPECT_EQ(objects[0].parent, 1);
    EXPECT_EQ(objects[1].parent, 2);
    EXPECT_EQ(objects[2].parent, kNoParent); // closes 0 -> 1 -> 2 -> 0
    EXPECT_EQ(objects[3].parent, kNoParent); // object 9 does not exist
    EXPECT_EQ(objects[4].parent, kNoParent); // its own parent
    EXPECT_EQ(objects[5].parent, kNoParent);
}

TEST(SceneObjects, aShortKeyLineKeepsTheIdentityKeysOtherValues) {
    SceneFixture f;
    RecordingLoader load;
    const auto objects =
        readObjects(f, sceneOf(lws({"AddNullObject a", "ObjectMotion", "9", "1", "4"})), load);
    ASSERT_EQ(objects.size(), 1u);
    const float expected[9] = {4, 0, 0, 0, 0, 0, 1, 1, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(channels(objects[0].firstKey)[i], expected[i]) << i;
    }
}

TEST(SceneObjects, tooManyObjectsAreClearErrors) {
    RecordingLoader load;
    {
        SceneFixture f;
        std::string text;
        for (int i = 0; i < kMaxPivots + 1; ++i) {
            text += "AddNullObject n\n";
        }
        EXPECT_THROW(readObjects(f, makeSceneText("many.lws", text), load), FatalErrorSignal);
        ASSERT_EQ(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0],
                  "ERROR: 'many.lws' has more than 1000 objects; the pivot table holds 1000");
    }
    {
        SceneFixture f;
        std::string text;
        for (int i = 0; i < 256; ++i) {
            text += "AddNullObject n\n";
        }
        text += "LoadObject late.lwo\n";
        EXPECT_THROW(readObjects(f, makeSceneText("late.lws", text), load), FatalErrorSignal);
        ASSERT_EQ(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0],
                  "ERROR: 'late.lws': object 257 has geometry, but only the first 256 objects can");
    }
}
