// Writes the object files of the sample scenes as 3D Studio files, each with
// one coloured material: for samples/robot.lws a floor, the robot's base and
// its arm; for samples/room.lws the floor and back wall of a room, a partition, a
// crate and a pillar, finely divided so that the vertex colours can follow the
// light between them. Run from the repository root after a change here:
//
//   build/samples/make_sample_objects samples/Objects
//
// Shapes are given in the scene's axes (y up) and written with y and z
// exchanged, as 3D Studio files hold them. Every face is wound so that its
// normal, (P0 - P1) x (P2 - P1), points out of the solid.
#include "format/byte_writer.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Vec = std::array<float, 3>;
using Tri = std::array<std::uint16_t, 3>;

struct Mesh {
    std::vector<Vec> points;
    std::vector<Tri> faces;

    std::uint16_t add(Vec p) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i] == p) {
                return static_cast<std::uint16_t>(i);
            }
        }
        points.push_back(p);
        return static_cast<std::uint16_t>(points.size() - 1);
    }

    // Two triangles over the quad a b c d, turned to face outward.
    void quad(Vec a, Vec b, Vec c, Vec d, Vec outward) {
        const Vec u{a[0] - b[0], a[1] - b[1], a[2] - b[2]};
        const Vec v{c[0] - b[0], c[1] - b[1], c[2] - b[2]};
        const Vec n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                    u[0] * v[1] - u[1] * v[0]};
        const float facing = n[0] * outward[0] + n[1] * outward[1] + n[2] * outward[2];
        const std::uint16_t ia = add(a), ib = add(b), ic = add(c), id = add(d);
        if (facing >= 0) {
            faces.push_back({ia, ib, ic});
            faces.push_back({ia, ic, id});
        } else {
            faces.push_back({ic, ib, ia});
            faces.push_back({id, ic, ia});
        }
    }
};

Mesh box(Vec lo, Vec hi) {
    Mesh m;
    const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
    m.quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, {0, -1, 0});
    m.quad({x0, y1, z0}, {x1, y1, z0}, {x1, y1, z1}, {x0, y1, z1}, {0, 1, 0});
    m.quad({x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0}, {0, 0, -1});
    m.quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}, {0, 0, 1});
    m.quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {-1, 0, 0});
    m.quad({x1, y0, z0}, {x1, y0, z1}, {x1, y1, z1}, {x1, y1, z0}, {1, 0, 0});
    return m;
}

// A square floor at height 0 of cells x cells quads, so that shadows fall on
// more than four corners.
Mesh floorGrid(float half, int cells) {
    Mesh m;
    const float step = 2 * half / static_cast<float>(cells);
    for (int i = 0; i < cells; ++i) {
        for (int j = 0; j < cells; ++j) {
            const float x0 = -half + step * static_cast<float>(i), x1 = x0 + step;
            const float z0 = -half + step * static_cast<float>(j), z1 = z0 + step;
            m.quad({x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}, {0, 1, 0});
        }
    }
    return m;
}

// cells x rows quads over the parallelogram origin + s u + t v (s, t in 0..1),
// facing outward.
void addGrid(Mesh& m, Vec origin, Vec u, Vec v, int cells, int rows, Vec outward) {
    auto at = [&](int i, int j) {
        const float s = static_cast<float>(i) / static_cast<float>(cells);
        const float t = static_cast<float>(j) / static_cast<float>(rows);
        return Vec{origin[0] + u[0] * s + v[0] * t, origin[1] + u[1] * s + v[1] * t,
                   origin[2] + u[2] * s + v[2] * t};
    };
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < cells; ++i) {
            m.quad(at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1), outward);
        }
    }
}

Mesh grid(Vec origin, Vec u, Vec v, int cells, int rows, Vec outward) {
    Mesh m;
    addGrid(m, origin, u, v, cells, rows, outward);
    return m;
}

// A box whose every side is cells x cells quads.
Mesh dividedBox(Vec lo, Vec hi, int cells) {
    Mesh m;
    const float dx = hi[0] - lo[0], dy = hi[1] - lo[1], dz = hi[2] - lo[2];
    addGrid(m, lo, {dx, 0, 0}, {0, 0, dz}, cells, cells, {0, -1, 0});
    addGrid(m, {lo[0], hi[1], lo[2]}, {dx, 0, 0}, {0, 0, dz}, cells, cells, {0, 1, 0});
    addGrid(m, lo, {dx, 0, 0}, {0, dy, 0}, cells, cells, {0, 0, -1});
    addGrid(m, {lo[0], lo[1], hi[2]}, {dx, 0, 0}, {0, dy, 0}, cells, cells, {0, 0, 1});
    addGrid(m, lo, {0, dy, 0}, {0, 0, dz}, cells, cells, {-1, 0, 0});
    addGrid(m, {hi[0], lo[1], lo[2]}, {0, dy, 0}, {0, 0, dz}, cells, cells, {1, 0, 0});
    return m;
}

