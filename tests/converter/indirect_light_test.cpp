// Ambient occlusion and the bounce on small models built here: grids of
// quads turned to face a given way, boxes of such grids and a faceted
// sphere, lit by lights set straight into the model.
#include "converter/model/compute_normals.h"
#include "converter/model/indirect_light.h"
#include "converter/model/precalculate_colors.h"
#include "tests/converter/light_scene_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace kzotest;
using kzo::SceneModel;

namespace {

using Vec = std::array<float, 3>;

Vec along(Vec origin, Vec u, float s, Vec v, float t) {
    return {origin[0] + u[0] * s + v[0] * t, origin[1] + u[1] * s + v[1] * t,
            origin[2] + u[2] * s + v[2] * t};
}

// A face whose normal (P0 - P1) x (P2 - P1) points to outward's side.
void addFacing(SceneModel& model, int a, int b, int c, Vec outward, std::int16_t material) {
    const kzo::Vertex& p0 = model.vertices[static_cast<std::size_t>(a)];
    const kzo::Vertex& p1 = model.vertices[static_cast<std::size_t>(b)];
    const kzo::Vertex& p2 = model.vertices[static_cast<std::size_t>(c)];
    const Vec e{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z};
    const Vec f{p2.x - p1.x, p2.y - p1.y, p2.z - p1.z};
    const Vec n{e[1] * f[2] - e[2] * f[1], e[2] * f[0] - e[0] * f[2], e[0] * f[1] - e[1] * f[0]};
    if (n[0] * outward[0] + n[1] * outward[1] + n[2] * outward[2] >= 0) {
        addFace(model, a, b, c, material);
    } else {
        addFace(model, c, b, a, material);
    }
}

// cells x cells quads over the parallelogram origin + s u + t v (s, t in
// 0..1), facing outward; returns the number of its first vertex, the others
// following row by row ((cells + 1) per row, s fastest).
int addGrid(SceneModel& model, Vec origin, Vec u, Vec v, int cells, Vec outward,
            std::int16_t material) {
    const int first = model.vertexCount;
    for (int j = 0; j <= cells; ++j) {
        for (int i = 0; i <= cells; ++i) {
            const Vec p = along(origin, u, static_cast<float>(i) / static_cast<float>(cells), v,
                                static_cast<float>(j) / static_cast<float>(cells));
            addVertex(model, p[0], p[1], p[2]);
        }
    }
    auto at = [&](int i, int j) { return first + j * (cells + 1) + i; };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            addFacing(model, at(i, j), at(i + 1, j), at(i + 1, j + 1), outward, material);
            addFacing(model, at(i, j), at(i + 1, j + 1), at(i, j + 1), outward, material);
        }
    }
    return first;
}

// A closed box of six grids, facing out (or in).
void addBox(SceneModel& model, Vec low, Vec high, int cells, std::int16_t material,
            float out = 1.0f) {
    const float dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
    addGrid(model, low, {dx, 0, 0}, {0, dy, 0}, cells, {0, 0, -out}, material);
    addGrid(model, {low[0], low[1], high[2]}, {dx, 0, 0}, {0, dy, 0}, cells, {0, 0, out}, material);
    addGrid(model, low, {dx, 0, 0}, {0, 0, dz}, cells, {0, -out, 0}, material);
    addGrid(model, {low[0], high[1], low[2]}, {dx, 0, 0}, {0, 0, dz}, cells, {0, out, 0}, material);
    addGrid(model, low, {0, dy, 0}, {0, 0, dz}, cells, {-out, 0, 0}, material);
    addGrid(model, {high[0], low[1], low[2]}, {0, dy, 0}, {0, 0, dz}, cells, {out, 0, 0}, material);
}

