#include "modelimport/module/material_mapping.h"

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

std::string shortFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isEmbedded(const aiScene& scene, const std::string& name) {
    if (!name.empty() && name[0] == '*') {
        return true;
    }
    if (scene.mTextures == nullptr) {
        return false;
    }
    const std::string shortName = shortFileName(name);
    for (unsigned i = 0; i < scene.mNumTextures; ++i) {
        const aiTexture* texture = scene.mTextures[i];
        if (texture != nullptr && shortFileName(libraryText(texture->mFilename)) == shortName) {
            return true;
        }
    }
    return false;
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
                             std::vector<std::string>& warnings) {
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
    std::string image = diffuseTextureName(material);
    if (!image.empty() && isEmbedded(scene, image)) {
        warnings.push_back("texture '" + image + "' is embedded in the model file: no image");
        image.clear();
    }
    out.imageName = std::move(image);
    return out;
}

} // namespace kzo
