// The converter's smallest useful object, as a 3DS file, as a filled scene
// model and as the KZO bytes it becomes: two triangles of the unit square in
// the y = 0 plane sharing two corners, one untextured red material.
//
//   3DS (x, y, z):  0 (0,0,0)  1 (1,0,0)  2 (1,1,0)  3 (0,1,0)
//   model (x, y, z) after the y/z exchange: 0 (0,0,0) 1 (1,0,0) 2 (1,0,1) 3 (0,0,1)
//   faces 0 1 2 and 0 2 3; mapping (u, v): (0,0) (1,0) (1,0.5) (0,0)
#pragma once

#include "tests/converter/model_builder.h"
#include "tests/support/build_3ds.h"

#include <array>

namespace kzotest {

inline Bytes twoTriangles3ds() {
    const Bytes mesh = vertexList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}) +
                       faceList({{0, 1, 2}, {0, 2, 3}}, faceMaterialList("red", {0, 1})) +
                       mappingCoords({{0, 0}, {1, 0}, {1, 0.5f}, {0, 0}});
    return file3ds(material("red", rgbBytes(255, 0, 0)) + object("quad", mesh));
}

// The model the 3DS file reads into, with the flags markMaterialFlags sets.
inline void twoTrianglesModel(TestModel& t, std::int32_t shadingType) {
    t.settings.shadingType = shadingType;
    t.material(255, 0, 0);
    t.model.materials[0].flags = 0x0002 | (shadingType != 0 ? 0x0004 : 0);
    t.vertex(0, 0, 0).vertex(1, 0, 0).vertex(1, 0, 1).vertex(0, 0, 1);
    t.face(0, 1, 2).face(0, 2, 3);
    const float u[2][3] = {{0, 255, 255}, {0, 255, 0}};
    const float v[2][3] = {{0, 0, 127.5f}, {0, 127.5f, 0}};
    for (std::size_t f = 0; f < 2; ++f) {
        for (int k = 0; k < 3; ++k) {
            t.model.faces[f].texU[k] = u[f][k];
            t.model.faces[f].texV[k] = v[f][k];
        }
    }
}

inline Bytes kzoHeader(std::int32_t images, std::int32_t materials, std::int32_t vertices,
                       std::int32_t faces, std::int32_t pivots, std::int32_t shading) {
    Bytes b;
    b.i32le(16).i32le(images).i32le(materials).i32le(vertices).i32le(faces).i32le(pivots);
    return b.i32le(shading);
}

inline Bytes kzoFace(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::array<float, 3> u,
                     std::array<float, 3> v) {
    Bytes f;
    f.i32le(3).u16le(a).u16le(b).u16le(c).u16le(c);
    f.f32le(u[0]).f32le(u[1]).f32le(u[2]).f32le(u[2]);
    f.f32le(v[0]).f32le(v[1]).f32le(v[2]).f32le(v[2]);
    return f;
}

// Everything after the header: material, vertices, faces.
inline Bytes twoTrianglesKzoBody(std::uint16_t flags = 0x0002) {
    Bytes b;
    b.u8(255).u8(0).u8(0).u8(128).i16le(-1).u16le(flags).i32le(2);
    b.f32le(0).f32le(0).f32le(0);
    b.f32le(1).f32le(0).f32le(0);
    b.f32le(1).f32le(0).f32le(1);
    b.f32le(0).f32le(0).f32le(1);
    b.append(kzoFace(0, 1, 2, {0, 255, 255}, {0, 0, 127.5f}));
    b.append(kzoFace(0, 2, 3, {0, 255, 0}, {0, 127.5f, 0}));
    return b;
}

// Shading data of the two triangles: every vertex normal and every face normal
// is +y. The first face's cross product ends in (-1)(0) - (0)(0): its z is -0.
inline Bytes twoTrianglesVertexNormals() {
    Bytes b;
    for (int i = 0; i < 4; ++i) {
        b.f32le(0).f32le(1).f32le(0);
    }
    return b;
}
inline Bytes twoTrianglesFaceNormals() {
    Bytes b;
    b.f32le(0).f32le(1).f32le(-0.0f).f32le(0).f32le(1).f32le(0);
    return b;
}

} // namespace kzotest