// A chunk: 16-bit id, 32-bit length including the 6-byte header, body.
void chunk(kzo::ByteWriter& out, std::uint16_t id, const kzo::ByteWriter& body) {
    out.u16le(id);
    out.u32le(static_cast<std::uint32_t>(body.size() + 6));
    out.raw(body.bytes().data(), body.size());
}

void name(kzo::ByteWriter& out, const std::string& text) {
    out.raw(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    out.u8(0);
}

std::vector<std::uint8_t> file3ds(const std::string& objectName, const std::string& materialName,
                                  std::array<std::uint8_t, 3> rgb, const Mesh& mesh) {
    kzo::ByteWriter materialNameChunk, color24, color, material;
    name(materialNameChunk, materialName);
    color24.u8(rgb[0]);
    color24.u8(rgb[1]);
    color24.u8(rgb[2]);
    chunk(color, 0x0011, color24);
    chunk(material, 0xA000, materialNameChunk);
    chunk(material, 0xA020, color);

    kzo::ByteWriter vertices, faces, faceMaterials, triMesh, object, editor, main, file;
    vertices.u16le(static_cast<std::uint16_t>(mesh.points.size()));
    for (const Vec& p : mesh.points) {
        vertices.f32le(p[0]);
        vertices.f32le(p[2]); // the scene's z is the file's y
        vertices.f32le(p[1]);
    }
    name(faceMaterials, materialName);
    faceMaterials.u16le(static_cast<std::uint16_t>(mesh.faces.size()));
    faces.u16le(static_cast<std::uint16_t>(mesh.faces.size()));
    for (std::size_t i = 0; i < mesh.faces.size(); ++i) {
        for (std::uint16_t corner : mesh.faces[i]) {
            faces.u16le(corner);
        }
        faces.u16le(0); // face flags
        faceMaterials.u16le(static_cast<std::uint16_t>(i));
    }
    chunk(faces, 0x4130, faceMaterials);
    chunk(triMesh, 0x4110, vertices);
    chunk(triMesh, 0x4120, faces);
    name(object, objectName);
    chunk(object, 0x4100, triMesh);
    chunk(editor, 0xAFFF, material);
    chunk(editor, 0x4000, object);
    chunk(main, 0x3D3D, editor);
    chunk(file, 0x4D4D, main);
    return file.take();
}

bool save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write '%s'\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_objects OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    // Sizes keep every corner of one object apart from every other object's,
    // so the reader's welding never joins two objects.
    const bool ok =
        save(dir + "/floor.3ds", file3ds("floor", "Floor", {170, 170, 160}, floorGrid(4, 8))) &&
        save(dir + "/base.3ds", file3ds("base", "Base", {200, 60, 40},
                                        box({-0.75f, 0, -0.75f}, {0.75f, 0.5f, 0.75f}))) &&
        save(dir + "/arm.3ds",
             file3ds("arm", "Arm", {60, 120, 220}, box({-0.2f, 0, -0.2f}, {0.2f, 1.8f, 0.2f}))) &&
        save(dir + "/room_floor.3ds",
             file3ds("room_floor", "RoomFloor", {210, 205, 195},
                     grid({-2.25f, 0, 1}, {4.5f, 0, 0}, {0, 0, 2}, 18, 8, {0, 1, 0}))) &&
        save(dir + "/room_back.3ds",
             file3ds("room_back", "RoomBack", {235, 235, 230},
                     grid({-2.25f, 0, 3}, {4.5f, 0, 0}, {0, 2.5f, 0}, 36, 20, {0, 0, -1}))) &&
        save(dir + "/partition.3ds", file3ds("partition", "Partition", {220, 45, 35},
                                             grid({-0.5f, 0, 2.97f}, {-0.6f, 0, -0.87f},
                                                  {0, 2.1f, 0}, 10, 16, {0.87f, 0, -0.6f}))) &&
        save(dir + "/crate.3ds", file3ds("crate", "Crate", {80, 130, 210},
                                         dividedBox({0.57f, 0, 1.87f}, {1.77f, 1.1f, 2.93f}, 8))) &&
        save(dir + "/pillar.3ds",
             file3ds("pillar", "Pillar", {235, 200, 90},
                     dividedBox({-1.93f, 0, 2.27f}, {-1.37f, 2.5f, 2.83f}, 8)));
    return ok ? 0 : 1;
}
