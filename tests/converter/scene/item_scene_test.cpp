// Scenes of versions 2 to 5 mapped onto the scene description: links follow
// the declared ids, what no output can hold is named in a warning, and the
// lights keep the meanings of version 1's keywords.
#include "converter/import/import_lws_scene.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_fixture.h"

#include <gmock/gmock.h>

using namespace kzo;
using namespace kzotest;
using ::testing::ElementsAre;

TEST(ItemScene, linksFollowDeclaredIdsAndWhatCannotBeHeldIsNamed) {
    SceneFixture f;
    std::vector<std::pair<std::string, std::int32_t>> loaded;
    const SceneText text = sceneOf(lws({
        "LWSC",
        "4",
        "LoadObjectLayer 2 10000005 Objects/a.lwo", // line 3
        "ParentItem 20000000",
        "AddNullObject 10000002 B",
        "ParentItem 1000000F",
        "LoadObjectLayer 1 10000009 Objects/c.lwo",
        "ParentItem 10000005",
        "AddBone 40000000", // line 9
        "BoneName Hip",
        "ParentItem 10000009",
        "AmbientColor 1 0.5 0",
        "AmbientIntensity 0.5",
        "AddLight 20000000", // line 14
        "LightName Area",
        "LightType 4",
        "LightColor 1 0.5 0.2",
        "LightIntensity (envelope)",
        "{ Envelope",
        "  2",
        "  Key 2 0 0 0 0 0 0 0 0",
        "  Key 4 2 3 0 0 0 0 0 0",
        "  Behaviors 1 1",
        "}",
        "LightMotion",
        "NumChannels 9",
        "Channel 0",
        "{ Envelope",
        "  1",
        "  Key 7 1 0 0 0 0 0 0 0",
        "  Behaviors 1 1",
        "}",
        "LightFalloffType 0",
        "LightRange 9",
        "AddCamera 30000000", // line 35
        "TargetItem 20000000",
        "ParentItem 10000009",
        "AddCamera 30000001",
        "CameraName Second",
    }));
    const SceneDescription scene =
        parseSceneText(text, f.model.sink, [&](const SceneObject& object, std::size_t index) {
            loaded.emplace_back(object.name.path, object.layer);
            EXPECT_EQ(index, loaded.size() == 1 ? 0u : 2u);
        });
    EXPECT_THAT(loaded, ElementsAre(std::pair<std::string, std::int32_t>{"Objects/a.lwo", 2},
                                    std::pair<std::string, std::int32_t>{"Objects/c.lwo", 1}));
    ASSERT_EQ(scene.objects.size(), 3u);
    EXPECT_EQ(scene.objects[0].parent, kNoParent);
    EXPECT_EQ(scene.objects[1].parent, kNoParent);
    EXPECT_EQ(scene.objects[2].parent, 0); // 10000005 is the first object
    EXPECT_EQ(scene.objects[2].itemId, 0x10000009u);
    // Three objects, then the camera; the second camera is not converted.
    EXPECT_EQ(scene.motionFileBlocks.size(), 4u);
    EXPECT_EQ(scene.camera.parent, 3);
    EXPECT_EQ(scene.camera.target, -1);

    ASSERT_EQ(scene.lights.size(), 1u);
    const Light& light = scene.lights[0];
    EXPECT_EQ(light.type, 4);
    EXPECT_EQ(light.position[0], 7.0f);
    EXPECT_EQ(std::vector<int>(light.color, light.color + 3), (std::vector<int>{255, 128, 51}));
    EXPECT_EQ(light.intensity, 3.0f); // the linear envelope at 1 s, the motion's first key
    EXPECT_EQ(light.range, -1.0f);    // no falloff: no limit
    EXPECT_EQ(std::vector<float>(scene.ambientColor, scene.ambientColor + 3),
              (std::vector<float>{127.5f, 64.0f, 0.0f}));

    const std::string at = "WARNING: 'test.lws' line ";
    EXPECT_THAT(f.messages,
                ElementsAre(at + "9: bone 'Hip' is not converted",
                            at + "38: camera 'Second' is not converted; only the first camera is",
                            at + "4: the parent of object 'Objects/a.lwo' is light 'Area', which "
                                 "can only be an object here",
                            at + "6: the parent of object 'B', item 1000000F, does not exist",
                            at + "14: light 'Area' has type 4, which lights nothing in the "
                                 "precalculated colours",
                            at + "36: the target of camera 30000000 is light 'Area', which can "
                                 "only be an object here"));
}

