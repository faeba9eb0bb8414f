#pragma once

#include "converter/model/scene_model.h"

#include <cstdint>
#include <vector>

namespace kzo {

// The parent of each of the first pivotCount pivots as the transforms and the
// written hierarchy use it: parentIndex, except that a parent at or beyond
// pivotCount (other than kNoParent) means no parent, and a link that would
// close a cycle is cut. Pivots are visited in table order and each chain is
// followed upwards; the pivot whose parent link leads back into the chain being
// followed becomes a root. The result never contains a cycle.
std::vector<std::uint16_t> effectiveParents(const SceneModel& model);

} // namespace kzo
