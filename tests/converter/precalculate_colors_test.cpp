#include "converter/model/precalculate_colors.h"

#include "converter/model/mark_lit_vertices.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

using namespace kzotest;
using kzo::SceneModel;

namespace {

using Rgb = std::array<int, 3>;

Rgb cornerColor(const SceneModel& model, int face, int corner) {
    const kzo::Face& f = model.faces[static_cast<std::size_t>(face)];
    return {f.colorR[corner], f.colorG[corner], f.colorB[corner]};
}

// One triangle in the plane z = 0, facing +z: (P0 - P1) x (P2 - P1) with the
// corners 0, 1, 2 below.
//
//    y
//    2
//    |  \ .
//    1--0  x
int addFloorTriangle(SceneModel& model, float size, std::int16_t material = 0) {
    const int a = addVertex(model, size, 0, 0);
    const int b = addVertex(model, 0, 0, 0);
    const int c = addVertex(model, 0, size, 0);
    return addFace(model, a, b, c, material);
}

class PrecalculateColors : public ::testing::Test {
protected:
    std::unique_ptr<SceneModel> owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    kzo::ConversionSettings settings;

    void run() {
        setFaceNormals(model);
        kzo::precalculateColors(model, settings);
    }
};

TEST_F(PrecalculateColors, leavesEveryCornerWhiteWithoutLightsWithAnimationOrOtherShading) {
    struct Case {
        std::int32_t shading;
        std::int32_t animation;
        bool light;
    };
    for (const Case c : {Case{3, 0, false}, Case{4, 0, false}, Case{3, 1, true}, Case{4, 1, true},
                         Case{2, 0, true}}) {
        settings = startLitScene(model, c.shading);
        settings.animation = c.animation;
        addMaterial(model, 10, 20, 30, false);
        addFloorTriangle(model, 1);
        model.faces[0].colorR[1] = 7;
        if (c.light) {
            addLight(model, distantLight(0, 0, 1));
        }
        run();
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(cornerColor(model, 0, k), (Rgb{255, 255, 255})) << c.shading;
        }
    }
}

TEST_F(PrecalculateColors, clampsDoubleWhiteTo255And254ForAnUntexturedWhiteMaterial) {
    for (const std::int32_t shading : {3, 4}) {
        settings = startLitScene(model, shading);
        addMaterial(model, 255, 255, 255, true);
        addMaterial(model, 255, 255, 255, false);
        addFloorTriangle(model, 1, 0);
        addFloorTriangle(model, 1, 1);
        addLight(model, distantLight(0, 0, 1, 2.0f));
        run();
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(cornerColor(model, 0, k), (Rgb{255, 255, 255})) << shading;
            EXPECT_EQ(cornerColor(model, 1, k), (Rgb{254, 254, 254})) << shading;
        }
    }
}

TEST_F(PrecalculateColors, truncatesHalfValuesTowardZero) {
    settings = startLitScene(model, 3);
    addMaterial(model, 0, 0, 0, true);
    addFloorTriangle(model, 1);
    addLight(model, distantLight(0, 0, 1, 0.5f));
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{127, 127, 127}));
}

TEST_F(PrecalculateColors, faceTurnedAwayKeepsOnlyAmbientAndNegativeAmbientStopsAtZero) {
    settings = startLitScene(model, 4);
    addMaterial(model, 0, 0, 0, true);
    addFloorTriangle(model, 1);
    addLight(model, distantLight(0, 0, -1, 1.0f));
    model.ambientColor[0] = 40;
    model.ambientColor[1] = -30;
    model.ambientColor[2] = 300;
    run();
    EXPECT_EQ(cornerColor(model, 0, 2), (Rgb{40, 0, 255}));
}

