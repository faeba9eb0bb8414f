#include "converter/model/sort_faces.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace kzo {

void sortFacesByMaterial(SceneModel& model) {
    const auto count = static_cast<std::size_t>(std::clamp<std::int32_t>(
        model.faceCount, 0, static_cast<std::int32_t>(model.faces.size())));
    const Face* faces = model.faces.data();
    const auto before = [faces](std::uint32_t a, std::uint32_t b) {
        return faces[a].materialIndex < faces[b].materialIndex;
    };
    bool inOrder = true;
    for (std::size_t i = 1; i < count && inOrder; ++i) {
        inOrder = faces[i - 1].materialIndex <= faces[i].materialIndex;
    }
    if (inOrder) {
        return;
    }
    // Sorted as face numbers, four bytes each, rather than as records, whose
    // sort would take a copy of the whole table; then every face is moved
    // once, along the cycles of the order.
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), before);
    for (std::size_t start = 0; start < count; ++start) {
        if (order[start] == start) {
            continue;
        }
        const Face held = model.faces[start];
        std::size_t place = start;
        for (;;) {
            const std::size_t from = order[place];
            order[place] = static_cast<std::uint32_t>(place);
            if (from == start) {
                model.faces[place] = held;
                break;
            }
            model.faces[place] = model.faces[from];
            place = from;
        }
    }
}

} // namespace kzo