// A sphere of rings x segments facets around the origin, facing out.
void addSphere(SceneModel& model, float radius, int rings, int segments, std::int16_t material) {
    const double pi = 3.14159265358979323846;
    const int top = addVertex(model, 0, 0, radius);
    for (int r = 1; r < rings; ++r) {
        const double polar = pi * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double azimuth = 2 * pi * s / segments;
            addVertex(model, static_cast<float>(radius * std::sin(polar) * std::cos(azimuth)),
                      static_cast<float>(radius * std::sin(polar) * std::sin(azimuth)),
                      static_cast<float>(radius * std::cos(polar)));
        }
    }
    const int bottom = addVertex(model, 0, 0, -radius);
    auto ring = [&](int r, int s) { return top + 1 + (r - 1) * segments + s % segments; };
    auto outward = [&](int a, int b, int c) {
        const kzo::Vertex& p = model.vertices[static_cast<std::size_t>(a)];
        const kzo::Vertex& q = model.vertices[static_cast<std::size_t>(b)];
        const kzo::Vertex& w = model.vertices[static_cast<std::size_t>(c)];
        return Vec{p.x + q.x + w.x, p.y + q.y + w.y, p.z + q.z + w.z};
    };
    auto face = [&](int a, int b, int c) { addFacing(model, a, b, c, outward(a, b, c), material); };
    for (int s = 0; s < segments; ++s) {
        face(top, ring(1, s), ring(1, s + 1));
        face(bottom, ring(rings - 1, s + 1), ring(rings - 1, s));
        for (int r = 1; r + 1 < rings; ++r) {
            face(ring(r, s), ring(r + 1, s), ring(r + 1, s + 1));
            face(ring(r, s), ring(r + 1, s + 1), ring(r, s + 1));
        }
    }
}

std::vector<std::uint8_t> colourBytes(const SceneModel& model) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        for (int k = 0; k < 3; ++k) {
            out.insert(out.end(), {f.colorR[k], f.colorG[k], f.colorB[k]});
        }
    }
    return out;
}

// The red byte of every corner of each vertex (all equal with type 3).
std::vector<int> vertexReds(const SceneModel& model, int channel = 0) {
    std::vector<int> reds(static_cast<std::size_t>(model.vertexCount), -1);
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        const std::uint8_t* bytes = channel == 0 ? f.colorR : channel == 1 ? f.colorG : f.colorB;
        for (int k = 0; k < 3; ++k) {
            reds[f.vertexIndex[k]] = bytes[k];
        }
    }
    return reds;
}

class IndirectLightTest : public ::testing::Test {
protected:
    std::unique_ptr<SceneModel> owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    kzo::ConversionSettings settings;

    // Ambient light only: a light of intensity 0 makes the colours lit. The
    // material is textured, so the bytes are the light itself.
    void startAmbientScene(std::int32_t shading = kzo::kPrecalcGouraud) {
        settings = startLitScene(model, shading);
        addMaterial(model, 255, 255, 255, true);
        addLight(model, distantLight(0, 0, 1, 0.0f));
        model.ambientColor[0] = model.ambientColor[1] = model.ambientColor[2] = 200;
    }

    // The colour bytes with the options given, on a copy of the model as it
    // stands, which stays as it was.
    std::vector<std::uint8_t> bake(bool occlusion, bool bounce, int threads = 1) {
        auto copy = std::make_unique<SceneModel>();
        copyModel(*copy);
        kzo::ConversionSettings s = settings;
        s.indirectLight.occlusion = occlusion ? 1 : 0;
        s.indirectLight.bounce = bounce ? 1 : 0;
        s.shadows.threads = threads;
        kzo::computeNormals(*copy);
        kzo::precalculateColors(*copy, s);
        baked = std::move(copy);
        return colourBytes(*baked);
    }

    template <typename Table>
    static void copyRecords(const Table& from, int count, Table& to) {
        for (int i = 0; i < count; ++i) {
            to[i] = from[i];
        }
    }

    void copyModel(SceneModel& copy) {
        kzo::resetSceneModel(copy);
        copyRecords(model.vertices, model.vertexCount, copy.vertices);
        copy.vertexCount = model.vertexCount;
        copyRecords(model.faces, model.faceCount, copy.faces);
        copy.faceCount = model.faceCount;
        copy.materials = model.materials;
        copy.materialCount = model.materialCount;
        copyRecords(model.lights, model.lightCount, copy.lights);
        copy.lightCount = model.lightCount;
        std::copy(std::begin(model.ambientColor), std::end(model.ambientColor),
                  std::begin(copy.ambientColor));
        copy.sink = [this](const std::string& line) { lines.push_back(line); };
    }

    std::unique_ptr<SceneModel> baked;
    std::vector<std::string> lines;
};

} // namespace