TEST_F(PrecalculateColors, pointLightAtHalfItsRangeGivesHalfAndAtItsRangeNothing) {
    settings = startLitScene(model, 4);
    addMaterial(model, 0, 0, 0, true);
    // A small triangle centred on the origin, facing +z.
    const int a = addVertex(model, 0.3f, -0.3f, 0);
    const int b = addVertex(model, -0.3f, -0.3f, 0);
    const int c = addVertex(model, 0, 0.6f, 0);
    addFace(model, a, b, c);
    addLight(model, pointLight(0, 0, 5, 10));
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{127, 127, 127}));

    model.lights[0] = pointLight(0, 0, 10, 10);
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{0, 0, 0}));
}

TEST_F(PrecalculateColors, spotLightIsFullInsideTheConeFadesToTheEdgeAndStopsBeyondIt) {
    struct Case {
        float cosine; // of the angle between the spot's axis and the face
        int expected;
    };
    for (const Case c : {Case{0.9f, 255}, Case{0.7f, 127}, Case{0.5f, 0}}) {
        settings = startLitScene(model, 4);
        addMaterial(model, 0, 0, 0, true);
        const int a = addVertex(model, 0.3f, -0.3f, 0);
        const int b = addVertex(model, -0.3f, -0.3f, 0);
        const int v = addVertex(model, 0, 0.6f, 0);
        addFace(model, a, b, v);
        const float sine = std::sqrt(1 - c.cosine * c.cosine);
        addLight(model, spotLight(0, 0, 4, sine, 0, c.cosine, 0.8f, 0.6f));
        run();
        EXPECT_EQ(cornerColor(model, 0, 0)[0], c.expected) << c.cosine;
    }
}

TEST_F(PrecalculateColors, spotLightAddsNothingToAFaceTurnedAwayOrBeyondItsRange) {
    settings = startLitScene(model, 4);
    addMaterial(model, 0, 0, 0, true);
    addFloorTriangle(model, 0.5f);
    const int a = addVertex(model, 0.5f, 0, 0);
    const int b = addVertex(model, 0, 0, 0);
    const int c = addVertex(model, 0, 0.5f, 0);
    addFace(model, c, b, a); // the same place, facing -z
    addLight(model, spotLight(0.1f, 0.1f, 2, 0, 0, 1, 0.8f, 0.6f, 1.5f));
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{0, 0, 0}));
    model.lights[0].range = 20;
    run();
    EXPECT_GT(cornerColor(model, 0, 0)[0], 200);
    EXPECT_EQ(cornerColor(model, 1, 0), (Rgb{0, 0, 0}));
}

TEST_F(PrecalculateColors, redUntexturedMaterialKeepsOnlyTheRedOfWhiteLight) {
    for (const std::int32_t shading : {3, 4}) {
        settings = startLitScene(model, shading);
        addMaterial(model, 255, 0, 0, false);
        addMaterial(model, 255, 0, 0, true);
        addFloorTriangle(model, 1, 0);
        addFloorTriangle(model, 1, 1);
        addLight(model, distantLight(0, 0, 1));
        run();
        EXPECT_EQ(cornerColor(model, 0, 1), (Rgb{254, 0, 0})) << shading;
        EXPECT_EQ(cornerColor(model, 1, 1), (Rgb{255, 255, 255})) << shading;
    }
}

TEST_F(PrecalculateColors, gouraudAveragesTheCornerSumsOfTheFacesAroundEachVertex) {
    // Two triangles sharing the edge 1-2: the first faces the light (+z), the
    // second is folded down to face +x and receives nothing.
    settings = startLitScene(model, 3);
    addMaterial(model, 0, 0, 0, true);
    const int a = addVertex(model, 1, 0, 0);
    const int b = addVertex(model, 0, 0, 0);
    const int c = addVertex(model, 0, 1, 0);
    const int d = addVertex(model, 0, 0, -1);
    addFace(model, a, b, c);
    addFace(model, b, c, d);
    addLight(model, distantLight(0, 0, 1, 200.0f / 255.0f));
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{200, 200, 200})); // vertex a, one face
    EXPECT_EQ(cornerColor(model, 0, 2), (Rgb{100, 100, 100})); // vertex c, both faces
    EXPECT_EQ(cornerColor(model, 1, 0), (Rgb{100, 100, 100})); // vertex b
    EXPECT_EQ(cornerColor(model, 1, 2), (Rgb{0, 0, 0}));       // vertex d
}

