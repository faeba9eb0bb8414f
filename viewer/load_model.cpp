// Models of every other format the import library reads, through the model
// import module (loaded only now), as the converter reads them: triangles in
// the 3DS reader's space, vertices welded.
#include "viewer/edge_sharing.h"
#include "viewer/file_title.h"
#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/model_surfaces.h"
#include "viewer/viewer_error.h"

#include "modelimport/model_import.h"

#include <limits>

namespace kzoview {

namespace {

constexpr std::string_view kLoader = "LoadModel";

void fillMesh(const kzo::ImportedModel& model, ViewerMesh& mesh) {
    mesh.vertexArray = trackedBuffer<MeshVertex>(mesh.arena, model.vertexCount());
    for (std::size_t v = 0; v < model.vertexCount(); ++v) {
        MeshVertex& vertex = mesh.vertexArray[v];
        vertex.x = model.positions[3 * v];
        vertex.y = model.positions[3 * v + 1];
        vertex.z = model.positions[3 * v + 2];
    }
    FacePlacement placement = startFaces(mesh, model.faceCount(), model.triangles.size());
    for (std::size_t f = 0; f < model.faceCount(); ++f) {
        std::uint32_t* corners = addFace(mesh, placement, static_cast<std::int32_t>(f), 3);
        for (std::size_t k = 0; k < 3; ++k) {
            corners[k] = model.triangles[3 * f + k];
        }
    }
    shareEdges(mesh);
}

} // namespace

void LoadModel(const std::string& name, ViewerDocument& doc, LoadScope scope,
               const ModelReading& reading) {
    detail::runLoad(doc, kLoader, name, [&] {
        kzo::ImportedModel model;
        try {
            kzo::ModelReadOptions options;
            options.searchPaths = reading.searchPaths;
            model = kzo::readModelFile(name, options, reading.limits);
        } catch (const kzo::ModelImportError& e) {
            fatalError(detail::fileMessage(kLoader, name, e.what()));
        }
        constexpr std::size_t kLimit = std::numeric_limits<std::int32_t>::max() / 3;
        if (model.faceCount() == 0) {
            fatalError("Object vertex count or face count is zero !!!");
        }
        if (model.faceCount() > kLimit || model.vertexCount() > kLimit) {
            fatalError(detail::fileMessage(kLoader, name, "has too many faces or vertices"));
        }
        ViewerMesh& mesh = doc.mesh;
        std::string caption(FileTitle(name));
        caption += " " + std::to_string(model.faceCount()) + " faces " +
                   std::to_string(model.vertexCount()) + " vertices";
        if (scope == LoadScope::summary) {
            VertexBounds bounds;
            for (std::size_t v = 0; v < model.vertexCount(); ++v) {
                addVertex(bounds, model.positions[3 * v], model.positions[3 * v + 1],
                          model.positions[3 * v + 2]);
            }
            mesh.vertexCount = static_cast<std::int32_t>(model.vertexCount());
            mesh.faceCount = static_cast<std::int32_t>(model.faceCount());
            detail::finishSummary(doc, bounds, kLoader, name, std::move(caption));
            return;
        }
        mesh.vertexCount = static_cast<std::int32_t>(model.vertexCount());
        mesh.faceCount = static_cast<std::int32_t>(model.faceCount());
        fillMesh(model, mesh);
        doc.surfaces = surfacesOf(std::move(model));
        detail::finishLoad(doc, kLoader, name, std::move(caption));
    });
}

} // namespace kzoview
