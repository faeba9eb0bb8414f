// The literal welding scan: every stored vertex in index order, compared by
// float equality. The tests prove the hashed welder gives the same tables; the
// benchmark measures it against the hashed one.
#pragma once

#include "converter/model/scene_model.h"

#include <cstdint>

namespace kzotest {

inline std::int32_t referenceWeldVertex(kzo::SceneModel& model, float x, float y, float z) {
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        if (v.x == x && v.y == y && v.z == z) {
            return i;
        }
    }
    return model.vertexCount;
}

} // namespace kzotest
