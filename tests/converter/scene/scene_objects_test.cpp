#include "converter/import/scene_objects.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

using namespace kzo;
using namespace kzotest;

namespace {

// Records the object paths it is asked for and adds one vertex per object,
// tagged the way the 3DS reader tags them.
struct RecordingLoader {
    std::vector<std::string> paths;
    std::vector<std::string> wholeLines;
    ObjectLoader loader() {
        return [this](SceneModel& model, const ObjectName& object) {
            paths.push_back(object.path);
            wholeLines.push_back(object.wholeLine);
            Vertex& v = model.vertices[static_cast<std::size_t>(model.vertexCount++)];
            v.pivotIndex = static_cast<std::uint8_t>(model.pivotCount);
        };
    }
};

// A null object with its motion block and a ParentObject line.
Lws null(const std::string& name, int parent) {
    return lws({"AddNullObject " + name}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
           lws({"ParentObject " + std::to_string(parent)});
}

void expectPivot(const Pivot& p, float px, float py, float pz, std::uint16_t parent) {
    EXPECT_EQ(p.pivotPoint[0], px);
    EXPECT_EQ(p.pivotPoint[1], py);
    EXPECT_EQ(p.pivotPoint[2], pz);
    EXPECT_EQ(p.parentIndex, parent);
}

} // namespace

TEST(SceneObjects, anObjectWithoutPivotLinesGetsADefaultPivotWithItsFirstKey) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model,
                     sceneOf(lws({"LoadObject Objects\\box.lwo"}) +
                             envelope("ObjectMotion", {key(1, 2, 3).hpb(4, 5, 6).scale(7, 8, 9),
                                                       key(0, 0, 0).frame(5)})),
                     load.loader());
    EXPECT_EQ(load.paths, std::vector<std::string>{"Objects\\box.lwo"});
    ASSERT_EQ(f.model.pivotCount, 1);
    expectPivot(f.model.pivots[0], 0, 0, 0, kNoParent);
    const float expected[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(f.model.pivots[0].firstKey[i], expected[i]) << i;
    }
}

TEST(SceneObjects, aPathWithBlanksIsCutAndAlsoGivenWhole) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model, sceneOf(lws({"LoadObject  Objects\\my box.lwo \t"})), load.loader());
    EXPECT_EQ(load.paths, std::vector<std::string>{"Objects\\my"});
    EXPECT_EQ(load.wholeLines, std::vector<std::string>{"Objects\\my box.lwo"});
}

TEST(SceneObjects, pivotPointAndParentLinesBuildTheHierarchy) {
    SceneFixture f;
    RecordingLoader load;
    // A parent, a null object under it, and a child of the null object: the
    // usual LightWave layout with ParentObject directly behind PivotPoint.
    readSceneObjects(f.model,
                     sceneOf(lws({"LoadObject parent.lwo"}) +
                             envelope("ObjectMotion", {key(0, 1, 0)}) +
                             lws({"PivotPoint 1 2 3 0 0 0 0 0 0", "AddNullObject joint"}) +
                             envelope("ObjectMotion", {key(0, 0, 0)}) +
                             lws({"ParentObject 1", "LoadObject child.lwo"}) +
                             envelope("ObjectMotion", {key(5, 0, 0)}) +
                             lws({"PivotPoint 0 0.5 0", "ParentObject 2", "LoadObject loose.lwo",
                                  "ParentObject 0"})),
                     load.loader());
    ASSERT_EQ(f.model.pivotCount, 4);
    expectPivot(f.model.pivots[0], 1, 2, 3, kNoParent);
    expectPivot(f.model.pivots[1], 0, 0, 0, 0);
    expectPivot(f.model.pivots[2], 0, 0.5f, 0, 1);
    expectPivot(f.model.pivots[3], 0, 0, 0, kNoParent);
    EXPECT_EQ(f.model.pivots[2].firstKey[0], 5.0f);
    // An object without an ObjectMotion block keeps the identity key.
    EXPECT_EQ(f.model.pivots[3].firstKey[6], 1.0f);
    // Vertices carry the index of their object's pivot; the null adds none.
    ASSERT_EQ(f.model.vertexCount, 3);
    EXPECT_EQ(f.model.vertices[0].pivotIndex, 0);
    EXPECT_EQ(f.model.vertices[1].pivotIndex, 2);
    EXPECT_EQ(f.model.vertices[2].pivotIndex, 3);
}

TEST(SceneObjects, theLineBehindPivotPointIsConsumedEvenWhenItLoadsAnObject) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model,
                     sceneOf(lws({"LoadObject a.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
                             lws({"PivotPoint 1 1 1", "LoadObject b.lwo"}) +
                             envelope("ObjectMotion", {key(0, 0, 0)})),
                     load.loader());
    EXPECT_EQ(load.paths, std::vector<std::string>{"a.lwo"});
    ASSERT_EQ(f.model.pivotCount, 1);
    expectPivot(f.model.pivots[0], 1, 1, 1, kNoParent);
}

