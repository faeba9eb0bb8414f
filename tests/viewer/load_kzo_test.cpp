#include "tests/viewer/build_kzo.h"
#include "tests/viewer/viewer_test_support.h"

#include <cmath>
#include <limits>

using namespace kzotest;
using kzoview::LoadKZOBytes;
using kzoview::ViewerDocument;

namespace {

// 64 vertices on a helix and 120 triangles over them.
KzoInput ship(std::int32_t shadingType, std::int32_t pivots) {
    KzoInput in;
    for (int i = 0; i < 64; ++i) {
        in.vertices.push_back(
            {float(std::cos(i * 0.3)), float(i) * 0.1f, float(std::sin(i * 0.3))});
    }
    for (int i = 0; i < 120; ++i) {
        in.faces.push_back(
            {std::uint16_t(i % 64), std::uint16_t((i + 1) % 64), std::uint16_t((i + 9) % 64)});
    }
    in.images = {"hull.bmp"};
    in.materials = 2;
    in.shadingType = shadingType;
    in.pivots = pivots;
    return in;
}

//  2---3
//  | \ |     two triangles sharing the diagonal 1-2
//  0---1
KzoInput twoTriangles() {
    KzoInput in;
    in.vertices = {{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {2, 2, 0}};
    in.faces = {{0, 1, 2}, {2, 1, 3}};
    return in;
}

} // namespace

TEST(LoadKzo, captionGivesTitleFacesVerticesAndType) {
    ViewerDocument doc;
    LoadKZOBytes(kzoFile(ship(2, 0)).data, "C:\\objects\\ship.kzo", doc);
    EXPECT_EQ(doc.captionText, "ship.kzo 120 faces 64 vertices type 2");
    EXPECT_EQ(doc.mesh.faceCount, 120);
    EXPECT_EQ(doc.mesh.vertexCount, 64);

    LoadKZOBytes(kzoFile(ship(2, 3)).data, "/home/art/ship.kzo", doc);
    EXPECT_EQ(doc.captionText, "ship.kzo 120 faces 64 vertices type 7");
}

TEST(LoadKzo, skipsImagesAndMaterialsAndCentresPositions) {
    KzoInput in;
    in.images = {"a.bmp", "b.bmp"};
    in.materials = 3;
    in.vertices = {{1, 10, -4}, {3, 10, -4}, {1, 16, -4}};
    in.faces = {{0, 1, 2}};
    ViewerDocument doc;
    LoadKZOBytes(kzoFile(in).data, "tri.kzo", doc);
    const kzoview::MeshVertex* v = doc.mesh.vertexArray;
    // Box x 1..3, y 10..16, z -4: centre (2, 13, -4); largest half-extent 3.
    EXPECT_EQ(v[0].x, -1.0f);
    EXPECT_EQ(v[0].y, -3.0f);
    EXPECT_EQ(v[0].z, 0.0f);
    EXPECT_EQ(v[2].y, 3.0f);
    EXPECT_EQ(doc.mesh.viewDistance, 12.0f);
}

TEST(LoadKzo, keepsCornerOrderAndSharesTheCommonEdge) {
    ViewerDocument doc;
    LoadKZOBytes(kzoFile(twoTriangles()).data, "two.kzo", doc);
    EXPECT_EQ(cornerNumbers(doc.mesh, 0), (std::vector<long>{0, 1, 2}));
    EXPECT_EQ(cornerNumbers(doc.mesh, 1), (std::vector<long>{2, 1, 3}));
    EXPECT_EQ(edgeCount(doc.mesh), 5u);
    EXPECT_EQ(doc.mesh.cornerEdges[1], doc.mesh.cornerEdges[3]); // 1-2 and 2-1
    expectFaceEdgesConsistent(doc.mesh);
}

TEST(LoadKzo, readsFourCornerFaces) {
    KzoInput in = twoTriangles();
    in.faces = {{0, 1, 3, 2}};
    ViewerDocument doc;
    LoadKZOBytes(kzoFile(in).data, "quad.kzo", doc);
    EXPECT_EQ(cornerNumbers(doc.mesh, 0), (std::vector<long>{0, 1, 3, 2}));
    EXPECT_EQ(edgeCount(doc.mesh), 4u);
}

TEST(LoadKzo, ignoresEverythingAfterTheFacesButRefusesWhatBreaksTheFile) {
    Bytes plain = kzoFile(twoTriangles());
    KzoInput shaded = twoTriangles();
    shaded.shadingType = 1;
    shaded.pivots = 2;
    const Bytes withPivots = kzoFile(shaded);

    ViewerDocument a, b;
    LoadKZOBytes(plain.data, "a.kzo", a);
    LoadKZOBytes(withPivots.data, "b.kzo", b);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.mesh.vertexArray[i].x, b.mesh.vertexArray[i].x);
        EXPECT_EQ(a.mesh.vertexArray[i].y, b.mesh.vertexArray[i].y);
    }
    EXPECT_EQ(b.captionText, "b.kzo 2 faces 4 vertices type 6");

    // What kzodump --check refuses, the loader refuses in its words.
    Bytes withTail = withPivots;
    withTail.u32le(0xDEADBEEF);
    EXPECT_EQ(loadError(LoadKZOBytes, withTail, "b.kzo"),
              "LoadKZO: (b.kzo) byte 256: the file is 260 bytes, but the header's counts and "
              "shading type make it 256\n");
    Bytes cut = plain;
    cut.data.pop_back();
    EXPECT_EQ(loadError(LoadKZOBytes, cut, "a.kzo"),
              "LoadKZO: (a.kzo) byte 175: the file is 175 bytes, but the header's counts and "
              "shading type make it 176\n");
    Bytes shading = plain;
    shading.data[24] = 9;
    EXPECT_EQ(loadError(LoadKZOBytes, shading, "a.kzo"),
              "LoadKZO: (a.kzo) byte 24: unknown shading type 9\n");
    Bytes cycle = withPivots;
    cycle.data[176 + 12] = 1; // pivot 0's parent is pivot 1, whose parent is 0
    cycle.data[176 + 13] = 0;
    cycle.data[176 + 16 + 12] = 0;
    cycle.data[176 + 16 + 13] = 0;
    EXPECT_EQ(loadError(LoadKZOBytes, cycle, "b.kzo"),
              "LoadKZO: (b.kzo) byte 188: pivot 0: its parent chain is a cycle\n");
    Bytes texture = plain;
    texture.data[88 + 44 + 12 + 3] = 0x7F; // face 1's u[0]: 0x7F800000, infinity
    texture.data[88 + 44 + 12 + 2] = 0x80;
    EXPECT_EQ(loadError(LoadKZOBytes, texture, "a.kzo"),
              "LoadKZO: (a.kzo) byte 144: face 1: u[0] is not finite (inf)\n");
}

