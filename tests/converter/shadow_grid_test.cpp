// The grid that the shadow marking searches: what a light's view does to
// points on one ray, which vertices a face's window yields, and the widened
// triangle's edges.
#include "converter/model/shadow_grid.h"
#include "tests/converter/light_scene_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <vector>

using namespace kzotest;
using kzo::SceneModel;
using kzo::ShadowGrid;
using kzo::ViewTriangle;

namespace {

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

double viewOf(const ShadowGrid& grid, int vertex, int axis) {
    return grid.view[2 * at(vertex) + at(axis)];
}

TEST(ShadowGrid, pointViewPutsTheVerticesOfOneRayInOnePlace) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    const double q[3] = {1, 2, 3};
    const double toward[3] = {5, -1, 2};
    // Along the axes, on the diagonals, behind the light and nearly along
    // the direction the cube faces.
    const double rays[][3] = {{1, 0, 0},    {0, -1, 0},  {0, 0, 1},    {1, 1, 1},   {-4, 1, -1},
                              {0.3, -2, 5}, {4, -3, -1}, {-1, -1, -1}, {2, 0.5, -3}};
    const float steps[] = {0.5f, 1.0f, 3.0f, 20.0f};
    for (const auto& ray : rays) {
        for (const float s : steps) {
            addVertex(model, static_cast<float>(q[0] + s * ray[0]),
                      static_cast<float>(q[1] + s * ray[1]), static_cast<float>(q[2] + s * ray[2]));
        }
    }
    const int onLight = addVertex(model, 1, 2, 3);
    const int broken = addVertex(model, NAN, 0, 0);
    ShadowGrid grid;
    kzo::sizeShadowGrid(grid, model.vertexCount);
    kzo::viewFromPoint(grid, model, q, toward);

    std::set<std::pair<int, long>> places;
    for (int r = 0; r < 9; ++r) {
        const int first = 4 * r;
        ASSERT_GE(grid.part[at(first)], 0);
        for (int k = 1; k < 4; ++k) {
            EXPECT_EQ(grid.part[at(first + k)], grid.part[at(first)]) << "ray " << r;
            for (int a = 0; a < 2; ++a) {
                EXPECT_NEAR(viewOf(grid, first + k, a), viewOf(grid, first, a), 1e-6)
                    << "ray " << r;
            }
        }
        for (int k = 0; k < 4; ++k) {
            EXPECT_LE(std::fabs(viewOf(grid, first + k, 0)), 1.0);
            EXPECT_LE(std::fabs(viewOf(grid, first + k, 1)), 1.0);
        }
        places.insert({grid.part[at(first)], std::lround(viewOf(grid, first, 0) * 1000) * 10000 +
                                                 std::lround(viewOf(grid, first, 1) * 1000)});
    }
    EXPECT_EQ(places.size(), 9u); // different rays, different places
    EXPECT_EQ(grid.part[at(onLight)], -1);
    EXPECT_EQ(grid.part[at(broken)], -1);
}

TEST(ShadowGrid, distantViewPutsTheVerticesOfOneLineInOnePlace) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    const double travel[3] = {0.3, -0.8, 0.2};
    const double starts[][3] = {{0, 0, 0}, {5, 1, -2}, {-3, 4, 4}};
    for (const auto& p : starts) {
        for (const double s : {-10.0, 0.0, 2.5, 40.0}) {
            addVertex(model, static_cast<float>(p[0] + s * travel[0]),
                      static_cast<float>(p[1] + s * travel[1]),
                      static_cast<float>(p[2] + s * travel[2]));
        }
    }
    ShadowGrid grid;
    kzo::sizeShadowGrid(grid, model.vertexCount);
    kzo::viewAlong(grid, model, travel);
    for (int line = 0; line < 3; ++line) {
        for (int k = 0; k < 4; ++k) {
            const int v = 4 * line + k;
            EXPECT_EQ(grid.part[at(v)], 0);
            for (int a = 0; a < 2; ++a) {
                EXPECT_NEAR(viewOf(grid, v, a), viewOf(grid, 4 * line, a), 1e-5);
            }
        }
    }
    // Starts 5 or more apart across the travel stay apart in the view.
    const double dx = viewOf(grid, 4, 0) - viewOf(grid, 0, 0);
    const double dy = viewOf(grid, 4, 1) - viewOf(grid, 0, 1);
    EXPECT_GT(dx * dx + dy * dy, 1.0);
}

