// Welding of imported positions by the 3DS reader's rule: a position equal in
// all three coordinates (as floats) to one already stored is not stored again,
// and its corners use the first one. Positions reach it finite and with -0.0
// already folded into 0.0, so equal floats are equal bits.
#pragma once

#include <cstdint>
#include <vector>

namespace kzo {

class PositionWelder {
public:
    explicit PositionWelder(std::vector<float>& positions);

    // The vertex number of (x, y, z): an earlier equal position's, or a new
    // one appended to the positions.
    std::uint32_t weld(float x, float y, float z);

private:
    struct Slot {
        std::uint32_t bits[3];
        std::uint32_t vertex; // kEmpty when unused
    };
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;

    void grow();
    std::size_t slotOf(const std::uint32_t bits[3]) const;

    std::vector<float>& positions_;
    // Open addressing, linear probing, at most half full.
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
};

} // namespace kzo
