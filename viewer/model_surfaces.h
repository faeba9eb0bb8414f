// The textures of a model of another format as the shaded view takes them.
#pragma once

#include "modelimport/imported_model.h"
#include "viewer/viewer_document.h"

namespace kzoview {

// The model's materials' textures (a file name, or the bytes of an image the
// model holds), each triangle's material and its corners' u and v, taken out
// of the model.
MeshSurfaces surfacesOf(kzo::ImportedModel&& model);

} // namespace kzoview