TEST(ItemScene, keyTimesBeyondTheFrameRangeEndTheScene) {
    SceneFixture f;
    const SceneText text =
        sceneOf(lws({"LWSC", "3", "AddNullObject N", "ObjectMotion", "NumChannels 1", "Channel 0",
                     "{ Envelope", "  1", "  Key 1 1e30 0 0 0 0 0 0 0", "  Behaviors 1 1", "}"}));
    EXPECT_THROW(f.parse(text), FatalErrorSignal);
    EXPECT_THAT(f.messages, ElementsAre("ERROR: 'test.lws' line 9: the key's time gives no frame "
                                        "within the 32-bit range"));
}

TEST(ItemScene, versionTwoCountsThatContradictTheirLinesEndTheSceneNamingTheLine) {
    const std::vector<std::string> good = {
        "LWSC",
        "2",
        "AddNullObject N",
        "ObjectMotion (unnamed)",
        "  2", // line 5: channels
        "  3", // position x: three keys
        "  1 0 0 0 0 0",
        "  2 0.5 0 0 0 0",
        "  3 1 0 0 0 0",
        "  1", // line 10: position y, one key
        "  5 0 0 0 0 0",
        "PivotPoint 0 0 0",
    };
    // The error of the scene with line `number` replaced, and cut behind it.
    const auto errorWith = [&](std::size_t number, const std::string& line, bool cut = false) {
        std::vector<std::string> lines = good;
        lines[number - 1] = line;
        lines.resize(cut ? number : lines.size());
        std::string text;
        for (const std::string& l : lines) {
            text += l + "\n";
        }
        SceneFixture f;
        EXPECT_THROW(f.parse(makeSceneText("test.lws", text)), FatalErrorSignal) << line;
        return f.messages.empty() ? std::string() : f.messages.back();
    };
    EXPECT_EQ(errorWith(6, "  2"),
              "ERROR: 'test.lws' line 9: the key count of position y is not one whole number; "
              "the count of position x on line 6 may be short of its keys");
    EXPECT_EQ(errorWith(6, "  4"),
              "ERROR: 'test.lws' line 10: key 4 of the 4 that line 6 counts for position x is "
              "no key line (value time shape tension continuity bias)");
    EXPECT_EQ(errorWith(10, "  2000000000"),
              "ERROR: 'test.lws' line 12: key 2 of the 2000000000 that line 10 counts for "
              "position y is no key line (value time shape tension continuity bias)");
    EXPECT_EQ(errorWith(10, "  2", true),
              "ERROR: 'test.lws' line 10: position y counts 2 keys, but the scene ends after 0 "
              "of them");
    EXPECT_EQ(errorWith(5, "  2.5"),
              "ERROR: 'test.lws' line 5: the channel count is not one whole number");
    EXPECT_EQ(errorWith(6, "  -1"),
              "ERROR: 'test.lws' line 6: the key count of position x is not one whole number");
    EXPECT_EQ(errorWith(4, "ObjectMotion (unnamed)", true),
              "ERROR: 'test.lws' line 4: the scene ends before the channel count of this motion");

    std::string text;
    for (const std::string& l : good) {
        text += l + "\n";
    }
    SceneFixture f;
    const SceneDescription scene = f.parse(makeSceneText("test.lws", text));
    ASSERT_EQ(scene.motions.size(), 1u);
    ASSERT_EQ(scene.motions[0].keys.size(), 3u);
    EXPECT_EQ(scene.motions[0].keys[2].key.position[0], 3.0f);
    EXPECT_EQ(scene.motions[0].keys[2].key.position[1], 5.0f);
}