TEST(LoadKzo, rejectsHeadersItCannotRead) {
    KzoInput in = twoTriangles();
    in.version = 17;
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "old.kzo"),
              "LoadKZO: 'version 1.0' 이 아닙니다.(old.kzo)\n");

    in = twoTriangles();
    in.vertexCountField = 0;
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "Object vertex count or face count is zero !!!");
    in = twoTriangles();
    in.faceCountField = -1;
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "Object vertex count or face count is zero !!!");

    in = twoTriangles();
    in.materialCountField = -1;
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "LoadKZO: (a.kzo) byte 8: the material count is negative (-1)\n");
}

TEST(LoadKzo, rejectsCountsBeyondTheFileBeforeAllocating) {
    KzoInput in = twoTriangles();
    in.vertexCountField = std::numeric_limits<std::int32_t>::max();
    in.faceCountField = std::numeric_limits<std::int32_t>::max();
    in.imageCountField = std::numeric_limits<std::int32_t>::max();
    // A limit of zero would turn any allocation into the memory message.
    ViewerDocument doc;
    doc.mesh.arena.byteLimit = 0;
    try {
        LoadKZOBytes(kzoFile(in).data, "huge.kzo", doc);
        FAIL() << "loaded";
    } catch (const kzoview::FatalError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "LoadKZO: (huge.kzo) byte 176: the file is 176 bytes, but the header's counts "
                  "and shading type make it 395136991088\n");
    }
}

TEST(LoadKzo, rejectsBadFaces) {
    KzoInput in = twoTriangles();
    in.faces = {{0, 1, 2}, {1, 2}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "LoadKZO: (a.kzo) byte 132: face 1: corner count 2 is not 3 or 4\n");
    in.faces = {{0, 1, 2, 3, 0}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "LoadKZO: (a.kzo) byte 88: face 0: corner count 5 is not 3 or 4\n");

    Bytes huge = kzoFile(twoTriangles());
    const std::size_t firstFace = 28 + 12 + 4 * 12;
    huge.data[firstFace + 3] = 0xFF; // cornerCount 0xFF000003
    EXPECT_EQ(loadError(LoadKZOBytes, huge, "a.kzo"),
              "LoadKZO: (a.kzo) byte 88: face 0: corner count -16777213 is not 3 or 4\n");

    in.faces = {{0, 1, 4}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "a.kzo"),
              "LoadKZO: (a.kzo) byte 96: face 0: vertex index 4 of corner 2 is not below the "
              "vertex count 4\n");
}

TEST(LoadKzo, rejectsDegenerateAndNonFiniteGeometry) {
    KzoInput in;
    in.vertices = {{5, 5, 5}, {5, 5, 5}, {5, 5, 5}};
    in.faces = {{0, 1, 2}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "dot.kzo"),
              "Object bounding volume is zero !!!");

    in.vertices = {{0, 0, 0}, {1, 0, 0}, {0, std::numeric_limits<float>::quiet_NaN(), 0}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "nan.kzo"),
              "LoadKZO: (nan.kzo) byte 68: vertex 2 y is not finite (nan)\n");

    in.vertices = {{-3e38f, 0, 0}, {3e38f, 0, 0}, {0, 1, 0}};
    EXPECT_EQ(loadError(LoadKZOBytes, kzoFile(in), "wide.kzo"),
              "Object bounding volume is too large !!!");
}

TEST(LoadKzo, failsCleanlyAtEveryTruncation) {
    KzoInput in = twoTriangles();
    in.images = {"x.bmp"};
    in.materials = 1;
    expectEveryTruncationFails(LoadKZOBytes, kzoFile(in), "cut.kzo");
}

TEST(LoadKzo, reportsRefusedMemoryAndReleasesEverything) {
    ViewerDocument doc;
    doc.mesh.arena.byteLimit = 4096;
    try {
        LoadKZOBytes(kzoFile(ship(0, 0)).data, "ship.kzo", doc);
        FAIL() << "loaded";
    } catch (const kzoview::FatalError& e) {
        EXPECT_EQ(std::string(e.what()), "memory allocation error!!");
    }
    EXPECT_EQ(doc.mesh.arena.bytesHeld, 0u);
    EXPECT_EQ(doc.mesh.vertexArray, nullptr);
}
