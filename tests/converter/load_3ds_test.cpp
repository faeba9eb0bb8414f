#include "tests/converter/load_3ds_fixture.h"

#include "format/kzo_format.h"

#include <filesystem>
#include <fstream>
#include <limits>

namespace kzotest {
namespace {

using kzo::kMaterialTextured;
using kzo::kMaterialTextured40;
using kzo::kMaterialTextured80;
using kzo::kMaterialTransparent;

TEST_F(Load3dsTest, ignoresDataThatDoesNotStartWithTheMainChunk) {
    load(Bytes{});
    load(Bytes().u8(0x4D));
    // An editor chunk with a whole object, but not inside a main chunk.
    load(chunk(0x3D3D, triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})));
    EXPECT_EQ(model.vertexCount, 0);
    EXPECT_EQ(model.faceCount, 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Load3dsTest, exchangesYAndZAndStampsThePivotIndex) {
    load(file3ds(triangleObject("a", {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}})), "box.3ds", 2);

    ASSERT_EQ(model.vertexCount, 3);
    EXPECT_EQ(vertex(0).x, 1.0f);
    EXPECT_EQ(vertex(0).y, 3.0f);
    EXPECT_EQ(vertex(0).z, 2.0f);
    EXPECT_EQ(vertex(2).y, 9.0f);
    EXPECT_EQ(vertex(2).pivotIndex, 2);
    ASSERT_EQ(model.faceCount, 1);
    EXPECT_EQ(face(0).vertexIndex[0], 0);
    EXPECT_EQ(face(0).vertexIndex[2], 2);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Load3dsTest, weldsEqualVerticesAcrossObjects) {
    // Object b shares two corners with object a; its third vertex is new.
    const Bytes file =
        file3ds(triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                object("b", vertexList({{0, 1, 0}, {5, 5, 5}, {1, 0, 0}}) + faceList({{0, 1, 2}})));
    load(file);

    ASSERT_EQ(model.vertexCount, 4);
    EXPECT_EQ(vertex(3).x, 5.0f);
    ASSERT_EQ(model.faceCount, 2);
    EXPECT_EQ(face(1).vertexIndex[0], 2);
    EXPECT_EQ(face(1).vertexIndex[1], 3);
    EXPECT_EQ(face(1).vertexIndex[2], 1);
}

TEST_F(Load3dsTest, weldedVertexKeepsThePivotOfTheObjectThatStoredItFirst) {
    // Two objects of a scene, read as two files with a pivot each.
    load(file3ds(triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})), "a.3ds", 0);
    load(file3ds(triangleObject("b", {{1, 0, 0}, {2, 0, 0}, {0, 2, 0}})), "b.3ds", 1);

    ASSERT_EQ(model.vertexCount, 5);
    EXPECT_EQ(face(1).vertexIndex[0], 1);
    EXPECT_EQ(vertex(1).pivotIndex, 0);
    EXPECT_EQ(vertex(3).pivotIndex, 1);
}

TEST_F(Load3dsTest, weldsNegativeZeroWithZeroButNeverWeldsNaN) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    load(file3ds(object("a", vertexList({{0, 0, 0}, {-0.0f, 0, -0.0f}, {nan, 1, 1}, {nan, 1, 1}}) +
                                 faceList({{0, 1, 2}, {1, 2, 3}}))));

    ASSERT_EQ(model.vertexCount, 3);
    EXPECT_EQ(face(0).vertexIndex[1], 0);
    EXPECT_EQ(face(1).vertexIndex[1], 1);
    EXPECT_EQ(face(1).vertexIndex[2], 2);
}

TEST_F(Load3dsTest, givesCornersTexelCoordinatesAndWhiteColour) {
    // Mapping coordinates after the faces, and fewer of them than vertices:
    // vertex 3 has none.
    load(file3ds(object("a", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}) +
                                 faceList({{0, 1, 2}, {1, 3, 2}}) +
                                 mappingCoords({{0.0f, 0.0f}, {1.0f, 0.5f}, {0.25f, 2.0f}}))));

    ASSERT_EQ(model.faceCount, 2);
    EXPECT_EQ(face(0).texU[1], 255.0f);
    EXPECT_EQ(face(0).texV[1], 127.5f);
    EXPECT_EQ(face(0).texU[2], 63.75f);
    EXPECT_EQ(face(0).texV[2], 510.0f);
    EXPECT_EQ(face(1).texU[1], 0.0f);
    EXPECT_EQ(face(1).texV[1], 0.0f);
    for (int f = 0; f < 2; ++f) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(face(f).colorR[k], 255);
            EXPECT_EQ(face(f).colorG[k], 255);
            EXPECT_EQ(face(f).colorB[k], 255);
        }
    }
}

