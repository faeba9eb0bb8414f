#include "converter/model/vertex_weld_index.h"

#include "converter/model/scene_model.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <stdexcept>

namespace kzo {
namespace {

constexpr int kSlotBits = 16;
static_assert((std::size_t(1) << kSlotBits) >= 3 * std::size_t(kMaxVertices),
              "the weld index must stay below one third full");
static_assert(kMaxVertices < 65535, "a slot holds an entry number in 16 bits");

std::uint32_t keyBits(float value) {
    // 0.0 == -0.0, so both must land on the same key.
    return value == 0.0f ? 0u : std::bit_cast<std::uint32_t>(value);
}

std::size_t slotOf(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    constexpr std::uint64_t kMul = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = x;
    h = (h * kMul) ^ y;
    h = (h * kMul) ^ z;
    h *= kMul;
    return static_cast<std::size_t>(h >> (64 - kSlotBits));
}

bool hasNaN(float x, float y, float z) {
    return std::isnan(x) || std::isnan(y) || std::isnan(z);
}

} // namespace

VertexWeldIndex::VertexWeldIndex() : slots(std::size_t(1) << kSlotBits) {
    entries.reserve(std::size_t(kMaxVertices));
}

void clearWeldIndex(VertexWeldIndex& index) {
    if (!index.entries.empty()) {
        std::fill(index.slots.begin(), index.slots.end(), std::uint16_t{0});
    }
    index.entries.clear();
    index.indexedCount = 0;
}

std::int32_t findWeldedPosition(const VertexWeldIndex& index, float x, float y, float z) {
    if (hasNaN(x, y, z)) {
        return -1;
    }
    const std::uint32_t kx = keyBits(x), ky = keyBits(y), kz = keyBits(z);
    const std::size_t mask = index.slots.size() - 1;
    // The table is never more than a third full, so an empty slot ends the probe.
    for (std::size_t s = slotOf(kx, ky, kz);; s = (s + 1) & mask) {
        const std::uint16_t slot = index.slots[s];
        if (slot == 0) {
            return -1;
        }
        const WeldEntry& entry = index.entries[slot - 1u];
        if (entry.x == kx && entry.y == ky && entry.z == kz) {
            return entry.index;
        }
    }
}

void addWeldedPosition(VertexWeldIndex& index, float x, float y, float z) {
    // Beyond the vertex table's capacity the probes could run forever.
    if (index.indexedCount >= kMaxVertices) {
        throw std::length_error("vertex weld index is full");
    }
    const std::int32_t number = index.indexedCount++;
    if (hasNaN(x, y, z)) {
        return;
    }
    const std::uint32_t kx = keyBits(x), ky = keyBits(y), kz = keyBits(z);
    const std::size_t mask = index.slots.size() - 1;
    for (std::size_t s = slotOf(kx, ky, kz);; s = (s + 1) & mask) {
        std::uint16_t& slot = index.slots[s];
        if (slot == 0) {
            index.entries.push_back(WeldEntry{kx, ky, kz, number});
            slot = static_cast<std::uint16_t>(index.entries.size());
            return;
        }
        const WeldEntry& entry = index.entries[slot - 1u];
        if (entry.x == kx && entry.y == ky && entry.z == kz) {
            return;
        }
    }
}

} // namespace kzo
