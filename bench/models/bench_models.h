// The generated models the measuring scripts and benchmarks run on:
//
//   toriFile()  16 tori of 180 x 180 segments, one object each: 518400
//               vertices, 1036800 triangles
//   gridFile()  one object, a bumpy 269 x 74 grid with one triangle per cell:
//               19906 vertices, 19564 triangles, within the converter's tables
//   sphereKzo() a converted sphere of 100 x 100 quads, 20000 triangles with
//               baked corner colours, and textured, mapped once around it
//               with sphereTexture(), a 1024 x 1024 TGA named "sphere.tga"
#pragma once

#include "format/byte_writer.h"
#include "format/kzo_format.h"
#include "tests/support/build_3ds.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace kzobench {

using kzotest::Bytes;
using kzotest::Tri;
using kzotest::Vec3;

inline constexpr double kTwoPi = 6.283185307179586;

// A torus around (cx, 0, cz), wrapping both ways, two triangles per cell.
inline Bytes torusObject(const std::string& name, int rings, int segments, double cx, double cz) {
    std::vector<Vec3> points;
    for (int r = 0; r < rings; ++r) {
        const double a = kTwoPi * r / rings;
        for (int s = 0; s < segments; ++s) {
            const double b = kTwoPi * s / segments;
            const double radius = 3.0 + std::cos(b);
            points.push_back({float(cx + radius * std::cos(a)), float(cz + radius * std::sin(a)),
                              float(std::sin(b))});
        }
    }
    const auto at = [&](int r, int s) {
        return std::uint16_t((r % rings) * segments + (s % segments));
    };
    std::vector<Tri> faces;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            faces.push_back({at(r, s), at(r + 1, s + 1), at(r + 1, s)});
            faces.push_back({at(r, s), at(r, s + 1), at(r + 1, s + 1)});
        }
    }
    return kzotest::object(name, kzotest::vertexList(points) + kzotest::faceList(faces));
}

inline Bytes toriFile() {
    Bytes objects;
    for (int i = 0; i < 16; ++i) {
        objects.append(
            torusObject("torus" + std::to_string(i), 180, 180, 9.0 * (i % 4), 9.0 * (i / 4)));
    }
    return kzotest::file3ds(objects);
}

inline Bytes gridFile() {
    constexpr int kColumns = 269;
    constexpr int kRows = 74;
    std::vector<Vec3> points;
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const double height = 0.5 * std::sin(c * 0.11) * std::cos(r * 0.17);
            points.push_back({float(c * 0.25), float(r * 0.25), float(height)});
        }
    }
    std::vector<Tri> faces;
    for (int r = 0; r + 1 < kRows; ++r) {
        for (int c = 0; c + 1 < kColumns; ++c) {
            const auto v = std::uint16_t(r * kColumns + c);
            const auto right = std::uint16_t(v + 1);
            const auto up = std::uint16_t(v + kColumns);
            // Alternate the cell's half so that every vertex is used.
            if ((r + c) % 2 == 0) {
                faces.push_back({v, right, up});
            } else {
                faces.push_back({right, std::uint16_t(up + 1), up});
            }
        }
    }
    return kzotest::file3ds(
        kzotest::object("grid", kzotest::vertexList(points) + kzotest::faceList(faces)));
}

// rings x segments quads, each two triangles, wound so their outside faces
// out. Untextured, its one material has no image; textured, image 0 is
// "sphere.tga", u running once around (from 0 to 1 across the seam) and v
// from the lower pole (0) to the upper (1).
inline std::vector<std::uint8_t> sphereKzo(int rings, int segments, bool textured) {
    kzo::ByteWriter out;
    const int vertices = (rings + 1) * segments;
    const int faces = 2 * rings * segments;
    kzo::KzoHeader header;
    header.imageCount = textured ? 1 : 0;
    header.materialCount = 1;
    header.vertexCount = vertices;
    header.faceCount = faces;
    header.shadingType = kzo::kPrecalcGouraud;
    kzo::writeKzoHeader(out, header);
    if (textured) {
        const std::string name = "sphere.tga";
        out.raw(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
        for (std::size_t k = name.size(); k < kzo::kKzoImageRecordSize; ++k) {
            out.u8(0);
        }
    }
    kzo::KzoMaterialRecord material;
    material.materialFaceCount = faces;
    if (textured) {
        material.imageIndex = 0;
        material.flags = kzo::kMaterialAlways | kzo::kMaterialTextured | kzo::kMaterialTextured40 |
                         kzo::kMaterialTextured80;
    }
    kzo::writeKzoMaterial(out, material);
    for (int r = 0; r <= rings; ++r) {
        const double phi = 3.141592 * (0.05 + 0.9 * r / rings);
        for (int g = 0; g < segments; ++g) {
            const double theta = 2 * 3.141592 * g / segments;
            kzo::writeKzoVertex(out, {float(std::sin(phi) * std::cos(theta)), float(std::cos(phi)),
                                      float(std::sin(phi) * std::sin(theta))});
        }
    }
    for (int r = 0; r < rings; ++r) {
        for (int g = 0; g < segments; ++g) {
            const auto a = std::uint16_t(r * segments + g);
            const auto b = std::uint16_t(r * segments + (g + 1) % segments);
            const auto c = std::uint16_t(a + segments);
            const auto d = std::uint16_t(b + segments);
            // Corner (ring, column) in texels of a 256-texel map.
            const auto uv = [&](int ring, int column) {
                return std::array{255.0f * float(column) / float(segments),
                                  255.0f * (1.0f - float(ring) / float(rings))};
            };
            const std::array<std::uint16_t, 3> tris[2] = {{a, b, c}, {b, d, c}};
            const std::array<std::array<float, 2>, 3> maps[2] = {
                {uv(r, g), uv(r, g + 1), uv(r + 1, g)},
                {uv(r, g + 1), uv(r + 1, g + 1), uv(r + 1, g)}};
            for (int t = 0; t < 2; ++t) {
                kzo::KzoFaceRecord face;
                for (int k = 0; k < 4; ++k) {
                    const auto slot = std::size_t(std::min(k, 2));
                    face.vertexIndex[k] = tris[t][slot];
                    if (textured) {
                        face.u[k] = maps[t][slot][0];
                        face.v[k] = maps[t][slot][1];
                    }
                }
                kzo::writeKzoFace(out, face);
            }
        }
    }
    for (int f = 0; f < faces; ++f) {
        for (int channel = 0; channel < 3; ++channel) {
            for (int k = 0; k < 4; ++k) {
                out.u8(std::uint8_t((f * 7 + channel * 85 + k * 60) & 0xFF));
            }
        }
    }
    return out.take();
}

// side x side texels, 24-bit, uncompressed, bottom row first: squares of 64
// texels in two colours with a fine pattern inside, so that neighbouring
// texels differ and the filter has work to do.
inline Bytes sphereTexture(int side) {
    Bytes out;
    out.u8(0).u8(0).u8(2).zeros(5).u16le(0).u16le(0);
    out.u16le(std::uint16_t(side)).u16le(std::uint16_t(side)).u8(24).u8(0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const bool dark = ((x / 64) + (y / 64)) % 2 == 0;
            const auto fine = std::uint8_t((x ^ y) & 0x3F);
            out.u8(std::uint8_t(dark ? 40 + fine : 200 + fine / 2))
                .u8(std::uint8_t(dark ? 60 : 220 - fine))
                .u8(std::uint8_t(dark ? 160 - fine : 240));
        }
    }
    return out;
}

} // namespace kzobench
