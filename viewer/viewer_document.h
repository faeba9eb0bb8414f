// What a load produces: the mesh and the summary line shown as the caption.
#pragma once

#include "viewer/viewer_mesh.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzoview {

// What a loader keeps of a model's textures for the shaded view: so far the
// models of other formats (LoadModel) fill it, the other loaders leave it
// empty.
struct MeshSurfaces {
    struct Material {
        std::string imageName;              // the texture's file name; empty: none
        std::vector<std::uint8_t> embedded; // the image file's bytes, when the model holds them
    };
    std::vector<Material> materials;
    std::vector<std::int32_t> faceMaterials; // per face; -1: none
    std::vector<float> cornerUvs; // u, v per corner of each triangle, v = 0 at the bottom
};

struct ViewerDocument {
    ViewerMesh mesh;
    std::string captionText; // at most kCaptionLimit bytes
    MeshSurfaces surfaces;
};

} // namespace kzoview
