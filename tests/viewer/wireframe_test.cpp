#include "viewer/wireframe.h"

#include "tests/viewer/wire_mesh.h"
#include "viewer/line_raster.h"

#include <gtest/gtest.h>

#include <random>

using kzotest::makeWireMesh;
using kzoview::DrawWireframe;
using kzoview::kGrey;
using kzoview::kWhite;
using kzoview::RasterImage;
using kzoview::ViewState;

namespace {

// A client area of 100 x 80: scale 1.5 x 80 = 120, centre (50, 40). With the
// eye 4 units away, a vertex at (x, y, 0) lands on (50 + 30x, 40 - 30y).
constexpr int kW = 100;
constexpr int kH = 80;
constexpr float kEye = 4;

int countPixels(const RasterImage& image, std::uint32_t color) {
    int n = 0;
    for (std::uint32_t p : image.pixels) {
        n += p == color;
    }
    return n;
}

} // namespace

TEST(Wireframe, projectsAroundTheCentreAndDrawsFacingFacesWhite) {
    //  C            C (50,10)
    //  | .
    //  A---B        A (50,40), B (80,40): counter-clockwise on screen
    auto w = makeWireMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, kEye);
    ViewState view;
    RasterImage image;
    ASSERT_TRUE(DrawWireframe(w->mesh, view, kW, kH, image));
    EXPECT_EQ(image.width, kW + 1);
    EXPECT_EQ(image.height, kH + 1);
    EXPECT_EQ(w->screenPoints[0].x, 50.0f);
    EXPECT_EQ(w->screenPoints[0].y, 40.0f);
    EXPECT_EQ(w->screenPoints[1].x, 80.0f);
    EXPECT_EQ(w->screenPoints[2].y, 10.0f);
    EXPECT_EQ(image.at(50, 40), kWhite);
    EXPECT_EQ(image.at(79, 40), kWhite);
    EXPECT_EQ(image.at(50, 11), kWhite);
    EXPECT_EQ(image.at(65, 25), kWhite);
    EXPECT_EQ(countPixels(image, kGrey), 0);
    EXPECT_EQ(countPixels(image, kWhite), 90); // three lines of 30 pixels each
}

TEST(Wireframe, sharedEdgeIsWhiteWhenOneOfItsFacesFacesTheViewer) {
    //  C-----D
    //  | .  2|   face 1 A B C faces the viewer, face 2 B C D is turned away
    //  |1  . |
    //  A-----B
    auto w =
        makeWireMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 2}, {1, 2, 3}}, kEye);
    ViewState view;
    RasterImage image;
    DrawWireframe(w->mesh, view, kW, kH, image);
    EXPECT_EQ(image.at(65, 25), kWhite) << "shared edge B-C";
    EXPECT_EQ(image.at(65, 10), kGrey) << "C-D";
    EXPECT_EQ(image.at(80, 25), kGrey) << "D-B";
    EXPECT_EQ(image.at(80, 10), kGrey) << "first pixel of D-B";
    EXPECT_EQ(image.at(50, 10), kWhite) << "white C-A drawn over the first pixel of grey C-D";
}

TEST(Wireframe, allEdgesAreGreyWhenNoFaceFacesTheViewer) {
    auto w = makeWireMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 2, 1}}, kEye);
    ViewState view;
    RasterImage image;
    DrawWireframe(w->mesh, view, kW, kH, image);
    EXPECT_EQ(countPixels(image, kWhite), 0);
    EXPECT_EQ(countPixels(image, kGrey), 90);

    // Corners on one line count as facing the viewer.
    auto flat = makeWireMesh({{0, 0, 0}, {1, 0, 0}, {-1, 0, 0}}, {{0, 1, 2}}, kEye);
    DrawWireframe(flat->mesh, view, kW, kH, image);
    EXPECT_EQ(countPixels(image, kGrey), 0);
    EXPECT_GT(countPixels(image, kWhite), 0);
}

TEST(Wireframe, zeroSizedClientPutsEveryVertexOnTheCentre) {
    auto w = makeWireMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, kEye);
    ViewState view;
    RasterImage image;
    DrawWireframe(w->mesh, view, 0, 50, image);
    EXPECT_EQ(image.width, 1);
    EXPECT_EQ(image.height, 51);
    for (const auto& v : w->screenPoints) {
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 25.0f);
    }
    EXPECT_EQ(countPixels(image, kWhite) + countPixels(image, kGrey), 0);
}

