// A model read through the import library (modelimport/imported_model.h) put
// into the scene model as the 3DS reader would have put the same model:
// vertices as welded, faces in order with white corners and texture
// coordinates in texel units, equal materials merged and equal image names
// stored once. A model read with its hierarchy also gets each vertex tagged
// with its object's pivot, as a LightWave scene's objects are.
#pragma once

#include "modelimport/imported_model.h"

#include <string>
#include <vector>

namespace kzo {

struct SceneModel;

// Fills a freshly reset model. embeddedNames gives, per embedded image, the
// name its image file is stored under (embedded_textures.h). With
// imported.vertexObjects the vertices are ordered by object, the file's order
// kept within each, and each carries its object's index as pivotIndex.
//
// Fatal errors naming path: a model over a table's capacity, an image name
// longer than a KZO image record holds, a vertex of an object beyond the
// 256 that a pivot index can name, and a record whose indices lead nowhere.
// Faces without a material keep materialIndex -1.
void fillSceneModel(SceneModel& model, const ImportedModel& imported,
                    const std::vector<std::string>& embeddedNames, const std::string& path);

} // namespace kzo
