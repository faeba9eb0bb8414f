// Builders of the files an animated, lit conversion writes (.kzo with
// materials, pivots and shading data; .mot, .cam, .kzl), for the viewer's
// shaded and animated views. Each spells out only what a test varies.
#pragma once

#include "format/byte_writer.h"
#include "format/kzo_format.h"
#include "format/side_formats.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kzotest {

struct SceneMaterial {
    std::uint8_t red = 128, green = 128, blue = 128;
    std::uint8_t transparency = 0; // used only when transparent is set
    bool transparent = false;
    std::int32_t faces = 0;  // its run of faces
    std::int16_t image = -1; // textured with this image record, as the converter marks it
};

struct ScenePivot {
    std::array<float, 3> point{};
    std::uint16_t parent = kzo::kKzoNoParent;
    std::uint16_t vertices = 0;
};

struct SceneKzo {
    std::vector<std::string> images;
    std::vector<SceneMaterial> materials;
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::vector<std::uint16_t>> faces; // 3 or 4 corners
    // Per face and corner u, v in texels of a 256-texel map; none: all 0.
    std::vector<std::vector<std::array<float, 2>>> faceUvs;
    std::vector<ScenePivot> pivots;
    std::int32_t shadingType = 0;
    std::vector<std::uint8_t> shadingData; // as stored after the pivots
};

inline std::vector<std::uint8_t> kzoBytes(const SceneKzo& in) {
    kzo::ByteWriter out;
    kzo::KzoHeader header;
    header.imageCount = std::int32_t(in.images.size());
    header.materialCount = std::int32_t(in.materials.size());
    header.vertexCount = std::int32_t(in.vertices.size());
    header.faceCount = std::int32_t(in.faces.size());
    header.pivotCount = std::int32_t(in.pivots.size());
    header.shadingType = in.shadingType;
    kzo::writeKzoHeader(out, header);
    for (const std::string& name : in.images) {
        out.raw(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
        for (std::size_t k = name.size(); k < kzo::kKzoImageRecordSize; ++k) {
            out.u8(0);
        }
    }
    for (const SceneMaterial& m : in.materials) {
        kzo::KzoMaterialRecord r;
        r.red = m.red;
        r.green = m.green;
        r.blue = m.blue;
        r.transparency = m.transparency;
        r.imageIndex = m.image;
        r.flags =
            std::uint16_t(kzo::kMaterialAlways | (m.transparent ? kzo::kMaterialTransparent : 0) |
                          (m.image >= 0 ? kzo::kMaterialTextured | kzo::kMaterialTextured40 |
                                              kzo::kMaterialTextured80
                                        : 0));
        r.materialFaceCount = m.faces;
        kzo::writeKzoMaterial(out, r);
    }
    for (const auto& v : in.vertices) {
        kzo::writeKzoVertex(out, {v[0], v[1], v[2]});
    }
    for (std::size_t face = 0; face < in.faces.size(); ++face) {
        const auto& corners = in.faces[face];
        kzo::KzoFaceRecord f;
        f.cornerCount = std::int32_t(corners.size());
        for (int k = 0; k < kzo::kKzoFaceSlots; ++k) {
            const std::size_t slot = std::min<std::size_t>(std::size_t(k), corners.size() - 1);
            f.vertexIndex[k] = corners[slot];
            if (face < in.faceUvs.size()) {
                f.u[k] = in.faceUvs[face][slot][0];
                f.v[k] = in.faceUvs[face][slot][1];
            }
        }
        kzo::writeKzoFace(out, f);
    }
    for (const ScenePivot& p : in.pivots) {
        kzo::writeKzoPivot(out, {{p.point[0], p.point[1], p.point[2]}, p.parent, p.vertices});
    }
    out.raw(in.shadingData.data(), in.shadingData.size());
    return out.take();
}

inline void writeMotionBlock(kzo::ByteWriter& out, const std::vector<kzo::MotionKey>& keys) {
    out.i32le(std::int32_t(keys.size()));
    for (const kzo::MotionKey& k : keys) {
        kzo::writeMotionKey(out, k);
    }
}

inline std::vector<std::uint8_t> motBytes(std::int32_t lastFrame,
                                          const std::vector<std::vector<kzo::MotionKey>>& blocks) {
    kzo::ByteWriter out;
    out.i32le(lastFrame);
    out.i32le(std::int32_t(blocks.size()));
    for (const auto& keys : blocks) {
        writeMotionBlock(out, keys);
    }
    return out.take();
}

inline kzo::MotionKey key(std::int32_t frame, std::array<float, 3> position = {}, float heading = 0,
                          float pitch = 0, float bank = 0) {
    kzo::MotionKey k;
    k.frame = frame;
    for (int i = 0; i < 3; ++i) {
        k.position[i] = position[i];
    }
    k.heading = heading;
    k.pitch = pitch;
    k.bank = bank;
    return k;
}

inline std::vector<std::uint8_t> kzlBytes(const std::vector<kzo::Light>& lights) {
    kzo::ByteWriter out;
    out.i32le(std::int32_t(lights.size()));
    for (const kzo::Light& l : lights) {
        kzo::writeLight(out, l);
    }
    return out.take();
}

inline void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace kzotest
