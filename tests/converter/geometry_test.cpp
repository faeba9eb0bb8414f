#include "converter/model/bake_transforms.h"
#include "converter/model/compute_normals.h"
#include "converter/model/default_material.h"
#include "converter/model/pivot_hierarchy.h"
#include "converter/model/sort_faces.h"
#include "tests/converter/model_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <stdexcept>

using namespace kzo;
using kzotest::TestModel;

namespace {

void expectNear3(const float* actual, float x, float y, float z) {
    EXPECT_NEAR(actual[0], x, 1e-4f);
    EXPECT_NEAR(actual[1], y, 1e-4f);
    EXPECT_NEAR(actual[2], z, 1e-4f);
}

void expectPosition(const Vertex& v, float x, float y, float z) {
    const float p[3] = {v.x, v.y, v.z};
    expectNear3(p, x, y, z);
}

void setKey(Pivot& p, std::array<float, 9> key) {
    std::copy(key.begin(), key.end(), p.firstKey);
}

} // namespace

TEST(SortFaces, ordersBySignedMaterialIndexAndKeepsReadingOrder) {
    TestModel t;
    std::mt19937 random(7);
    const int count = 3000;
    for (int i = 0; i < count; ++i) {
        t.vertex(0, 0, 0);
        const auto material = static_cast<std::int16_t>(int(random() % 5) - 1);
        t.face(0, 0, 0, material);
        t.model.faces[static_cast<std::size_t>(i)].texU[0] = static_cast<float>(i);
    }
    sortFacesByMaterial(t.model);
    for (int i = 1; i < count; ++i) {
        const Face& a = t.f(i - 1);
        const Face& b = t.f(i);
        ASSERT_LE(a.materialIndex, b.materialIndex) << i;
        if (a.materialIndex == b.materialIndex) {
            ASSERT_LT(a.texU[0], b.texU[0]) << "faces of one material changed order at " << i;
        }
    }
    EXPECT_EQ(t.f(0).materialIndex, -1);
}

TEST(DefaultMaterial, isAppendedOnlyForFacesWithoutAUsableMaterial) {
    TestModel t;
    t.material(255, 0, 0).material(0, 255, 0);
    t.face(0, 0, 0, 1).face(0, 0, 0, -1).face(0, 0, 0, 0).face(0, 0, 0, 7);
    t.model.materials[2].red = 9; // a stale slot from an earlier file
    appendDefaultMaterial(t.model, "in.3ds");
    ASSERT_EQ(t.model.materialCount, 3);
    const Material& m = t.model.materials[2];
    EXPECT_EQ(m.red, 128);
    EXPECT_EQ(m.green, 128);
    EXPECT_EQ(m.blue, 128);
    EXPECT_EQ(m.transparency, 128);
    EXPECT_EQ(m.imageIndex, -1);
    EXPECT_EQ(m.flags, 0);
    EXPECT_EQ(t.f(0).materialIndex, 1);
    EXPECT_EQ(t.f(1).materialIndex, 2);
    EXPECT_EQ(t.f(2).materialIndex, 0);
    EXPECT_EQ(t.f(3).materialIndex, 2);

    TestModel complete;
    complete.material(1, 2, 3).face(0, 0, 0, 0);
    appendDefaultMaterial(complete.model, "in.3ds");
    EXPECT_EQ(complete.model.materialCount, 1);
}

TEST(DefaultMaterial, beyondTheMaterialTableIsAFatalError) {
    TestModel t;
    for (int i = 0; i < kMaxMaterials; ++i) {
        t.material(0, 0, 0);
    }
    t.face(0, 0, 0, -1);
    EXPECT_THROW(appendDefaultMaterial(t.model, "big.3ds"), FatalErrorSignal);
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(t.lines[0], "ERROR: 'big.3ds' has more than 256 materials with the default material");
    EXPECT_EQ(t.model.materialCount, kMaxMaterials);
}

