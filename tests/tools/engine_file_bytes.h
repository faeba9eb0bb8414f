// Builders for the engine's own files (.kzo .mot .cam .kzl), spelled out field
// by field so that each test shows the bytes it feeds in.
//
//   KzoDraft s = twoTriangles();     // the 176-byte file of one material,
//   s.faces[1].index[2] = 9;         // four vertices and two faces
//   Bytes file = kzoBytes(s);
#pragma once

#include "tests/support/bytes.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace kzotest {

using Float3 = std::array<float, 3>;

struct KzoMaterialDraft {
    std::uint8_t red = 128, green = 128, blue = 128, transparency = 128;
    std::int16_t imageIndex = -1;
    std::uint16_t flags = 0x0002;
    std::int32_t faceRun = 0;
};

struct KzoFaceDraft {
    std::int32_t corners = 3;
    std::array<std::uint16_t, 4> index = {0, 1, 2, 2};
    std::array<float, 4> u = {};
    std::array<float, 4> v = {};
};

struct KzoPivotDraft {
    Float3 point = {};
    std::uint16_t parent = 65535;
    std::uint16_t vertexRun = 0;
};

struct KzoDraft {
    std::int32_t version = 16;
    std::int32_t shadingType = 0;
    std::vector<Bytes> images; // each exactly 128 bytes; see imageRecord()
    std::vector<KzoMaterialDraft> materials;
    std::vector<Float3> vertices;
    std::vector<KzoFaceDraft> faces;
    std::vector<KzoPivotDraft> pivots;
    Bytes shading; // the shading data as it stands in the file
    // Header counts (images, materials, vertices, faces, pivots) when they
    // should differ from the records given.
    std::optional<std::array<std::int32_t, 5>> counts;
};

// A 128-byte image record: the name, its NUL, zeros.
inline Bytes imageRecord(const std::string& name) {
    Bytes b;
    b.str(name);
    b.zeros(128 - b.size());
    return b;
}

inline Bytes kzoBytes(const KzoDraft& s) {
    Bytes b;
    const std::array<std::int32_t, 5> counts =
        s.counts ? *s.counts
                 : std::array<std::int32_t, 5>{
                       std::int32_t(s.images.size()), std::int32_t(s.materials.size()),
                       std::int32_t(s.vertices.size()), std::int32_t(s.faces.size()),
                       std::int32_t(s.pivots.size())};
    b.i32le(s.version);
    for (std::int32_t c : counts) {
        b.i32le(c);
    }
    b.i32le(s.shadingType);
    for (const Bytes& image : s.images) {
        b.append(image);
    }
    for (const KzoMaterialDraft& m : s.materials) {
        b.u8(m.red).u8(m.green).u8(m.blue).u8(m.transparency);
        b.i16le(m.imageIndex).u16le(m.flags).i32le(m.faceRun);
    }
    for (const Float3& v : s.vertices) {
        b.f32le(v[0]).f32le(v[1]).f32le(v[2]);
    }
    for (const KzoFaceDraft& f : s.faces) {
        b.i32le(f.corners);
        for (std::uint16_t i : f.index) {
            b.u16le(i);
        }
        for (float u : f.u) {
            b.f32le(u);
        }
        for (float v : f.v) {
            b.f32le(v);
        }
    }
    for (const KzoPivotDraft& p : s.pivots) {
        b.f32le(p.point[0]).f32le(p.point[1]).f32le(p.point[2]);
        b.u16le(p.parent).u16le(p.vertexRun);
    }
    return b.append(s.shading);
}

//   3 ---- 2      One untextured material covering both faces; no shading.
//   |  \   |      28 + 12 + 4 * 12 + 2 * 44 = 176 bytes.
//   |   \  |
//   0 ---- 1
inline KzoDraft twoTriangles() {
    KzoDraft s;
    s.materials = {KzoMaterialDraft{.faceRun = 2}};
    s.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    KzoFaceDraft a;
    a.index = {0, 1, 3, 3};
    a.u = {0, 255, 0, 0};
    a.v = {0, 0, 255, 255};
    KzoFaceDraft b;
    b.index = {1, 2, 3, 3};
    b.u = {255, 255, 0, 0};
    b.v = {0, 255, 255, 255};
    s.faces = {a, b};
    return s;
}

// twoTriangles as two scene objects: pivot 0 owns vertices 0..1, pivot 1
// (child of 0) owns 2..3, and a textured material with an image.
inline KzoDraft twoObjects() {
    KzoDraft s = twoTriangles();
    s.images = {imageRecord("wood.bmp")};
    s.materials = {KzoMaterialDraft{.faceRun = 1},
                   KzoMaterialDraft{.imageIndex = 0, .flags = 0x00CE, .faceRun = 1}};
    s.pivots = {KzoPivotDraft{.point = {0.5f, 0, 0}, .vertexRun = 2},
                KzoPivotDraft{.point = {0, 1, 0}, .parent = 0, .vertexRun = 2}};
    return s;
}

// Flat normals (0, 0, 1) for the two faces of twoTriangles().
inline Bytes twoFaceNormals() {
    Bytes b;
    for (int i = 0; i < 2; ++i) {
        b.f32le(0).f32le(0).f32le(1);
    }
    return b;
}

struct KeyDraft {
    std::int32_t frame = 0;
    Float3 position = {};
    Float3 rotation = {}; // heading, pitch, bank
    Float3 scale = {1, 1, 1};
};

inline Bytes keyBytes(const KeyDraft& k) {
    Bytes b;
    b.i32le(k.frame);
    for (const Float3* part : {&k.position, &k.rotation, &k.scale}) {
        for (float c : *part) {
            b.f32le(c);
        }
    }
    return b;
}

inline Bytes blockBytes(const std::vector<KeyDraft>& keys) {
    Bytes b;
    b.i32le(std::int32_t(keys.size()));
    for (const KeyDraft& k : keys) {
        b.append(keyBytes(k));
    }
    return b;
}

inline Bytes motBytes(std::int32_t lastFrame, const std::vector<std::vector<KeyDraft>>& blocks) {
    Bytes b;
    b.i32le(lastFrame).i32le(std::int32_t(blocks.size()));
    for (const auto& keys : blocks) {
        b.append(blockBytes(keys));
    }
    return b;
}

struct LightDraft {
    std::int32_t type = 0;
    Float3 position = {};
    Float3 direction = {0, 0, -1};
    std::array<std::uint8_t, 3> color = {};
    float intensity = 1, range = -1, coneCos = 1, edgeCos = 0.9998477f;
};

inline Bytes kzlBytes(const std::vector<LightDraft>& lights) {
    Bytes b;
    b.i32le(std::int32_t(lights.size()));
    for (const LightDraft& l : lights) {
        b.i32le(l.type);
        for (float c : l.position) {
            b.f32le(c);
        }
        for (float c : l.direction) {
            b.f32le(c);
        }
        b.u8(l.color[0]).u8(l.color[1]).u8(l.color[2]).u8(0);
        b.f32le(l.intensity).f32le(l.range).f32le(l.coneCos).f32le(l.edgeCos);
    }
    return b;
}

} // namespace kzotest
