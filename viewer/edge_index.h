// Hash index of a mesh's edges by their unordered vertex pair, kept beside the
// newest-first edge list so that edge sharing costs constant time per corner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kzoview {

struct MeshVertex;
struct MeshEdge;

struct EdgeIndex {
    struct Slot {
        const MeshVertex* lo = nullptr; // the pair's ends, lower address first
        const MeshVertex* hi = nullptr;
        MeshEdge* edge = nullptr;  // nullptr marks a free slot
        std::uint64_t created = 0; // creation number: larger is nearer the list head
    };
    std::vector<Slot> table; // open addressing, linear probing, power-of-two size
    std::size_t used = 0;
    std::uint64_t edgesCreated = 0;
    std::size_t selfLoops = 0; // edges whose two ends are one vertex
};

void clearEdgeIndex(EdgeIndex& index);

// Returns the indexed edge joining lo and hi (lo before hi in address order, or
// lo == hi), or nullptr.
const EdgeIndex::Slot* findIndexedEdge(const EdgeIndex& index, const MeshVertex* lo,
                                       const MeshVertex* hi);
void addIndexedEdge(EdgeIndex& index, MeshEdge* edge);

} // namespace kzoview