// The rays start above the vertex by a small part of the model's size and
// ignore what they meet nearer than that; the normal of a vertex of a convex
// body is a mean of its faces' normals, so its whole hemisphere lies outside
// the body: no ray meets a facet of its own.
TEST_F(IndirectLightTest, aLoneFacetedSphereAndTheOutsideOfABoxKeepTheirAmbient) {
    startAmbientScene();
    addSphere(model, 1.5f, 12, 24, 0);
    const std::vector<std::uint8_t> plain = bake(false, false);
    const std::vector<std::uint8_t> occluded = bake(true, false);
    ASSERT_EQ(plain.size(), occluded.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(plain[i], 200);
        EXPECT_GE(occluded[i], 194) << "corner byte " << i; // 97 % of 200
    }

    startAmbientScene(kzo::kPrecalcFlat);
    addBox(model, {-1, -1, -1}, {1, 2, 3}, 3, 0);
    EXPECT_EQ(bake(true, false), bake(false, false));
}

TEST_F(IndirectLightTest, aCubeOnAPlaneDarkensThePlaneBesideItAndNotFarAway) {
    startAmbientScene();
    // A plane of 8 x 8 in cells of 0.5, the unit cube on its middle. The
    // rays reach a tenth of the diagonal, about 1.14.
    const int plane = addGrid(model, {-4, -4, 0}, {8, 0, 0}, {0, 8, 0}, 16, {0, 0, 1}, 0);
    addBox(model, {-0.5f, -0.5f, 0}, {0.5f, 0.5f, 1}, 2, 0);
    const std::vector<std::uint8_t> plain = bake(false, false);
    bake(true, false);
    const std::vector<int> reds = vertexReds(*baked);
    int near = 0, far = 0;
    for (int j = 0; j <= 16; ++j) {
        for (int i = 0; i <= 16; ++i) {
            const float x = -4 + 0.5f * static_cast<float>(i);
            const float y = -4 + 0.5f * static_cast<float>(j);
            const float gap = std::max(std::fabs(x), std::fabs(y)) - 0.5f;
            const int red = reds[static_cast<std::size_t>(plane + j * 17 + i)];
            if (gap > 0 && gap <= 0.5f) {
                // Beside a side, a twentieth of the ambient goes or more;
                // beside an edge of the cube, less.
                const bool besideEdge = std::fabs(x) == std::fabs(y);
                EXPECT_LT(red, besideEdge ? 200 : 190) << x << ", " << y;
                ++near;
            } else if (gap >= 1.5f) {
                EXPECT_EQ(red, 200) << x << ", " << y;
                ++far;
            }
        }
    }
    EXPECT_EQ(near, 16);
    EXPECT_EQ(far, 17 * 17 - 7 * 7);
    EXPECT_NE(colourBytes(*baked), plain);
}

TEST_F(IndirectLightTest, aVertexInsideAClosedBoxGetsNoAmbient) {
    startAmbientScene();
    addBox(model, {-1, -1, -1}, {1, 1, 1}, 2, 0);
    const int inside = model.vertexCount;
    const int a = addVertex(model, 0.1f, 0, 0);
    const int b = addVertex(model, -0.1f, 0.1f, 0);
    const int c = addVertex(model, -0.1f, -0.1f, 0.05f);
    addFacing(model, a, b, c, {0, 0, 1}, 0);
    settings.indirectLight.distance = 4;
    bake(true, false);
    const std::vector<int> reds = vertexReds(*baked);
    for (int v = inside; v < inside + 3; ++v) {
        EXPECT_EQ(reds[static_cast<std::size_t>(v)], 0) << v;
    }
    // From inside a box, the walls facing away from the vertex occlude too.
    EXPECT_EQ(reds[0], 200);
}

namespace {

// A cube on a plane beside a red wall, lit by a point light with a range, a
// spot and a distant light, every length times scale.
void buildLitCorner(SceneModel& model, float scale, std::int32_t shading) {
    startLitScene(model, shading);
    addMaterial(model, 255, 255, 255, false);
    addMaterial(model, 255, 0, 0, false);
    addMaterial(model, 90, 200, 120, true);
    auto s = [scale](Vec p) { return Vec{p[0] * scale, p[1] * scale, p[2] * scale}; };
    addGrid(model, s({-3, -3, 0}), s({6, 0, 0}), s({0, 6, 0}), 12, {0, 0, 1}, 0);
    addGrid(model, s({-3, -3, 0}), s({0, 6, 0}), s({0, 0, 2.5f}), 10, {1, 0, 0}, 1);
    addBox(model, s({-0.5f, -0.75f, 0}), s({0.5f, 0.25f, 1}), 2, 2);
    addLight(model, pointLight(1.5f * scale, 1 * scale, 3 * scale, 8 * scale, 0.6f));
    addLight(model, spotLight(-1 * scale, -1 * scale, 4 * scale, 0.25f, 0.25f, 0.9354143f, 0.9f,
                              0.7f, 10 * scale));
    addLight(model, distantLight(0.6f, 0.0f, 0.8f, 0.5f));
    model.ambientColor[0] = 60;
    model.ambientColor[1] = 50;
    model.ambientColor[2] = 40;
}

} // namespace

