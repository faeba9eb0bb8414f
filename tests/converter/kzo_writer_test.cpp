#include "converter/encode/kzo_file.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/model_builder.h"
#include "tests/converter/two_triangles.h"

#include <gtest/gtest.h>

#include <limits>

using namespace kzo;
using kzotest::Bytes;
using kzotest::TestModel;

namespace {

using kzotest::kzoHeader;
using kzotest::twoTrianglesKzoBody;

void twoTriangles(TestModel& t, std::int32_t shadingType) {
    kzotest::twoTrianglesModel(t, shadingType);
}

const std::vector<std::uint8_t>& onlyOutput(const TestModel& t, const std::string& path) {
    EXPECT_EQ(t.outputs.size(), 1u);
    EXPECT_EQ(t.outputs.at(0).path, path);
    kzotest::expectWellFormedKzo(t.outputs.at(0).bytes);
    return t.outputs.at(0).bytes;
}

} // namespace

TEST(KzoWriter, twoTrianglesWithoutShadingAre176Bytes) {
    TestModel t;
    twoTriangles(t, kNoShading);
    t.writeKzo("out/a.kzo");
    const auto& bytes = onlyOutput(t, "out/a.kzo");
    EXPECT_EQ(bytes.size(), 176u);
    EXPECT_EQ(bytes, (kzoHeader(0, 1, 4, 2, 0, 0) + twoTrianglesKzoBody()).data);
}

TEST(KzoWriter, realtimeShadingAppendsVertexOrFaceNormals) {
    TestModel gouraud;
    twoTriangles(gouraud, kRealtimeGouraud);
    gouraud.writeKzo("g.kzo");
    EXPECT_EQ(onlyOutput(gouraud, "g.kzo"),
              (kzoHeader(0, 1, 4, 2, 0, 1) + twoTrianglesKzoBody(0x0006) +
               kzotest::twoTrianglesVertexNormals())
                  .data);

    TestModel flat;
    twoTriangles(flat, kRealtimeFlat);
    flat.writeKzo("f.kzo");
    EXPECT_EQ(onlyOutput(flat, "f.kzo"),
              (kzoHeader(0, 1, 4, 2, 0, 2) + twoTrianglesKzoBody(0x0006) +
               kzotest::twoTrianglesFaceNormals())
                  .data);
    EXPECT_EQ(onlyOutput(flat, "f.kzo").size(), 200u);
}

TEST(KzoWriter, precalculatedShadingStreamsCornerColours) {
    TestModel gouraud;
    twoTriangles(gouraud, kPrecalcGouraud);
    gouraud.writeKzo("g.kzo");
    const auto& g = onlyOutput(gouraud, "g.kzo");
    ASSERT_EQ(g.size(), 176u + 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(g.begin() + 176, g.end()),
              std::vector<std::uint8_t>(24, 255));

    TestModel flat;
    twoTriangles(flat, kPrecalcFlat);
    flat.writeKzo("f.kzo");
    EXPECT_EQ(onlyOutput(flat, "f.kzo").size(), 176u + 8u);
}

TEST(KzoWriter, imageRecordsAreZeroFilledAfterTheName) {
    TestModel t;
    twoTriangles(t, kNoShading);
    t.image("box.bmp");
    t.model.images[1].name = std::string(200, 'x'); // stale slot beyond the count
    t.model.materials[0].imageIndex = 0;
    t.writeKzo("t.kzo");
    const auto& bytes = onlyOutput(t, "t.kzo");
    ASSERT_EQ(bytes.size(), 176u + 128u);
    std::vector<std::uint8_t> record(128, 0);
    const std::string name = "box.bmp";
    std::copy(name.begin(), name.end(), record.begin());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 28, bytes.begin() + 28 + 128), record);
}

TEST(KzoWriter, imageNameThatDoesNotFitItsRecordIsAFatalError) {
    TestModel fits;
    twoTriangles(fits, kNoShading);
    fits.image(std::string(127, 'a'));
    fits.writeKzo("fits.kzo");
    onlyOutput(fits, "fits.kzo");

    TestModel t;
    twoTriangles(t, kNoShading);
    const std::string name = std::string(124, 'b') + ".bmp";
    t.image(name);
    EXPECT_THROW(t.writeKzo("long.kzo"), FatalErrorSignal);
    EXPECT_TRUE(t.outputs.empty());
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(t.lines[0],
              "ERROR: 'long.3ds': image name '" + name + "' is longer than 127 characters");
}

TEST(KzoWriter, faceNamingAMissingVertexIsAFatalError) {
    TestModel t;
    twoTriangles(t, kNoShading);
    t.model.faces[1].vertexIndex[2] = 4;
    EXPECT_THROW(t.writeKzo("bad.kzo"), FatalErrorSignal);
    EXPECT_TRUE(t.outputs.empty());
}

