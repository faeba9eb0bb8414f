#include "viewer/edge_index.h"

#include "viewer/viewer_mesh.h"

#include <functional>

namespace kzoview {

namespace {

constexpr std::size_t kFirstSlotCount = 1024;

std::size_t slotFor(const EdgeIndex& index, const MeshVertex* lo, const MeshVertex* hi) {
    // splitmix64 finaliser over both addresses; vertex addresses are strided,
    // so their low bits alone would cluster.
    std::uint64_t k = reinterpret_cast<std::uintptr_t>(lo) * 0x9E3779B97F4A7C15ull;
    k ^= reinterpret_cast<std::uintptr_t>(hi);
    k ^= k >> 30;
    k *= 0xBF58476D1CE4E5B9ull;
    k ^= k >> 27;
    k *= 0x94D049BB133111EBull;
    k ^= k >> 31;
    return static_cast<std::size_t>(k) & (index.table.size() - 1);
}

void insertSlot(EdgeIndex& index, const EdgeIndex::Slot& slot) {
    std::size_t i = slotFor(index, slot.lo, slot.hi);
    while (index.table[i].edge != nullptr) {
        i = (i + 1) & (index.table.size() - 1);
    }
    index.table[i] = slot;
}

void grow(EdgeIndex& index) {
    std::vector<EdgeIndex::Slot> old = std::move(index.table);
    index.table.assign(old.empty() ? kFirstSlotCount : old.size() * 2, EdgeIndex::Slot{});
    for (const EdgeIndex::Slot& slot : old) {
        if (slot.edge != nullptr) {
            insertSlot(index, slot);
        }
    }
}

} // namespace

void clearEdgeIndex(EdgeIndex& index) {
    index = EdgeIndex{};
}

const EdgeIndex::Slot* findIndexedEdge(const EdgeIndex& index, const MeshVertex* lo,
                                       const MeshVertex* hi) {
    if (index.used == 0) {
        return nullptr;
    }
    std::size_t i = slotFor(index, lo, hi);
    for (;;) {
        const EdgeIndex::Slot& slot = index.table[i];
        if (slot.edge == nullptr) {
            return nullptr;
        }
        if (slot.lo == lo && slot.hi == hi) {
            return &slot;
        }
        i = (i + 1) & (index.table.size() - 1);
    }
}

void addIndexedEdge(EdgeIndex& index, MeshEdge* edge) {
    // Kept at most half full, so probes stay short and always reach a free slot.
    if ((index.used + 1) * 2 > index.table.size()) {
        grow(index);
    }
    EdgeIndex::Slot slot;
    slot.lo = edge->v0;
    slot.hi = edge->v1;
    if (std::less<const MeshVertex*>{}(slot.hi, slot.lo)) {
        std::swap(slot.lo, slot.hi);
    }
    slot.edge = edge;
    slot.created = index.edgesCreated++;
    insertSlot(index, slot);
    ++index.used;
    if (slot.lo == slot.hi) {
        ++index.selfLoops;
    }
}

} // namespace kzoview
