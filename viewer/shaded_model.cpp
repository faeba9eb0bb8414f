#include "viewer/shaded_model.h"

#include "format/kzo_format.h"
#include "format/large_memory.h"
#include "viewer/front_face.h"
#include "viewer/load_support.h"
#include "viewer/viewer_error.h"

#include <cmath>

namespace kzoview {

namespace {

constexpr std::string_view kLoader = "LoadKZO";

[[noreturn]] void fail(const std::string& name, const std::string& fault) {
    fatalError(detail::fileMessage(kLoader, name, fault));
}

Vec3f unit(Vec3f v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0.0f)) {
        return {0, 0, 0};
    }
    return {v.x / length, v.y / length, v.z / length};
}

// The material of every face: the runs of the material records in order;
// faces that no run reaches take the grey default material after them.
std::vector<std::uint32_t> faceMaterials(const std::vector<std::int32_t>& runs,
                                         std::int32_t faceCount) {
    std::vector<std::uint32_t> of(std::size_t(faceCount), std::uint32_t(runs.size()));
    std::int64_t next = 0;
    for (std::size_t m = 0; m < runs.size() && next < faceCount; ++m) {
        const std::int64_t end = std::min<std::int64_t>(next + std::max(runs[m], 0), faceCount);
        for (; next < end; ++next) {
            of[std::size_t(next)] = std::uint32_t(m);
        }
    }
    return of;
}

Vec3f readVector(kzo::ByteReader& in) {
    const float x = in.f32le();
    const float y = in.f32le();
    const float z = in.f32le();
    return {x, y, z};
}

void readShadingData(kzo::ByteReader& in, const kzo::KzoHeader& header,
                     const std::vector<std::uint32_t>& firstTriangle, ShadedModel& model) {
    switch (header.shadingType) {
    case kzo::kRealtimeGouraud:
        model.rule = ShadeRule::litVertexNormals;
        for (std::int32_t v = 0; v < header.vertexCount; ++v) {
            model.vertexNormals.push_back(unit(readVector(in)));
        }
        return;
    case kzo::kRealtimeFlat:
        model.rule = ShadeRule::litFaceNormal;
        model.faceNormals.resize(model.triangles.size());
        for (std::int32_t f = 0; f < header.faceCount; ++f) {
            const Vec3f n = unit(readVector(in));
            for (std::uint32_t t = firstTriangle[f]; t < firstTriangle[f + 1]; ++t) {
                model.faceNormals[t] = n;
            }
        }
        return;
    case kzo::kPrecalcGouraud:
    case kzo::kPrecalcFlat: {
        const bool perCorner = header.shadingType == kzo::kPrecalcGouraud;
        model.rule = perCorner ? ShadeRule::storedCornerColor : ShadeRule::storedFaceColor;
        for (std::int32_t f = 0; f < header.faceCount; ++f) {
            // Gouraud: red of the four slots, then green, then blue; flat: one
            // red, green, blue and a spare byte.
            std::uint8_t slot[3][4];
            for (int channel = 0; channel < 3; ++channel) {
                for (int k = 0; k < (perCorner ? 4 : 1); ++k) {
                    slot[channel][k] = in.u8();
                }
            }
            if (!perCorner) {
                in.skip(1);
            }
            for (std::uint32_t t = firstTriangle[f]; t < firstTriangle[f + 1]; ++t) {
                ShadedTriangle& tri = model.triangles[t];
                // The second triangle of a four-corner face has its corners 0, 2, 3.
                const int cornerOf[3] = {0, t == firstTriangle[f] ? 1 : 2,
                                         t == firstTriangle[f] ? 2 : 3};
                for (int k = 0; k < 3; ++k) {
                    for (int channel = 0; channel < 3; ++channel) {
                        tri.color[k][channel] = slot[channel][perCorner ? cornerOf[k] : 0];
                    }
                }
            }
        }
        return;
    }
    default:
        model.rule = ShadeRule::materialFlat;
        return;
    }
}

} // namespace

