// The KZO loader: header, vertex positions and the corner indices of each face;
// images and materials are skipped, nothing after the faces is read.
#include "format/kzo_format.h"
#include "viewer/file_title.h"
#include "viewer/load_support.h"
#include "viewer/loaders.h"
#include "viewer/viewer_error.h"

namespace kzoview {

namespace {

constexpr std::string_view kLoader = "LoadKZO";

void checkCounts(const kzo::KzoHeader& header, std::size_t fileSize, const std::string& name) {
    if (header.version != kzo::kKzoVersion) {
        fatalError("LoadKZO: 'version 1.0' 이 아닙니다.(" + name + ")\n");
    }
    if (header.vertexCount <= 0 || header.faceCount <= 0) {
        fatalError("Object vertex count or face count is zero !!!");
    }
    if (header.imageCount < 0 || header.materialCount < 0) {
        fatalError(detail::fileMessage(kLoader, name, "has a negative image or material count"));
    }
    // Every count is below 2^31, so the sum cannot overflow 64 bits.
    const std::uint64_t needed = kzo::kKzoHeaderSize +
                                 std::uint64_t(header.imageCount) * kzo::kKzoImageRecordSize +
                                 std::uint64_t(header.materialCount) * kzo::kKzoMaterialRecordSize +
                                 std::uint64_t(header.vertexCount) * kzo::kKzoVertexRecordSize +
                                 std::uint64_t(header.faceCount) * kzo::kKzoFaceRecordSize;
    if (needed > fileSize) {
        fatalError(detail::fileMessage(kLoader, name,
                                       "is truncated: its header announces " +
                                           std::to_string(needed) + " bytes, the file has " +
                                           std::to_string(fileSize)));
    }
}

void readFace(kzo::ByteReader& in, ViewerMesh& mesh, std::int32_t faceNumber,
              const std::string& name) {
    const std::size_t recordStart = in.position();
    const std::uint32_t cornerCount = in.u32le();
    if (cornerCount < 3 || cornerCount > kzo::kKzoFaceSlots) {
        fatalError(detail::fileMessage(kLoader, name,
                                       "face " + std::to_string(faceNumber) + " has " +
                                           std::to_string(cornerCount) +
                                           " corners; a face has 3 or 4"));
    }
    MeshFace& face = mesh.faceArray[faceNumber];
    const auto n = static_cast<std::int32_t>(cornerCount);
    face.cornerCount = n;
    face.corners = trackedArray<MeshVertex*>(mesh.arena, cornerCount);
    face.edges = trackedArray<MeshEdge*>(mesh.arena, cornerCount);
    for (std::int32_t j = 0; j < n; ++j) {
        const std::uint16_t index = in.u16le();
        if (index >= mesh.vertexCount) {
            fatalError(detail::fileMessage(kLoader, name,
                                           "face " + std::to_string(faceNumber) + " uses vertex " +
                                               std::to_string(index) + ", but there are only " +
                                               std::to_string(mesh.vertexCount) + " vertices"));
        }
        face.corners[j] = &mesh.vertexArray[index];
    }
    for (std::int32_t j = 0; j < n; ++j) {
        face.edges[j] = FindOrAddEdge(mesh, face.corners[j], face.corners[(j + 1) % n]);
    }
    in.seek(recordStart + kzo::kKzoFaceRecordSize);
}

} // namespace

void LoadKZOBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                  ViewerDocument& doc) {
    detail::runLoad(doc, kLoader, name, [&] {
        kzo::ByteReader in(bytes);
        const kzo::KzoHeader header = kzo::readKzoHeader(in);
        checkCounts(header, bytes.size(), name);

        ViewerMesh& mesh = doc.mesh;
        mesh.vertexArray = trackedArray<MeshVertex>(mesh.arena, std::size_t(header.vertexCount));
        mesh.vertexCount = header.vertexCount;
        mesh.faceArray = trackedArray<MeshFace>(mesh.arena, std::size_t(header.faceCount));
        mesh.faceCount = header.faceCount;

        in.skip(std::size_t(header.imageCount) * kzo::kKzoImageRecordSize +
                std::size_t(header.materialCount) * kzo::kKzoMaterialRecordSize);
        for (std::int32_t i = 0; i < mesh.vertexCount; ++i) {
            MeshVertex& v = mesh.vertexArray[i];
            v.x = in.f32le();
            v.y = in.f32le();
            v.z = in.f32le();
        }
        for (std::int32_t i = 0; i < mesh.faceCount; ++i) {
            readFace(in, mesh, i, name);
        }

        // Files with pivots count as types 5 to 9; 64 bits keep any stored
        // value from overflowing.
        const std::int64_t type =
            std::int64_t(header.shadingType) + (header.pivotCount > 0 ? 5 : 0);
        std::string caption(FileTitle(name));
        caption += " " + std::to_string(mesh.faceCount) + " faces " +
                   std::to_string(mesh.vertexCount) + " vertices type " + std::to_string(type);
        detail::finishLoad(doc, kLoader, name, std::move(caption));
    });
}

void LoadKZO(const std::string& name, ViewerDocument& doc) {
    detail::runLoad(doc, kLoader, name, [&] {
        const std::vector<std::uint8_t> bytes = detail::readObjectFile(kLoader, name);
        LoadKZOBytes(bytes, name, doc);
    });
}

} // namespace kzoview
