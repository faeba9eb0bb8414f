// A model read through the import library (modelimport/imported_model.h) put
// into the scene model as the 3DS reader would have put the same model:
// vertices as welded, faces in order with white corners and texture
// coordinates in texel units, equal materials merged and equal image names
// stored once.
#pragma once

#include "modelimport/imported_model.h"

#include <string>

namespace kzo {

struct SceneModel;

// Fills a freshly reset model. A model over a table's capacity, or with an
// image name longer than a scene name can be, is a fatal error naming path
// and its count. Faces without a material keep materialIndex -1.
void fillSceneModel(SceneModel& model, const ImportedModel& imported, const std::string& path);

} // namespace kzo