TEST(SceneObjects, anObjectWithoutMotionKeepsItsOwnPivotAndParentLines) {
    SceneFixture f;
    RecordingLoader load;
    // Object 2 has no ObjectMotion block: the search for its first key must
    // not run over its PivotPoint and ParentObject lines, nor take the key of
    // object 3.
    readSceneObjects(f.model,
                     sceneOf(lws({"AddNullObject root"}) +
                             envelope("ObjectMotion", {key(0, 0, 0)}) +
                             lws({"LoadObject still.lwo", "ShowObject 6 7", "PivotPoint 1 2 3",
                                  "ParentObject 1", "AddNullObject moving"}) +
                             envelope("ObjectMotion", {key(7, 8, 9)})),
                     load.loader());
    EXPECT_EQ(load.paths, std::vector<std::string>{"still.lwo"});
    ASSERT_EQ(f.model.pivotCount, 3);
    expectPivot(f.model.pivots[1], 1, 2, 3, 0);
    EXPECT_EQ(f.model.pivots[1].firstKey[0], 0.0f);
    EXPECT_EQ(f.model.pivots[1].firstKey[6], 1.0f);
    EXPECT_EQ(f.model.pivots[2].firstKey[0], 7.0f);
}

TEST(SceneObjects, aLoadObjectLineWithoutAPathIsAnError) {
    SceneFixture f;
    RecordingLoader load;
    EXPECT_THROW(readSceneObjects(f.model, makeSceneText("s.lws", "LWSC\n1\nLoadObject   \n"),
                                  load.loader()),
                 FatalErrorSignal);
    EXPECT_TRUE(load.paths.empty());
    EXPECT_EQ(f.messages,
              std::vector<std::string>{"ERROR: 's.lws' line 3: LoadObject names no object file"});
}

TEST(SceneObjects, parentLinesOfLightsAndCameraAppendPivotsTargetLinesDoNot) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model,
                     sceneOf(null("n", 0) + lws({"AddLight", "ParentObject 1"}) +
                             envelope("CameraMotion", {key(0, 0, 0)}) + lws({"TargetObject 1"})),
                     load.loader());
    ASSERT_EQ(f.model.pivotCount, 2);
    expectPivot(f.model.pivots[0], 0, 0, 0, kNoParent);
    expectPivot(f.model.pivots[1], 0, 0, 0, 0);
    // The light's pivot read no key: identity, not what the slot held before.
    EXPECT_EQ(f.model.pivots[1].firstKey[6], 1.0f);
}

TEST(SceneObjects, parentsOutsideTheTableAndCyclesAreMadeRoots) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model,
                     sceneOf(null("a", 2) + null("b", 3) + null("c", 1) + null("d", 9) +
                             null("e", 5) + null("f", -70000)),
                     load.loader());
    ASSERT_EQ(f.model.pivotCount, 6);
    EXPECT_EQ(f.model.pivots[0].parentIndex, 1);
    EXPECT_EQ(f.model.pivots[1].parentIndex, 2);
    EXPECT_EQ(f.model.pivots[2].parentIndex, kNoParent); // closes 0 -> 1 -> 2 -> 0
    EXPECT_EQ(f.model.pivots[3].parentIndex, kNoParent); // object 9 does not exist
    EXPECT_EQ(f.model.pivots[4].parentIndex, kNoParent); // its own parent
    EXPECT_EQ(f.model.pivots[5].parentIndex, kNoParent);
}

TEST(SceneObjects, firstKeysOfAnEarlierSceneDoNotLeak) {
    SceneFixture f;
    RecordingLoader load;
    readSceneObjects(f.model,
                     sceneOf(lws({"AddNullObject a"}) +
                             envelope("ObjectMotion", {key(9, 9, 9).scale(3, 3, 3)}) +
                             lws({"ParentObject 0"})),
                     load.loader());
    resetSceneModel(f.model);
    // A short key line: the missing values are the identity's.
    readSceneObjects(f.model, sceneOf(lws({"AddNullObject a", "ObjectMotion", "9", "1", "4"})),
                     load.loader());
    ASSERT_EQ(f.model.pivotCount, 1);
    const float expected[9] = {4, 0, 0, 0, 0, 0, 1, 1, 1};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(f.model.pivots[0].firstKey[i], expected[i]) << i;
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
        EXPECT_THROW(readSceneObjects(f.model, makeSceneText("many.lws", text), load.loader()),
                     FatalErrorSignal);
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
        EXPECT_THROW(readSceneObjects(f.model, makeSceneText("late.lws", text), load.loader()),
                     FatalErrorSignal);
        ASSERT_EQ(f.messages.size(), 1u);
        EXPECT_EQ(f.messages[0],
                  "ERROR: 'late.lws': object 257 has geometry, but only the first 256 objects can");
    }
}