TEST(Wireframe, appliesThePendingRotationToTheVerticesOnceAndResetsIt) {
    auto w = makeWireMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}, kEye);
    ViewState view;
    view.rotation = kzoview::verticalStep(256); // a quarter turn: x goes to -z
    RasterImage image;
    DrawWireframe(w->mesh, view, kW, kH, image);
    EXPECT_NEAR(w->vertices[1].x, 0, 1e-6f);
    EXPECT_NEAR(w->vertices[1].z, -1, 1e-6f);
    EXPECT_EQ(view.rotation.r, kzoview::kIdentityMatrix.r);

    const auto turned = w->vertices;
    DrawWireframe(w->mesh, view, kW, kH, image);
    for (std::size_t i = 0; i < turned.size(); ++i) {
        EXPECT_EQ(w->vertices[i].x, turned[i].x);
        EXPECT_EQ(w->vertices[i].z, turned[i].z);
    }
}

TEST(Wireframe, meshWithoutFacesDrawsNothingAndKeepsTheRotation) {
    auto w = makeWireMesh({{0, 0, 0}, {1, 0, 0}}, {}, kEye);
    ViewState view;
    view.rotation = kzoview::verticalStep(100);
    RasterImage image;
    EXPECT_FALSE(DrawWireframe(w->mesh, view, kW, kH, image));
    EXPECT_EQ(countPixels(image, kzoview::kBlack), (kW + 1) * (kH + 1));
    EXPECT_EQ(w->vertices[1].x, 1.0f);
    EXPECT_EQ(view.rotation.r, kzoview::verticalStep(100).r);
}

TEST(Wireframe, vertexAtTheEyeNeitherHangsNorOverflows) {
    // (0.5, 0.25, -4) projects to (+inf, -inf), (0, 0, -4) to NaN: the first
    // line runs from A (50, 40) up and to the right off the image, the lines
    // to the NaN corner are left out.
    auto w = makeWireMesh({{0, 0, 0}, {0.5f, 0.25f, -kEye}, {0, 0, -kEye}}, {{0, 1, 2}}, kEye);
    ViewState view;
    RasterImage image;
    DrawWireframe(w->mesh, view, kW, kH, image);
    const std::uint32_t c = image.at(50, 40);
    EXPECT_TRUE(c == kWhite || c == kGrey);
    EXPECT_EQ(image.at(70, 20), c);
    EXPECT_EQ(image.at(90, 0), c);
    EXPECT_EQ(countPixels(image, c), 41);
}

TEST(Wireframe, reusedImageShowsOnlyTheNewFrame) {
    auto w = makeWireMesh({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}, {{0, 1, 2, 3}}, kEye);
    ViewState view;
    RasterImage reused;
    DrawWireframe(w->mesh, view, kW, kH, reused);
    view.rotation = kzoview::horizontalStep(100);
    DrawWireframe(w->mesh, view, kW, kH, reused);
    RasterImage fresh;
    DrawWireframe(w->mesh, view, kW, kH, fresh); // no turn pending: the same frame again
    EXPECT_EQ(reused.pixels, fresh.pixels);

    // A size change redraws everything too.
    DrawWireframe(w->mesh, view, kW / 2, kH, reused);
    RasterImage half;
    DrawWireframe(w->mesh, view, kW / 2, kH, half);
    EXPECT_EQ(reused.pixels, half.pixels);
}

// The paint walks the edges once, keeping the brighter pixel; its picture must
// be that of drawing every grey edge and then every white one over them, also
// where lines leave the image and are clipped.
TEST(Wireframe, oneWalkGivesTheGreyThenWhitePicture) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-1.6f, 1.6f);
    for (int round = 0; round < 30; ++round) {
        std::vector<std::array<float, 3>> points(40);
        for (auto& p : points) {
            p = {coordinate(random), coordinate(random), coordinate(random)};
        }
        std::vector<std::vector<int>> faces;
        std::uniform_int_distribution<int> corner(0, 39);
        for (int f = 0; f < 60; ++f) {
            faces.push_back({corner(random), corner(random), corner(random)});
        }
        auto w = makeWireMesh(points, faces, 2.5f);
        ViewState view;
        RasterImage painted;
        DrawWireframe(w->mesh, view, kW, kH, painted);

        RasterImage expected;
        kzoview::resetImage(expected, kW + 1, kH + 1, kzoview::kBlack);
        for (const bool front : {false, true}) {
            for (std::size_t e = w->edges.size(); e-- > 0;) {
                if ((w->frontFacing[e] != 0) != front) {
                    continue;
                }
                const auto& a = w->screenPoints[w->edges[e].v0];
                const auto& b = w->screenPoints[w->edges[e].v1];
                const auto x0 = kzoview::pixelCoordinate(a.x);
                const auto y0 = kzoview::pixelCoordinate(a.y);
                const auto x1 = kzoview::pixelCoordinate(b.x);
                const auto y1 = kzoview::pixelCoordinate(b.y);
                if (x0 && y0 && x1 && y1) {
                    kzoview::drawLine(expected, *x0, *y0, *x1, *y1, front ? kWhite : kGrey);
                }
            }
        }
        ASSERT_EQ(kzotest::imageRows(painted), kzotest::imageRows(expected)) << "round " << round;
    }
}
