// The LightWave object readers: what LWO2, LWOB and LWLO files hold comes
// out with every reference followed, and damaged files are refused with the
// fault and its byte offset.
#include "lightwave/read_lwo.h"
#include "tests/support/build_lwo2.h"

#include <gmock/gmock.h>

#include <memory>

using namespace kzotest;
using kzo::LwoError;
using kzo::LwoObject;
using kzo::readLwoObject;

namespace {

LwoObject read(const Bytes& file) {
    return readLwoObject(file.data);
}

std::string refusal(const Bytes& file) {
    try {
        read(file);
    } catch (const LwoError& e) {
        return e.what();
    }
    return "accepted";
}

std::vector<std::uint32_t> corners(const kzo::LwoLayer& layer, std::size_t polygon) {
    const kzo::LwoPolygon& p = layer.polygons[polygon];
    return {layer.corners.begin() + p.firstCorner,
            layer.corners.begin() + p.firstCorner + p.cornerCount};
}

// Two layers. Layer 0: a quad and a triangle on surfaces "Wood" and "Plain",
// a texture map for every point and a seam override on one quad corner, a
// second map that only "Wood" names. Layer 1: its own points, counted from 0
// again, and a curve. Odd unknown chunks and long indices on the way.
Bytes twoLayerObject() {
    const Bytes layer0 =
        layr(0, "body") + pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}}) +
        txuv("first", {{0, 0, 0.0f, 0.0f},
                       {1, 0, 1.0f, 0.0f},
                       {2, 0, 1.0f, 1.0f},
                       {3, 0, 0.0f, 1.0f},
                       {4, 0, 0.5f, 0.5f}}) +
        txuv("wood", {{0, 0, 0.25f, 0.25f}, {1, 0, 0.75f, 0.25f}, {2, 0, 0.75f, 0.75f}}) +
        lwoChunk("ICON", Bytes().u8(1).u8(2).u8(3)) +
        lwoChunk(
            "POLS",
            Bytes().str("FACE", false).u16be(4).append(vx(0, true)).append(vx(1) + vx(2) + vx(3)) +
                Bytes().u16be(0x4003).append(vx(1) + vx(4) + vx(2))) +
        ptagSurf({{{0, 1}}, {{1, 0}}}) + txuv("wood", {{2, 0, 0.5f, 0.0f}}, true);
    const Bytes layer1 = layr(1, "arm", {0, 2, 0}) + pnts({{5, 5, 5}, {6, 5, 5}, {6, 6, 5}}) +
                         pols2("FACE", {{2, 1, 0}}) + pols2("CURV", {{0, 1}});
    const Bytes surfaces =
        clipStill(7, "Images:wood\\oak.png") + clipStill(9, "sky.png") +
        surf2("Plain", colr(1.0f, 0.5f, 0.25f) + subchunk("TRAN", Bytes().f32be(0.75f).u16be(0))) +
        surf2("Wood", blok("IMAP", "\x80", "COLR", 9, "first") +
                          blok("IMAP", "\x60", "COLR", 9, "", false) +
                          blok("IMAP", "\x50", "DIFF", 9) + blok("PROC", "\x40", "COLR", 9) +
                          blok("IMAP", "\x70", "COLR", 7, "wood") +
                          blok("IMAP", "\x70", "COLR", 9, "first"));
    return lwo2File(tags({"Plain", "Wood", "Unused"}) + layer0 + layer1 + surfaces);
}

} // namespace

