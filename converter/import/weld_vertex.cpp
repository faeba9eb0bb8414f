#include "converter/import/weld_vertex.h"

#include "converter/model/scene_model.h"

namespace kzo {
namespace {

// The index describes the vertices of the table as they stood when they were
// added; when the count differs (a reset, an abandoned file) it is rebuilt.
void syncWeldIndex(SceneModel& model) {
    VertexWeldIndex& index = model.vertexWeldIndex;
    if (index.indexedCount == model.vertexCount) {
        return;
    }
    clearWeldIndex(index);
    for (std::int32_t i = 0; i < model.vertexCount; ++i) {
        const Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        addWeldedPosition(index, v.x, v.y, v.z);
    }
}

} // namespace

std::int32_t weldVertex(SceneModel& model, float x, float y, float z) {
    syncWeldIndex(model);
    const std::int32_t found = findWeldedPosition(model.vertexWeldIndex, x, y, z);
    if (found >= 0) {
        return found;
    }
    // A full table leaves the index alone; the caller reports the overflow.
    if (model.vertexCount < kMaxVertices) {
        addWeldedPosition(model.vertexWeldIndex, x, y, z);
    }
    return model.vertexCount;
}

} // namespace kzo
