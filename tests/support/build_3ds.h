// 3D Studio chunk builders: a chunk is a 16-bit id and a 32-bit length that
// counts the 6-byte header, the chunk's data and every chunk nested in it.
//
//   file3ds(editor(material("red", rgb(255, 0, 0)) +
//                  object("box", mesh(vertexList(...) + faceList(...)))))
#pragma once

#include "tests/support/bytes.h"

#include <array>
#include <string>
#include <vector>

namespace kzotest {

inline Bytes chunk(std::uint16_t id, const Bytes& body) {
    Bytes b;
    b.u16le(id).u32le(static_cast<std::uint32_t>(body.size() + 6)).append(body);
    return b;
}

using Vec3 = std::array<float, 3>;
using Tri = std::array<std::uint16_t, 3>;

// 0x4D4D main chunk holding a 0x3D3D editor chunk, plus whatever follows it.
inline Bytes file3ds(const Bytes& editorBody, const Bytes& afterEditor = {}) {
    return chunk(0x4D4D, chunk(0x3D3D, editorBody) + afterEditor);
}
inline Bytes editor(const Bytes& body) {
    return body;
}

inline Bytes vertexList(const std::vector<Vec3>& points) {
    Bytes b;
    b.u16le(static_cast<std::uint16_t>(points.size()));
    for (const auto& p : points) {
        b.f32le(p[0]).f32le(p[1]).f32le(p[2]);
    }
    return chunk(0x4110, b);
}

// Face list; nested chunks (face material lists, smoothing groups) follow the faces.
inline Bytes faceList(const std::vector<Tri>& faces, const Bytes& nested = {}) {
    Bytes b;
    b.u16le(static_cast<std::uint16_t>(faces.size()));
    for (const auto& f : faces) {
        b.u16le(f[0]).u16le(f[1]).u16le(f[2]).u16le(0);
    }
    return chunk(0x4120, b + nested);
}

inline Bytes faceMaterialList(const std::string& materialName,
                              const std::vector<std::uint16_t>& faceNumbers) {
    Bytes b;
    b.str(materialName).u16le(static_cast<std::uint16_t>(faceNumbers.size()));
    for (auto q : faceNumbers) {
        b.u16le(q);
    }
    return chunk(0x4130, b);
}

inline Bytes mappingCoords(const std::vector<std::array<float, 2>>& uv) {
    Bytes b;
    b.u16le(static_cast<std::uint16_t>(uv.size()));
    for (const auto& c : uv) {
        b.f32le(c[0]).f32le(c[1]);
    }
    return chunk(0x4140, b);
}

// 0x4000 named object holding one 0x4100 triangle mesh.
inline Bytes object(const std::string& name, const Bytes& meshBody) {
    Bytes b;
    b.str(name).append(chunk(0x4100, meshBody));
    return chunk(0x4000, b);
}

inline Bytes rgbBytes(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    Bytes c;
    c.u8(r).u8(g).u8(b);
    return chunk(0xA020, chunk(0x0011, c));
}
inline Bytes rgbFloats(float r, float g, float b) {
    Bytes c;
    c.f32le(r).f32le(g).f32le(b);
    return chunk(0xA020, chunk(0x0010, c));
}
inline Bytes transparencyPercent(std::int16_t percent) {
    Bytes p;
    p.i16le(percent);
    return chunk(0xA050, chunk(0x0030, p));
}
inline Bytes transparencyFloat(float value) {
    Bytes p;
    p.f32le(value);
    return chunk(0xA050, chunk(0x0031, p));
}
inline Bytes textureMap(const std::string& fileName) {
    Bytes n;
    n.str(fileName);
    return chunk(0xA200, chunk(0xA300, n));
}

// 0xAFFF material entry: a 0xA000 name chunk followed by the given properties.
inline Bytes material(const std::string& name, const Bytes& properties = {}) {
    Bytes n;
    n.str(name);
    return chunk(0xAFFF, chunk(0xA000, n) + properties);
}

} // namespace kzotest