TEST_F(IndirectLightTest, uniformPowerOfTwoScalesChangeNoByteWithTheRelativeTest) {
    for (const std::int32_t shading : {kzo::kPrecalcGouraud, kzo::kPrecalcFlat}) {
        buildLitCorner(model, 1, shading);
        settings.shadingType = shading;
        settings.shadows.test = kzo::ShadowTest::relative;
        const std::vector<std::uint8_t> unit = bake(true, true);
        EXPECT_NE(unit, bake(false, false));
        for (const float scale : {1.0f / 256, 256.0f}) {
            buildLitCorner(model, scale, shading);
            EXPECT_EQ(bake(true, true), unit) << shading << " at " << scale;
        }
    }
}

TEST_F(IndirectLightTest, oneTwoAndThreeThreadsGiveTheSameBytes) {
    for (const std::int32_t shading : {kzo::kPrecalcGouraud, kzo::kPrecalcFlat}) {
        buildLitCorner(model, 1, shading);
        settings.shadingType = shading;
        for (const bool bounce : {false, true}) {
            const std::vector<std::uint8_t> one = bake(true, bounce, 1);
            EXPECT_EQ(bake(true, bounce, 2), one) << shading << bounce;
            EXPECT_EQ(bake(true, bounce, 3), one) << shading << bounce;
            EXPECT_EQ(bake(true, bounce, 1), one) << "a second run, " << shading << bounce;
        }
    }
}

// A white plane, x from -4 to 4, crossed at x = 0 by a red wall facing +x,
// lit from +x and above. The plane at x > 0 next to the wall sees its lit
// red front, the plane at x < 0 its unlit back, the plane far off nothing.
TEST_F(IndirectLightTest, aRedWallBouncesRedOntoTheWhitePlaneBesideItOnly) {
    settings = startLitScene(model, kzo::kPrecalcGouraud);
    addMaterial(model, 255, 255, 255, false);
    addMaterial(model, 255, 0, 0, false);
    const int plane = addGrid(model, {-4, -2, 0}, {8, 0, 0}, {0, 4, 0}, 16, {0, 0, 1}, 0);
    addGrid(model, {0, -2, 0}, {0, 4, 0}, {0, 0, 2}, 8, {1, 0, 0}, 1);
    addLight(model, distantLight(0.6f, 0, 0.8f, 0.8f));
    bake(false, false);
    const std::vector<int> plainRed = vertexReds(*baked, 0);
    const std::vector<int> plainGreen = vertexReds(*baked, 1);
    bake(false, true);
    const std::vector<int> red = vertexReds(*baked, 0);
    const std::vector<int> green = vertexReds(*baked, 1);
    for (int j = 0; j <= 8; ++j) {
        for (int i = 0; i <= 16; ++i) {
            const std::size_t v = static_cast<std::size_t>(plane + j * 17 + i);
            const float x = -4 + 0.5f * static_cast<float>(i);
            EXPECT_EQ(green[v], plainGreen[v]) << "the wall bounces no green, x " << x;
            if (x > 0 && x <= 0.5f && j > 1 && j < 7) {
                EXPECT_GE(red[v], plainRed[v] + 10) << x;
            } else if (x < 0 || x >= 1.5f) {
                EXPECT_EQ(red[v], plainRed[v]) << x;
            }
        }
    }
}