ShadedModel loadShadedKzo(std::span<const std::uint8_t> bytes, const std::string& name) {
    try {
        const kzo::KzoHeader header = detail::checkedKzoHeader(bytes, name);
        kzo::ByteReader in(bytes);
        in.seek(kzo::kKzoHeaderSize);
        ShadedModel model;
        for (std::int32_t i = 0; i < header.imageCount; ++i) {
            kzo::ByteReader record(in.view(kzo::kKzoImageRecordSize));
            model.imageNames.push_back(record.cString(kzo::kKzoImageRecordSize));
        }
        std::vector<std::int32_t> runs;
        for (std::int32_t m = 0; m < header.materialCount; ++m) {
            const kzo::KzoMaterialRecord record = kzo::readKzoMaterial(in);
            ShadedMaterial material{record.red, record.green, record.blue, 255};
            // The transparency byte counts from solid (0) to invisible (255),
            // and only a material marked transparent uses it.
            if ((record.flags & kzo::kMaterialTransparent) != 0) {
                material.opacity = std::uint8_t(255 - record.transparency);
            }
            if ((record.flags & kzo::kMaterialTextured) != 0 && record.imageIndex >= 0 &&
                record.imageIndex < header.imageCount) {
                material.image = record.imageIndex;
            }
            model.materials.push_back(material);
            runs.push_back(record.materialFaceCount);
        }
        model.materials.push_back(ShadedMaterial{});

        for (std::int32_t v = 0; v < header.vertexCount; ++v) {
            model.positions.push_back(readVector(in));
        }
        const std::vector<std::uint32_t> materialOf = faceMaterials(runs, header.faceCount);
        std::vector<std::uint32_t> firstTriangle;
        for (std::int32_t f = 0; f < header.faceCount; ++f) {
            const kzo::KzoFaceRecord face = kzo::readKzoFace(in);
            if (face.cornerCount != 3 && face.cornerCount != 4) {
                fail(name, "face " + std::to_string(f) + " has " +
                               std::to_string(face.cornerCount) + " corners; a face has 3 or 4");
            }
            for (int k = 0; k < face.cornerCount; ++k) {
                if (face.vertexIndex[k] >= header.vertexCount) {
                    fail(name, "face " + std::to_string(f) + " uses vertex " +
                                   std::to_string(face.vertexIndex[k]) + ", but there are only " +
                                   std::to_string(header.vertexCount) + " vertices");
                }
            }
            firstTriangle.push_back(std::uint32_t(model.triangles.size()));
            for (int second = 0; second < face.cornerCount - 2; ++second) {
                ShadedTriangle tri{};
                const int corners[3] = {0, 1 + second, 2 + second};
                for (int k = 0; k < 3; ++k) {
                    tri.v[k] = face.vertexIndex[corners[k]];
                    tri.uv[k][0] = face.u[corners[k]] / 255.0f;
                    tri.uv[k][1] = face.v[corners[k]] / 255.0f;
                }
                tri.material = materialOf[std::size_t(f)];
                tri.face = std::uint32_t(f);
                model.triangles.push_back(tri);
            }
        }
        firstTriangle.push_back(std::uint32_t(model.triangles.size()));

        std::uint32_t vertex = 0;
        for (std::int32_t p = 0; p < header.pivotCount; ++p) {
            const kzo::KzoPivotRecord record = kzo::readKzoPivot(in);
            ShadedPivot pivot;
            pivot.point = {record.pivotPoint[0], record.pivotPoint[1], record.pivotPoint[2]};
            pivot.parent = record.parent;
            pivot.firstVertex = vertex;
            pivot.vertexCount =
                std::min<std::uint32_t>(record.pivotVertexCount, header.vertexCount - vertex);
            vertex += pivot.vertexCount;
            model.pivots.push_back(pivot);
        }
        readShadingData(in, header, firstTriangle, model);
        return model;
    } catch (const kzo::OutOfData& e) {
        fail(name, "is truncated at byte " + std::to_string(e.offset));
    }
}

