// The import library's materials as the engine's: diffuse colour, opacity as
// transparency, the first diffuse texture as the image.
#pragma once

#include "modelimport/imported_model.h"

#include <cstdint>
#include <string>
#include <vector>

struct aiMaterial;
struct aiScene;

namespace kzo {

// True for the material the library makes up for meshes that name none; such
// meshes get the engine's default material instead.
bool isLibraryDefaultMaterial(const aiMaterial& material);

// What the materials of one model share: the embedded images taken so far.
struct MaterialImages {
    bool uriNames = false; // texture names are URIs (glTF): escapes decoded
    std::vector<EmbeddedImage>& images;
    std::vector<std::int32_t> imageOfTexture; // per embedded texture, -1 until taken
    std::vector<std::string>& warnings;
};

// A texture the model file holds ("*N", or the name of one of the scene's
// textures) is taken into images once and named by index; any other texture
// by its file name without folders.
ImportedMaterial mapMaterial(const aiScene& scene, const aiMaterial& material,
                             MaterialImages& images);

} // namespace kzo
