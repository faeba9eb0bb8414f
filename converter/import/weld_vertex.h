// Welding of 3DS vertices: a vertex equal in all three coordinates to one
// already stored (of this or an earlier object of the scene) is not stored
// again; the faces use the first equal vertex in index order.
#pragma once

#include <cstdint>

namespace kzo {

struct SceneModel;

// Finds where the vertex at (x, y, z) goes: the index of the first vertex in
// [0, vertexCount) whose coordinates compare equal as floats, or vertexCount
// when there is none and the caller is to store it there. -0.0 equals 0.0; a
// NaN coordinate equals nothing.
using VertexWelder = std::int32_t (*)(SceneModel& model, float x, float y, float z);

// The welder the reader uses: one hash look-up in model.vertexWeldIndex.
std::int32_t weldVertex(SceneModel& model, float x, float y, float z);

} // namespace kzo
