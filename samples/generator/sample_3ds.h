// Writing 3D Studio files for the bundled samples: meshes given in the
// engine's axes (y up), written with y and z exchanged as 3D Studio files
// hold them, every face wound so that its normal, (P0 - P1) x (P2 - P1),
// points away from a centre given with it.
#pragma once

#include "format/byte_writer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kzosample {

using Vec = std::array<float, 3>;
using Tri = std::array<std::uint16_t, 3>;
using Uv = std::array<float, 2>;

struct Mesh {
    std::vector<Vec> points;
    std::vector<Uv> mapping; // one per point, or none
    std::vector<Tri> faces;
    std::vector<std::string> faceMaterial;

    std::uint16_t add(Vec p, Uv uv) {
        points.push_back(p);
        mapping.push_back(uv);
        return static_cast<std::uint16_t>(points.size() - 1);
    }

    void triangle(std::uint16_t a, std::uint16_t b, std::uint16_t c, Vec centre,
                  const std::string& material) {
        const Vec& p0 = points[a];
        const Vec& p1 = points[b];
        const Vec& p2 = points[c];
        const Vec u{p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
        const Vec v{p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
        const Vec n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                    u[0] * v[1] - u[1] * v[0]};
        const Vec out{p0[0] - centre[0], p0[1] - centre[1], p0[2] - centre[2]};
        if (n[0] * out[0] + n[1] * out[1] + n[2] * out[2] >= 0) {
            faces.push_back({a, b, c});
        } else {
            faces.push_back({c, b, a});
        }
        faceMaterial.push_back(material);
    }
};

inline void chunk(kzo::ByteWriter& out, std::uint16_t id, const kzo::ByteWriter& body) {
    out.u16le(id);
    out.u32le(static_cast<std::uint32_t>(body.size() + 6));
    out.raw(body.bytes().data(), body.size());
}

inline void name(kzo::ByteWriter& out, const std::string& text) {
    out.raw(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    out.u8(0);
}

inline void material(kzo::ByteWriter& editor, const std::string& materialName,
                     std::array<std::uint8_t, 3> rgb, const std::string& texture = {}) {
    kzo::ByteWriter nameChunk, color24, color, entry;
    name(nameChunk, materialName);
    color24.u8(rgb[0]);
    color24.u8(rgb[1]);
    color24.u8(rgb[2]);
    chunk(color, 0x0011, color24);
    chunk(entry, 0xA000, nameChunk);
    chunk(entry, 0xA020, color);
    if (!texture.empty()) {
        kzo::ByteWriter fileName, map;
        name(fileName, texture);
        chunk(map, 0xA300, fileName);
        chunk(entry, 0xA200, map);
    }
    chunk(editor, 0xAFFF, entry);
}

// An object's mesh; its faces' material lists in the order materialOrder
// names them (materials of no face left out).
inline void object(kzo::ByteWriter& editor, const std::string& objectName, const Mesh& mesh,
                   bool withMapping, const std::vector<std::string>& materialOrder) {
    kzo::ByteWriter vertices, faces, mapping, triMesh, body;
    vertices.u16le(static_cast<std::uint16_t>(mesh.points.size()));
    for (const Vec& p : mesh.points) {
        vertices.f32le(p[0]);
        vertices.f32le(p[2]); // the engine's z is the file's y
        vertices.f32le(p[1]);
    }
    faces.u16le(static_cast<std::uint16_t>(mesh.faces.size()));
    for (const Tri& f : mesh.faces) {
        faces.u16le(f[0]);
        faces.u16le(f[1]);
        faces.u16le(f[2]);
        faces.u16le(0); // face flags
    }
    for (const std::string& materialName : materialOrder) {
        kzo::ByteWriter list;
        std::uint16_t count = 0;
        for (const std::string& m : mesh.faceMaterial) {
            count = static_cast<std::uint16_t>(count + (m == materialName ? 1 : 0));
        }
        if (count == 0) {
            continue;
        }
        name(list, materialName);
        list.u16le(count);
        for (std::size_t i = 0; i < mesh.faceMaterial.size(); ++i) {
            if (mesh.faceMaterial[i] == materialName) {
                list.u16le(static_cast<std::uint16_t>(i));
            }
        }
        chunk(faces, 0x4130, list);
    }
    chunk(triMesh, 0x4110, vertices);
    chunk(triMesh, 0x4120, faces);
    if (withMapping) {
        mapping.u16le(static_cast<std::uint16_t>(mesh.mapping.size()));
        for (const Uv& uv : mesh.mapping) {
            mapping.f32le(uv[0]);
            mapping.f32le(uv[1]);
        }
        chunk(triMesh, 0x4140, mapping);
    }
    name(body, objectName);
    chunk(body, 0x4100, triMesh);
    chunk(editor, 0x4000, body);
}

} // namespace kzosample
