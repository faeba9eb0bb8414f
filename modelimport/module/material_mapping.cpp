#include "modelimport/module/material_mapping.h"

#include "modelimport/module/embedded_images.h"
#include "modelimport/module/library_text.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <cstdint>

namespace kzo {
namespace {

// A 0..1 value as 0..255, truncated like the 3DS reader's colours; values
// outside 0..1 (and NaN) are clamped first instead of wrapping around.
std::uint8_t unitToByte(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    if (value >= 1.0) {
        return 255;
    }
    return static_cast<std::uint8_t>(value * 255.0);
}

std::string diffuseTextureName(const aiMaterial& material) {
    aiString path;
    for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_BASE_COLOR}) {
        if (material.GetTextureCount(type) > 0 &&
            material.GetTexture(type, 0, &path) == AI_SUCCESS) {
            return libraryText(path);
        }
    }
    return {};
}

} // namespace

bool isLibraryDefaultMaterial(const aiMaterial& material) {
    aiString name;
    return material.Get(AI_MATKEY_NAME, name) == AI_SUCCESS &&
           libraryText(name) == AI_DEFAULT_MATERIAL_NAME;
}

ImportedMaterial mapMaterial(const aiScene& scene, const aiMaterial& material,
                             MaterialImages& images) {
    ImportedMaterial out;
    aiColor4D diffuse;
    if (aiGetMaterialColor(&material, AI_MATKEY_COLOR_DIFFUSE, &diffuse) == AI_SUCCESS) {
        out.red = unitToByte(diffuse.r);
        out.green = unitToByte(diffuse.g);
        out.blue = unitToByte(diffuse.b);
    }
    float opacity = 1.0f;
    if (aiGetMaterialFloat(&material, AI_MATKEY_OPACITY, &opacity) == AI_SUCCESS) {
        out.transparency = unitToByte(1.0 - static_cast<double>(opacity));
    }
    const std::string texture = diffuseTextureName(material);
    if (texture.empty()) {
        return out;
    }
    const std::int64_t embedded = embeddedTextureIndex(scene, texture);
    if (embedded == -2) {
        images.warnings.push_back("texture '" + texture +
                                  "' names no texture of the model file: no image");
        return out;
    }
    if (embedded < 0) {
        out.imageName = imageFileName(texture, images.uriNames);
        return out;
    }
    if (images.imageOfTexture.size() < scene.mNumTextures) {
        images.imageOfTexture.resize(scene.mNumTextures, -1);
    }
    std::int32_t& slot = images.imageOfTexture[static_cast<std::size_t>(embedded)];
    if (slot < 0) {
        slot = static_cast<std::int32_t>(images.images.size());
        images.images.push_back(embeddedImageOf(*scene.mTextures[embedded]));
    }
    out.embeddedImage = slot;
    return out;
}

} // namespace kzo
