// Damaged and oversized 3DS files: each is rejected with one error line naming
// the file and the fault, and nothing reads outside the buffer.
#include "tests/converter/load_3ds_fixture.h"

#include <gmock/gmock.h>

#include <memory>

namespace kzotest {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::vector<Vec3> kTriangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};

TEST_F(Load3dsTest, rejectsEveryTruncationOfAValidFile) {
    const Bytes whole =
        file3ds(material("m", rgbFloats(1, 0, 0) + transparencyPercent(20) + textureMap("t.bmp")) +
                object("a", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}) +
                                faceList({{0, 1, 2}, {1, 3, 2}}, faceMaterialList("m", {0, 1})) +
                                mappingCoords({{0, 0}, {1, 0}, {0, 1}, {1, 1}})));
    for (std::size_t length = 2; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        // A fresh allocation of exactly length bytes, so ASan sees any overread.
        auto bytes = std::make_unique<std::uint8_t[]>(length);
        std::copy_n(whole.data.begin(), length, bytes.get());
        kzo::resetSceneModel(model);
        lines.clear();
        EXPECT_THROW(kzo::load3dsBuffer(model, {bytes.get(), length}, "cut.3ds"),
                     kzo::FatalErrorSignal);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_THAT(lines[0], StartsWith("ERROR: 'cut.3ds' is damaged: "));
    }
    kzo::resetSceneModel(model);
    load(whole);
    EXPECT_EQ(model.faceCount, 2);
}

TEST_F(Load3dsTest, rejectsChunkPastEndOfFile) {
    Bytes file = file3ds(triangleObject("a", kTriangle));
    file.data[2] += 1; // the main chunk claims one byte more than the file has
    EXPECT_EQ(rejected(file), "ERROR: 'box.3ds' is damaged: chunk 0x4D4D at byte 0 runs past "
                              "the end of the file");
}

TEST_F(Load3dsTest, rejectsChunkPastEndOfItsParent) {
    // The vertex list at byte 26 claims 4 bytes more than the mesh holds; the
    // keyframer data after the editor keeps those bytes inside the file.
    Bytes vertices = vertexList(kTriangle);
    vertices.data[2] += 4;
    const Bytes file = file3ds(chunk(0x4000, Bytes().str("a") + chunk(0x4100, vertices)),
                               chunk(0xB000, Bytes().zeros(4)));
    EXPECT_EQ(rejected(file), "ERROR: 'box.3ds' is damaged: chunk 0x4110 at byte 26 runs past "
                              "the end of chunk 0x4100 at byte 20");
}

TEST_F(Load3dsTest, rejectsChunkLengthBelowItsHeader) {
    for (std::uint32_t length : {0u, 2u, 5u}) {
        lines.clear();
        const Bytes file = file3ds(Bytes().u16le(0x1234).u32le(length) + Bytes().zeros(8));
        EXPECT_EQ(rejected(file), "ERROR: 'box.3ds' is damaged: chunk 0x1234 at byte 12 has "
                                  "length " +
                                      std::to_string(length) + ", less than its header");
    }
}

TEST_F(Load3dsTest, rejectsChunkHeaderCutByItsParentsEnd) {
    const Bytes file = file3ds(Bytes().u16le(0x1234).u8(6));
    EXPECT_EQ(rejected(file), "ERROR: 'box.3ds' is damaged: chunk header at byte 12 runs past "
                              "the end of chunk 0x3D3D at byte 6");
}

TEST_F(Load3dsTest, rejectsRecordsRunningPastTheirChunk) {
    // A vertex list that counts three vertices but holds two.
    Bytes vertices;
    vertices.u16le(3).zeros(24);
    EXPECT_EQ(rejected(file3ds(object("a", chunk(0x4110, vertices)))),
              "ERROR: 'box.3ds' is damaged: chunk 0x4110 at byte 26 ends inside its data at "
              "byte 58");
    // A material name without its NUL inside the name chunk.
    lines.clear();
    EXPECT_THAT(rejected(file3ds(chunk(0xAFFF, chunk(0xA000, Bytes().str("abc", false)))), "m.3ds"),
                StartsWith("ERROR: 'm.3ds' is damaged: chunk 0xA000 at byte 18 ends inside"));
}

TEST_F(Load3dsTest, rejectsNameWithoutNulWithin256Bytes) {
    EXPECT_THAT(
        rejected(file3ds(chunk(0x4000, Bytes().str(std::string(256, 'x'), false) + Bytes().u8(0)))),
        HasSubstr("name at byte 18 has no terminating NUL within 256 bytes"));
    // 255 characters and the NUL is the longest name there is.
    lines.clear();
    load(file3ds(material(std::string(255, 'm'))));
    EXPECT_EQ(model.materialNames[0].size(), 255u);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Load3dsTest, rejectsFaceUsingAVertexTheObjectDoesNotHave) {
    EXPECT_EQ(rejected(file3ds(object("lid", vertexList(kTriangle) + faceList({{0, 1, 3}})))),
              "ERROR: 'box.3ds' is damaged: face 0 of object 'lid' uses vertex 3 of 3");
    // Without a vertex list of its own an object has no vertices, whatever the
    // object before it had.
    kzo::resetSceneModel(model);
    lines.clear();
    EXPECT_THAT(
        rejected(file3ds(triangleObject("a", kTriangle) + object("b", faceList({{0, 1, 2}})))),
        HasSubstr("face 0 of object 'b' uses vertex 0 of 0"));
}

