#include "converter/model/kzo_writer.h"
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
    EXPECT_EQ(t.model.pendingOutputs.size(), 1u);
    EXPECT_EQ(t.model.pendingOutputs.at(0).path, path);
    kzotest::expectWellFormedKzo(t.model.pendingOutputs.at(0).bytes);
    return t.model.pendingOutputs.at(0).bytes;
}

} // namespace

TEST(KzoWriter, twoTrianglesWithoutShadingAre176Bytes) {
    TestModel t;
    twoTriangles(t, kNoShading);
    writeKzo(t.model, "out/a.kzo");
    const auto& bytes = onlyOutput(t, "out/a.kzo");
    EXPECT_EQ(bytes.size(), 176u);
    EXPECT_EQ(bytes, (kzoHeader(0, 1, 4, 2, 0, 0) + twoTrianglesKzoBody()).data);
}

TEST(KzoWriter, realtimeShadingAppendsVertexOrFaceNormals) {
    TestModel gouraud;
    twoTriangles(gouraud, kRealtimeGouraud);
    writeKzo(gouraud.model, "g.kzo");
    EXPECT_EQ(onlyOutput(gouraud, "g.kzo"),
              (kzoHeader(0, 1, 4, 2, 0, 1) + twoTrianglesKzoBody(0x0006) +
               kzotest::twoTrianglesVertexNormals())
                  .data);

    TestModel flat;
    twoTriangles(flat, kRealtimeFlat);
    writeKzo(flat.model, "f.kzo");
    EXPECT_EQ(onlyOutput(flat, "f.kzo"),
              (kzoHeader(0, 1, 4, 2, 0, 2) + twoTrianglesKzoBody(0x0006) +
               kzotest::twoTrianglesFaceNormals())
                  .data);
    EXPECT_EQ(onlyOutput(flat, "f.kzo").size(), 200u);
}

TEST(KzoWriter, precalculatedShadingStreamsCornerColours) {
    TestModel gouraud;
    twoTriangles(gouraud, kPrecalcGouraud);
    writeKzo(gouraud.model, "g.kzo");
    const auto& g = onlyOutput(gouraud, "g.kzo");
    ASSERT_EQ(g.size(), 176u + 24u);
    EXPECT_EQ(std::vector<std::uint8_t>(g.begin() + 176, g.end()),
              std::vector<std::uint8_t>(24, 255));

    TestModel flat;
    twoTriangles(flat, kPrecalcFlat);
    writeKzo(flat.model, "f.kzo");
    EXPECT_EQ(onlyOutput(flat, "f.kzo").size(), 176u + 8u);
}

TEST(KzoWriter, imageRecordsAreZeroFilledAfterTheName) {
    TestModel t;
    twoTriangles(t, kNoShading);
    t.image("box.bmp");
    t.model.images[1].name = std::string(200, 'x'); // stale slot beyond the count
    t.model.materials[0].imageIndex = 0;
    writeKzo(t.model, "t.kzo");
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
    writeKzo(fits.model, "fits.kzo");
    onlyOutput(fits, "fits.kzo");

    TestModel t;
    twoTriangles(t, kNoShading);
    const std::string name = std::string(124, 'b') + ".bmp";
    t.image(name);
    EXPECT_THROW(writeKzo(t.model, "long.kzo"), FatalErrorSignal);
    EXPECT_TRUE(t.model.pendingOutputs.empty());
    ASSERT_EQ(t.lines.size(), 1u);
    EXPECT_EQ(t.lines[0], "ERROR: cannot write 'long.kzo': image name '" + name +
                              "' is longer than 127 characters");
}

TEST(KzoWriter, faceNamingAMissingVertexIsAFatalError) {
    TestModel t;
    twoTriangles(t, kNoShading);
    t.model.faces[1].vertexIndex[2] = 4;
    EXPECT_THROW(writeKzo(t.model, "bad.kzo"), FatalErrorSignal);
    EXPECT_TRUE(t.model.pendingOutputs.empty());
}

TEST(KzoWriter, printsWritingLineAndSummary) {
    TestModel t;
    twoTriangles(t, kRealtimeGouraud);
    writeKzo(t.model, "/out/a.kzo");
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
    t.model.settings.scaleFactor = 2;
    writeKzo(t.model, "p.kzo");
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
    writeKzoWithPivots(t.model, "h.kzo");

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
    EXPECT_THROW(writeKzo(nan.model, "nan.kzo"), FatalErrorSignal);
    EXPECT_EQ(
        nan.lines.back(),
        "ERROR: cannot write 'nan.kzo': a texture coordinate of face 1 is not a finite number");

    TestModel overflow;
    twoTriangles(overflow, kNoShading);
    overflow.model.vertices[3].x = 1e35f;
    overflow.model.settings.scaleFactor = 100000;
    EXPECT_THROW(writeKzo(overflow.model, "big.kzo"), FatalErrorSignal);
    EXPECT_EQ(overflow.lines.back(),
              "ERROR: cannot write 'big.kzo': the position of vertex 3 is not a finite number");
    EXPECT_TRUE(overflow.model.pendingOutputs.empty());
}
