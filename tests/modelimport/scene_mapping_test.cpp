// Scenes handed over broken: the mapping refuses each with a reason instead of
// following a bad count or index.
#include "modelimport/module/scene_mapping.h"
#include "tests/modelimport/library_scene.h"

#include <gtest/gtest.h>

#include <functional>

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
