// KZO object file builder for the viewer tests: header, image and material
// records, vertices, faces, pivots and shading data, each spelled out. Unless
// a header field is set to disagree, the file is well formed: the last
// material's run covers every face, the first pivot owns every vertex.
#pragma once

#include "tests/support/build_3ds.h"
#include "tests/support/bytes.h"

#include <optional>
#include <string>
#include <vector>

namespace kzotest {

struct KzoInput {
    std::int32_t version = 16;
    std::vector<std::string> images;
    std::int32_t materials = 1;
    std::vector<Vec3> vertices;
    // Corner lists; a face's cornerCount is its list's size, and its four index
    // slots hold the first four entries, the last one repeated.
    std::vector<std::vector<std::uint16_t>> faces;
    std::int32_t pivots = 0;
    std::int32_t shadingType = 0;
    // Header fields that disagree with the records that follow.
    std::optional<std::int32_t> imageCountField, materialCountField, vertexCountField,
        faceCountField;
};

inline Bytes kzoFile(const KzoInput& in) {
    const auto field = [](std::optional<std::int32_t> f, std::size_t actual) {
        return f ? *f : static_cast<std::int32_t>(actual);
    };
    Bytes b;
    b.i32le(in.version)
        .i32le(field(in.imageCountField, in.images.size()))
        .i32le(field(in.materialCountField, std::size_t(in.materials)))
        .i32le(field(in.vertexCountField, in.vertices.size()))
        .i32le(field(in.faceCountField, in.faces.size()))
        .i32le(in.pivots)
        .i32le(in.shadingType);
    for (const std::string& image : in.images) {
        b.str(image).zeros(128 - image.size() - 1);
    }
    for (std::int32_t m = 0; m < in.materials; ++m) {
        const std::size_t run = m + 1 == in.materials ? in.faces.size() : 0;
        b.u8(200).u8(100).u8(50).u8(0).i16le(-1).u16le(0).i32le(static_cast<std::int32_t>(run));
    }
    for (const Vec3& v : in.vertices) {
        b.f32le(v[0]).f32le(v[1]).f32le(v[2]);
    }
    for (const auto& corners : in.faces) {
        b.u32le(static_cast<std::uint32_t>(corners.size()));
        for (std::size_t slot = 0; slot < 4; ++slot) {
            const std::size_t at = std::min(slot, corners.size() - 1);
            b.u16le(corners.empty() ? 0 : corners[at]);
        }
        b.zeros(32); // texture coordinates
    }
    for (std::int32_t p = 0; p < in.pivots; ++p) {
        b.zeros(12).u16le(65535).u16le(static_cast<std::uint16_t>(p == 0 ? in.vertices.size() : 0));
    }
    if (in.shadingType == 1) {
        b.zeros(in.vertices.size() * 12);
    } else if (in.shadingType == 2 || in.shadingType == 3) {
        b.zeros(in.faces.size() * 12);
    } else if (in.shadingType == 4) {
        b.zeros(in.faces.size() * 4);
    }
    return b;
}

} // namespace kzotest