TEST(ReadLwo2, readsLayersSurfacesImagesAndTextureCoordinates) {
    const LwoObject object = read(twoLayerObject());
    ASSERT_EQ(object.layers.size(), 2u);
    const kzo::LwoLayer& body = object.layers[0];
    EXPECT_EQ(body.name, "body");
    ASSERT_EQ(body.points.size(), 5u);
    ASSERT_EQ(body.polygons.size(), 2u);
    EXPECT_EQ(corners(body, 0), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    // The flag bits above the corner count are not corners.
    EXPECT_EQ(corners(body, 1), (std::vector<std::uint32_t>{1, 4, 2}));

    ASSERT_EQ(object.surfaces.size(), 2u);
    EXPECT_EQ(body.polygons[0].surface, 1); // tag 1, "Wood", the second SURF
    EXPECT_EQ(body.polygons[1].surface, 0);
    const kzo::LwoSurface& plain = object.surfaces[0];
    EXPECT_EQ(plain.color, (std::array<float, 3>{1.0f, 0.5f, 0.25f}));
    EXPECT_EQ(plain.transparency, 0.75f);
    EXPECT_EQ(plain.imagePath, "");
    // Of the enabled image maps on the colour channel the lowest ordinal
    // (bytes compared unsigned) wins, the earlier one among equals; its
    // texture map is "wood".
    const kzo::LwoSurface& wood = object.surfaces[1];
    EXPECT_EQ(wood.imagePath, "Images:wood\\oak.png");
    EXPECT_FLOAT_EQ(wood.color[0], kzo::kLwoDefaultColor);

    // The quad (surface Wood) takes "wood", with the seam override on point 2;
    // point 3 is not in that map. The triangle takes the layer's first map.
    ASSERT_EQ(body.cornerUvs.size(), body.corners.size());
    const auto uv = [&](std::size_t corner) {
        const kzo::LwoUv& c = body.cornerUvs[corner];
        return std::array<float, 3>{c.u, c.v, c.mapped ? 1.0f : 0.0f};
    };
    EXPECT_EQ(uv(0), (std::array<float, 3>{0.25f, 0.25f, 1}));
    EXPECT_EQ(uv(2), (std::array<float, 3>{0.5f, 0.0f, 1}));
    EXPECT_EQ(uv(3), (std::array<float, 3>{0.0f, 0.0f, 0}));
    EXPECT_EQ(uv(5), (std::array<float, 3>{0.5f, 0.5f, 1}));
    EXPECT_EQ(uv(6), (std::array<float, 3>{1.0f, 1.0f, 1}));

    const kzo::LwoLayer& arm = object.layers[1];
    EXPECT_EQ(arm.number, 2); // LWO2 counts from 0, scenes from 1
    EXPECT_EQ(arm.pivot.y, 2.0f);
    ASSERT_EQ(arm.polygons.size(), 2u);
    EXPECT_EQ(corners(arm, 0), (std::vector<std::uint32_t>{2, 1, 0}));
    EXPECT_EQ(arm.polygons[1].type, kzo::iffId("CURV"));
    EXPECT_EQ(arm.polygons[0].surface, -1);
    EXPECT_FALSE(arm.cornerUvs[0].mapped);
}

TEST(ReadLwo2, derivedSurfaceStartsFromItsSource) {
    const LwoObject object =
        read(lwo2File(clipStill(1, "a.png") +
                      surf2("Base", colr(0.0f, 1.0f, 0.0f) + blok("IMAP", "\x80", "COLR", 1)) +
                      surf2("Copy", subchunk("TRAN", Bytes().f32be(0.5f).u16be(0)), "Base")));
    ASSERT_EQ(object.surfaces.size(), 2u);
    EXPECT_EQ(object.surfaces[1].name, "Copy");
    EXPECT_EQ(object.surfaces[1].color[1], 1.0f);
    EXPECT_EQ(object.surfaces[1].transparency, 0.5f);
    EXPECT_EQ(object.surfaces[1].imagePath, "a.png");
}

TEST(ReadLwob, readsSurfacesSkipsDetailPolygonsAndSplitsLwloLayers) {
    Bytes polygons;
    polygons.u16be(3).u16be(0).u16be(1).u16be(2).i16be(2);          // surface "B"
    polygons.u16be(3).u16be(2).u16be(1).u16be(3).i16be(-1);         // surface "A" with details:
    polygons.u16be(1).u16be(2).u16be(0).u16be(1).i16be(1);          //   one detail polygon
    polygons.u16be(4).u16be(0).u16be(1).u16be(2).u16be(3).i16be(0); // no surface
    Bytes surfaceB = s0("B");
    surfaceB.append(subchunk("COLR", Bytes().u8(255).u8(51).u8(0).u8(0)));
    surfaceB.append(subchunk("VTRN", Bytes().f32be(0.25f)));
    surfaceB.append(subchunk("TRAN", Bytes().i16be(128)));
    surfaceB.append(subchunk("CTEX", s0("Planar Image Map")));
    surfaceB.append(subchunk("TIMG", s0("(none)")));
    surfaceB.append(subchunk("DTEX", s0("Planar Image Map")));
    surfaceB.append(subchunk("TIMG", s0("diffuse.iff")));
    surfaceB.append(subchunk("CTEX", s0("Planar Image Map")));
    surfaceB.append(subchunk("TIMG", s0("Images/brick.iff")));
    Bytes surfaceA = s0("A");
    surfaceA.append(subchunk("TRAN", Bytes().i16be(128)));
    const LwoObject object = read(lwobFile(
        pnts({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}) + lwoChunk("SRFS", s0("A") + s0("B")) +
        iffChunk("POLS", polygons) + lwoChunk("SURF", surfaceA) + lwoChunk("SURF", surfaceB)));
    ASSERT_EQ(object.layers.size(), 1u);
    const kzo::LwoLayer& layer = object.layers[0];
    ASSERT_EQ(layer.polygons.size(), 3u);
    EXPECT_EQ(corners(layer, 1), (std::vector<std::uint32_t>{2, 1, 3}));
    EXPECT_EQ(corners(layer, 2), (std::vector<std::uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(layer.polygons[0].surface, 1);
    EXPECT_EQ(layer.polygons[1].surface, 0);
    EXPECT_EQ(layer.polygons[2].surface, -1);
    EXPECT_EQ(object.surfaces[0].transparency, 0.5f);
    const kzo::LwoSurface& b = object.surfaces[1];
    EXPECT_EQ(b.color, (std::array<float, 3>{1.0f, 0.2f, 0.0f}));
    EXPECT_EQ(b.transparency, 0.25f); // the float form wins wherever it stands
    EXPECT_EQ(b.imagePath, "Images/brick.iff");

    Bytes layered;
    layered.append(iffChunk("LAYR", Bytes().u16be(1).u16be(0).append(s0("one"))));
    layered.append(pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + pols({{0, 1, 2}}));
    layered.append(iffChunk("LAYR", Bytes().u16be(2).u16be(0).append(s0("two"))));
    layered.append(pnts({{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}) + pols({{2, 1, 0}}));
    const LwoObject lwlo = read(formFile("LWLO", layered));
    ASSERT_EQ(lwlo.layers.size(), 2u);
    EXPECT_EQ(lwlo.layers[1].name, "two");
    EXPECT_EQ(lwlo.layers[1].number, 2); // LWLO counts from 1 already
    EXPECT_EQ(lwlo.layers[1].points[0].z, 1.0f);
    EXPECT_EQ(corners(lwlo.layers[1], 0), (std::vector<std::uint32_t>{2, 1, 0}));
}

TEST(ReadLwo, refusesDamagedFilesNamingTheFaultAndWhere) {
    const Bytes triangle = pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    Bytes longForm = lwo2File(triangle);
    longForm.data[7] += 1;
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {Bytes().str("FORX", false).u32be(4).str("LWO2", false),
         "not an IFF file: it does not start with FORM and its length"},
        {longForm, "form length 49 runs past the end of the file (56 bytes)"},
        {Bytes().str("FORM", false).u32be(4).str("LWO3", false),
         "the form type 'LWO3' is not LWO2, LWOB or LWLO"},
        {lwo2File(triangle + pols2("FACE", {{0, 1, 3}})),
         "chunk 'POLS' at byte 56 names point 3 at byte 74, but the layer's points are 3"},
        {lwo2File(pols2("FACE", {{0, 1, 2}})),
         "chunk 'POLS' at byte 12 names point 0 at byte 26, but the layer's points are 0"},
        {lwo2File(triangle + pols2("FACE", {{0, 1, 2}}) + ptagSurf({{{1, 0}}})),
         "chunk 'PTAG' at byte 76 names polygon 1 at byte 88, but the layer's polygons are 1"},
        {lwo2File(triangle + txuv("m", {{3, 0, 0, 0}})),
         "chunk 'VMAP' at byte 56 names point 3 at byte 72, but the layer's points are 3"},
        {lwo2File(lwoChunk("TAGS", Bytes().str("ab", false))),
         "the string at byte 20 in chunk 'TAGS' at byte 12 has no terminating NUL"},
        {lwo2File(lwoChunk("PNTS", Bytes().zeros(12)).append(Bytes().str("ABCD", false).u32be(9))),
         "chunk 'ABCD' at byte 32 runs past the end of the form"},
        {lwo2File(lwoChunk("LAYR", Bytes().u16be(0).u16be(0).zeros(4))),
         "chunk 'LAYR' at byte 12 ends inside its data at byte 28"},
        {lwo2File(lwoChunk("SURF", s0("s") + s0("") + Bytes().str("COLR", false).u16be(40))),
         "subchunk 'COLR' at byte 24 runs past the end of chunk 'SURF' at byte 12"},
        {lwobFile(triangle +
                  iffChunk("POLS", Bytes().u16be(3).u16be(0).u16be(1).u16be(2).i16be(-1))),
         "chunk 'POLS' at byte 56 ends inside its data at byte 74"},
    };
    for (const auto& [file, fault] : cases) {
        EXPECT_EQ(refusal(file), fault);
    }
}

TEST(ReadLwo, everyCutOfAValidFileIsReadOrRefusedWithinItsBytes) {
    // The form length is set to what remains, so the cut is met by the chunk
    // walk rather than by the form's header.
    for (const Bytes& whole : {twoLayerObject(), lwobFile(pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                          pols({{0, 1, 2}}))}) {
        for (std::size_t length = 12; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            // A fresh allocation of exactly length bytes, so ASan sees any overread.
            auto bytes = std::make_unique<std::uint8_t[]>(length);
            std::copy_n(whole.data.begin(), length, bytes.get());
            const std::uint32_t formLength = static_cast<std::uint32_t>(length - 8);
            for (int i = 0; i < 4; ++i) {
                bytes[4 + i] = static_cast<std::uint8_t>(formLength >> (24 - 8 * i));
            }
            try {
                const LwoObject object = readLwoObject({bytes.get(), length});
                for (const kzo::LwoLayer& layer : object.layers) {
                    EXPECT_EQ(layer.cornerUvs.size(), layer.corners.size());
                }
            } catch (const LwoError&) {
            }
        }
    }
}
