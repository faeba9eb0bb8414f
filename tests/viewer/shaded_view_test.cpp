// The shaded view on tiny hand-built files: what hides what, how each shading
// type colours a face, transparency, and the lights' markers; and a dense
// random mesh against every triangle filled in turn.
#include "viewer/shaded_view.h"

#include "tests/viewer/scene_files.h"
#include "viewer/front_face.h"
#include "viewer/viewer_error.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>

using namespace kzotest;
using namespace kzoview;

namespace {

constexpr int kSide = 40;

RasterImage render(const std::vector<std::uint8_t>& bytes) {
    const ShadedModel model = loadShadedKzo(bytes, "test.kzo");
    VertexBounds bounds;
    for (const Vec3f& p : model.positions) {
        addVertex(bounds, p.x, p.y, p.z);
    }
    const ViewProjection view = turningProjection(placeMesh(bounds), kIdentityMatrix, kSide, kSide);
    ShadedFrame frame;
    restPose(model, frame);
    RasterImage image;
    resetImage(image, kSide, kSide, kBlack);
    DepthBuffer depth;
    resetDepth(depth, kSide, kSide);
    ShadedScratch scratch;
    drawShaded(model, frame, view, image, depth, scratch);
    return image;
}

std::uint32_t rgb(int r, int g, int b) {
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

// Whether every channel of the pixel lies within tolerance of r, g, b.
::testing::AssertionResult near(std::uint32_t pixel, int r, int g, int b, int tolerance) {
    const int got[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    const int want[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        if (std::abs(got[c] - want[c]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "pixel " << got[0] << "," << got[1] << "," << got[2] << " is not near " << r
                   << "," << g << "," << b;
        }
    }
    return ::testing::AssertionSuccess();
}

// A red triangle in front (z = 0) of a larger blue one (z = 1). Bounds
// -2..2 in x and y put the centre at (0, 0, 0.5), the eye 8 away; on the
// 40-pixel square the scale is 60, so the red one covers the middle, and only
// the blue one reaches the pixel (9, 31).
SceneKzo redBeforeBlue(bool blueFirst) {
    SceneKzo kzo;
    kzo.vertices = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}, {-2, -2, 1}, {2, -2, 1}, {0, 2, 1}};
    std::vector<std::uint16_t> red = {0, 1, 2};
    std::vector<std::uint16_t> blue = {3, 4, 5};
    kzo.faces = blueFirst ? std::vector{blue, red} : std::vector{red, blue};
    SceneMaterial redMaterial{255, 0, 0, 0, false, 1};
    SceneMaterial blueMaterial{0, 0, 255, 0, false, 1};
    kzo.materials =
        blueFirst ? std::vector{blueMaterial, redMaterial} : std::vector{redMaterial, blueMaterial};
    return kzo;
}

} // namespace

TEST(ShadedView, theNearerFaceHidesTheFartherInAnyOrderAndBackFacesAreLeftOut) {
    const RasterImage redFirst = render(kzoBytes(redBeforeBlue(false)));
    EXPECT_EQ(redFirst.at(20, 20), rgb(255, 0, 0));
    EXPECT_EQ(redFirst.at(9, 31), rgb(0, 0, 255));
    EXPECT_EQ(redFirst.at(1, 1), kBlack);
    EXPECT_EQ(render(kzoBytes(redBeforeBlue(true))).pixels, redFirst.pixels);

    // The red triangle wound the other way shows its back: the blue one is seen through it.
    SceneKzo turned = redBeforeBlue(false);
    turned.faces[0] = {0, 2, 1};
    const RasterImage back = render(kzoBytes(turned));
    EXPECT_EQ(back.at(20, 20), rgb(0, 0, 255));
}

TEST(ShadedView, aTransparentMaterialMixesOverWhatLiesBehindAndHidesNothing) {
    SceneKzo glass = redBeforeBlue(false);
    glass.materials[0].transparent = true;
    glass.materials[0].transparency = 128; // 127 of 255 solid
    EXPECT_EQ(render(kzoBytes(glass)).at(20, 20),
              rgb((255 * 127 + 127) / 255, 0, (255 * 128 + 127) / 255));

    // Drawn first, a transparent face still lets a solid one behind it show through.
    SceneKzo blueGlass = redBeforeBlue(true);
    blueGlass.materials[0].transparent = true;
    blueGlass.materials[0].transparency = 128;
    const RasterImage image = render(kzoBytes(blueGlass));
    EXPECT_EQ(image.at(20, 20), rgb(255, 0, 0));
    EXPECT_EQ(image.at(9, 31), rgb(0, 0, (255 * 127 + 127) / 255));

    // A transparency byte without the transparent flag is not used.
    SceneKzo unmarked = redBeforeBlue(false);
    unmarked.materials[0].transparency = 128;
    EXPECT_EQ(render(kzoBytes(unmarked)).at(20, 20), rgb(255, 0, 0));
}

TEST(ShadedView, eachShadingTypeColoursTheFlatQuadAsItsFileStores) {
    // One four-corner face facing the eye; corners red, green, blue, white.
    SceneKzo quad;
    quad.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    quad.faces = {{0, 1, 2, 3}};
    quad.materials = {{200, 100, 50, 0, false, 1}};
    // On screen: corner 0 lower left, 1 lower right, 2 upper right, 3 upper left.
    const int corner[4][2] = {{6, 34}, {34, 34}, {34, 6}, {6, 6}};

    quad.shadingType = kzo::kPrecalcGouraud;
    quad.shadingData = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255};
    const RasterImage gouraud = render(kzoBytes(quad));
    const int colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_TRUE(near(gouraud.at(corner[k][0], corner[k][1]), colours[k][0], colours[k][1],
                         colours[k][2], 32))
            << "corner " << k;
    }
    // Halfway along the diagonal that splits the face: half red, half blue.
    EXPECT_TRUE(near(gouraud.at(20, 20), 128, 0, 128, 12));

    quad.shadingType = kzo::kPrecalcFlat;
    quad.shadingData = {10, 20, 30, 30};
    const RasterImage flat = render(kzoBytes(quad));
    for (const auto& at : corner) {
        EXPECT_EQ(flat.at(at[0], at[1]), rgb(10, 20, 30));
    }

    // Normals: towards the eye the material's full colour, turned away only
    // the head light's ambient share.
    quad.shadingType = kzo::kRealtimeFlat;
    kzo::ByteWriter normal;
    for (float v : {0.0f, 0.0f, -1.0f}) {
        normal.f32le(v);
    }
    quad.shadingData = normal.bytes();
    EXPECT_EQ(render(kzoBytes(quad)).at(20, 20), rgb(200, 100, 50));

    quad.shadingType = kzo::kRealtimeGouraud;
    kzo::ByteWriter normals;
    for (int k = 0; k < 4; ++k) {
        for (float v : {0.0f, 0.0f, k < 2 ? -1.0f : 1.0f}) {
            normals.f32le(v);
        }
    }
    quad.shadingData = normals.bytes();
    const RasterImage lit = render(kzoBytes(quad));
    EXPECT_TRUE(near(lit.at(20, 34), 200, 100, 50, 12));
    EXPECT_TRUE(near(lit.at(20, 6), 50, 25, 13, 12));

    quad.shadingType = kzo::kNoShading;
    quad.shadingData.clear();
    EXPECT_EQ(render(kzoBytes(quad)).at(20, 20), rgb(200, 100, 50));
}

