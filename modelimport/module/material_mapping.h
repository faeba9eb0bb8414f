// The import library's materials as the engine's: diffuse colour, opacity as
// transparency, the first diffuse texture's file name as the image.
#pragma once

#include "modelimport/imported_model.h"

#include <string>
#include <vector>

struct aiMaterial;
struct aiScene;

namespace kzo {

// True for the material the library makes up for meshes that name none; such
// meshes get the engine's default material instead.
bool isLibraryDefaultMaterial(const aiMaterial& material);

// A texture embedded in the model file (named "*N", or by the name of one of
// the scene's embedded textures) gives no image and a warning line.
ImportedMaterial mapMaterial(const aiScene& scene, const aiMaterial& material,
                             std::vector<std::string>& warnings);

} // namespace kzo
