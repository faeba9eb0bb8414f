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

#include "converter/model/scene_model.h"

#include <cstdint>
#include <vector>

namespace kzo {

struct ShadowGridPart {
    double lo[2] = {};
    double hi[2] = {};
    double cellsPerUnit[2] = {};
    std::int32_t columns = 0;
    std::int32_t rows = 0;
    std::int32_t firstCell = 0;
};

// A rectangle of cells of one part: columns [column0, column1], rows [row0,
// row1].
struct ShadowGridWindow {
    std::int32_t firstCell = 0;
    std::int32_t columns = 0;
    std::int32_t column0 = 0, column1 = -1;
    std::int32_t row0 = 0, row1 = -1;
};

struct ShadowGrid {
    // Per vertex, for the current light: its part, -1 when it has none (it
    // stands on the light, or a value is NaN or infinite), and its two view
    // coordinates.
    std::vector<std::int8_t> part;
    std::vector<double> view;
    ShadowGridPart parts[6];
    // A cell's vertices are items[cellBegin[c], cellEnd[c]); unlit vertices
    // are taken out, so a cell holds exactly its lit vertices.
    std::vector<std::int32_t> cellBegin;
    std::vector<std::int32_t> cellEnd;
    std::vector<std::int32_t> items;
    std::vector<std::int32_t> cellOf; // per vertex, -1 when not in a cell
    std::vector<std::int32_t> slotOf; // per vertex: its place in items
};

// Sizes the grid for a model of vertexCount vertices; nothing grows later.
void sizeShadowGrid(ShadowGrid& grid, std::int32_t vertexCount);

// The view from a point light at q, the cube turned towards toward (any
// direction will do when toward is q).
void viewFromPoint(ShadowGrid& grid, const SceneModel& model, const double* q,
                   const double* toward);

// The view along a distant light travelling along travel (not zero).
void viewAlong(ShadowGrid& grid, const SceneModel& model, const double* travel);

// Lays the cells over the view and puts every vertex with a counter above 0
// and a part into its cell.
void bucketLitVertices(ShadowGrid& grid, const SceneModel& model);

// The cells that hold every bucketed vertex of the part whose view
// coordinates lie within [lo, hi]; false when there are none.
bool cellsCovering(const ShadowGrid& grid, int part, const double* lo, const double* hi,
                   ShadowGridWindow& window);

// Takes the vertex out of its cell, if it is in one. The last vertex of the
// cell takes its place.
void removeFromShadowGrid(ShadowGrid& grid, std::int32_t vertex);

} // namespace kzo