TEST_F(PrecalculateColors, flatColourIsTheMeanOfTheLitCornersOnly) {
    // A light shining down on a floor triangle whose corner 0 lies under a
    // small blocker: that corner gets nothing, the face gets two thirds.
    settings = startLitScene(model, 4);
    addMaterial(model, 0, 0, 0, true);
    addFloorTriangle(model, 4);
    const int p = addVertex(model, 4.2f, 0.2f, 1);
    const int q = addVertex(model, 3.6f, 0.2f, 1);
    const int r = addVertex(model, 3.9f, -0.4f, 1);
    addFace(model, p, q, r);
    addLight(model, distantLight(0, 0, 1, 0.6f));
    run();
    // Each lit corner receives 153; (153 + 153 + 0) / 3 = 102.
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{102, 102, 102}));
}

TEST_F(PrecalculateColors, lightAtAFaceCenterAddsNothingToThatFace) {
    settings = startLitScene(model, 4);
    addMaterial(model, 0, 0, 0, true);
    addVertex(model, 3, 0, 0);
    addVertex(model, 0, 0, 0);
    addVertex(model, 0, 3, 0);
    addFace(model, 0, 1, 2);
    addLight(model, pointLight(1, 1, 0));
    addLight(model, distantLight(0, 0, 1, 0.5f));
    run();
    EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{127, 127, 127}));
}

TEST_F(PrecalculateColors, nanOrInfiniteLightValuesAddNothing) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (int variant = 0; variant < 6; ++variant) {
        settings = startLitScene(model, variant % 2 == 0 ? 3 : 4);
        addMaterial(model, 0, 0, 0, true);
        addFloorTriangle(model, 1);
        kzo::Light light = variant < 2 ? distantLight(0, 0, 1, inf) : pointLight(0.2f, 0.2f, 3);
        if (variant == 2 || variant == 3) {
            light.position[1] = nan;
        } else if (variant >= 4) {
            light = spotLight(0.2f, 0.2f, 3, 0, 0, 1, nan, 0.5f);
            model.ambientColor[0] = nan;
            model.ambientColor[1] = inf;
        }
        addLight(model, light);
        run();
        EXPECT_EQ(cornerColor(model, 0, 0), (Rgb{0, 0, 0})) << variant;
    }
}

// Counters left by the fast marking and by the literal one, for one light.
struct Marks {
    std::vector<int> fast;
    std::vector<int> literal;
};

Marks markWithBoth(SceneModel& model, int light) {
    setFaceNormals(model);
    kzo::prepareFacesForLighting(model);
    Marks marks;
    kzo::markLitVertices(model, light);
    for (int i = 0; i < model.vertexCount; ++i) {
        marks.fast.push_back(model.vertices[static_cast<std::size_t>(i)].counter);
    }
    literalMarkLitVertices(model, light);
    for (int i = 0; i < model.vertexCount; ++i) {
        marks.literal.push_back(model.vertices[static_cast<std::size_t>(i)].counter);
    }
    return marks;
}

class MarkLitVertices : public PrecalculateColors {};

// An occluding triangle in the plane z = 1 and four probes: under its middle
// (z = 0), above it at z = 2 (between it and the light), under its edge 0-1
// (exactly on the shadow's boundary), and beside it.
//
//   2 (0, 4)
//   |  \ .
//   0--1 (4, 0)     probe under the middle: (1, 1); under the edge: (2, 0)
void addOccluderAndProbes(SceneModel& model) {
    const int k0 = addVertex(model, 0, 0, 1);
    const int k1 = addVertex(model, 4, 0, 1);
    const int k2 = addVertex(model, 0, 4, 1);
    addFace(model, k0, k1, k2);
    addVertex(model, 1, 1, 0); // 3: behind
    addVertex(model, 1, 1, 2); // 4: in front
    addVertex(model, 2, 0, 0); // 5: under the edge
    addVertex(model, 6, 6, 0); // 6: beside
}

