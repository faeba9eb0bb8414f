// Writes samples/shapes.3ds, the sample for a direct 3D Studio conversion: a
// textured crate and a pyramid with a red and a gold material. Run from the
// repository root after a change here:
//
//   build/samples/make_sample_shapes samples/shapes.3ds
//
// Shapes are given in the engine's axes (y up) and written with y and z
// exchanged, as 3D Studio files hold them. Every face is wound so that its
// normal, (P0 - P1) x (P2 - P1), points away from the shape's centre.
#include "samples/generator/sample_3ds.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace kzosample;

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

std::vector<std::uint8_t> shapes3ds() {
    Mesh box, spire;
    crate(box, {-1.5f, 1, 0}, 1);
    pyramid(spire, {1.5f, 0, 0}, 1, 2);
    kzo::ByteWriter editor, main, file;
    material(editor, "Crate", {255, 255, 255}, "crate.bmp");
    material(editor, "Red", {220, 40, 30});
    material(editor, "Gold", {230, 190, 40});
    object(editor, "crate", box, true, {"Crate", "Red", "Gold"});
    object(editor, "pyramid", spire, false, {"Crate", "Red", "Gold"});
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
