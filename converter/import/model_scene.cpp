#include "converter/import/model_scene.h"

#include "converter/import/material_table.h"
#include "converter/model/scene_model.h"

#include <vector>

namespace kzo {
namespace {

// A name over the table's length cannot be stored: said here with the file's
// name, before the shared table takes it.
std::int16_t storeImage(SceneModel& model, const std::string& name, const std::string& path) {
    if (name.size() > kMaxNameLength) {
        fatalError(model.sink, "'%s' names a texture of more than %zu characters", path.c_str(),
                   kMaxNameLength);
    }
    return storeImageName(model, name, path);
}

// The material's index in the table: an equal one stored earlier, or a new one.
std::int16_t storeImportedMaterial(SceneModel& model, const ImportedMaterial& source,
                                   const std::string& path) {
    Material material;
    material.red = source.red;
    material.green = source.green;
    material.blue = source.blue;
    material.transparency = source.transparency;
    // As for a 3DS material that states its transparency.
    material.flags = source.transparency > 0 ? kMaterialTransparent : 0;
    if (!source.imageName.empty()) {
        material.imageIndex = storeImage(model, source.imageName, path);
        material.flags |= kMaterialTextured | kMaterialTextured40 | kMaterialTextured80;
    }
    return storeMaterial(model, material, path);
}

float texel(float coordinate) {
    return static_cast<float>(static_cast<double>(coordinate) * 255.0);
}

} // namespace

void fillSceneModel(SceneModel& model, const ImportedModel& imported, const std::string& path) {
    if (imported.vertexCount() > static_cast<std::size_t>(kMaxVertices)) {
        fatalError(model.sink, "'%s' has %zu vertices, more than %d (--fit simplifies it)",
                   path.c_str(), imported.vertexCount(), kMaxVertices);
    }
    if (imported.faceCount() > static_cast<std::size_t>(kMaxFaces)) {
        fatalError(model.sink, "'%s' has %zu faces, more than %d (--fit simplifies it)",
                   path.c_str(), imported.faceCount(), kMaxFaces);
    }
    std::vector<std::int16_t> materialIndex;
    for (const ImportedMaterial& material : imported.materials) {
        materialIndex.push_back(storeImportedMaterial(model, material, path));
    }
    for (std::size_t v = 0; v < imported.vertexCount(); ++v) {
        Vertex vertex;
        vertex.x = imported.positions[3 * v];
        vertex.y = imported.positions[3 * v + 1];
        vertex.z = imported.positions[3 * v + 2];
        model.vertices[v] = vertex;
    }
    model.vertexCount = static_cast<std::int32_t>(imported.vertexCount());
    for (std::size_t f = 0; f < imported.faceCount(); ++f) {
        Face face; // corners white
        for (std::size_t k = 0; k < 3; ++k) {
            face.vertexIndex[k] = static_cast<std::uint16_t>(imported.triangles[3 * f + k]);
            face.texU[k] = texel(imported.cornerUvs[6 * f + 2 * k]);
            face.texV[k] = texel(imported.cornerUvs[6 * f + 2 * k + 1]);
        }
        const std::int32_t material = imported.faceMaterials[f];
        face.materialIndex =
            material >= 0 ? materialIndex[static_cast<std::size_t>(material)] : std::int16_t(-1);
        model.faces[f] = face;
    }
    model.faceCount = static_cast<std::int32_t>(imported.faceCount());
}

} // namespace kzo
