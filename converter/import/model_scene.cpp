#include "converter/import/model_scene.h"

#include "converter/import/material_table.h"
#include "converter/model/scene_model.h"
#include "format/kzo_format.h"

#include <vector>

namespace kzo {
namespace {

// A vertex's pivot index has 8 bits, as in a LightWave scene.
constexpr std::size_t kMaxGeometryObjects = 256;

// The engine reads an image name from a record of fixed size: said here, with
// the name, before anything is stored.
std::int16_t storeImage(SceneModel& model, const std::string& name, const std::string& path) {
    if (name.size() >= kKzoImageRecordSize) {
        fatalError(model.sink, "'%s': texture name '%s' is longer than %zu characters",
                   path.c_str(), name.c_str(), kKzoImageRecordSize - 1);
    }
    return storeImageName(model, name, path);
}

// The material's index in the table: an equal one stored earlier, or a new one.
std::int16_t storeImportedMaterial(SceneModel& model, const ImportedMaterial& source,
                                   const std::vector<std::string>& embeddedNames,
                                   const std::string& path) {
    Material material;
    material.red = source.red;
    material.green = source.green;
    material.blue = source.blue;
    material.transparency = source.transparency;
    // As for a 3DS material that states its transparency.
    material.flags = source.transparency > 0 ? kMaterialTransparent : 0;
    const std::string* image = source.imageName.empty() ? nullptr : &source.imageName;
    if (source.embeddedImage >= 0 &&
        static_cast<std::size_t>(source.embeddedImage) < embeddedNames.size()) {
        image = &embeddedNames[static_cast<std::size_t>(source.embeddedImage)];
    }
    if (image && !image->empty()) {
        material.imageIndex = storeImage(model, *image, path);
        material.flags |= kMaterialTextured | kMaterialTextured40 | kMaterialTextured80;
    }
    return storeMaterial(model, material, path);
}

float texel(float coordinate) {
    return static_cast<float>(static_cast<double>(coordinate) * 255.0);
}

// The vertices in the order the model stores them (old index per new one):
// grouped by object, in object order, since the KZO file gives each pivot one
// run of vertices; without a hierarchy, as read.
std::vector<std::uint32_t> vertexOrder(SceneModel& model, const ImportedModel& imported,
                                       const std::string& path) {
    const std::size_t count = imported.vertexCount();
    std::vector<std::uint32_t> order(count);
    if (imported.vertexObjects.empty()) {
        for (std::size_t v = 0; v < count; ++v) {
            order[v] = static_cast<std::uint32_t>(v);
        }
        return order;
    }
    if (imported.vertexObjects.size() != count) {
        fatalError(model.sink, "'%s': the import gave objects for %zu of %zu vertices",
                   path.c_str(), imported.vertexObjects.size(), count);
    }
    std::vector<std::size_t> start(imported.objects.size() + 1, 0);
    for (std::size_t v = 0; v < count; ++v) {
        const std::size_t object = imported.vertexObjects[v];
        if (object >= imported.objects.size()) {
            fatalError(model.sink, "'%s': the import gave vertex %zu object %zu of %zu",
                       path.c_str(), v, object, imported.objects.size());
        }
        if (object >= kMaxGeometryObjects) {
            fatalError(model.sink,
                       "'%s': object %zu has geometry, but only the first %zu objects can",
                       path.c_str(), object + 1, kMaxGeometryObjects);
        }
        ++start[object + 1];
    }
    for (std::size_t o = 1; o < start.size(); ++o) {
        start[o] += start[o - 1];
    }
    for (std::size_t v = 0; v < count; ++v) {
        order[start[imported.vertexObjects[v]]++] = static_cast<std::uint32_t>(v);
    }
    return order;
}

void checkCapacities(const SceneModel& model, const ImportedModel& imported,
                     const std::string& path) {
    if (imported.vertexCount() > static_cast<std::size_t>(kMaxVertices)) {
        fatalError(model.sink, "'%s' has %zu vertices, more than %d (--fit simplifies it)",
                   path.c_str(), imported.vertexCount(), kMaxVertices);
    }
    if (imported.faceCount() > static_cast<std::size_t>(kMaxFaces)) {
        fatalError(model.sink, "'%s' has %zu faces, more than %d (--fit simplifies it)",
                   path.c_str(), imported.faceCount(), kMaxFaces);
    }
}

} // namespace

void fillSceneModel(SceneModel& model, const ImportedModel& imported,
                    const std::vector<std::string>& embeddedNames, const std::string& path) {
    checkCapacities(model, imported, path);
    std::vector<std::int16_t> materialIndex;
    for (const ImportedMaterial& material : imported.materials) {
        materialIndex.push_back(storeImportedMaterial(model, material, embeddedNames, path));
    }
    const std::vector<std::uint32_t> order = vertexOrder(model, imported, path);
    std::vector<std::uint16_t> newIndex(order.size());
    for (std::size_t v = 0; v < order.size(); ++v) {
        const std::size_t old = order[v];
        Vertex vertex;
        vertex.x = imported.positions[3 * old];
        vertex.y = imported.positions[3 * old + 1];
        vertex.z = imported.positions[3 * old + 2];
        if (!imported.vertexObjects.empty()) {
            vertex.pivotIndex = static_cast<std::uint8_t>(imported.vertexObjects[old]);
        }
        model.vertices[v] = vertex;
        newIndex[old] = static_cast<std::uint16_t>(v);
    }
    model.vertexCount = static_cast<std::int32_t>(imported.vertexCount());
    for (std::size_t f = 0; f < imported.faceCount(); ++f) {
        Face face; // corners white
        for (std::size_t k = 0; k < 3; ++k) {
            const std::uint32_t corner = imported.triangles[3 * f + k];
            if (corner >= newIndex.size()) {
                fatalError(model.sink, "'%s': the import gave triangle %zu vertex %u of %zu",
                           path.c_str(), f, corner, newIndex.size());
            }
            face.vertexIndex[k] = newIndex[corner];
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
