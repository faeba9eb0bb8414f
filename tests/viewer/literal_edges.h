// Edge sharing as a plain walk of the newest-first list: the reference that
// FindOrAddEdge's indexed lookup must match edge for edge.
#pragma once

#include "viewer/viewer_mesh.h"

namespace kzotest {

inline kzoview::MeshEdge* findOrAddEdgeLiteral(kzoview::ViewerMesh& mesh, kzoview::MeshVertex* a,
                                               kzoview::MeshVertex* b) {
    for (kzoview::MeshEdge* e = mesh.edgeList; e != nullptr; e = e->next) {
        if ((e->v0 == a || e->v0 == b) && (e->v1 == a || e->v1 == b)) {
            return e;
        }
    }
    kzoview::MeshEdge* e = kzoview::trackedArray<kzoview::MeshEdge>(mesh.arena, 1);
    e->v0 = a;
    e->v1 = b;
    e->next = mesh.edgeList;
    mesh.edgeList = e;
    return e;
}

} // namespace kzotest
