// The KZO loader: header, vertex positions and the corner indices of each face;
// images and materials are skipped, nothing after the faces is read.
#include "format/kzo_format.h"
#include "viewer/edge_sharing.h"
#include "viewer/file_title.h"
#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

#include <algorithm>

namespace kzoview {

namespace {

constexpr std::string_view kLoader = "LoadKZO";

// Corners the face records can hold at most: a record whose corner count is
// not 3 or 4 fails the load before its corners are placed.
std::size_t cornerCapacity(kzo::ByteReader in, std::int32_t faceCount) {
    std::size_t corners = 0;
    for (std::int32_t i = 0; i < faceCount; ++i) {
        const std::size_t recordStart = in.position();
        corners += in.u32le() == 3 ? 3 : kzo::kKzoFaceSlots;
        in.seek(recordStart + kzo::kKzoFaceRecordSize);
    }
    return corners;
}

struct KzoLoad {
    kzo::ByteReader& in;
    const std::string& name;
    ViewerMesh& mesh;
    bool summary = false;
    FacePlacement placement{};
};

void readFace(KzoLoad& load, std::int32_t faceNumber) {
    kzo::ByteReader& in = load.in;
    ViewerMesh& mesh = load.mesh;
    const std::size_t recordStart = in.position();
    const std::uint32_t cornerCount = in.u32le();
    if (cornerCount < 3 || cornerCount > kzo::kKzoFaceSlots) {
        fatalError(detail::fileMessage(kLoader, load.name,
                                       "face " + std::to_string(faceNumber) + " has " +
                                           std::to_string(cornerCount) +
                                           " corners; a face has 3 or 4"));
    }
    std::uint32_t corners[kzo::kKzoFaceSlots];
    for (std::uint32_t j = 0; j < cornerCount; ++j) {
        const std::uint16_t index = in.u16le();
        if (index >= mesh.vertexCount) {
            fatalError(detail::fileMessage(kLoader, load.name,
                                           "face " + std::to_string(faceNumber) + " uses vertex " +
                                               std::to_string(index) + ", but there are only " +
                                               std::to_string(mesh.vertexCount) + " vertices"));
        }
        corners[j] = index;
    }
    if (!load.summary) {
        std::uint32_t* placed = addFace(mesh, load.placement, faceNumber, cornerCount);
        std::copy(corners, corners + cornerCount, placed);
    }
    in.seek(recordStart + kzo::kKzoFaceRecordSize);
}

// Parses the file into doc.mesh (a whole load) or its bounds (a summary).
detail::ParsedObject parseKzo(std::span<const std::uint8_t> bytes, const std::string& name,
                              ViewerDocument& doc, LoadScope scope) {
    const kzo::KzoHeader header = detail::checkedKzoHeader(bytes, name);
    kzo::ByteReader in(bytes);
    in.seek(kzo::kKzoHeaderSize);

    ViewerMesh& mesh = doc.mesh;
    KzoLoad load{in, name, mesh, scope == LoadScope::summary};
    in.skip(std::size_t(header.imageCount) * kzo::kKzoImageRecordSize +
            std::size_t(header.materialCount) * kzo::kKzoMaterialRecordSize);
    const std::size_t facesStart =
        in.position() + std::size_t(header.vertexCount) * kzo::kKzoVertexRecordSize;
    if (!load.summary) {
        mesh.vertexArray = trackedBuffer<MeshVertex>(mesh.arena, std::size_t(header.vertexCount));
        kzo::ByteReader faces = in;
        faces.seek(facesStart);
        load.placement = startFaces(mesh, std::size_t(header.faceCount),
                                    cornerCapacity(faces, header.faceCount));
    }
    mesh.vertexCount = header.vertexCount;
    mesh.faceCount = header.faceCount;

    VertexBounds bounds;
    for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
        const float x = in.f32le();
        const float y = in.f32le();
        const float z = in.f32le();
        if (load.summary) {
            addVertex(bounds, x, y, z);
        } else {
            mesh.vertexArray[i] = MeshVertex{x, y, z};
        }
    }
    for (std::int32_t i = 0; i < mesh.faceCount; ++i) {
        readFace(load, i);
    }

    // Files with pivots count as types 5 to 9; 64 bits keep any stored
    // value from overflowing.
    const std::int64_t type = std::int64_t(header.shadingType) + (header.pivotCount > 0 ? 5 : 0);
    std::string caption(FileTitle(name));
    caption += " " + std::to_string(mesh.faceCount) + " faces " + std::to_string(mesh.vertexCount) +
               " vertices type " + std::to_string(type);
    return {std::move(caption), scope, bounds};
}

} // namespace

void LoadKZOBytes(std::span<const std::uint8_t> bytes, const std::string& name, ViewerDocument& doc,
                  LoadScope scope) {
    detail::runLoad(doc, kLoader, name, [&] {
        detail::finishParsed(doc, kLoader, name, parseKzo(bytes, name, doc, scope));
    });
}

void LoadKZO(const std::string& name, ViewerDocument& doc, LoadScope scope) {
    detail::loadFile(doc, kLoader, name, [&](std::span<const std::uint8_t> bytes) {
        return parseKzo(bytes, name, doc, scope);
    });
}

} // namespace kzoview