// Random boxes and triangles under random lights: every byte with the bounce
// is at least the byte without it, with and without occlusion.
TEST_F(IndirectLightTest, theBounceNeverMakesACornerDarker) {
    std::mt19937 random(25);
    std::uniform_real_distribution<float> place(-3, 3);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int scene = 0; scene < 4; ++scene) {
        const std::int32_t shading = scene % 2 == 0 ? kzo::kPrecalcGouraud : kzo::kPrecalcFlat;
        settings = startLitScene(model, shading);
        for (int m = 0; m < 3; ++m) {
            addMaterial(model, static_cast<std::uint8_t>(byte(random)),
                        static_cast<std::uint8_t>(byte(random)),
                        static_cast<std::uint8_t>(byte(random)), m == 2);
        }
        addGrid(model, {-4, -4, 0}, {8, 0, 0}, {0, 8, 0}, 10, {0, 0, 1}, 0);
        for (int b = 0; b < 4; ++b) {
            const Vec low{place(random), place(random), 0};
            addBox(model, low, {low[0] + 1, low[1] + 0.5f, low[2] + 1.5f}, 2,
                   static_cast<std::int16_t>(b % 3));
        }
        for (int t = 0; t < 30; ++t) {
            const int a = addVertex(model, place(random), place(random), place(random) + 3);
            const int b = addVertex(model, place(random), place(random), place(random) + 3);
            const int c = addVertex(model, place(random), place(random), place(random) + 3);
            addFace(model, a, b, c, static_cast<std::int16_t>(t % 3));
        }
        addLight(model, pointLight(place(random), place(random), 5, -1, 0.7f));
        addLight(model, distantLight(0.36f, 0.48f, 0.8f, 0.6f));
        model.ambientColor[0] = 40;
        model.ambientColor[1] = 70;
        model.ambientColor[2] = 100;
        for (const bool occlusion : {false, true}) {
            const std::vector<std::uint8_t> without = bake(occlusion, false);
            const std::vector<std::uint8_t> with = bake(occlusion, true);
            ASSERT_EQ(without.size(), with.size());
            int brighter = 0;
            for (std::size_t i = 0; i < with.size(); ++i) {
                EXPECT_GE(with[i], without[i]) << "scene " << scene << ", byte " << i;
                brighter += with[i] > without[i] ? 1 : 0;
            }
            EXPECT_GT(brighter, 0) << scene;
        }
    }
}

TEST_F(IndirectLightTest, unlitColoursSayTheOptionsHaveNoEffectAndStayWhite) {
    struct Case {
        std::int32_t shading;
        std::int32_t animation;
        bool light;
        const char* line;
    };
    for (const Case c :
         {Case{1, 0, true,
               "ambient occlusion and the bounce have no effect: only precalculated shading "
               "(types 3 and 4) bakes colours"},
          Case{3, 1, true,
               "ambient occlusion and the bounce have no effect: an animated hierarchy "
               "(--animation) bakes no colours"},
          Case{4, 0, false,
               "ambient occlusion and the bounce have no effect: the file has no lights"}}) {
        settings = startLitScene(model, c.shading);
        settings.animation = c.animation;
        addMaterial(model, 10, 20, 30, false);
        addSphere(model, 1, 4, 6, 0);
        if (c.light) {
            addLight(model, distantLight(0, 0, 1));
        }
        lines.clear();
        const std::vector<std::uint8_t> bytes = bake(true, true);
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
        EXPECT_EQ(bytes, std::vector<std::uint8_t>(bytes.size(), 255));
    }
    lines.clear();
    bake(false, false);
    EXPECT_TRUE(lines.empty());
}

// Embree takes no coordinate beyond about 1.8e18: such faces meet no ray and
// their vertices keep the whole ambient term; the rest is baked as usual.
TEST_F(IndirectLightTest, facesBeyondTheRayTracersRangeKeepTheirAmbient) {
    startAmbientScene();
    const int far = model.vertexCount;
    const int a = addVertex(model, 4e18f, 0, 0);
    const int b = addVertex(model, 0, 4e18f, 0);
    const int c = addVertex(model, 0, 0, 4e18f);
    addFacing(model, a, b, c, {1, 1, 1}, 0);
    const int plane = addGrid(model, {-2, -2, 0}, {4, 0, 0}, {0, 4, 0}, 4, {0, 0, 1}, 0);
    addBox(model, {-0.5f, -0.5f, 0}, {0.5f, 0.5f, 1}, 1, 0);
    settings.indirectLight.distance = 2;
    bake(true, true);
    const std::vector<int> reds = vertexReds(*baked);
    for (int v = far; v < far + 3; ++v) {
        EXPECT_EQ(reds[static_cast<std::size_t>(v)], 200) << v;
    }
    EXPECT_LT(reds[static_cast<std::size_t>(plane + 2 * 5 + 1)], 200); // beside the cube
}
