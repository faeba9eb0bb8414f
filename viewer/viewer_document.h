// What a load produces: the mesh and the summary line shown as the caption.
#pragma once

#include "viewer/viewer_mesh.h"

#include <string>

namespace kzoview {

struct ViewerDocument {
    ViewerMesh mesh;
    std::string captionText; // at most kCaptionLimit bytes
};

} // namespace kzoview
