#pragma once

#include "converter/model/scene_model.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kzo {

// The parent of each object as the transforms and the written hierarchy use
// it: the parent given, except that a parent outside the list (other than
// kNoParent) means no parent, and a link that would close a cycle is cut.
// Objects are visited in list order and each chain is followed upwards; the
// object whose parent link leads back into the chain being followed becomes a
// root. The result never contains a cycle.
std::vector<std::uint16_t> effectiveParents(std::span<const std::uint16_t> parents);

// The same for the parentIndex of the first pivotCount pivots.
std::vector<std::uint16_t> effectiveParents(const SceneModel& model);

} // namespace kzo