TEST(ComputeNormals, zeroAreaFaceGetsZeroNormalAndAddsNothing) {
    TestModel t;
    // y = 0 plane, seen from +y: two triangles around the square 0..1.
    t.vertex(0, 0, 0).vertex(1, 0, 0).vertex(1, 0, 1).vertex(0, 0, 1);
    t.vertex(0, 5, 0).vertex(1, 5, 0).vertex(2, 5, 0); // collinear
    t.face(0, 1, 2).face(0, 2, 3).face(4, 5, 6).face(0, 1, 5);
    // Stale values from an earlier file must not survive.
    Face& degenerate = t.model.faces[2];
    degenerate.normal[0] = degenerate.normal[1] = degenerate.normal[2] = 5;
    degenerate.planeD = 9;
    computeNormals(t.model);

    expectNear3(t.f(0).normal, 0, 1, 0);
    expectNear3(t.f(1).normal, 0, 1, 0);
    EXPECT_EQ(t.f(2).normal[0], 0.0f);
    EXPECT_EQ(t.f(2).normal[1], 0.0f);
    EXPECT_EQ(t.f(2).normal[2], 0.0f);
    EXPECT_EQ(t.f(2).planeD, 0.0f);
    // Face 3 stands in the z = 0 plane; its normal is -z.
    expectNear3(t.f(3).normal, 0, 0, -1);
    EXPECT_NEAR(t.f(3).planeD, 0.0f, 1e-6f);

    // Vertex 0: the two up faces count once each, the upright face once.
    const float s = 1.0f / std::sqrt(5.0f);
    expectNear3(t.v(0).normal, 0, 2 * s, -s);
    expectNear3(t.v(3).normal, 0, 1, 0);
    expectNear3(t.v(4).normal, 0, 0, 0); // only in the zero-area face
    expectNear3(t.v(6).normal, 0, 0, 0);
    expectNear3(t.v(5).normal, 0, 0, -1);
}

TEST(ComputeNormals, planeConstantPutsTheFaceOnItsPlane) {
    TestModel t;
    t.vertex(1, 2, 3).vertex(4, 2, 3).vertex(1, 2, 7);
    t.face(0, 1, 2);
    computeNormals(t.model);
    expectNear3(t.f(0).normal, 0, 1, 0);
    EXPECT_FLOAT_EQ(t.f(0).planeD, -2.0f);
}

TEST(ComputeNormals, hugeAndTinyTrianglesStillGetUnitNormals) {
    for (float size : {1e30f, 1e-30f}) {
        TestModel t;
        t.vertex(0, 0, 0).vertex(size, 0, 0).vertex(size, 0, size);
        t.face(0, 1, 2);
        computeNormals(t.model);
        SCOPED_TRACE(size);
        expectNear3(t.f(0).normal, 0, 1, 0);
        expectNear3(t.v(2).normal, 0, 1, 0);
    }
}

TEST(BakeTransforms, headingTurnsZOntoXAndPitchTurnsZOntoMinusY) {
    TestModel t;
    t.vertex(0, 0, 1, 0).vertex(0, 0, 1, 1);
    setKey(t.pivot(), {0, 0, 0, 90, 0, 0, 1, 1, 1});
    setKey(t.pivot(), {0, 0, 0, 0, 90, 0, 1, 1, 1});
    bakeTransforms(t.model);
    expectPosition(t.v(0), 1, 0, 0);
    expectPosition(t.v(1), 0, -1, 0);
}

TEST(BakeTransforms, scalesAboutThePivotPointThenRotatesThenMoves) {
    TestModel t;
    t.vertex(2, 1, 1);
    Pivot& p = t.pivot();
    p.pivotPoint[0] = p.pivotPoint[1] = p.pivotPoint[2] = 1;
    setKey(p, {10, 20, 30, 0, 0, 90, 3, 1, 1}); // bank 90 turns +X onto +Y
    bakeTransforms(t.model);
    expectPosition(t.v(0), 10, 23, 30);
    EXPECT_EQ(p.matrix[0][3], 0.0f);
    EXPECT_EQ(p.matrix[3][3], 1.0f);
    EXPECT_EQ(p.matrixReady, 1);
}

