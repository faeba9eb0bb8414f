// The lit vertices bucketed by where they appear as seen from the current
// light, so that the shadow marking looks for a face's shadow only among the
// vertices that appear behind that face.
//
// A point light's view is split like the six faces of a cube around the
// light, turned so that one face looks at the scene: a vertex belongs to the
// part of its largest coordinate in the cube's frame and sits at its two other
// coordinates divided by that one. That is a central projection, which keeps
// straight lines straight, so a triangle whose corners all lie in one part
// appears as the triangle of its corners' positions. A distant light's view is
// one plane across its direction. Each part is covered by a grid of cells over
// the span of its vertices.
#pragma once

#include <cstdint>
#include <vector>

namespace kzo {

struct SceneModel;

struct ShadowGridPart {
    double lo[2] = {};
    double hi[2] = {};
    double cellsPerUnit[2] = {};
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::int32_t firstCell = 0;
};

// A rectangle of cells of one part: columns [column0, column1], rows [row0,
// row1]. Left unset until cellsCovering fills it, as one is made for every
// face tried.
struct ShadowGridWindow {
    std::int32_t firstCell;
    std::int32_t columns;
    std::int32_t column0, column1;
    std::int32_t row0, row1;
};

// A triangle of the view widened by a margin, where a face's shadow may
// appear: its box, and its three edges moved outwards by the margin. A
// triangle too thin to tell its turning direction keeps only its box (its
// edges become 0 . p >= 0).
struct ViewTriangle {
    double lo[2];
    double hi[2];
    double edgeNormal[3][2];
    double edgeOffset[3];
    bool thin; // only the box tells
};

struct ShadowGrid {
    // Per vertex, for the current light: its part, -1 when it has none (it
    // stands on the light, or a value is NaN or infinite), and its two view
    // coordinates.
    std::vector<std::int8_t> part;
    std::vector<double> view;
    ShadowGridPart parts[6];
    // A point light's view: where the light stands and the cube's axes.
    double origin[3] = {};
    double axes[3][3] = {};
    // Cell c holds items[cellBegin[c], cellBegin[c + 1]), and the cells of a
    // row follow each other, so a row of a window is one run of items.
    std::vector<std::int32_t> cellBegin;
    std::vector<std::int32_t> items;
    // Per item: its vertex's view coordinates, NaN once the vertex is unlit,
    // so that no triangle holds it any more.
    std::vector<double> itemView;
    std::vector<std::int32_t> slotOf; // per vertex: its item, -1 when none
};

// Sizes the grid for a model of vertexCount vertices; nothing grows later.
void sizeShadowGrid(ShadowGrid& grid, std::int32_t vertexCount);

// The view from a point light at q, the cube turned towards toward (any
// direction will do when toward is q).
void viewFromPoint(ShadowGrid& grid, const SceneModel& model, const double* q,
                   const double* toward);

// The view along a distant light travelling along travel (not zero).
void viewAlong(ShadowGrid& grid, const SceneModel& model, const double* travel);

// Lays the cells over the view and puts every vertex of [0, vertexCount)
// with lit[vertex] set and a part into its cell.
void bucketLitVertices(ShadowGrid& grid, const std::uint8_t* lit, std::int32_t vertexCount);

// The triangle of the view positions a, b, c, widened by margin.
void widenViewTriangle(const double* a, const double* b, const double* c, double margin,
                       ViewTriangle& triangle);

// True when the view position p may lie in the widened triangle; never false
// for a point within the margin of the triangle, always false for NaN. Most
// items fail, so the tests are combined without branches.
inline bool viewTriangleHolds(const ViewTriangle& t, const double* p) {
    const double x = p[0];
    const double y = p[1];
    bool holds = (x >= t.lo[0]) & (x <= t.hi[0]) & (y >= t.lo[1]) & (y <= t.hi[1]);
    for (int i = 0; i < 3; ++i) {
        holds &= t.edgeNormal[i][0] * x + t.edgeNormal[i][1] * y >= t.edgeOffset[i];
    }
    return holds;
}

// The cells that hold every bucketed vertex of the part whose view position
// lies in the triangle's box; false when there are none.
bool cellsCovering(const ShadowGrid& grid, int part, const ViewTriangle& triangle,
                   ShadowGridWindow& window);

// Calls visit(vertex) for every vertex of the window's cells that the
// triangle may hold, except the three of skip (a face's own corners, which
// its triangle always holds). It runs for every item of every face, so it
// keeps the triangle in registers, and tries only the edges of a triangle
// that has them: each widened edge alone holds every point within the
// margin, the box only narrows that near sharp corners.
template <class Visit>
void forEachVertexInTriangle(const ShadowGrid& grid, const ViewTriangle& triangle,
                             const ShadowGridWindow& window, const std::int32_t (&skip)[3],
                             Visit&& visit) {
    const double* view = grid.itemView.data();
    const std::int32_t* items = grid.items.data();
    const std::int32_t* cellBegin = grid.cellBegin.data();
    if (triangle.thin) {
        for (std::int32_t row = window.row0; row <= window.row1; ++row) {
            const std::int32_t rowStart = window.firstCell + row * window.columns;
            const std::int32_t end = cellBegin[rowStart + window.column1 + 1];
            for (std::int32_t i = cellBegin[rowStart + window.column0]; i < end; ++i) {
                const std::int32_t item = items[i];
                if (viewTriangleHolds(triangle, &view[2 * i]) && item != skip[0] &&
                    item != skip[1] && item != skip[2]) {
                    visit(item);
                }
            }
        }
        return;
    }
    const double a0 = triangle.edgeNormal[0][0], b0 = triangle.edgeNormal[0][1];
    const double a1 = triangle.edgeNormal[1][0], b1 = triangle.edgeNormal[1][1];
    const double a2 = triangle.edgeNormal[2][0], b2 = triangle.edgeNormal[2][1];
    const double c0 = triangle.edgeOffset[0], c1 = triangle.edgeOffset[1];
    const double c2 = triangle.edgeOffset[2];
    const std::int32_t s0 = skip[0], s1 = skip[1], s2 = skip[2];
    // The items that pass are gathered without a branch on the outcome,
    // which is all but random, and visited after the scan: a visit changes
    // only its own item.
    constexpr int kBatch = 64;
    std::int32_t found[kBatch];
    int count = 0;
    for (std::int32_t row = window.row0; row <= window.row1; ++row) {
        const std::int32_t rowStart = window.firstCell + row * window.columns;
        const std::int32_t end = cellBegin[rowStart + window.column1 + 1];
        for (std::int32_t i = cellBegin[rowStart + window.column0]; i < end; ++i) {
            const double x = view[2 * i];
            const double y = view[2 * i + 1];
            const std::int32_t item = items[i];
            const bool holds = (a0 * x + b0 * y >= c0) & (a1 * x + b1 * y >= c1) &
                               (a2 * x + b2 * y >= c2) & (item != s0) & (item != s1) & (item != s2);
            found[count] = item;
            count += holds ? 1 : 0;
            if (count == kBatch) {
                for (const std::int32_t vertex : found) {
                    visit(vertex);
                }
                count = 0;
            }
        }
    }
    for (int k = 0; k < count; ++k) {
        visit(found[k]);
    }
}

// Takes the vertex out of the grid's windows, if it is in one.
void removeFromShadowGrid(ShadowGrid& grid, std::int32_t vertex);

} // namespace kzo
