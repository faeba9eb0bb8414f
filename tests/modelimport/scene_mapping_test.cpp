// Scenes handed over broken: the mapping refuses each with a reason instead of
// following a bad count or index.
#include "modelimport/module/scene_mapping.h"
#include "tests/modelimport/library_scene.h"

#include <assimp/light.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using kzotest::libraryMaterial;
using kzotest::libraryMesh;
using kzotest::libraryNode;
using kzotest::libraryScene;

const std::vector<aiVector3D> kTriangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

std::string refusal(const aiScene& scene, const kzo::MappingLimits& limits = {}) {
    try {
        kzo::mapScene(scene, kzo::SceneFacts{}, limits);
    } catch (const kzo::MappingError& e) {
        return e.what();
    }
    return "accepted";
}

// A triangle on a node whose animation runs from second 0 to second 10.
std::unique_ptr<aiScene> movingTriangle() {
    auto scene = libraryScene({libraryMesh(kTriangle, {{0, 1, 2}})}, {libraryMaterial(1, 1, 1, 1)},
                              libraryNode("mover", {0}));
    scene->mNumAnimations = 1;
    scene->mAnimations = new aiAnimation* [1] {
        kzotest::libraryAnimation("mover", {{0, 0.0f}, {1, 1.0f}, {10, 5.0f}})
    };
    return scene;
}

TEST(SceneMappingTest, animationBeyondTheKeyLimitIsRefusedInAHierarchyAndLeftOutWithout) {
    kzo::MappingLimits limits;
    limits.maxKeys = 100; // the curve needs a key on each of its 301 frames
    kzo::ModelReadOptions hierarchy;
    hierarchy.hierarchy = true;
    try {
        kzo::mapScene(*movingTriangle(), kzo::SceneFacts{}, limits, hierarchy);
        FAIL() << "no error";
    } catch (const kzo::MappingError& e) {
        EXPECT_STREQ(e.what(), "the animation needs more than 100 keys");
    }
    kzo::ModelReadOptions keyed;
    keyed.motion = true;
    const kzo::ImportedModel model =
        kzo::mapScene(*movingTriangle(), kzo::SceneFacts{}, limits, keyed);
    EXPECT_EQ(model.faceCount(), 1u);
    ASSERT_EQ(model.objects.size(), 1u);
    ASSERT_EQ(model.objects[0].keys.size(), 1u);
    EXPECT_EQ(model.objects[0].keys[0].frame, 0);
    EXPECT_EQ(model.warnings, (std::vector<std::string>{"the scene's motion left out: the "
                                                        "animation needs more than 100 keys"}));
    // Not asked for, the keys are not computed at all, so no limit is met;
    // the geometry is the same.
    const kzo::ImportedModel still = kzo::mapScene(*movingTriangle(), kzo::SceneFacts{}, limits);
    ASSERT_EQ(still.objects.size(), 1u);
    EXPECT_TRUE(still.objects[0].keys.empty());
    EXPECT_TRUE(still.warnings.empty());
    EXPECT_EQ(still.positions, model.positions);
    EXPECT_EQ(still.triangles, model.triangles);
    // Within the limit: keys at 0, 30 and 300, the line between the last two
    // holding every frame.
    const kzo::ImportedModel moving =
        kzo::mapScene(*movingTriangle(), kzo::SceneFacts{}, kzo::MappingLimits{}, hierarchy);
    ASSERT_EQ(moving.objects.at(0).keys.size(), 3u);
    EXPECT_EQ(moving.objects[0].keys[2].frame, 300);
    EXPECT_EQ(moving.lastFrame, 300);
}

