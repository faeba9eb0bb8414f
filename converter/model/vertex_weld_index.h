// Hash index over the positions of the stored vertices, so that welding a new
// vertex costs one look-up instead of a scan of the whole vertex table.
//
// Keys are the exact float bits with -0.0 folded into 0.0, so two keys are
// equal exactly when the three coordinates compare equal as floats. A position
// with a NaN coordinate equals nothing: it is counted but never entered.
#pragma once

#include <cstdint>
#include <vector>

namespace kzo {

struct WeldEntry {
    std::uint32_t x = 0, y = 0, z = 0; // the key
    std::int32_t index = 0;            // the vertex
};

struct VertexWeldIndex {
    VertexWeldIndex();

    // Open addressing with linear probing, sized once for the whole vertex
    // table at a load factor below one third. A slot holds 1 + the number of
    // its entry (0: empty): two bytes, so that a file touches little more of
    // the index than the entries it makes.
    std::vector<std::uint16_t> slots;
    // The positions entered, in order; room for the whole table is reserved.
    std::vector<WeldEntry> entries;
    // Vertices [0, indexedCount) of the table the index describes.
    std::int32_t indexedCount = 0;
};

void clearWeldIndex(VertexWeldIndex& index);

// Index of the entered position equal to (x, y, z), or -1.
std::int32_t findWeldedPosition(const VertexWeldIndex& index, float x, float y, float z);

// Counts the next vertex (number indexedCount) and enters its position unless
// an equal one is already entered, so a position always maps to its first
// vertex in index order. At most kMaxVertices vertices can be counted.
void addWeldedPosition(VertexWeldIndex& index, float x, float y, float z);

} // namespace kzo
