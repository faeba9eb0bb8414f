// Writes the textured sample into a folder: textured.3ds, a wooden crate
// turned on a tiled floor, the whole scene tipped towards the viewer so that
// the viewer's first frame looks down on it; crate.bmp, the crate's planks
// (also the image samples/shapes.3ds names); checker.tga, the floor's tiles,
// run-length encoded, repeated twice across the floor. Run from the
// repository root after a change here:
//
//   build/samples/make_sample_textured samples
#include "samples/generator/sample_3ds.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kzosample;

constexpr double kDegree = 3.141592653589793 / 180.0;

// Heading about the vertical axis, then the whole scene tipped about x so
// that the floor's upper side faces the viewer, who looks along +z.
Vec placed(Vec p, double heading) {
    const double h = heading * kDegree;
    const double x = p[0] * std::cos(h) + p[2] * std::sin(h);
    const double z = -p[0] * std::sin(h) + p[2] * std::cos(h);
    const double tip = -28.0 * kDegree;
    return {float(x), float(p[1] * std::cos(tip) - z * std::sin(tip)),
            float(p[1] * std::sin(tip) + z * std::cos(tip))};
}

// A cube of half size h standing on the floor, turned by heading; each side
// shows the whole image.
void crate(Mesh& m, float h, double heading) {
    const Vec c{0, h, 0};
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
                corner[k] = m.add(placed(p, heading), uv[k]);
            }
            m.triangle(corner[0], corner[1], corner[2], placed(c, heading), "Crate");
            m.triangle(corner[0], corner[2], corner[3], placed(c, heading), "Crate");
        }
    }
}

// The floor, half size h, its image repeated `repeats` times each way.
void floorTiles(Mesh& m, float h, float repeats) {
    const float s[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    std::uint16_t corner[4];
    for (int k = 0; k < 4; ++k) {
        corner[k] = m.add(placed({s[k][0] * h, 0, s[k][1] * h}, 0),
                          {(s[k][0] + 1) * 0.5f * repeats, (s[k][1] + 1) * 0.5f * repeats});
    }
    const Vec below = placed({0, -1, 0}, 0);
    m.triangle(corner[0], corner[1], corner[2], below, "Floor");
    m.triangle(corner[0], corner[2], corner[3], below, "Floor");
}

std::vector<std::uint8_t> textured3ds() {
    Mesh box, tiles;
    crate(box, 0.8f, 35);
    floorTiles(tiles, 2.6f, 2);
    kzo::ByteWriter editor, main, file;
    material(editor, "Crate", {255, 255, 255}, "crate.bmp");
    material(editor, "Floor", {255, 255, 255}, "checker.tga");
    object(editor, "crate", box, true, {"Crate"});
    object(editor, "floor", tiles, true, {"Floor"});
    chunk(main, 0x3D3D, editor);
    chunk(file, 0x4D4D, main);
    return file.take();
}

struct Rgb {
    double r, g, b;
};

// Planks of wood in a frame with a brace from corner to corner, side x side.
Rgb crateTexel(int x, int y, int side) {
    const double grain = 10.0 * std::sin(x * 0.21 + 2.5 * std::sin(y * 0.11 + (y / 26) * 1.7));
    const int border = side / 10;
    const bool frame = x < border || y < border || x >= side - border || y >= side - border;
    const double across = std::abs(double(x - y)) / std::sqrt(2.0);
    const bool brace = across < side / 14.0;
    Rgb wood = frame ? Rgb{120, 78, 40} : brace ? Rgb{150, 100, 52} : Rgb{182, 130, 70};
    wood.r += grain;
    wood.g += grain * 0.7;
    wood.b += grain * 0.4;
    const bool seam = (!frame && !brace && y % 26 < 2) ||
                      (frame && (x == border - 1 || y == border - 1 || x == side - border ||
                                 y == side - border)) ||
                      (brace && std::abs(across - side / 14.0) < 1.0);
    if (seam) {
        wood = {70, 44, 22};
    }
    return wood;
}

std::uint8_t byteOf(double v) {
    return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// 24 bits a texel, the bottom row first.
std::vector<std::uint8_t> crateBmp(int side) {
    kzo::ByteWriter out;
    const std::uint32_t stride = std::uint32_t(side) * 3; // side is a multiple of 4
    out.u8('B');
    out.u8('M');
    out.u32le(54 + stride * std::uint32_t(side));
    out.u32le(0);
    out.u32le(54);
    out.u32le(40);
    out.u32le(std::uint32_t(side));
    out.u32le(std::uint32_t(side));
    out.u16le(1);
    out.u16le(24);
    out.u32le(0);
    out.u32le(stride * std::uint32_t(side));
    for (int k = 0; k < 4; ++k) {
        out.u32le(0);
    }
    for (int y = side - 1; y >= 0; --y) {
        for (int x = 0; x < side; ++x) {
            const Rgb t = crateTexel(x, y, side);
            out.u8(byteOf(t.b));
            out.u8(byteOf(t.g));
            out.u8(byteOf(t.r));
        }
    }
    return out.take();
}

// Tiles of 8 x 8 texels in two colours, each row one run-length packet per
// tile.
std::vector<std::uint8_t> checkerTga(int side) {
    kzo::ByteWriter out;
    out.u8(0);
    out.u8(0);
    out.u8(10); // true colour, run-length encoded
    for (int k = 0; k < 9; ++k) {
        out.u8(0);
    }
    out.u16le(std::uint16_t(side));
    out.u16le(std::uint16_t(side));
    out.u8(24);
    out.u8(0); // the bottom row first
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; x += 8) {
            const bool light = ((x / 8) + (y / 8)) % 2 == 0;
            out.u8(0x80 | 7);
            out.u8(light ? 200 : 120);
            out.u8(light ? 225 : 105);
            out.u8(light ? 235 : 40);
        }
    }
    return out.take();
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
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
        std::fprintf(stderr, "usage: make_sample_textured OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const bool written = writeFile(folder + "textured.3ds", textured3ds()) &&
                         writeFile(folder + "crate.bmp", crateBmp(128)) &&
                         writeFile(folder + "checker.tga", checkerTga(64));
    return written ? 0 : 1;
}
