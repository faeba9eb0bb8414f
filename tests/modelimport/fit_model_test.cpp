// Fitting a model over the engine's capacities with the mesh simplifier.
#include "modelimport/module/fit_model.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

using kzo::ImportedModel;
using Position = std::array<float, 3>;

// A bumpy height field of n x n squares, two triangles each, over the x-z
// plane. The left half (x < n/2) has material 0, the right half material 1;
// u jumps by 0.5 at x = n/4, so the field holds a texture seam and a material
// boundary as well as its border.
ImportedModel heightField(int n) {
    ImportedModel model;
    model.materials.resize(2);
    const std::uint32_t side = n + 1;
    for (int z = 0; z <= n; ++z) {
        for (int x = 0; x <= n; ++x) {
            const float height = float((x * x + 3 * z * z) % 7) * 0.125f;
            model.positions.insert(model.positions.end(), {float(x), height, float(z)});
        }
    }
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const std::uint32_t a = z * side + x, b = a + 1, c = a + side, d = c + 1;
            const float offset = x >= n / 4 ? 0.5f : 0.0f;
            for (const auto& tri : {std::array{a, c, b}, std::array{b, c, d}}) {
                for (std::uint32_t v : tri) {
                    model.triangles.push_back(v);
                    model.cornerUvs.push_back(model.positions[3 * v] / float(n) + offset);
                    model.cornerUvs.push_back(model.positions[3 * v + 2] / float(n));
                }
                model.faceMaterials.push_back(x < n / 2 ? 0 : 1);
            }
        }
    }
    return model;
}

Position positionOf(const ImportedModel& model, std::uint32_t v) {
    return {model.positions[3 * v], model.positions[3 * v + 1], model.positions[3 * v + 2]};
}

TEST(FitModelTest, simplifiesUntilItFitsKeepingBordersSeamsAndMaterials) {
    const int n = 150;
    ImportedModel model = heightField(n);
    const kzo::FitReport report = kzo::fitModelToLimits(model, {20000, 20000});

    EXPECT_EQ(report.verticesBefore, 151u * 151u);
    EXPECT_EQ(report.facesBefore, 45000u);
    EXPECT_EQ(report.verticesAfter, model.vertexCount());
    EXPECT_EQ(report.facesAfter, model.faceCount());
    EXPECT_LE(model.vertexCount(), 20000u);
    EXPECT_LE(model.faceCount(), 20000u);
    EXPECT_GT(model.faceCount(), 15000u); // it stops near the limit
    ASSERT_EQ(model.cornerUvs.size(), 6 * model.faceCount());
    ASSERT_EQ(model.faceMaterials.size(), model.faceCount());

    std::set<Position> kept;
    for (std::uint32_t v = 0; v < model.vertexCount(); ++v) {
        EXPECT_TRUE(kept.insert(positionOf(model, v)).second) << "vertex " << v << " twice";
    }
    for (int i = 0; i <= n; ++i) {
        for (const auto& [x, z] :
             {std::pair{i, 0}, std::pair{i, n}, std::pair{0, i}, std::pair{n, i}}) {
            const float height = float((x * x + 3 * z * z) % 7) * 0.125f;
            EXPECT_TRUE(kept.count({float(x), height, float(z)})) << "border " << x << "," << z;
        }
    }
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        bool leftOfSeam = false, leftOfBoundary = false;
        for (int k = 0; k < 3; ++k) {
            const std::uint32_t v = model.triangles[3 * f + k];
            ASSERT_LT(v, model.vertexCount());
            leftOfSeam |= model.positions[3 * v] < float(n / 4);
            leftOfBoundary |= model.positions[3 * v] < float(n / 2);
        }
        for (int k = 0; k < 3; ++k) {
            const Position p = positionOf(model, model.triangles[3 * f + k]);
            // No triangle crosses the seam, and every corner keeps its own
            // side's coordinates.
            EXPECT_EQ(model.cornerUvs[6 * f + 2 * k], p[0] / float(n) + (leftOfSeam ? 0.0f : 0.5f))
                << "face " << f;
            EXPECT_EQ(model.cornerUvs[6 * f + 2 * k + 1], p[2] / float(n)) << "face " << f;
            EXPECT_TRUE(leftOfSeam ? p[0] <= float(n / 4) : p[0] >= float(n / 4)) << "face " << f;
            EXPECT_TRUE(leftOfBoundary ? p[0] <= float(n / 2) : p[0] >= float(n / 2))
                << "face " << f;
        }
        EXPECT_EQ(model.faceMaterials[f], leftOfBoundary ? 0 : 1) << "face " << f;
    }
}

TEST(FitModelTest, modelWhoseBordersHoldTooMuchIsRefusedUnchanged) {
    // Separate triangles: every corner lies on a border, nothing can go.
    ImportedModel model;
    for (std::uint32_t t = 0; t < 7000; ++t) {
        model.positions.insert(model.positions.end(),
                               {float(t), 0, 0, float(t), 1, 0, float(t), 0, 1});
        model.triangles.insert(model.triangles.end(), {3 * t, 3 * t + 1, 3 * t + 2});
        model.cornerUvs.insert(model.cornerUvs.end(), 6, 0.0f);
        model.faceMaterials.push_back(-1);
    }
    const ImportedModel before = model;
    try {
        kzo::fitModelToLimits(model, {20000, 20000});
        FAIL() << "no error";
    } catch (const kzo::FitError& e) {
        EXPECT_STREQ(e.what(), "cannot be simplified to fit: 21000 vertices and 7000 faces "
                               "remain, its borders and texture seams hold too many");
    }
    EXPECT_EQ(model.positions, before.positions);
    EXPECT_EQ(model.triangles, before.triangles);
}

} // namespace

namespace {

TEST(FitModelTest, objectsOfAHierarchyAreSimplifiedApartFromEachOther) {
    // The same field twice, as two objects in their own spaces: every vertex
    // of one lies on a vertex of the other.
    ImportedModel model = heightField(60);
    const ImportedModel one = model;
    const auto offset = static_cast<std::uint32_t>(one.vertexCount());
    model.vertexObjects.assign(one.vertexCount(), 0);
    model.positions.insert(model.positions.end(), one.positions.begin(), one.positions.end());
    model.vertexObjects.resize(2 * one.vertexCount(), 1);
    for (std::uint32_t v : one.triangles) {
        model.triangles.push_back(v + offset);
    }
    model.cornerUvs.insert(model.cornerUvs.end(), one.cornerUvs.begin(), one.cornerUvs.end());
    model.faceMaterials.insert(model.faceMaterials.end(), one.faceMaterials.begin(),
                               one.faceMaterials.end());

    kzo::fitModelToLimits(model, {4000, 4000});
    EXPECT_LE(model.faceCount(), 4000u);
    ASSERT_EQ(model.vertexObjects.size(), model.vertexCount());
    std::size_t faces[2] = {};
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        const std::uint32_t object = model.vertexObjects[model.triangles[3 * f]];
        for (int k = 1; k < 3; ++k) {
            EXPECT_EQ(model.vertexObjects[model.triangles[3 * f + k]], object) << "face " << f;
        }
        faces[object] += 1;
    }
    EXPECT_GT(faces[0], 1000u);
    EXPECT_GT(faces[1], 1000u);
    // Vertices keep their objects in order.
    EXPECT_TRUE(std::is_sorted(model.vertexObjects.begin(), model.vertexObjects.end()));
}

} // namespace
