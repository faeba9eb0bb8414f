// The converter's LightWave object reader: an .lwo object fills the scene
// model as its .3ds twin does (same vertices, faces, texture coordinates,
// materials and images), skipped polygons are named, and damage or overflow
// ends the file with one error line.
#include "converter/import/load_lwo.h"
#include "tests/converter/load_3ds_fixture.h"
#include "tests/support/build_lwo2.h"

#include <gmock/gmock.h>

namespace kzotest {
namespace {

class LoadLwoTest : public Load3dsTest {
protected:
    void loadLwo(const Bytes& file, std::int32_t layer = kzo::kAllLayers,
                 std::uint8_t pivotIndex = 0) {
        kzo::loadLwoBuffer(model, file.data, "obj.lwo", layer, pivotIndex);
    }
    std::string rejectedLwo(const Bytes& file, std::int32_t layer = kzo::kAllLayers) {
        EXPECT_THROW(loadLwo(file, layer), kzo::FatalErrorSignal);
        return lines.empty() ? std::string() : lines.back();
    }
};

// LightWave space: a quad (two triangles as a fan) of surface "Red" and a
// triangle of surface "Glass" whose first corner repeats point 0.
const std::vector<Vec3> kPoints = {{0, 0, 0}, {2, 0, 0}, {2, 0, 2},
                                   {0, 0, 2}, {1, 1, 1}, {0, 0, 0}};
const std::vector<std::array<float, 2>> kUvs = {{0, 0}, {1, 0},       {1, 1},
                                                {0, 1}, {0.5f, 0.5f}, {0.25f, 0}};

// The same mesh as 3D Studio writes it: y and z exchanged in the file, the
// quad already split as the fan splits it.
Bytes threeDsTwin(bool withUvs) {
    std::vector<Vec3> swapped;
    for (const Vec3& p : kPoints) {
        swapped.push_back({p[0], p[2], p[1]});
    }
    const Bytes faces = faceList({{0, 1, 2}, {0, 2, 3}, {5, 1, 4}},
                                 faceMaterialList("Red", {0, 1}) + faceMaterialList("Glass", {2}));
    return file3ds(
        material("Red", rgbBytes(200, 0, 255) + textureMap("red.png")) +
        material("Glass", rgbBytes(200, 200, 200) + transparencyFloat(0.5f)) +
        object("twin", vertexList(swapped) + faces + (withUvs ? mappingCoords(kUvs) : Bytes())));
}

Bytes lwo2Object() {
    std::vector<MapEntry> map;
    for (std::uint32_t i = 0; i < kUvs.size(); ++i) {
        map.push_back({i, 0, kUvs[i][0], kUvs[i][1]});
    }
    return lwo2File(tags({"Red", "Glass"}) + layr(0, "") + pnts(kPoints) + txuv("uv", map) +
                    pols2("FACE", {{0, 1, 2, 3}, {5, 1, 4}}) + ptagSurf({{{0, 0}}, {{1, 1}}}) +
                    clipStill(1, "C:\\maps/red.png") +
                    surf2("Red", colr(200 / 255.0f, 0, 1) + blok("IMAP", "\x80", "COLR", 1)) +
                    surf2("Glass", subchunk("TRAN", Bytes().f32be(0.5f).u16be(0))));
}

Bytes lwobObject() {
    Bytes polygons;
    polygons.u16be(4).u16be(0).u16be(1).u16be(2).u16be(3).i16be(1);
    polygons.u16be(3).u16be(5).u16be(1).u16be(4).i16be(2);
    const Bytes red = s0("Red") + subchunk("COLR", Bytes().u8(200).u8(0).u8(255).u8(0)) +
                      subchunk("CTEX", s0("Planar Image Map")) +
                      subchunk("TIMG", s0("maps/red.png"));
    const Bytes glass = s0("Glass") + subchunk("VTRN", Bytes().f32be(0.5f));
    return lwobFile(pnts(kPoints) + lwoChunk("SRFS", s0("Red") + s0("Glass")) +
                    iffChunk("POLS", polygons) + lwoChunk("SURF", red) + lwoChunk("SURF", glass));
}

} // namespace

TEST_F(LoadLwoTest, lwo2AndLwobObjectsFillTheModelAsTheirThreeDsTwin) {
    for (bool lwo2 : {true, false}) {
        SCOPED_TRACE(lwo2 ? "LWO2" : "LWOB");
        kzo::resetSceneModel(model);
        load(threeDsTwin(lwo2));
        const std::int32_t vertices = model.vertexCount;
        const std::vector<kzo::Vertex> twinVertices(model.vertices.begin(),
                                                    model.vertices.begin() + vertices);
        const std::vector<kzo::Face> twinFaces(model.faces.begin(), model.faces.begin() + 3);
        const std::vector<kzo::Material> twinMaterials(model.materials.begin(),
                                                       model.materials.begin() + 2);
        ASSERT_EQ(model.faceCount, 3);
        ASSERT_EQ(model.materialCount, 2);
        ASSERT_EQ(model.imageCount, 1);

        kzo::resetSceneModel(model);
        loadLwo(lwo2 ? lwo2Object() : lwobObject());
        EXPECT_TRUE(lines.empty());
        ASSERT_EQ(model.vertexCount, vertices);
        EXPECT_EQ(vertices, 5); // the repeated point is welded
        for (std::int32_t i = 0; i < vertices; ++i) {
            const kzo::Vertex& v = model.vertices[std::size_t(i)];
            const kzo::Vertex& t = twinVertices[std::size_t(i)];
            EXPECT_EQ(std::vector<float>({v.x, v.y, v.z}), std::vector<float>({t.x, t.y, t.z}));
        }
        ASSERT_EQ(model.faceCount, 3);
        for (std::size_t f = 0; f < 3; ++f) {
            const kzo::Face& a = model.faces[f];
            const kzo::Face& b = twinFaces[f];
            for (int k = 0; k < 3; ++k) {
                EXPECT_EQ(a.vertexIndex[k], b.vertexIndex[k]) << f << " " << k;
                EXPECT_EQ(a.texU[k], b.texU[k]) << f << " " << k;
                EXPECT_EQ(a.texV[k], b.texV[k]) << f << " " << k;
                EXPECT_EQ(a.colorR[k], 255);
            }
            EXPECT_EQ(a.materialIndex, b.materialIndex);
        }
        ASSERT_EQ(model.materialCount, 2);
        for (std::size_t m = 0; m < 2; ++m) {
            const kzo::Material& a = model.materials[m];
            const kzo::Material& b = twinMaterials[m];
            EXPECT_EQ(
                std::vector<int>({a.red, a.green, a.blue, a.transparency, a.imageIndex, a.flags}),
                std::vector<int>({b.red, b.green, b.blue, b.transparency, b.imageIndex, b.flags}));
        }
        ASSERT_EQ(model.imageCount, 1);
        EXPECT_EQ(model.images[0].name, "red.png");
    }
}

TEST_F(LoadLwoTest, takesTheNamedLayerAndNamesWhatItSkips) {
    const Bytes file = lwo2File(
        layr(0, "floor") + pnts({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}) + pols2("FACE", {{0, 1, 2}}) +
        layr(4, "arm") + pnts({{0, 5, 0}, {1, 5, 0}, {0, 6, 0}, {1, 6, 0}}) +
        pols2("FACE", {{0, 1, 2}, {1, 3}, {0}}) + pols2("CURV", {{0, 1, 2}}) +
        pols2("BONE", {{0, 3}}) + pols2("CURV", {{3, 2}}));
    loadLwo(file, 5, 2);
    EXPECT_EQ(model.vertexCount, 4);
    EXPECT_EQ(model.vertices[0].y, 5.0f);
    EXPECT_EQ(model.vertices[3].pivotIndex, 2);
    EXPECT_EQ(model.faceCount, 1);
    EXPECT_EQ(model.faces[0].materialIndex, -1);
    EXPECT_THAT(lines, ::testing::ElementsAre(
                           "WARNING: 'obj.lwo' skips 2 polygons of type CURV",
                           "WARNING: 'obj.lwo' skips 1 polygon of type BONE",
                           "WARNING: 'obj.lwo' skips 2 polygons of fewer than 3 corners"));

    kzo::resetSceneModel(model);
    lines.clear();
    loadLwo(file);
    EXPECT_EQ(model.vertexCount, 7);
    EXPECT_EQ(model.faceCount, 2);

    kzo::resetSceneModel(model);
    EXPECT_EQ(rejectedLwo(file, 2), "ERROR: 'obj.lwo' has no layer 2");
}

TEST_F(LoadLwoTest, damageAndFullTablesEndTheFile) {
    EXPECT_EQ(rejectedLwo(lwo2File(pnts({{0, 0, 0}}) + pols2("FACE", {{0, 1, 0}}))),
              "ERROR: 'obj.lwo' is damaged: chunk 'POLS' at byte 32 names point 1 at byte 48, "
              "but the layer's points are 1");

    // One polygon of 20003 corners makes 20001 triangles.
    Bytes polygon;
    polygon.u16be(20003);
    for (int i = 0; i < 20003; ++i) {
        polygon.u16be(static_cast<std::uint16_t>(i % 3));
    }
    polygon.i16be(0);
    kzo::resetSceneModel(model);
    EXPECT_EQ(
        rejectedLwo(lwobFile(pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + iffChunk("POLS", polygon))),
        "ERROR: 'obj.lwo' has more than 20000 faces");

    std::vector<std::array<float, 3>> points;
    for (int i = 0; i <= 20000; ++i) {
        points.push_back({float(i), 0, 0});
    }
    kzo::resetSceneModel(model);
    EXPECT_EQ(rejectedLwo(lwo2File(pnts(points))), "ERROR: 'obj.lwo' has more than 20000 vertices");
}

} // namespace kzotest
