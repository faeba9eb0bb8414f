#include "viewer/load_support.h"

#include "format/file_io.h"
#include "format/kzo_check.h"
#include "format/kzo_format.h"
#include "viewer/edge_sharing.h"
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

kzo::LargeFileBytes readObjectFile(std::string_view loader, const std::string& name) {
    kzo::LargeFileBytes bytes;
    if (const std::optional<kzo::ReadFailure> failure = kzo::readLargeFile(name, bytes)) {
        fatalError(fileMessage(loader, name,
                               failure->directory        ? "is a directory"
                               : failure->notRegularFile ? "is not a regular file"
                                                         : "를 열수 없습니다."));
    }
    return bytes;
}

kzo::KzoHeader checkedKzoHeader(std::span<const std::uint8_t> bytes, const std::string& name) {
    const std::optional<kzo::KzoFault> fault = kzo::checkKzoFile(bytes);
    const auto failWithFault = [&] {
        fatalError(fileMessage(
            "LoadKZO", name, "byte " + std::to_string(fault->offset) + ": " + fault->description));
    };
    if (fault && bytes.size() < kzo::kKzoHeaderSize) {
        failWithFault();
    }
    kzo::ByteReader in(bytes);
    const kzo::KzoHeader header = kzo::readKzoHeader(in);
    if (header.version != kzo::kKzoVersion) {
        fatalError("LoadKZO: 'version 1.0' 이 아닙니다.(" + name + ")\n");
    }
    if (header.vertexCount <= 0 || header.faceCount <= 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    if (fault) {
        failWithFault();
    }
    return header;
}

namespace {

[[noreturn]] void failNotFinite(std::string_view loader, std::string_view name,
                                std::int64_t vertex) {
    fatalError(fileMessage(loader, name,
                           "vertex " + std::to_string(vertex) +
                               " has a coordinate that is not a finite number"));
}

} // namespace

void finishLoad(ViewerDocument& doc, std::string_view loader, std::string_view name,
                std::string caption) {
    const ViewerMesh& mesh = doc.mesh;
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const MeshVertex& v = mesh.vertexArray[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
            failNotFinite(loader, name, i);
        }
    }
    NormalizeMesh(doc.mesh);
    doc.captionText = cutCaption(std::move(caption));
}

void finishSummary(ViewerDocument& doc, const VertexBounds& bounds, std::string_view loader,
                   std::string_view name, std::string caption) {
    if (bounds.firstNotFinite >= 0) {
        failNotFinite(loader, name, bounds.firstNotFinite);
    }
    placeMesh(bounds);
    doc.captionText = cutCaption(std::move(caption));
}

void finishParsed(ViewerDocument& doc, std::string_view loader, std::string_view name,
                  ParsedObject parsed) {
    if (parsed.scope == LoadScope::summary) {
        finishSummary(doc, parsed.bounds, loader, name, std::move(parsed.caption));
    } else {
        if (parsed.scope == LoadScope::wholeMesh) {
            shareEdges(doc.mesh);
        }
        finishLoad(doc, loader, name, std::move(parsed.caption));
    }
}

void failLoad(ViewerDocument& doc) {
    resetMesh(doc.mesh);
    doc.captionText.clear();
    doc.surfaces = {};
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
