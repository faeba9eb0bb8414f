#include "tests/support/build_lwo2.h"
#include "tests/viewer/viewer_test_support.h"

using namespace kzotest;
using kzoview::LoadLWOBytes;
using kzoview::ViewerDocument;

namespace {

using Points = std::vector<std::array<float, 3>>;

Points boxPoints() {
    return {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
            {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
}

std::vector<std::vector<std::uint16_t>> boxQuads() {
    return {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1}, {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
}

// A POLS chunk spelled out: corner count, indices, surface, for each record.
Bytes rawPols(const std::vector<std::int16_t>& words) {
    Bytes b;
    for (std::int16_t w : words) {
        b.i16be(w);
    }
    return iffChunk("POLS", b);
}

ViewerDocument load(const Bytes& bytes, const std::string& name = "obj.lwo") {
    ViewerDocument doc;
    LoadLWOBytes(bytes.data, name, doc);
    return doc;
}

} // namespace

TEST(LoadLwo, boxKeepsItsQuadsAndTwelveEdges) {
    const ViewerDocument doc = load(lwobFile(pnts(boxPoints()) + pols(boxQuads())), "D:box.lwo");
    EXPECT_EQ(doc.captionText, "box.lwo 6 faces 8 vertices");
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(kzoview::cornerCountOf(doc.mesh, i), 4u);
    }
    EXPECT_EQ(edgeCount(doc.mesh), 12u);
    expectFaceEdgesConsistent(doc.mesh);
}

TEST(LoadLwo, reversesCornersAndTakesPointsAsTheyStand) {
    const ViewerDocument doc =
        load(lwobFile(pnts({{0, 0, 0}, {4, 0, 0}, {0, 2, 0}}) + pols({{0, 1, 2}})));
    EXPECT_EQ(cornerNumbers(doc.mesh, 0), (std::vector<long>{2, 1, 0}));
    EXPECT_EQ(doc.mesh.vertexArray[1].x, 2.0f); // centred only: x 0..4
    EXPECT_EQ(doc.mesh.vertexArray[2].y, 1.0f);
    EXPECT_EQ(doc.mesh.viewDistance, 8.0f);
}

TEST(LoadLwo, dropsPolygonsOfFewerThanThreeCorners) {
    const ViewerDocument doc = load(
        lwobFile(pnts(boxPoints()) + pols({{0}, {0, 1}, {0, 1, 2}, {}, {4, 5, 6, 7}, {3, 2}})));
    EXPECT_EQ(doc.mesh.faceCount, 2);
    EXPECT_EQ(cornerNumbers(doc.mesh, 1), (std::vector<long>{7, 6, 5, 4}));
}

TEST(LoadLwo, readsDetailPolygonsAsFaces) {
    // Polygon 0-1-2 with surface -1 announces two detail polygons, which follow.
    const Bytes file = lwobFile(pnts(boxPoints()) + rawPols({3, 0, 1, 2, -1, 2, 3, 4, 5, 6, 1,
                                                             4, 4, 5, 6, 7,  1, 3, 0, 3, 7, 2}));
    const ViewerDocument doc = load(file);
    EXPECT_EQ(doc.mesh.faceCount, 4);
    EXPECT_EQ(cornerNumbers(doc.mesh, 1), (std::vector<long>{6, 5, 4}));
    EXPECT_EQ(cornerNumbers(doc.mesh, 2), (std::vector<long>{7, 6, 5, 4}));
    EXPECT_EQ(cornerNumbers(doc.mesh, 3), (std::vector<long>{7, 3, 0}));
}

TEST(LoadLwo, readsOnlyTheFirstPointsAndTheFirstPolygonsAfterThem) {
    const Bytes early = pols({{0, 1, 2, 3}});
    const Bytes surfaces = iffChunk("SRFS", Bytes{}.str("Hull")); // odd length, no pad
    const Bytes second = pnts({{9, 9, 9}, {8, 8, 8}, {7, 7, 7}});
    // A chunk past the first POLS is never looked at, even one that is broken.
    Bytes broken;
    broken.str("JUNK", false).u32be(0xFFFFFFF0);
    const ViewerDocument doc = load(lwobFile(early + surfaces + pnts(boxPoints()) + second +
                                             pols({{0, 1, 2}}) + pols(boxQuads()) + broken));
    EXPECT_EQ(doc.captionText, "obj.lwo 1 faces 8 vertices");
    EXPECT_EQ(doc.mesh.vertexArray[6].x, 1.0f);
}

TEST(LoadLwo, polygonsBeforeAnyPointsAreIgnored) {
    const ViewerDocument doc = load(lwobFile(pols(boxQuads()) + pnts(boxPoints())));
    EXPECT_EQ(doc.captionText, "obj.lwo 0 faces 8 vertices");
    EXPECT_EQ(doc.mesh.edgeCount, 0u);
}

TEST(LoadLwo, findsTheFormTypeAfterOtherWords) {
    Bytes body;
    body.str("JUNK", false).str("LWOB", false).append(pnts(boxPoints()) + pols(boxQuads()));
    Bytes file;
    file.str("FORM", false).u32be(std::uint32_t(body.size())).append(body);
    EXPECT_EQ(load(file).mesh.faceCount, 6);
}

TEST(LoadLwo, rejectsFilesThatAreNotLightWaveObjects) {
    EXPECT_EQ(loadError(LoadLWOBytes, Bytes{}.str("FOR", false), "a.lwo"),
              "LoadLWO: (a.lwo) file is not light wave object file\n");
    Bytes riff;
    riff.str("RIFF", false).u32be(4).str("LWOB", false);
    EXPECT_EQ(loadError(LoadLWOBytes, riff, "a.lwo"),
              "LoadLWO: (a.lwo) file is not light wave object file\n");

    Bytes onlyType; // "LWOB" as the form's last word does not count
    onlyType.str("FORM", false).u32be(8).str("XXXXLWOB", false);
    EXPECT_EQ(loadError(LoadLWOBytes, onlyType, "a.lwo"),
              "LoadLWO: Cannot found LWOB chunk in (a.lwo)\n");
    Bytes lwo3;
    lwo3.str("FORM", false).u32be(12).str("LWO3", false).append(iffChunk("PNTS", {}));
    EXPECT_EQ(loadError(LoadLWOBytes, lwo3, "a.lwo"),
              "LoadLWO: Cannot found LWOB chunk in (a.lwo)\n");
}

TEST(LoadLwo, lwo2ObjectsGiveEveryLayersPointsAndSurfacePolygons) {
    // Layer 1: a quad and a curve; layer 2, its points numbered from 0 again:
    // a patch cage and a two-point polygon.
    const Bytes file = lwo2File(layr(0, "a") + pnts({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}}) +
                                pols2("FACE", {{0, 1, 2, 3}}) + pols2("CURV", {{0, 1, 2}}) +
                                layr(1, "b") + pnts({{0, 0, 2}, {2, 0, 2}, {0, 2, 2}}) +
                                pols2("PTCH", {{0, 1, 2}}) + pols2("FACE", {{0, 1}}));
    const ViewerDocument doc = load(file, "two.lwo");
    EXPECT_EQ(doc.captionText, "two.lwo 2 faces 7 vertices");
    EXPECT_EQ(cornerNumbers(doc.mesh, 0), (std::vector<long>{3, 2, 1, 0}));
    EXPECT_EQ(cornerNumbers(doc.mesh, 1), (std::vector<long>{6, 5, 4}));
    EXPECT_EQ(doc.mesh.vertexArray[4].z, 1.0f); // centred: z 0..2
    expectFaceEdgesConsistent(doc.mesh);

    ViewerDocument summary;
    LoadLWOBytes(file.data, "two.lwo", summary, kzoview::LoadScope::summary);
    EXPECT_EQ(summary.captionText, doc.captionText);

    EXPECT_EQ(
        loadError(LoadLWOBytes, lwo2File(pnts({{0, 0, 0}}) + pols2("FACE", {{0, 1, 0}})), "a.lwo"),
        "LoadLWO: (a.lwo) chunk 'POLS' at byte 32 names point 1 at byte 48, but the "
        "layer's points are 1\n");
}

TEST(LoadLwo, rejectsLengthsBeyondTheirContainer) {
    Bytes file = lwobFile(pnts(boxPoints()) + pols(boxQuads()));
    file.data[7] += 1; // form length one past the file
    EXPECT_EQ(loadError(LoadLWOBytes, file, "a.lwo"),
              "LoadLWO: (a.lwo) form length 189 runs past the end of the file (196 bytes)\n");

    Bytes pointsTooLong = lwobFile(pnts(boxPoints()) + pols(boxQuads()));
    pointsTooLong.data[12 + 7] = 0xFF; // PNTS length 0xFF
    EXPECT_EQ(loadError(LoadLWOBytes, pointsTooLong, "a.lwo"),
              "LoadLWO: (a.lwo) chunk 'PNTS' at byte 12 runs past the end of the form\n");

    Bytes stub; // three bytes after LWOB cannot hold a chunk header
    stub.str("FORM", false).u32be(7).str("LWOB", false).u8(1).u8(2).u8(3);
    EXPECT_EQ(loadError(LoadLWOBytes, stub, "a.lwo"),
              "LoadLWO: (a.lwo) chunk header at byte 12 runs past the end of the form\n");

    // The second polygon announces 4 corners but the chunk ends after 3.
    EXPECT_EQ(loadError(LoadLWOBytes,
                        lwobFile(pnts(boxPoints()) + rawPols({3, 0, 1, 2, 1, 4, 0, 1, 2})),
                        "a.lwo"),
              "LoadLWO: (a.lwo) polygon at byte 134 runs past the end of its POLS chunk\n");
    EXPECT_EQ(
        loadError(LoadLWOBytes, lwobFile(pnts(boxPoints()) + rawPols({3, 0, 1, 2, -1})), "a.lwo"),
        "LoadLWO: (a.lwo) detail polygon count at byte 134 runs past the end of its POLS "
        "chunk\n");
}

TEST(LoadLwo, rejectsPointNumbersOutOfRange) {
    EXPECT_EQ(loadError(LoadLWOBytes, lwobFile(pnts(boxPoints()) + pols({{0, 1, 8}})), "a.lwo"),
              "LoadLWO: (a.lwo) polygon at byte 124 uses point 8, but there are only 8 points\n");
}

TEST(LoadLwo, needsPointsThatSpanAVolume) {
    EXPECT_EQ(loadError(LoadLWOBytes, lwobFile(pols(boxQuads())), "a.lwo"),
              "Object vertex count or face count is zero !!!");
    EXPECT_EQ(loadError(LoadLWOBytes, lwobFile(iffChunk("PNTS", Bytes{}.zeros(11))), "a.lwo"),
              "Object vertex count or face count is zero !!!");
    EXPECT_EQ(loadError(LoadLWOBytes, lwobFile(pnts({{1, 2, 3}, {1, 2, 3}}) + pols({{0, 1, 0}})),
                        "a.lwo"),
              "Object bounding volume is zero !!!");
}

TEST(LoadLwo, failsCleanlyAtEveryTruncation) {
    // Truncated files keep their original form length, which then runs past the end.
    expectEveryTruncationFails(
        LoadLWOBytes,
        lwobFile(pnts(boxPoints()) + rawPols({3, 0, 1, 2, -1, 1, 3, 4, 5, 6, 1, 4, 0, 1, 2, 3, 1})),
        "cut.lwo");
}
