#include "viewer/load_support.h"

#include "format/file_io.h"
#include "viewer/file_title.h"
#include "viewer/normalize_mesh.h"
#include "viewer/viewer_error.h"

#include <cmath>

namespace kzoview::detail {

std::string fileMessage(std::string_view loader, std::string_view name, std::string_view fault) {
    std::string text(loader);
    text += ": (";
    text += name;
    text += ") ";
    text += fault;
    text += '\n';
    return text;
}

std::vector<std::uint8_t> readObjectFile(std::string_view loader, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    if (const std::optional<kzo::ReadFailure> failure = kzo::readFile(name, bytes)) {
        fatalError(fileMessage(
            loader, name, failure->notRegularFile ? "is not a regular file" : "를 열수 없습니다."));
    }
    return bytes;
}

void finishLoad(ViewerDocument& doc, std::string_view loader, std::string_view name,
                std::string caption) {
    const ViewerMesh& mesh = doc.mesh;
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const MeshVertex& v = mesh.vertexArray[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            fatalError(fileMessage(loader, name,
                                   "vertex " + std::to_string(i) +
                                       " has a coordinate that is not a finite number"));
        }
    }
    NormalizeMesh(doc.mesh);
    doc.captionText = cutCaption(std::move(caption));
}

void failLoad(ViewerDocument& doc) {
    resetMesh(doc.mesh);
    doc.captionText.clear();
}

void failTruncated(ViewerDocument& doc, std::string_view loader, std::string_view name,
                   std::size_t offset) {
    failLoad(doc);
    fatalError(fileMessage(loader, name, "is truncated at byte " + std::to_string(offset)));
}

void failOutOfMemory(ViewerDocument& doc) {
    failLoad(doc);
    fatalError("memory allocation error!!");
}

} // namespace kzoview::detail
