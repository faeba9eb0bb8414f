#include "viewer/model_surfaces.h"

namespace kzoview {

MeshSurfaces surfacesOf(kzo::ImportedModel&& model) {
    MeshSurfaces surfaces;
    for (kzo::ImportedMaterial& m : model.materials) {
        MeshSurfaces::Material material;
        material.imageName = std::move(m.imageName);
        if (m.embeddedImage >= 0 && std::size_t(m.embeddedImage) < model.embeddedImages.size()) {
            // Each material that uses it gets its own copy: models rarely
            // share an embedded image between materials.
            material.embedded = model.embeddedImages[std::size_t(m.embeddedImage)].bytes;
            material.imageName = "embedded image " + std::to_string(m.embeddedImage);
        }
        surfaces.materials.push_back(std::move(material));
    }
    surfaces.faceMaterials = std::move(model.faceMaterials);
    surfaces.cornerUvs = std::move(model.cornerUvs);
    return surfaces;
}

} // namespace kzoview
