#pragma once

#include "viewer/viewer_mesh.h"

namespace kzoview {

// Centres the mesh on its bounding box and sets viewDistance to four times the
// largest half-extent. Throws FatalError "Object bounding volume is zero !!!"
// when all vertices coincide, and also fails on a mesh without vertices or one
// whose extent does not fit a float.
void NormalizeMesh(ViewerMesh& mesh);

} // namespace kzoview
