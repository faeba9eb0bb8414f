// The viewer's paint: turns the mesh by the pending rotation, projects it and
// draws its edges into an off-screen image the window then copies in one piece.
#pragma once

#include "viewer/raster_image.h"
#include "viewer/view_state.h"
#include "viewer/viewer_mesh.h"

namespace kzoview {

// Draws the mesh as a client area of clientWidth x clientHeight shows it, into
// an image of (clientWidth + 1) x (clientHeight + 1) pixels: black background,
// grey edges of faces turned away, white edges of faces facing the viewer
// drawn over them. Every vertex is turned by view.rotation and keeps the
// turned coordinates and its window position; the rotation is then reset.
//
// A mesh without vertices or faces turns and draws nothing and keeps the
// rotation pending; the image is black and the result false.
bool DrawWireframe(ViewerMesh& mesh, ViewState& view, int clientWidth, int clientHeight,
                   RasterImage& image);

} // namespace kzoview
