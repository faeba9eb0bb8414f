// Writes samples/shapes.3ds, the sample for a direct 3D Studio conversion: a
// textured crate and a pyramid with a red and a gold material. Run from the
// repository root after a change here:
//
//   build/samples/make_sample_shapes samples/shapes.3ds
//
// Shapes are given in the engine's axes (y up) and written with y and z
// exchanged, as 3D Studio files hold them. Every face is wound so that its
// normal, (P0 - P1) x (P2 - P1), points away from the shape's centre.
#include "format/byte_writer.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

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

// A cube of half size h about c; each side has its own four corners so that
// each shows the whole texture.
void crate(Mesh& m, Vec c, float h) {
    const int axes[3][2] = {{1, 2}, {0, 2}, {0, 1}};
    for (int axis = 0; axis < 3; ++axis) {
        for (float side : {-1.0f, 1.0f}) {
            std::uint16_t corner[4];
            const Uv uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            const float s[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
            for (int k = 0; k < 4; ++k) {
                Vec p = c;
                p[axis] += side * h;
                p[axes[axis][0]] += s[k][0] * h;
                p[axes[axis][1]] += s[k][1] * h;
                corner[k] = m.add(p, uv[k]);
            }
            m.triangle(corner[0], corner[1], corner[2], c, "Crate");
            m.triangle(corner[0], corner[2], corner[3], c, "Crate");
        }
    }
}

// A square pyramid standing on y = base, apex above the centre.
void pyramid(Mesh& m, Vec c, float half, float height) {
    const Vec centre{c[0], c[1] + height / 4, c[2]};
    std::uint16_t b[4];
    const float s[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    for (int k = 0; k < 4; ++k) {
        b[k] = m.add({c[0] + s[k][0] * half, c[1], c[2] + s[k][1] * half}, {0, 0});
    }
    const std::uint16_t apex = m.add({c[0], c[1] + height, c[2]}, {0, 0});
    m.triangle(b[0], b[1], b[2], centre, "Gold");
    m.triangle(b[0], b[2], b[3], centre, "Gold");
    for (int k = 0; k < 4; ++k) {
        m.triangle(b[k], b[(k + 1) % 4], apex, centre, "Red");
    }
}

void chunk(kzo::ByteWriter& out, std::uint16_t id, const kzo::ByteWriter& body) {
    out.u16le(id);
    out.u32le(static_cast<std::uint32_t>(body.size() + 6));
    out.raw(body.bytes().data(), body.size());
}

void name(kzo::ByteWriter& out, const std::string& text) {
    out.raw(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    out.u8(0);
}

void material(kzo::ByteWriter& editor, const std::string& materialName,
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

void object(kzo::ByteWriter& editor, const std::string& objectName, const Mesh& mesh,
            bool withMapping) {
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
    for (const char* materialName : {"Crate", "Red", "Gold"}) {
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

std::vector<std::uint8_t> shapes3ds() {
    Mesh box, spire;
    crate(box, {-1.5f, 1, 0}, 1);
    pyramid(spire, {1.5f, 0, 0}, 1, 2);
    kzo::ByteWriter editor, main, file;
    material(editor, "Crate", {255, 255, 255}, "crate.bmp");
    material(editor, "Red", {220, 40, 30});
    material(editor, "Gold", {230, 190, 40});
    object(editor, "crate", box, true);
    object(editor, "pyramid", spire, false);
    chunk(main, 0x3D3D, editor);
    chunk(file, 0x4D4D, main);
    return file.take();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_shapes OUTPUT_FILE\n");
        return 2;
    }
    const std::vector<std::uint8_t> bytes = shapes3ds();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write '%s'\n", argv[1]);
        return 1;
    }
    return 0;
}