TEST_F(Load3dsTest, objectWithoutMappingCoordinatesGetsZeroTextureCoordinates) {
    // The first object's coordinates must not leak into the second.
    load(file3ds(object("a", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + faceList({{0, 1, 2}}) +
                                 mappingCoords({{1, 1}, {1, 1}, {1, 1}})) +
                 triangleObject("b", {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}})));

    EXPECT_EQ(face(0).texU[0], 255.0f);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(face(1).texU[k], 0.0f);
        EXPECT_EQ(face(1).texV[k], 0.0f);
    }
}

TEST_F(Load3dsTest, readsColourTransparencyAndTexture) {
    load(file3ds(material("bytes", rgbBytes(10, 20, 30)) +
                 material("floats", rgbFloats(1.0f, 0.5f, 0.0f) + transparencyPercent(50)) +
                 material("half", transparencyFloat(0.5f)) +
                 material("emptyTransparency", chunk(0xA050, {})) +
                 material("clear", transparencyPercent(0)) +
                 material("textured", textureMap("wood.bmp"))));

    ASSERT_EQ(model.materialCount, 6);
    EXPECT_EQ(storedMaterial(0).red, 10);
    EXPECT_EQ(storedMaterial(0).green, 20);
    EXPECT_EQ(storedMaterial(0).blue, 30);
    EXPECT_EQ(storedMaterial(0).transparency, 128);
    EXPECT_EQ(storedMaterial(0).flags, 0);
    EXPECT_EQ(storedMaterial(0).imageIndex, -1);

    EXPECT_EQ(storedMaterial(1).red, 255);
    EXPECT_EQ(storedMaterial(1).green, 127);
    EXPECT_EQ(storedMaterial(1).blue, 0);
    EXPECT_EQ(storedMaterial(1).transparency, 50);
    EXPECT_EQ(storedMaterial(1).flags, kMaterialTransparent);

    EXPECT_EQ(storedMaterial(2).transparency, 127);
    EXPECT_EQ(storedMaterial(3).transparency, 128);
    EXPECT_EQ(storedMaterial(3).flags, kMaterialTransparent);
    EXPECT_EQ(storedMaterial(4).transparency, 0);
    EXPECT_EQ(storedMaterial(4).flags, 0);

    EXPECT_EQ(storedMaterial(5).red, 128);
    EXPECT_EQ(storedMaterial(5).imageIndex, 0);
    EXPECT_EQ(storedMaterial(5).flags,
              kMaterialTextured | kMaterialTextured40 | kMaterialTextured80);
    ASSERT_EQ(model.imageCount, 1);
    EXPECT_EQ(model.images[0].name, "wood.bmp");
}

TEST_F(Load3dsTest, colourOutsideTheByteRangeKeepsTheLowEightBits) {
    const float inf = std::numeric_limits<float>::infinity();
    load(file3ds(material("a", rgbFloats(2.0f, -1.0f, inf)) +
                 material("b", rgbFloats(std::numeric_limits<float>::quiet_NaN(), 1e30f, 0))));

    EXPECT_EQ(storedMaterial(0).red, 510 & 0xFF);
    EXPECT_EQ(storedMaterial(0).green, 1);
    EXPECT_EQ(storedMaterial(0).blue, 0);
    EXPECT_EQ(storedMaterial(1).red, 0);
    EXPECT_EQ(storedMaterial(1).green, 0);
}

TEST_F(Load3dsTest, mergesEqualMaterialsAndStoresEachImageOnce) {
    load(file3ds(material("red1", rgbBytes(255, 0, 0)) +
                 material("stone", textureMap("stone.bmp")) +
                 material("red2", rgbBytes(255, 0, 0)) +
                 material("stoneBlue", rgbBytes(0, 0, 255) + textureMap("stone.bmp")) +
                 material("Stone", textureMap("STONE.bmp"))));

    EXPECT_EQ(model.materialNameCount, 5);
    ASSERT_EQ(model.materialCount, 4);
    EXPECT_EQ(model.materialNameMap[0], 0);
    EXPECT_EQ(model.materialNameMap[1], 1);
    EXPECT_EQ(model.materialNameMap[2], 0);
    EXPECT_EQ(model.materialNameMap[3], 2);
    EXPECT_EQ(model.materialNameMap[4], 3);
    EXPECT_EQ(model.materialNames[2], "red2");
    ASSERT_EQ(model.imageCount, 2);
    EXPECT_EQ(storedMaterial(2).imageIndex, 0);
    EXPECT_EQ(storedMaterial(3).imageIndex, 1);
    EXPECT_EQ(model.images[1].name, "STONE.bmp");
}

TEST_F(Load3dsTest, facesTakeTheMaterialTheirListNames) {
    const std::vector<Vec3> quad = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    // Face 0: "blue"; face 1: unnamed; face 2: a name no material of the file
    // carries; face 3: "late", whose entry comes after the object.
    const Bytes file = file3ds(
        material("red", rgbBytes(255, 0, 0)) + material("blue", rgbBytes(0, 0, 255)) +
        object("a", vertexList(quad) +
                        faceList({{0, 1, 2}, {1, 3, 2}, {0, 1, 3}, {0, 3, 2}},
                                 faceMaterialList("blue", {0}) + faceMaterialList("nowhere", {2}) +
                                     faceMaterialList("late", {3}))) +
        material("late", rgbBytes(1, 2, 3)));
    load(file);

    ASSERT_EQ(model.faceCount, 4);
    EXPECT_EQ(face(0).materialIndex, 1);
    EXPECT_EQ(face(1).materialIndex, -1);
    EXPECT_EQ(face(2).materialIndex, 0);
    EXPECT_EQ(face(3).materialIndex, 0);
}