TEST(ShadowGrid, widenedTriangleHoldsPointsWithinTheMarginWhicheverWayItTurns) {
    const double a[2] = {0, 0}, b[2] = {1, 0}, c[2] = {0, 1};
    const double m = 1e-3;
    for (const bool reversed : {false, true}) {
        ViewTriangle t;
        if (reversed) {
            kzo::widenViewTriangle(a, c, b, m, t);
        } else {
            kzo::widenViewTriangle(a, b, c, m, t);
        }
        auto holds = [&](double x, double y) {
            const double p[2] = {x, y};
            return kzo::viewTriangleHolds(t, p);
        };
        EXPECT_TRUE(holds(0.3, 0.3));
        EXPECT_TRUE(holds(0.5, -0.5 * m));
        EXPECT_FALSE(holds(0.5, -2 * m));
        EXPECT_TRUE(holds(-0.5 * m, 0.5));
        // Across the slanted edge: its distance from x + y = 1 is d / sqrt(2).
        EXPECT_TRUE(holds(0.5 + 0.3 * m, 0.5 + 0.3 * m));
        EXPECT_FALSE(holds(0.5 + 2 * m, 0.5 + 2 * m));
        // Inside the box, outside the triangle.
        EXPECT_FALSE(holds(0.9, 0.9));
        EXPECT_FALSE(holds(NAN, 0.5));
    }
    // Corners on one line: no turning direction, so the box alone decides.
    const double d[2] = {2, 2};
    const double e[2] = {1, 1};
    ViewTriangle thin;
    kzo::widenViewTriangle(a, e, d, m, thin);
    const double inBox[2] = {0.5, 1.5};
    const double outOfBox[2] = {2.5, 2.5};
    EXPECT_TRUE(kzo::viewTriangleHolds(thin, inBox));
    EXPECT_FALSE(kzo::viewTriangleHolds(thin, outOfBox));
}

// Plain barycentric test with a tolerance, independent of the grid's edges.
bool insideTriangle(const double* a, const double* b, const double* c, const double* p) {
    const double area = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
    const double u = ((b[0] - p[0]) * (c[1] - p[1]) - (b[1] - p[1]) * (c[0] - p[0])) / area;
    const double v = ((c[0] - p[0]) * (a[1] - p[1]) - (c[1] - p[1]) * (a[0] - p[0])) / area;
    const double w = 1 - u - v;
    return u >= -1e-9 && v >= -1e-9 && w >= -1e-9;
}

TEST(ShadowGrid, windowYieldsEveryLitVertexInTheTriangleAndNoUnlitOne) {
    auto owned = std::make_unique<SceneModel>();
    SceneModel& model = *owned;
    std::mt19937 engine(7);
    auto unit = [&] { return static_cast<float>(engine() >> 8) * (1.0f / 16777216.0f); };
    std::vector<std::uint8_t> lit;
    for (int i = 0; i < 600; ++i) {
        // A lumpy shell and a few points scattered around the light.
        const float r = i % 10 == 0 ? 0.5f + 3 * unit() : 4 + unit();
        float d[3] = {unit() - 0.5f, unit() - 0.5f, unit() - 0.5f};
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        addVertex(model, r * d[0] / length, r * d[1] / length + 6, r * d[2] / length);
        lit.push_back(i % 7 == 0 ? 0 : 1); // out of range
    }
    ShadowGrid grid;
    kzo::sizeShadowGrid(grid, model.vertexCount);
    for (const bool distant : {false, true}) {
        const double q[3] = {0.5, 0, 0.2};
        const double toward[3] = {0, 6, 0};
        const double travel[3] = {0.1, 1, -0.3};
        if (distant) {
            kzo::viewAlong(grid, model, travel);
        } else {
            kzo::viewFromPoint(grid, model, q, toward);
        }
        kzo::bucketLitVertices(grid, lit.data(), model.vertexCount);
        for (int i = 0; i < model.vertexCount; i += 11) {
            kzo::removeFromShadowGrid(grid, i);
        }
        int found = 0;
        for (int t = 0; t < 300; ++t) {
            const int k0 = static_cast<int>(engine() % 600);
            const int part = grid.part[at(k0)];
            int k1 = static_cast<int>(engine() % 600);
            int k2 = static_cast<int>(engine() % 600);
            if (grid.part[at(k1)] != part || grid.part[at(k2)] != part) {
                continue;
            }
            const double* a = &grid.view[2 * at(k0)];
            const double* b = &grid.view[2 * at(k1)];
            const double* c = &grid.view[2 * at(k2)];
            ViewTriangle triangle;
            kzo::widenViewTriangle(a, b, c, 1e-6, triangle);
            kzo::ShadowGridWindow window;
            std::set<int> yielded;
            if (kzo::cellsCovering(grid, part, triangle, window)) {
                const std::int32_t corners[3] = {k0, k1, k2};
                kzo::forEachVertexInTriangle(grid, triangle, window, corners,
                                             [&](std::int32_t v) { yielded.insert(v); });
            }
            const double area =
                std::fabs((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
            for (int v = 0; v < model.vertexCount; ++v) {
                if (lit[at(v)] == 0 || v % 11 == 0) {
                    EXPECT_EQ(yielded.count(v), 0u) << "vertex " << v;
                    continue;
                }
                if (v == k0 || v == k1 || v == k2) {
                    EXPECT_EQ(yielded.count(v), 0u) << "corner " << v;
                    continue;
                }
                if (grid.part[at(v)] == part && area > 1e-6 &&
                    insideTriangle(a, b, c, &grid.view[2 * at(v)])) {
                    EXPECT_EQ(yielded.count(v), 1u) << "vertex " << v << " triangle " << t;
                    ++found;
                }
            }
        }
        // The triangles did hold vertices other than their corners.
        EXPECT_GT(found, 300);
    }
}

} // namespace
