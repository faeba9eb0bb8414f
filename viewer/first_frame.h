// The image a freshly opened form shows before anything turns it.
#pragma once

#include "viewer/raster_image.h"
#include "viewer/viewer_mesh.h"

namespace kzoview {

// Draws the mesh as the first paint of a new form with a client area of
// width x height does, and returns exactly the client area: width x height
// pixels. Turns no vertex (a fresh form has no pending rotation).
RasterImage renderFirstFrame(ViewerMesh& mesh, int width, int height);

} // namespace kzoview
