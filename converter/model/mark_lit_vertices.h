#pragma once

#include "converter/model/scene_model.h"
#include "converter/model/shadow_index.h"
#include "converter/model/shadow_options.h"

#include <cstdint>

namespace kzo {

// Builds the index for the model's vertices and faces, for the given shadow
// test. The faces' normal, planeD, center and radiusSquared must be set, and
// nothing may move until the last markLitVertices call that uses the index.
void buildShadowIndex(const SceneModel& model, ShadowIndex& index,
                      ShadowTest test = ShadowTest::classic);

// Marks the light's lit vertices into index.lit as markLitVertices sets the
// counters; reads the model only.
void markLitInIndex(const SceneModel& model, int lightIndex, ShadowIndex& index);

// Sets every vertex's counter to 1 when the light lights it and to 0 when it
// lies outside the light's range box or in the shadow of a face. The faces'
// normal, planeD, center and radiusSquared must be set. Faces are tried as
// occluders in face order against the counters as they stand, exactly as a
// test of every (face, vertex) pair would; the index only skips pairs that
// such a test rejects.
void markLitVertices(SceneModel& model, int lightIndex, ShadowIndex& index);

// The same, with an index built for this one call.
void markLitVertices(SceneModel& model, int lightIndex);

// The faces of non-zero area that the classic test never lets cast a shadow:
// its products peak at the face's centroid at 4/9 of the squared area, so a
// face of area 1.5 * sqrt(0.00001) (about 0.00474) or less stays below the
// threshold wherever the crossing point lies.
std::int32_t facesTooSmallToCast(const SceneModel& model);

} // namespace kzo