TEST_F(MarkLitVertices, vertexBehindATriangleIsUnlitAndOneInFrontOrOnTheEdgeStaysLit) {
    struct Case {
        const char* name;
        kzo::Light light;
    };
    // From high above the edge probe, and from a distant light straight down.
    for (const Case& c :
         {Case{"point", pointLight(2, 0, 50)}, Case{"distant", distantLight(0, 0, 1)}}) {
        settings = startLitScene(model, 3);
        addOccluderAndProbes(model);
        addLight(model, c.light);
        const Marks marks = markWithBoth(model, 0);
        EXPECT_EQ(marks.fast, marks.literal) << c.name;
        EXPECT_EQ(marks.fast[3], 0) << c.name;
        EXPECT_EQ(marks.fast[4], 1) << c.name;
        EXPECT_EQ(marks.fast[5], 1) << c.name;
        EXPECT_EQ(marks.fast[6], 1) << c.name;
        EXPECT_EQ(marks.fast[0] + marks.fast[1] + marks.fast[2], 3) << c.name;
    }
}

TEST_F(MarkLitVertices, vertexInTheRangeBoxButBeyondTheRangeIsUnlitByAnyPlaneItLiesBehind) {
    // Light at the origin with range 10. The occluder lies in the plane y = 5
    // off in the -x, -z quarter, with one corner inside the range box so that
    // it is tried. (8, 8, 8) is inside the box, beyond the sphere and behind
    // that plane; (1, 8, 1) is behind it too but within the sphere, and the
    // line to the light misses the triangle.
    settings = startLitScene(model, 3);
    const int k0 = addVertex(model, -9, 5, -9);
    const int k1 = addVertex(model, -50, 5, -9);
    const int k2 = addVertex(model, -9, 5, -50);
    addFace(model, k0, k1, k2);
    const int beyond = addVertex(model, 8, 8, 8);
    const int within = addVertex(model, 1, 8, 1);
    const int outsideBox = addVertex(model, 11, 0, 0);
    addLight(model, pointLight(0, 0, 0, 10));
    const Marks marks = markWithBoth(model, 0);
    EXPECT_EQ(marks.fast, marks.literal);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(beyond)], 0);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(within)], 1);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(outsideBox)], 0);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(k0)], 1);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(k1)], 0);
}

TEST_F(MarkLitVertices, faceWhoseCornersWereAllUnlitEarlierCastsNoShadow) {
    // Light at the origin, range 8. Face 0, a small triangle in the plane
    // x = 2 with its corners in the range box, has the corners of face 1
    // (plane x = 3, all beyond the range sphere) behind its plane and unlights
    // them. Face 1 would shadow the probe (4, 0, 0), but by the time it is
    // tried none of its corners is lit.
    settings = startLitScene(model, 3);
    const int a = addVertex(model, 2, -7, -7);
    const int b = addVertex(model, 2, -7, -6);
    const int c = addVertex(model, 2, -6, -7);
    addFace(model, a, b, c);
    const int d = addVertex(model, 3, 7, 7);
    const int e = addVertex(model, 3, 7, -7);
    const int f = addVertex(model, 3, -7.9f, 0);
    addFace(model, d, e, f);
    const int probe = addVertex(model, 4, 0, 0);
    addLight(model, pointLight(0, 0, 0, 8));
    const Marks marks = markWithBoth(model, 0);
    EXPECT_EQ(marks.fast, marks.literal);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(d)], 0);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(e)], 0);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(f)], 0);
    EXPECT_EQ(marks.fast[static_cast<std::size_t>(probe)], 1);

    // With face 1 first it is tried while its corners are lit.
    std::swap(model.faces[0], model.faces[1]);
    const Marks swapped = markWithBoth(model, 0);
    EXPECT_EQ(swapped.fast, swapped.literal);
    EXPECT_EQ(swapped.fast[static_cast<std::size_t>(probe)], 0);
}

} // namespace

