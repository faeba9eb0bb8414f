#pragma once

#include "converter/model/scene_model.h"

namespace kzo {

// Unit face normals and plane constants, and unit vertex normals as the
// normalised sum of the normals of the faces around each vertex (each face
// counting once, no smoothing groups). Faces too large or too small for float
// squares are measured in double. A face of zero area gets normal (0, 0, 0)
// and plane constant 0 and adds nothing to its vertices; a vertex that only such
// faces use keeps normal (0, 0, 0). Resets every vertex's counter. Every face
// must index vertices below vertexCount (checkKzoEncodable checks it first).
void computeNormals(SceneModel& model);

} // namespace kzo