TEST_F(Load3dsTest, rejectsMaterialListNamingAFaceTheObjectDoesNotHave) {
    // Face 1 would be the next object's first face.
    EXPECT_THAT(rejected(file3ds(material("m") +
                                 triangleObject("a", kTriangle, faceMaterialList("m", {1})) +
                                 triangleObject("b", kTriangle))),
                HasSubstr("material list 'm' at byte"));
}

// count distinct points along x: (i, 0, 0).
std::vector<Vec3> distinctPoints(int count, float y = 0) {
    std::vector<Vec3> points;
    for (int i = 0; i < count; ++i) {
        points.push_back({static_cast<float>(i), y, 0});
    }
    return points;
}

TEST_F(Load3dsTest, rejectsMoreThan20000StoredVertices) {
    // 20000 in one object fit; one more in a second object does not.
    load(file3ds(object("a", vertexList(distinctPoints(20000)))));
    EXPECT_EQ(model.vertexCount, 20000);
    EXPECT_EQ(rejected(file3ds(object("b", vertexList({{0, 0, 0}, {0, 0, 7}})))),
              "ERROR: 'box.3ds' has more than 20000 vertices");
}

TEST_F(Load3dsTest, countsVerticesAfterWeldingButLocalNumbersPerObject) {
    // 20005 vertices that weld to 5 stored ones still overflow the object's
    // 20000 local vertex numbers.
    std::vector<Vec3> points;
    for (int i = 0; i < 20005; ++i) {
        points.push_back({static_cast<float>(i % 5), 0, 0});
    }
    EXPECT_EQ(rejected(file3ds(object("a", vertexList(points)))),
              "ERROR: 'box.3ds' has more than 20000 vertices in one object");
    // Two objects of 15000 vertices each, all shared, fit.
    kzo::resetSceneModel(model);
    lines.clear();
    const Bytes half = vertexList(distinctPoints(15000));
    load(file3ds(object("a", half) + object("b", half)));
    EXPECT_EQ(model.vertexCount, 15000);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Load3dsTest, rejectsMoreThan20000Faces) {
    const std::vector<Tri> faces(10001, Tri{0, 1, 2});
    EXPECT_EQ(rejected(file3ds(object("a", vertexList(kTriangle) + faceList(faces)) +
                               object("b", vertexList(kTriangle) + faceList(faces)))),
              "ERROR: 'box.3ds' has more than 20000 faces");
}

TEST_F(Load3dsTest, rejectsMoreThan20000MappingCoordinatesInOneObject) {
    const std::vector<std::array<float, 2>> coords(20001, {0.5f, 0.5f});
    EXPECT_EQ(rejected(file3ds(object("a", mappingCoords(coords)))),
              "ERROR: 'box.3ds' has more than 20000 mapping coordinates in one object");
}

TEST_F(Load3dsTest, rejectsMoreThan256MaterialsAfterMerging) {
    Bytes entries;
    for (int i = 0; i < 256; ++i) {
        entries.append(material("m" + std::to_string(i), rgbBytes(std::uint8_t(i), 0, 0)));
    }
    // A duplicate of a stored material still fits; a new one does not.
    load(file3ds(entries + material("again", rgbBytes(7, 0, 0))));
    EXPECT_EQ(model.materialCount, 256);
    EXPECT_EQ(rejected(file3ds(material("new", rgbBytes(0, 1, 0)))),
              "ERROR: 'box.3ds' has more than 256 materials");
}

TEST_F(Load3dsTest, rejectsMoreThan256Images) {
    Bytes entries;
    for (int i = 0; i < 256; ++i) {
        entries.append(material("m", textureMap("t" + std::to_string(i) + ".bmp")));
    }
    load(file3ds(entries + material("m", textureMap("t9.bmp"))));
    EXPECT_EQ(model.imageCount, 256);
    EXPECT_EQ(rejected(file3ds(material("m", textureMap("u.bmp")))),
              "ERROR: 'box.3ds' has more than 256 images");
}

TEST_F(Load3dsTest, rejectsMoreThan1024MaterialNames) {
    Bytes entries;
    for (int i = 0; i < 1024; ++i) {
        entries.append(material("same"));
    }
    load(file3ds(entries));
    EXPECT_EQ(model.materialNameCount, 1024);
    EXPECT_EQ(model.materialCount, 1);
    EXPECT_EQ(rejected(file3ds(material("same"))),
              "ERROR: 'box.3ds' has more than 1024 material names");
}

} // namespace
} // namespace kzotest