// Each transform fits a float, their product does not: "far", an object and
// a light, lies at 1e60.
TEST(SceneMappingTest, placeBeyondAFloatIsRefusedInAHierarchyAndLeftOutWithout) {
    auto scene = [] {
        aiMatrix4x4 huge, far;
        aiMatrix4x4::Scaling(aiVector3D(1e30f), huge);
        aiMatrix4x4::Translation(aiVector3D(1e30f, 0, 0), far);
        auto built = libraryScene(
            {libraryMesh(kTriangle, {{0, 1, 2}}), libraryMesh({}, {})},
            {libraryMaterial(1, 1, 1, 1)},
            libraryNode("huge", {}, {libraryNode("near", {0}), libraryNode("far", {1}, {}, far)},
                        huge));
        auto* light = new aiLight;
        light->mName = aiString("far");
        light->mType = aiLightSource_POINT;
        light->mColorDiffuse = aiColor3D(1, 1, 1);
        built->mNumLights = 1;
        built->mLights = new aiLight* [1] { light };
        return built;
    };
    kzo::ModelReadOptions hierarchy;
    hierarchy.hierarchy = true;
    try {
        kzo::mapScene(*scene(), kzo::SceneFacts{}, kzo::MappingLimits{}, hierarchy);
        FAIL() << "no error";
    } catch (const kzo::MappingError& e) {
        EXPECT_STREQ(e.what(), "a node's place is not a finite number");
    }
    kzo::ModelReadOptions keyed;
    keyed.motion = true;
    const kzo::ImportedModel model =
        kzo::mapScene(*scene(), kzo::SceneFacts{}, kzo::MappingLimits{}, keyed);
    EXPECT_EQ(model.faceCount(), 1u);
    ASSERT_EQ(model.objects.size(), 2u);
    EXPECT_TRUE(model.objects[0].keys.empty() && model.objects[1].keys.empty());
    EXPECT_EQ(model.lastFrame, 0);
    EXPECT_TRUE(model.lights.empty());
    EXPECT_EQ(model.warnings,
              (std::vector<std::string>{
                  "the scene's motion left out: a node's place is not a finite number",
                  "light 'far' left out: no node places them at a finite point"}));
}

TEST(SceneMappingTest, refusesBrokenScenesWithAReason) {
    auto plain = [](aiMesh* mesh, aiNode* root = nullptr) {
        return libraryScene({mesh}, {libraryMaterial(1, 1, 1, 1)},
                            root != nullptr ? root : libraryNode("root", {0}));
    };
    EXPECT_EQ(refusal(*plain(libraryMesh(kTriangle, {{0, 1, 2}}))), "accepted");
    EXPECT_EQ(refusal(*plain(libraryMesh(kTriangle, {{0, 1, 2}}), libraryNode("n", {0, 5}))),
              "node 'n' names mesh 5 of 1");
    EXPECT_EQ(refusal(*plain(libraryMesh(kTriangle, {{0, 1, 7}}))),
              "mesh 0 face 0 uses vertex 7 of 3");
    EXPECT_EQ(refusal(*plain(libraryMesh(kTriangle, {{0, 1, 2, 0}}))),
              "mesh 0 face 0 has 4 corners");
    EXPECT_EQ(refusal(*plain(libraryMesh(kTriangle, {{0, 1, 2}}, 3))),
              "mesh 0 names material 3 of 1");
    {
        aiMesh* mesh = libraryMesh({}, {});
        mesh->mNumVertices = 3;
        EXPECT_EQ(refusal(*plain(mesh)), "mesh 0 counts vertices but holds none");
    }
    {
        aiMatrix4x4 huge;
        aiMatrix4x4::Scaling(aiVector3D(1e30f), huge);
        auto scene = plain(libraryMesh({{0, 0, 0}, {1e30f, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}),
                           libraryNode("big", {0}, {}, huge));
        EXPECT_EQ(refusal(*scene), "a vertex position is not a finite number");
    }
    {
        auto scene = plain(libraryMesh(kTriangle, {{0, 1, 2}, {0, 2, 1}}));
        EXPECT_EQ(refusal(*scene, {.maxTriangles = 1}), "the model has more than 1 triangles");
    }
    {
        aiNode* chain = libraryNode("leaf", {0});
        for (int i = 0; i < 4; ++i) {
            chain = libraryNode("link", {}, {chain});
        }
        auto scene = plain(libraryMesh(kTriangle, {{0, 1, 2}}), chain);
        EXPECT_EQ(refusal(*scene, {.maxNodeDepth = 3}),
                  "the model's nodes nest deeper than 3 levels");
    }
    {
        auto scene = plain(libraryMesh(kTriangle, {{0, 1, 2}}));
        delete scene->mRootNode;
        scene->mRootNode = nullptr;
        EXPECT_EQ(refusal(*scene), "the model holds no node");
    }
}

} // namespace