namespace {

// A right triangle in the plane z = 1 with legs of the given length at (x, 0),
// and a probe at z = 0 under its centroid; returns the probe.
int addCasterOverProbe(SceneModel& model, float x, float leg) {
    const int k0 = addVertex(model, x, 0, 1);
    addFace(model, k0, addVertex(model, x + leg, 0, 1), addVertex(model, x, leg, 1));
    return addVertex(model, x + leg / 3, leg / 3, 0);
}

} // namespace

// The classic test lets a face cast only above an area of 1.5 * sqrt(0.00001)
// (0.00474): faces of area 0.0047 never shadow the probe under their centroid,
// faces of 0.0048 do. More than a tenth of such faces gives one line; faces of
// zero area are not counted, and the relative test neither warns nor spares
// the small faces.
TEST_F(MarkLitVertices, classicTestNamesTheFacesTooSmallToCastWhenMoreThanATenth) {
    const float small = std::sqrt(2 * 0.0047f);
    const float large = std::sqrt(2 * 0.0048f);
    const std::string line =
        "2 of 10 faces are too small to cast shadows at this scene's unit (see --shadow-test)";
    struct Case {
        int smallFaces;
        bool zeroAreaFace;
        kzo::ShadowTest test;
        std::vector<std::string> expected;
    };
    for (const Case& c : {Case{1, true, kzo::ShadowTest::classic, {}},
                          Case{2, false, kzo::ShadowTest::classic, {line}},
                          Case{2, false, kzo::ShadowTest::relative, {}}}) {
        kzo::ConversionSettings litSettings = startLitScene(model, 3);
        litSettings.shadows = {c.test, 1};
        std::vector<std::string> lines;
        model.sink = [&lines](const std::string& text) { lines.push_back(text); };
        std::vector<int> smallProbes, largeProbes;
        for (int i = 0; i < 10; ++i) {
            const float x = static_cast<float>(i);
            if (i == 9 && c.zeroAreaFace) {
                addFace(model, addVertex(model, x, 0, 1), addVertex(model, x + 1, 0, 1),
                        addVertex(model, x + 2, 0, 1));
            } else {
                (i < c.smallFaces ? smallProbes : largeProbes)
                    .push_back(addCasterOverProbe(model, x, i < c.smallFaces ? small : large));
            }
        }
        addLight(model, distantLight(0, 0, 1));
        setFaceNormals(model);
        kzo::precalculateColors(model, litSettings);
        EXPECT_EQ(lines, c.expected) << c.smallFaces;

        kzo::ShadowIndex index;
        kzo::buildShadowIndex(model, index, c.test);
        kzo::markLitVertices(model, 0, index);
        std::vector<int> fast;
        for (int i = 0; i < model.vertexCount; ++i) {
            fast.push_back(model.vertices[static_cast<std::size_t>(i)].counter);
        }
        literalMarkLitVertices(model, 0, c.test);
        for (int i = 0; i < model.vertexCount; ++i) {
            ASSERT_EQ(fast[static_cast<std::size_t>(i)],
                      model.vertices[static_cast<std::size_t>(i)].counter);
        }
        const bool classic = c.test == kzo::ShadowTest::classic;
        for (const int probe : smallProbes) {
            EXPECT_EQ(fast[static_cast<std::size_t>(probe)], classic ? 1 : 0);
        }
        for (const int probe : largeProbes) {
            EXPECT_EQ(fast[static_cast<std::size_t>(probe)], 0);
        }
    }
}