TEST(ShadedView, aFileWhosePartsAfterTheFacesAreBrokenFailsNamingIt) {
    SceneKzo quad;
    quad.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}};
    quad.faces = {{0, 1, 2}};
    quad.shadingType = kzo::kPrecalcGouraud;
    quad.shadingData = {1, 2, 3}; // 12 bytes are due
    EXPECT_THROW(
        {
            try {
                loadShadedKzo(kzoBytes(quad), "cut.kzo");
            } catch (const FatalError& e) {
                EXPECT_NE(std::string(e.what()).find("cut.kzo"), std::string::npos) << e.what();
                throw;
            }
        },
        FatalError);
    quad.shadingData.assign(12, 0);
    quad.faces = {{0, 1, 7}};
    EXPECT_THROW(loadShadedKzo(kzoBytes(quad), "bad.kzo"), FatalError);
}

namespace {

constexpr int kDenseWidth = 64;
constexpr int kDenseHeight = 48;

// 6000 triangles in a box 4 in front of the eye, most of them a fraction of
// a pixel across, some a few pixels, some with two corners alike or in a
// line, wound either way; every fourth of a translucent material.
ShadedModel denseMesh(ShadeRule rule) {
    ShadedModel model;
    model.rule = rule;
    model.materials = {{200, 120, 40, 255}, {30, 90, 250, 100}};
    std::mt19937 random(26);
    std::uniform_real_distribution<float> box(-1.0f, 1.0f);
    std::uniform_real_distribution<float> small(-0.02f, 0.02f);
    std::uniform_real_distribution<float> large(-0.3f, 0.3f);
    for (std::uint32_t t = 0; t < 6000; ++t) {
        const Vec3f centre{box(random), box(random), box(random)};
        auto& spread = t % 7 == 0 ? large : small;
        const auto v = std::uint32_t(model.positions.size());
        for (int k = 0; k < 3; ++k) {
            model.positions.push_back(
                {centre.x + spread(random), centre.y + spread(random), centre.z + spread(random)});
        }
        if (t % 13 == 0) {
            model.positions[v + 2] = model.positions[v + 1];
        } else if (t % 17 == 0) {
            const Vec3f a = model.positions[v];
            const Vec3f b = model.positions[v + 1];
            model.positions[v + 2] = {2 * b.x - a.x, 2 * b.y - a.y, 2 * b.z - a.z};
        }
        model.triangles.push_back({{v, v + 1, v + 2}, t % 4 == 3 ? 1u : 0u});
    }
    return model;
}

RasterImage drawnShaded(const ShadedModel& model, const ViewProjection& view) {
    ShadedFrame frame;
    restPose(model, frame);
    RasterImage image;
    resetImage(image, kDenseWidth, kDenseHeight, kBlack);
    DepthBuffer depth;
    resetDepth(depth, kDenseWidth, kDenseHeight);
    ShadedScratch scratch;
    drawShaded(model, frame, view, image, depth, scratch);
    return image;
}

// The plain way of a materialFlat model seen unturned from its centre:
// every triangle projected as ViewProjection says and, where it shows its
// front, filled; the solid ones in order, then the translucent ones
// farthest first.
RasterImage filledOneByOne(const ShadedModel& model, const ViewProjection& view) {
    RasterImage image;
    resetImage(image, kDenseWidth, kDenseHeight, kBlack);
    DepthBuffer depth;
    resetDepth(depth, kDenseWidth, kDenseHeight);
    const auto depthOf = [&](std::uint32_t v) { return model.positions[v].z + view.depthOffset; };
    const auto fill = [&](const ShadedTriangle& tri) {
        const ShadedMaterial& m = model.materials[tri.material];
        ScreenCorner s[3];
        for (int k = 0; k < 3; ++k) {
            const Vec3f& p = model.positions[tri.v[k]];
            const float inverse = 1.0f / depthOf(tri.v[k]);
            s[k] = {view.centreX + view.scale * p.x * inverse,
                    view.centreY - view.scale * p.y * inverse,
                    inverse,
                    float(m.red),
                    float(m.green),
                    float(m.blue)};
        }
        if (showsFront(screenWinding(s[0].x, s[0].y, s[1].x, s[1].y, s[2].x, s[2].y))) {
            fillTriangle(image, depth, s, m.opacity);
        }
    };
    std::vector<std::uint32_t> translucent;
    for (std::uint32_t t = 0; t < model.triangles.size(); ++t) {
        if (model.materials[model.triangles[t].material].opacity < 255) {
            translucent.push_back(t);
        } else {
            fill(model.triangles[t]);
        }
    }
    const auto sum = [&](std::uint32_t t) {
        const ShadedTriangle& tri = model.triangles[t];
        return depthOf(tri.v[0]) + depthOf(tri.v[1]) + depthOf(tri.v[2]);
    };
    std::stable_sort(translucent.begin(), translucent.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return sum(a) > sum(b); });
    for (const std::uint32_t t : translucent) {
        fill(model.triangles[t]);
    }
    return image;
}

} // namespace

