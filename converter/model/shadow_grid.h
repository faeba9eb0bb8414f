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
#include <cstring>
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
    // so that no triangle holds it any more. Both lists hold one entry more
    // than there are items, for scans that read items in pairs.
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

// The scan of forEachVertexInTriangle for a triangle with edges: two items
// at a time, in the two lanes of the compilers' vector type (SSE2 on x86-64,
// NEON on arm64), each lane computing exactly what the scalar test would.
// The items that pass are gathered without a branch on the outcome, which is
// all but random, and visited after the scan (a visit changes only its own
// item), less the skipped ones, which pass for every face. A row of odd
// length reads one item past its end (the lists are padded for the last row),
// which its lane leaves out.
template <class Visit>
void scanEdges(const ShadowGrid& grid, const ViewTriangle& triangle, const ShadowGridWindow& window,
               const std::int32_t (&skip)[3], Visit& visit) {
    const double* view = grid.itemView.data();
    const std::int32_t* items = grid.items.data();
    const std::int32_t* cellBegin = grid.cellBegin.data();
    using Double2 = double __attribute__((vector_size(16)));
    auto lanes = [](double value) { return Double2{value, value}; };
    const Double2 a0 = lanes(triangle.edgeNormal[0][0]), b0 = lanes(triangle.edgeNormal[0][1]);
    const Double2 a1 = lanes(triangle.edgeNormal[1][0]), b1 = lanes(triangle.edgeNormal[1][1]);
    const Double2 a2 = lanes(triangle.edgeNormal[2][0]), b2 = lanes(triangle.edgeNormal[2][1]);
    const Double2 c0 = lanes(triangle.edgeOffset[0]), c1 = lanes(triangle.edgeOffset[1]);
    const Double2 c2 = lanes(triangle.edgeOffset[2]);
    constexpr int kBatch = 64;
    std::int32_t found[kBatch];
    int count = 0;
    auto visitFound = [&] {
        int kept = 0;
        for (int k = 0; k < count; ++k) {
            const std::int32_t vertex = found[k];
            found[kept] = vertex;
            kept += ((vertex != skip[0]) & (vertex != skip[1]) & (vertex != skip[2])) ? 1 : 0;
        }
        for (int k = 0; k < kept; ++k) {
            visit(found[k]);
        }
        count = 0;
    };
    for (std::int32_t row = window.row0; row <= window.row1; ++row) {
        const std::int32_t rowStart = window.firstCell + row * window.columns;
        const std::int32_t end = cellBegin[rowStart + window.column1 + 1];
        for (std::int32_t i = cellBegin[rowStart + window.column0]; i < end; i += 2) {
            Double2 first;
            Double2 second;
            std::memcpy(&first, &view[2 * i], sizeof first);
            std::memcpy(&second, &view[2 * i + 2], sizeof second);
            const Double2 x = {first[0], second[0]};
            const Double2 y = {first[1], second[1]};
            const auto holds =
                (a0 * x + b0 * y >= c0) & (a1 * x + b1 * y >= c1) & (a2 * x + b2 * y >= c2);
            found[count] = items[i];
            count += holds[0] != 0 ? 1 : 0;
            found[count] = items[i + 1];
            count += ((holds[1] != 0) & (i + 1 < end)) ? 1 : 0;
            if (count > kBatch - 2) {
                visitFound();
            }
        }
    }
    visitFound();
}

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
    if (!triangle.thin) {
        scanEdges(grid, triangle, window, skip, visit);
        return;
    }
    const double* view = grid.itemView.data();
    const std::int32_t* items = grid.items.data();
    const std::int32_t* cellBegin = grid.cellBegin.data();
    for (std::int32_t row = window.row0; row <= window.row1; ++row) {
        const std::int32_t rowStart = window.firstCell + row * window.columns;
        const std::int32_t end = cellBegin[rowStart + window.column1 + 1];
        for (std::int32_t i = cellBegin[rowStart + window.column0]; i < end; ++i) {
            const std::int32_t item = items[i];
            if (viewTriangleHolds(triangle, &view[2 * i]) && item != skip[0] && item != skip[1] &&
                item != skip[2]) {
                visit(item);
            }
        }
    }
}

// Takes the vertex out of the grid's windows, if it is in one.
void removeFromShadowGrid(ShadowGrid& grid, std::int32_t vertex);

} // namespace kzo
