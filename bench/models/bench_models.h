// The generated models the measuring scripts and benchmarks run on:
//
//   toriFile()  16 tori of 180 x 180 segments, one object each: 518400
//               vertices, 1036800 triangles
//   gridFile()  one object, a bumpy 269 x 74 grid with one triangle per cell:
//               19906 vertices, 19564 triangles, within the converter's tables
#pragma once

#include "tests/support/build_3ds.h"

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

} // namespace kzobench