TEST(ShadedView, aDenseMeshLooksAsItsTrianglesFilledOneByOne) {
    MeshPlacement place;
    place.viewDistance = 4;
    const ViewProjection view =
        turningProjection(place, kIdentityMatrix, kDenseWidth, kDenseHeight);
    const ShadedModel flat = denseMesh(ShadeRule::materialFlat);
    const RasterImage drawn = drawnShaded(flat, view);
    EXPECT_EQ(drawn.pixels, filledOneByOne(flat, view).pixels);
    EXPECT_GT(std::count(drawn.pixels.begin(), drawn.pixels.end(), rgb(200, 120, 40)), 200);

    // Lit by its face normals, a mesh that stores none is lit as one that
    // does, seen from any side.
    const ShadedModel computed = denseMesh(ShadeRule::litFaceNormal);
    ShadedModel stored = computed;
    storeFaceNormals(stored);
    ASSERT_EQ(stored.faceNormals.size(), stored.triangles.size());
    Matrix3 turn;
    MultiplyMatrix(turn, verticalStep(70), horizontalStep(-40));
    for (const Matrix3& orientation : {kIdentityMatrix, turn}) {
        const ViewProjection seen =
            turningProjection(place, orientation, kDenseWidth, kDenseHeight);
        const RasterImage lit = drawnShaded(computed, seen);
        EXPECT_EQ(lit.pixels, drawnShaded(stored, seen).pixels);
        EXPECT_NE(lit.pixels, drawn.pixels);
    }
}

TEST(LightMarkers, eachLightIsDrawnInItsColourWherePositionAndScalePutIt) {
    MeshPlacement place;
    place.viewDistance = 8;
    const ViewProjection view = turningProjection(place, kIdentityMatrix, kSide, kSide);
    kzo::Light point;
    point.type = kzo::kPointLight;
    point.position[0] = 1;
    point.color[2] = 128; // dim blue is drawn in the brightest blue
    for (const float scale : {1.0f, 2.0f}) {
        RasterImage image;
        resetImage(image, kSide, kSide, kBlack);
        drawLightMarkers({point}, scale, 0.5f, view, image);
        // (scale, 0, 0) at 8 away: 20 + 60 x scale / 8.
        const int x = int(20 + 60 * scale / 8);
        EXPECT_EQ(image.at(x, 20), rgb(0, 0, 255)) << scale;
        EXPECT_EQ(image.at(20, 20), kBlack) << scale;
    }

    kzo::Light sun; // distant, shining down from above: an arrow pointing down
    sun.direction[1] = 1;
    sun.color[0] = sun.color[1] = sun.color[2] = 255;
    RasterImage image;
    resetImage(image, kSide, kSide, kBlack);
    drawLightMarkers({sun}, 1, 0.5f, view, image);
    EXPECT_EQ(image.at(20, 16), kWhite); // the shaft, above the position
    EXPECT_EQ(image.at(20, 24), kBlack);
}