TEST(BakeTransforms, threeLevelChainIsChildThenParentThenGrandparentInAnyTableOrder) {
    // grandparent: move by (10, 0, 0); parent: heading 90 and move by (0, 5, 0);
    // child: scale 2 and move by (0, 0, 1). The child's vertex (1, 0, 0):
    // child -> (2, 0, 1); parent -> (1, 5, -2); grandparent -> (11, 5, -2).
    std::array<int, 3> order = {0, 1, 2}; // table slot of grandparent, parent, child
    do {
        TestModel t;
        for (int i = 0; i < 3; ++i) {
            t.pivot();
        }
        Pivot& grandparent = t.model.pivots[static_cast<std::size_t>(order[0])];
        Pivot& parent = t.model.pivots[static_cast<std::size_t>(order[1])];
        Pivot& child = t.model.pivots[static_cast<std::size_t>(order[2])];
        setKey(grandparent, {10, 0, 0, 0, 0, 0, 1, 1, 1});
        setKey(parent, {0, 5, 0, 90, 0, 0, 1, 1, 1});
        setKey(child, {0, 0, 1, 0, 0, 0, 2, 2, 2});
        parent.parentIndex = static_cast<std::uint16_t>(order[0]);
        child.parentIndex = static_cast<std::uint16_t>(order[1]);
        t.vertex(1, 0, 0, static_cast<std::uint8_t>(order[2]));
        t.vertex(0, 0, 0, static_cast<std::uint8_t>(order[0]));
        bakeTransforms(t.model);
        SCOPED_TRACE(testing::Message() << order[0] << order[1] << order[2]);
        expectPosition(t.v(0), 11, 5, -2);
        expectPosition(t.v(1), 10, 0, 0);
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST(BakeTransforms, brokenParentLinksAreMendedInsteadOfFollowed) {
    TestModel t;
    // 0 -> 1 -> 0 is a cycle; 2 is its own parent; 3 names a pivot that does not
    // exist. Each pivot moves by one unit along its own axis.
    setKey(t.pivot(1), {1, 0, 0, 0, 0, 0, 1, 1, 1});
    setKey(t.pivot(0), {0, 1, 0, 0, 0, 0, 1, 1, 1});
    setKey(t.pivot(2), {0, 0, 1, 0, 0, 0, 1, 1, 1});
    setKey(t.pivot(900), {0, 0, 2, 0, 0, 0, 1, 1, 1});
    const std::vector<std::uint16_t> parents = effectiveParents(t.model);
    EXPECT_EQ(parents, (std::vector<std::uint16_t>{1, kNoParent, kNoParent, kNoParent}));

    for (std::uint8_t i = 0; i < 4; ++i) {
        t.vertex(0, 0, 0, i);
    }
    t.vertex(0, 0, 0, 9); // names no pivot of this scene
    bakeTransforms(t.model);
    expectPosition(t.v(0), 1, 1, 0);
    expectPosition(t.v(1), 0, 1, 0);
    expectPosition(t.v(2), 0, 0, 1);
    expectPosition(t.v(3), 0, 0, 2);
    expectPosition(t.v(4), 0, 0, 0);
}

TEST(BakeTransforms, longChainInReverseTableOrderResolvesFully) {
    TestModel t;
    // Pivot i's parent is i + 1: the deepest pivot comes first in the table.
    for (int i = 0; i < kMaxPivots; ++i) {
        Pivot& p = t.pivot(i + 1 < kMaxPivots ? static_cast<std::uint16_t>(i + 1) : kNoParent);
        setKey(p, {1, 0, 0, 0, 0, 0, 1, 1, 1});
    }
    t.vertex(0, 0, 0, 0);
    bakeTransforms(t.model);
    expectPosition(t.v(0), static_cast<float>(kMaxPivots), 0, 0);
}

// The tables touch only what a file reaches: every record a later file reaches
// is fresh, whatever an earlier file left in it, and a read beyond what was
// reached gives a fresh record without reaching it.
TEST(SceneModelTables, aResetMakesEveryRecordFreshAndTheCapacitiesStayTheLimits) {
    auto model = std::make_unique<SceneModel>();
    EXPECT_EQ(model->vertices.size(), std::size_t(kMaxVertices));
    EXPECT_EQ(model->faces.size(), std::size_t(kMaxFaces));
    EXPECT_EQ(model->lights.size(), std::size_t(kMaxLights));
    Face& used = model->faces[kMaxFaces - 1];
    used.materialIndex = 3;
    used.colorR[0] = 1;
    used.normal[2] = 7;
    model->vertices[5].pivotIndex = 9;
    model->pivots[0].parentIndex = 4;
    resetSceneModel(*model);
    const SceneModel& read = *model;
    EXPECT_EQ(read.faces[kMaxFaces - 1].materialIndex, -1);
    EXPECT_EQ(read.faces[kMaxFaces - 1].colorR[0], 255);
    const Face& fresh = model->faces[kMaxFaces - 1];
    EXPECT_EQ(fresh.materialIndex, -1);
    EXPECT_EQ(fresh.colorR[0], 255);
    EXPECT_EQ(fresh.normal[2], 0.0f);
    EXPECT_EQ(model->vertices[5].pivotIndex, 0);
    EXPECT_EQ(model->pivots[0].parentIndex, kNoParent);
    EXPECT_EQ(model->pivots[0].firstKey[6], 1.0f);
    EXPECT_THROW(model->faces[kMaxFaces], std::out_of_range);
}
