// Whole KZO files with precalculated colours, byte for byte.
#include "tests/converter/kzo_expect.h"
#include "tests/converter/light_scene_builder.h"
#include "tests/converter/model_builder.h"
#include "tests/support/bytes.h"

#include <gtest/gtest.h>

#include <array>

using kzotest::Bytes;
using kzotest::TestModel;

namespace {

// The square 0..1 in the y = 0 plane as two faces sharing vertices 0 and 2,
// and a small face at y = 1 right over vertex 3, all facing +y, all of one
// untextured material (200, 100, 50). One distant light shines straight
// down with colour (255, 128, 0) at intensity 0.5; the ambient light is
// (10, 20, 30). Vertex 3 lies in the small face's shadow.
//
//   z
//   3 ---- 2        small face over 3: (-0.25, 0.75), (0.25, 0.75), (0, 1.5)
//   |    / |
//   |  /   |
//   0 ---- 1  x
void shadowedSquare(TestModel& t, std::int32_t shading) {
    t.settings.shadingType = shading;
    t.material(200, 100, 50);
    t.model.materials[0].flags = kzo::kMaterialAlways | kzo::kMaterialShaded;
    t.vertex(0, 0, 0).vertex(1, 0, 0).vertex(1, 0, 1).vertex(0, 0, 1);
    t.vertex(-0.25f, 1, 0.75f).vertex(0.25f, 1, 0.75f).vertex(0, 1, 1.5f);
    t.face(0, 1, 2).face(0, 2, 3).face(4, 5, 6);
    kzotest::addLight(t.model, kzotest::distantLight(0, 1, 0, 0.5f, 255, 128, 0));
    t.model.ambientColor[0] = 10;
    t.model.ambientColor[1] = 20;
    t.model.ambientColor[2] = 30;
}

Bytes shadowedSquareUpToColours(std::int32_t shading) {
    Bytes b;
    b.i32le(16).i32le(0).i32le(1).i32le(7).i32le(3).i32le(0).i32le(shading);
    b.u8(200).u8(100).u8(50).u8(128).i16le(-1).u16le(0x0006).i32le(3);
    for (const std::array<float, 3> p : {std::array<float, 3>{0, 0, 0},
                                         {1, 0, 0},
                                         {1, 0, 1},
                                         {0, 0, 1},
                                         {-0.25f, 1, 0.75f},
                                         {0.25f, 1, 0.75f},
                                         {0, 1, 1.5f}}) {
        b.f32le(p[0]).f32le(p[1]).f32le(p[2]);
    }
    for (const std::array<std::uint16_t, 3> f :
         {std::array<std::uint16_t, 3>{0, 1, 2}, {0, 2, 3}, {4, 5, 6}}) {
        b.i32le(3).u16le(f[0]).u16le(f[1]).u16le(f[2]).u16le(f[2]);
        b.zeros(32); // texture coordinates
    }
    return b;
}

const std::vector<std::uint8_t>& onlyOutput(const TestModel& t) {
    EXPECT_EQ(t.outputs.size(), 1u);
    kzotest::expectWellFormedKzo(t.outputs.at(0).bytes);
    return t.outputs.at(0).bytes;
}

TEST(PrecalculatedKzo, gouraudColoursAverageLitCornersAddAmbientAndTakeTheMaterialColour) {
    TestModel t;
    shadowedSquare(t, kzo::kPrecalcGouraud);
    t.writeKzo("lit.kzo");
    // A lit vertex: (127.5, 64, 0) + ambient = (137.5, 84, 30), times the
    // material / 256 = (107.4, 32.8, 5.9). Vertex 3: ambient only, (7.8, 7.8,
    // 5.9). Per face: red of corners 0, 1, 2, 2, then green, then blue.
    Bytes colours;
    colours.u8(107).u8(107).u8(107).u8(107).u8(32).u8(32).u8(32).u8(32).u8(5).u8(5).u8(5).u8(5);
    colours.u8(107).u8(107).u8(7).u8(7).u8(32).u8(32).u8(7).u8(7).u8(5).u8(5).u8(5).u8(5);
    colours.u8(107).u8(107).u8(107).u8(107).u8(32).u8(32).u8(32).u8(32).u8(5).u8(5).u8(5).u8(5);
    EXPECT_EQ(onlyOutput(t), (shadowedSquareUpToColours(3) + colours).data);
}

TEST(PrecalculatedKzo, flatColourIsTheMeanOfTheFacesCornerSumsWithAmbientAndMaterial) {
    TestModel t;
    shadowedSquare(t, kzo::kPrecalcFlat);
    t.writeKzo("lit.kzo");
    // Face 1 has one unlit corner: red (127.5 + 127.5) / 3 + 10 = 95 -> 74.2,
    // green 128 / 3 + 20 = 62.7 -> 24.5. Per face: red, green, blue, blue.
    Bytes colours;
    colours.u8(107).u8(32).u8(5).u8(5);
    colours.u8(74).u8(24).u8(5).u8(5);
    colours.u8(107).u8(32).u8(5).u8(5);
    EXPECT_EQ(onlyOutput(t), (shadowedSquareUpToColours(4) + colours).data);
}

TEST(PrecalculatedKzo, animationOptionWritesWhiteCorners) {
    TestModel t;
    shadowedSquare(t, kzo::kPrecalcFlat);
    t.settings.animation = 1;
    t.writeKzo("lit.kzo");
    EXPECT_EQ(onlyOutput(t),
              (shadowedSquareUpToColours(4) + Bytes{std::vector<std::uint8_t>(12, 255)}).data);
}

} // namespace
