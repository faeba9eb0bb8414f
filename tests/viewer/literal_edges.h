// Edge sharing as a plain walk of the newest-first list: the reference that
// FindOrAddEdge's indexed lookup must match edge for edge.
#pragma once

#include "viewer/viewer_mesh.h"

#include <cstdint>
#include <vector>

namespace kzotest {

// edges in creation order; the list runs from the back to the front.
inline std::uint32_t findOrAddEdgeLiteral(std::vector<kzoview::MeshEdge>& edges, std::uint32_t a,
                                          std::uint32_t b) {
    for (std::size_t e = edges.size(); e-- > 0;) {
        if ((edges[e].v0 == a || edges[e].v0 == b) && (edges[e].v1 == a || edges[e].v1 == b)) {
            return static_cast<std::uint32_t>(e);
        }
    }
    edges.push_back({a, b});
    return static_cast<std::uint32_t>(edges.size() - 1);
}

} // namespace kzotest
