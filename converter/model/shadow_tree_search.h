// The shadow marking's search through the bounding trees: for the faces the
// grid cannot take (the light near their plane, their corners across the
// view's parts, a light with NaN or infinite values) and for the vertices
// beyond a light's range sphere, which any plane they lie behind unlights,
// wherever it stands. Per node the vertex tree counts the vertices that can
// still be shadowed and those beyond the range, and each face tests the nodes
// against its plane and its shadow frustum, cone or cylinder.
#pragma once

#include "converter/model/shadow_pair_test.h"

namespace kzo::shadow {

// Builds the trees, the first time in the file, and counts the current
// light's candidates from the vertices' states as they stand; from then on
// takeOffTreeCounts keeps the counts. Does nothing when they are counted.
void prepareTrees(const SceneModel& model, ShadowIndex& index);

// Runs the exact test of the query's occluder on every vertex the trees do
// not rule out. The query's occluder, side, nt and processesNegative must be
// set; sideValue is n . Q + d of a point or spot light.
void testThroughTrees(const SceneModel& model, ShadowIndex& index, const LightFrame& frame,
                      Query& q, int faceIndex, double sideValue);

// The same for the vertices beyond the range sphere that lie behind the
// occluder's plane. The trees must be counted.
void testFarVertices(const SceneModel& model, ShadowIndex& index, const LightFrame& light,
                     const Query& q);

// An unlit vertex leaves the counts, if they are kept for this light.
void takeOffTreeCounts(ShadowIndex& index, std::int32_t vertex, bool far);

} // namespace kzo::shadow
