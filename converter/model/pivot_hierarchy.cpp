#include "converter/model/pivot_hierarchy.h"

namespace kzo {

std::vector<std::uint16_t> effectiveParents(std::span<const std::uint16_t> parents) {
    const std::size_t count = parents.size();
    enum class Mark : std::uint8_t { unvisited, onChain, done };
    std::vector<Mark> mark(count, Mark::unvisited);
    std::vector<std::uint16_t> parent(count, kNoParent);
    std::vector<std::size_t> chain;
    for (std::size_t start = 0; start < count; ++start) {
        chain.clear();
        // Every step marks one more object, so the walk ends within count steps.
        for (std::size_t current = start; mark[current] == Mark::unvisited;) {
            mark[current] = Mark::onChain;
            chain.push_back(current);
            const std::uint16_t p = parents[current];
            if (p == kNoParent || p >= count || mark[p] == Mark::onChain) {
                break;
            }
            parent[current] = p;
            current = p;
        }
        for (std::size_t i : chain) {
            mark[i] = Mark::done;
        }
    }
    return parent;
}

std::vector<std::uint16_t> effectiveParents(const SceneModel& model) {
    const auto count = static_cast<std::size_t>(model.pivotCount > 0 ? model.pivotCount : 0);
    std::vector<std::uint16_t> parents(count);
    for (std::size_t i = 0; i < count; ++i) {
        parents[i] = model.pivots[i].parentIndex;
    }
    return effectiveParents(parents);
}

} // namespace kzo
