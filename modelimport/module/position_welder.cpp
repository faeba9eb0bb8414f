#include "modelimport/module/position_welder.h"

#include <bit>
#include <stdexcept>

namespace kzo {
namespace {

std::size_t hashBits(const std::uint32_t bits[3]) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (int i = 0; i < 3; ++i) {
        h = (h ^ bits[i]) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    return static_cast<std::size_t>(h);
}

} // namespace

PositionWelder::PositionWelder(std::vector<float>& positions) : positions_(positions) {
    slots_.assign(1024, Slot{{0, 0, 0}, kEmpty});
}

std::size_t PositionWelder::slotOf(const std::uint32_t bits[3]) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hashBits(bits) & mask;
    // Never full (at most half), so the probe ends at an empty slot.
    while (slots_[i].vertex != kEmpty &&
           (slots_[i].bits[0] != bits[0] || slots_[i].bits[1] != bits[1] ||
            slots_[i].bits[2] != bits[2])) {
        i = (i + 1) & mask;
    }
    return i;
}

void PositionWelder::grow() {
    std::vector<Slot> old(slots_.size() * 2, Slot{{0, 0, 0}, kEmpty});
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.vertex != kEmpty) {
            slots_[slotOf(slot.bits)] = slot;
        }
    }
}

std::uint32_t PositionWelder::weld(float x, float y, float z) {
    const std::uint32_t bits[3] = {std::bit_cast<std::uint32_t>(x), std::bit_cast<std::uint32_t>(y),
                                   std::bit_cast<std::uint32_t>(z)};
    std::size_t i = slotOf(bits);
    if (slots_[i].vertex != kEmpty) {
        return slots_[i].vertex;
    }
    const std::size_t vertex = positions_.size() / 3;
    if (vertex >= kEmpty) {
        throw std::length_error("too many vertices to weld");
    }
    if ((used_ + 1) * 2 > slots_.size()) {
        grow();
        i = slotOf(bits);
    }
    slots_[i] = Slot{{bits[0], bits[1], bits[2]}, static_cast<std::uint32_t>(vertex)};
    used_ += 1;
    positions_.insert(positions_.end(), {x, y, z});
    return static_cast<std::uint32_t>(vertex);
}

} // namespace kzo
