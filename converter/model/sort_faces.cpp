#include "converter/model/sort_faces.h"

#include <algorithm>

namespace kzo {

void sortFacesByMaterial(SceneModel& model) {
    const auto count = static_cast<std::ptrdiff_t>(std::clamp<std::int32_t>(
        model.faceCount, 0, static_cast<std::int32_t>(model.faces.size())));
    std::stable_sort(
        model.faces.begin(), model.faces.begin() + count,
        [](const Face& a, const Face& b) { return a.materialIndex < b.materialIndex; });
}

} // namespace kzo