TEST(KzoWriter, printsWritingLineAndSummary) {
    TestModel t;
    twoTriangles(t, kRealtimeGouraud);
    t.writeKzo("/out/a.kzo");
    EXPECT_EQ(t.lines,
              (std::vector<std::string>{"'/out/a.kzo' Writing...",
                                        "============================", "version: 1.0", "0 images",
                                        "1 materials", "4 vertices", "2 faces", "0 pivots",
                                        "realtime groud shading", "============================"}));
}

TEST(KzoWriter, writeKzoBakesPivotsAndScalesButWritesNoPivotSection) {
    TestModel t;
    twoTriangles(t, kRealtimeFlat);
    Pivot& p = t.pivot();
    p.firstKey[1] = 3; // move the object up by 3
    t.settings.scaleFactor = 2;
    t.writeKzo("p.kzo");
    const auto& bytes = onlyOutput(t, "p.kzo");
    ASSERT_EQ(bytes.size(), 200u);
    ByteReader in(bytes);
    const KzoHeader h = readKzoHeader(in);
    EXPECT_EQ(h.pivotCount, 0);
    in.skip(12);
    const KzoVertexRecord v2 = (in.skip(24), readKzoVertex(in));
    EXPECT_EQ(v2.x, 2.0f);
    EXPECT_EQ(v2.y, 6.0f);
    EXPECT_EQ(v2.z, 2.0f);
    // Normals stay unit length under the scale factor.
    in.seek(176);
    EXPECT_EQ(readKzoVertex(in).y, 1.0f);
}

TEST(KzoWriter, withPivotsKeepsObjectSpaceAndCountsEachPivotsVertices) {
    TestModel t;
    twoTriangles(t, kNoShading);
    for (int i = 0; i < 4; ++i) {
        t.model.vertices[static_cast<std::size_t>(i)].pivotIndex = 1;
    }
    t.pivot();                 // a null object: no vertices
    Pivot& owner = t.pivot(0); // owns all four vertices
    owner.firstKey[1] = 3;     // its key moves it, but the engine applies that
    owner.pivotPoint[0] = 0.5f;
    t.pivot(7); // names a pivot that does not exist
    t.writeKzoWithPivots("h.kzo");

    Bytes pivots;
    pivots.f32le(0).f32le(0).f32le(0).u16le(65535).u16le(0);
    pivots.f32le(0.5f).f32le(0).f32le(0).u16le(0).u16le(4);
    pivots.f32le(0).f32le(0).f32le(0).u16le(65535).u16le(0);
    EXPECT_EQ(onlyOutput(t, "h.kzo"),
              (kzoHeader(0, 1, 4, 2, 3, 0) + twoTrianglesKzoBody() + pivots).data);
    EXPECT_EQ(t.lines[7], "3 pivots");
}

TEST(KzoWriter, floatsThatAreNotNumbersAreAFatalError) {
    TestModel nan;
    twoTriangles(nan, kNoShading);
    nan.model.faces[1].texV[1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_THROW(nan.writeKzo("nan.kzo"), FatalErrorSignal);
    EXPECT_EQ(nan.lines.back(),
              "ERROR: 'nan.3ds': a texture coordinate of face 1 is not a finite number");

    TestModel overflow;
    twoTriangles(overflow, kNoShading);
    overflow.model.vertices[3].x = 1e35f;
    overflow.settings.scaleFactor = 100000;
    EXPECT_THROW(overflow.writeKzo("big.kzo"), FatalErrorSignal);
    EXPECT_EQ(overflow.lines.back(),
              "ERROR: 'big.3ds': the position of vertex 3 is not a finite number at scale 100000");
    EXPECT_TRUE(overflow.outputs.empty());
}

// The encoder only streams the model: normals, colours and positions go out as
// they stand, whatever the settings would make of them in the geometry steps.
TEST(KzoWriter, theEncoderWritesAHandBuiltModelAsItStands) {
    TestModel t;
    twoTriangles(t, kRealtimeGouraud);
    t.settings.scaleFactor = 2; // the geometry's business, not the encoder's
    for (std::size_t i = 0; i < 4; ++i) {
        t.model.vertices[i].normal[0] = static_cast<float>(i); // no unit normals
    }
    Bytes normals;
    for (int i = 0; i < 4; ++i) {
        normals.f32le(static_cast<float>(i)).f32le(0).f32le(0);
    }
    EXPECT_EQ(encodeKzo(t.model, t.settings, "g.kzo", "g.3ds"),
              (kzoHeader(0, 1, 4, 2, 0, 1) + twoTrianglesKzoBody(0x0006) + normals).data);

    t.settings.shadingType = kPrecalcFlat;
    t.model.faces[0].colorR[0] = 1;
    t.model.faces[0].colorG[0] = 2;
    t.model.faces[0].colorB[0] = 3;
    const std::vector<std::uint8_t> flat = encodeKzo(t.model, t.settings, "f.kzo", "f.3ds");
    EXPECT_EQ(std::vector<std::uint8_t>(flat.end() - 8, flat.end()),
              (std::vector<std::uint8_t>{1, 2, 3, 3, 255, 255, 255, 255}));
}