TEST_F(Load3dsTest, materialNamesMatchOnlyWithinTheirOwnFile) {
    // File a names "paint" red, file b names it green; b's faces get b's.
    load(file3ds(material("paint", rgbBytes(255, 0, 0)) +
                 triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                faceMaterialList("paint", {0}))),
         "a.3ds");
    load(file3ds(material("paint", rgbBytes(0, 255, 0)) +
                 triangleObject("b", {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}},
                                faceMaterialList("paint", {0}))),
         "b.3ds");
    // File c has no material entries: its name matches nothing and gives 0.
    load(file3ds(triangleObject("c", {{7, 0, 0}, {8, 0, 0}, {7, 1, 0}},
                                faceMaterialList("paint", {0}))),
         "c.3ds");

    ASSERT_EQ(model.faceCount, 3);
    EXPECT_EQ(face(0).materialIndex, 0);
    EXPECT_EQ(face(1).materialIndex, 1);
    EXPECT_EQ(face(2).materialIndex, 0);
}

TEST_F(Load3dsTest, facesReadAfterAResetHaveNoMaterial) {
    load(file3ds(
        material("m", rgbBytes(1, 1, 1)) +
        triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, faceMaterialList("m", {0}))));
    ASSERT_EQ(face(0).materialIndex, 0);
    kzo::resetSceneModel(model);
    load(file3ds(triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})));
    EXPECT_EQ(face(0).materialIndex, -1);
}

TEST_F(Load3dsTest, skipsUnknownChunksAtEveryLevelByTheirLength) {
    const Bytes smoothing = chunk(0x4150, Bytes().u32le(1));
    const Bytes keyframer = chunk(0xB000, chunk(0xB002, Bytes().zeros(20)));
    const Bytes file = chunk(
        0x4D4D,
        chunk(0x0002, Bytes().u32le(3)) +
            chunk(0x3D3D,
                  chunk(0x3D3E, Bytes().u32le(3)) + chunk(0x1234, {}) +
                      chunk(0xAFFF,
                            chunk(0xA000, Bytes().str("m")) + chunk(0xA010, rgbBytes(1, 2, 3)) +
                                chunk(0xA020, chunk(0x0012, Bytes().u8(9).u8(9).u8(9)) +
                                                  chunk(0x0011, Bytes().u8(4).u8(5).u8(6)))) +
                      chunk(0x4000,
                            Bytes().str("obj") + chunk(0x4600, Bytes().zeros(12)) +
                                chunk(0x4100,
                                      chunk(0x4160, Bytes().zeros(48)) +
                                          vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                          faceList({{0, 1, 2}},
                                                   smoothing + faceMaterialList("m", {0}))))) +
            keyframer);
    load(file);

    ASSERT_EQ(model.materialCount, 1);
    EXPECT_EQ(storedMaterial(0).red, 4);
    EXPECT_EQ(storedMaterial(0).blue, 6);
    EXPECT_EQ(model.vertexCount, 3);
    ASSERT_EQ(model.faceCount, 1);
    EXPECT_EQ(face(0).materialIndex, 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(Load3dsTest, chunkWhoseDataEndsEarlyIsLeftAtItsEnd) {
    // The vertex list chunk holds 8 spare bytes after its vertices; the face
    // list after it must still be found.
    Bytes vertices;
    vertices.u16le(3);
    for (float c : {0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f}) {
        vertices.f32le(c);
    }
    vertices.zeros(8);
    load(file3ds(object("a", chunk(0x4110, vertices) + faceList({{0, 1, 2}}))));

    EXPECT_EQ(model.vertexCount, 3);
    EXPECT_EQ(model.faceCount, 1);
}

TEST_F(Load3dsTest, readsAFileFromDisk) {
    const auto path = std::filesystem::path(::testing::TempDir()) / "kzo_load_3ds_from_disk.3ds";
    const Bytes file = file3ds(triangleObject("a", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data.data()),
                  static_cast<std::streamsize>(file.size()));
    }
    kzo::load3dsFile(model, path.string());
    std::filesystem::remove(path);

    EXPECT_EQ(model.vertexCount, 3);
}

TEST_F(Load3dsTest, reportsAFileThatCannotBeOpened) {
    EXPECT_THROW(kzo::load3dsFile(model, "/nonexistent/x.3ds"), kzo::FatalErrorSignal);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "ERROR: cannot open '/nonexistent/x.3ds'");
}

} // namespace
} // namespace kzotest
