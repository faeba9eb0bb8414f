// The items of scenes of versions 2 to 5: each line goes to the item declared
// last, ids come from the item lines (or from the ordinals without them), and
// what cannot be converted is named.
#include "converter/import/lws_items.h"
#include "tests/converter/scene/build_lws.h"

#include <gmock/gmock.h>

using namespace kzo;
using kzotest::lws;
using kzotest::sceneOf;

TEST(LwsItems, versionFiveItemsTakeTheirLinesIdsAndLinks) {
    const SceneText text = sceneOf(lws({
        "LWSC",
        "5",
        "FramesPerSecond 24",
        "LastFrame 48",
        "LoadObjectLayer 2 1000000A Objects/my box.lwo",
        "ObjectMotion",
        "NumChannels 9",
        "Channel 1",
        "{ Envelope",
        "  1",
        "  Key 0.5 0 0 0 0 0 0 0 0",
        "  Plugin ChannelHandler 1 LW_Expression",
        "    { not scene syntax",
        "  EndPlugin",
        "  Behaviors 1 1",
        "}",
        "ParentItem 10000003",
        "PivotPosition 1 2 3",
        "MorphTarget 10000003",
        "AddNullObject 10000003 Joint",
        "ObjectDissolve (envelope)",
        "{ Envelope",
        "  1",
        "  Key 0.5 0 0 0 0 0 0 0 0",
        "  Behaviors 1 1",
        "}",
        "Plugin ItemMotionHandler 1 LW_Oscillator",
        "ParentItem 20000000",
        "EndPlugin",
        "AddBone 4000000A",
        "BoneName Hip",
        "ParentItem 1000000A",
        "AmbientColor 0.5 0.25 1",
        "AmbientIntensity 0.5",
        "AddLight 2000000B",
        "LightName Spot",
        "LightColor 1 0.5 0",
        "LightIntensity (envelope)",
        "{ Envelope",
        "  2",
        "  Key 2 0 0 0 0 0 0 0 0",
        "  Key 4 1 3 0 0 0 0 0 0",
        "  Behaviors 1 1",
        "}",
        "LightType 2",
        "LightFalloffType 1",
        "LightRange 7.5",
        "LightConeAngle 30",
        "LightEdgeAngle 5",
        "AddCamera 30000000",
        "CameraName Camera",
        "TargetItem 10000003",
        "ParentItem 1000000A",
    }));
    ASSERT_EQ(sceneVersion(text), 5);
    const LwsScene scene = readLwsItems(text, 5);
    EXPECT_EQ(scene.framesPerSecond, 24.0);
    EXPECT_EQ(scene.lastFrame, 48);
    EXPECT_EQ(scene.ambientColor[1], 0.25f);
    EXPECT_EQ(scene.ambientIntensity, 0.5f);
    ASSERT_EQ(scene.items.size(), 5u);

    const LwsItem& box = scene.items[0];
    EXPECT_EQ(box.id, 0x1000000Au);
    EXPECT_EQ(box.layer, 2);
    EXPECT_EQ(box.path, "Objects/my box.lwo"); // the layered form runs to the line's end
    EXPECT_EQ(box.line, 5u);
    ASSERT_EQ(box.motion[1].envelope.keys.size(), 1u);
    EXPECT_EQ(box.motion[1].envelope.keys[0].value, 0.5);
    EXPECT_TRUE(box.parent.present && box.parent.byId);
    EXPECT_EQ(box.parent.value, 0x10000003u);
    EXPECT_EQ(box.pivot[2], 3.0f);
    EXPECT_THAT(box.notConverted,
                ::testing::ElementsAre(std::pair<std::size_t, std::string>{12, "channel modifier "
                                                                               "LW_Expression"},
                                       std::pair<std::size_t, std::string>{19, "morph"}));

    // The null's dissolve envelope and plug-in lines belong to neither its
    // motion nor its parent.
    const LwsItem& joint = scene.items[1];
    EXPECT_TRUE(joint.null);
    EXPECT_EQ(joint.id, 0x10000003u);
    EXPECT_EQ(joint.name, "Joint");
    EXPECT_FALSE(joint.parent.present);
    EXPECT_THAT(joint.notConverted, ::testing::ElementsAre(std::pair<std::size_t, std::string>{
                                        27, "plug-in LW_Oscillator (ItemMotionHandler)"}));

    EXPECT_EQ(scene.items[2].type, LwsItemType::bone);
    EXPECT_EQ(scene.items[2].name, "Hip");
    EXPECT_EQ(scene.items[2].parent.value, 0x1000000Au);

    const LwsItem& spot = scene.items[3];
    EXPECT_EQ(spot.name, "Spot");
    EXPECT_EQ(spot.lightType, 2);
    EXPECT_EQ(spot.color[1], 0.5f);
    ASSERT_EQ(spot.intensity.keys.size(), 2u);
    EXPECT_EQ(spot.intensity.keys[1].value, 4.0);
    EXPECT_EQ(spot.falloffType, 1);
    EXPECT_EQ(spot.range, 7.5f);
    EXPECT_EQ(spot.coneAngle, 30.0f);
    EXPECT_EQ(spot.edgeAngle, 5.0f);

    const LwsItem& camera = scene.items[4];
    EXPECT_EQ(camera.type, LwsItemType::camera);
    EXPECT_EQ(camera.target.value, 0x10000003u);
    EXPECT_EQ(camera.parent.value, 0x1000000Au);
}

TEST(LwsItems, versionTwoCutsPathsAndCountsObjectsAndCameraWithoutDeclarations) {
    const SceneText text = sceneOf(lws({
        "LWSC",
        "2",
        "LoadObject Objects/box.lwo extra",
        "ParentObject 2",
        "PivotPoint 0 1 0",
        "AddNullObject Null Name",
        "AddLight",
        "LightColor 255 128 0",
        "LgtIntensity 0.75",
        "ShowCamera 1 2",
        "TargetObject 1",
    }));
    const LwsScene scene = readLwsItems(text, 2);
    ASSERT_EQ(scene.items.size(), 4u);
    EXPECT_EQ(scene.items[0].path, "Objects/box.lwo");
    EXPECT_EQ(scene.items[0].wholePath, "Objects/box.lwo extra");
    EXPECT_EQ(scene.items[0].layer, -1);
    EXPECT_FALSE(scene.items[0].parent.byId);
    EXPECT_EQ(scene.items[0].parent.value, 2u);
    EXPECT_EQ(scene.items[0].pivot[1], 1.0f);
    EXPECT_EQ(scene.items[1].id, 0x10000001u);
    EXPECT_EQ(scene.items[1].name, "Null Name");
    EXPECT_EQ(scene.items[2].color[0], 255.0f);
    EXPECT_EQ(scene.items[2].intensity.keys[0].value, 0.75);
    EXPECT_EQ(scene.items[3].type, LwsItemType::camera);
    EXPECT_EQ(scene.items[3].target.value, 1u);
}