ShadedModel loadShadedKzoFile(const std::string& name) {
    const kzo::LargeFileBytes file = detail::readObjectFile(kLoader, name);
    return loadShadedKzo(file.bytes(), name);
}

namespace {

// Per material of the surfaces the model's material its faces take: a
// textured one gets a material and an image record of its own, every other
// the grey material 0. Empty when the surfaces do not fit the mesh.
std::vector<std::uint32_t> texturedMaterials(const ViewerMesh& mesh, const MeshSurfaces* surfaces,
                                             ShadedModel& model) {
    std::vector<std::uint32_t> of;
    if (surfaces == nullptr || surfaces->faceMaterials.size() != std::size_t(mesh.faceCount) ||
        surfaces->cornerUvs.size() != 6 * std::size_t(mesh.faceCount)) {
        return of;
    }
    for (const MeshSurfaces::Material& m : surfaces->materials) {
        if (m.imageName.empty() && m.embedded.empty()) {
            of.push_back(0);
            continue;
        }
        ShadedMaterial material{200, 200, 200, 255};
        material.image = std::int32_t(model.imageNames.size());
        of.push_back(std::uint32_t(model.materials.size()));
        model.materials.push_back(material);
        model.imageNames.push_back(m.imageName);
        model.imageBytes.push_back(m.embedded);
    }
    return of;
}

} // namespace

ShadedModel shadedModelFromMesh(const ViewerMesh& mesh, const MeshSurfaces* surfaces) {
    ShadedModel model;
    model.rule = ShadeRule::litFaceNormal;
    model.materials.push_back(ShadedMaterial{200, 200, 200, 255});
    // Sized once and backed by huge pages where the system has them: growing
    // by doubling, a page fault per 4 KiB, took most of a large mesh's time.
    std::size_t triangles = 0;
    for (std::int32_t f = 0; f < mesh.faceCount; ++f) {
        triangles += std::max<std::uint32_t>(cornerCountOf(mesh, f), 2) - 2;
    }
    kzo::reserveLarge(model.positions, std::size_t(std::max(mesh.vertexCount, 0)));
    kzo::reserveLarge(model.triangles, triangles);
    kzo::reserveLarge(model.faceNormals, triangles);
    const std::vector<std::uint32_t> materialOf = texturedMaterials(mesh, surfaces, model);
    for (std::int32_t v = 0; v < mesh.vertexCount; ++v) {
        const MeshVertex& mv = mesh.vertexArray[v];
        model.positions.push_back({mv.x, mv.y, mv.z});
    }
    for (std::int32_t f = 0; f < mesh.faceCount; ++f) {
        const std::uint32_t* corners = mesh.corners + mesh.faceStart[f];
        // A polygon becomes a fan about its first corner, which keeps its winding.
        for (std::uint32_t k = 1; k + 1 < cornerCountOf(mesh, f); ++k) {
            ShadedTriangle tri{};
            tri.v[0] = corners[0];
            tri.v[1] = corners[k];
            tri.v[2] = corners[k + 1];
            tri.material = 0;
            tri.face = std::uint32_t(f);
            const std::int32_t m = materialOf.empty() ? -1 : surfaces->faceMaterials[f];
            if (m >= 0 && std::size_t(m) < materialOf.size() && cornerCountOf(mesh, f) == 3) {
                tri.material = materialOf[std::size_t(m)];
                const float* uv = surfaces->cornerUvs.data() + 6 * std::size_t(f);
                for (int c = 0; c < 3; ++c) {
                    tri.uv[c][0] = uv[2 * c];
                    tri.uv[c][1] = uv[2 * c + 1];
                }
            }
            model.triangles.push_back(tri);
            model.faceNormals.push_back(unit(frontNormal(
                model.positions[tri.v[0]], model.positions[tri.v[1]], model.positions[tri.v[2]])));
        }
    }
    return model;
}

} // namespace kzoview
