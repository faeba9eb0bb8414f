#include "tests/support/build_3ds.h"
#include "tests/viewer/viewer_test_support.h"

using namespace kzotest;
using kzoview::Load3DSBytes;
using kzoview::ViewerDocument;

namespace {

std::vector<Vec3> cubePoints() {
    return {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
}

// Two triangles per side, each side split along one diagonal.
std::vector<Tri> cubeTriangles() {
    return {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
            {1, 2, 6}, {1, 6, 5}, {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};
}

Bytes cube(const std::string& name = "cube") {
    return object(name, vertexList(cubePoints()) + faceList(cubeTriangles()));
}

Bytes light() {
    Bytes b;
    b.f32le(1).f32le(2).f32le(3);
    return chunk(0x4600, b);
}

ViewerDocument load(const Bytes& bytes, const std::string& name = "scene.3ds") {
    ViewerDocument doc;
    Load3DSBytes(bytes.data, name, doc);
    return doc;
}

} // namespace

TEST(Load3ds, cubeHasTwelveFacesAndEighteenEdges) {
    const ViewerDocument doc = load(file3ds(cube()), "models/cube.3ds");
    EXPECT_EQ(doc.captionText, "cube.3ds 12 faces 8 vertices");
    EXPECT_EQ(edgeCount(doc.mesh), 18u);
    expectFaceEdgesConsistent(doc.mesh);
}

TEST(Load3ds, mergesObjectsAndReversesCorners) {
    std::vector<Vec3> four = {{5, 0, 0}, {6, 0, 0}, {5, 1, 0}, {5, 0, 1}};
    const ViewerDocument doc =
        load(file3ds(cube() + object("tetra", vertexList(four) + faceList({{0, 1, 2}}))));
    EXPECT_EQ(doc.mesh.vertexCount, 12);
    EXPECT_EQ(doc.mesh.faceCount, 13);
    EXPECT_EQ(cornerNumbers(doc.mesh, 0), (std::vector<long>{1, 2, 0}));
    EXPECT_EQ(cornerNumbers(doc.mesh, 12), (std::vector<long>{10, 9, 8}));
    EXPECT_EQ(edgeCount(doc.mesh), 21u); // no edge joins the two objects
}

TEST(Load3ds, readsExactlyTheFaceCountWhateverFollowsInTheFaceList) {
    const Bytes nested = faceMaterialList("red", {0, 1}) + chunk(0x4150, Bytes{}.zeros(8));
    const ViewerDocument doc = load(file3ds(
        object("box", vertexList(cubePoints()) + faceList({{0, 1, 2}, {0, 2, 3}}, nested))));
    EXPECT_EQ(doc.mesh.faceCount, 2);
}

TEST(Load3ds, skipsChunksItDoesNotRead) {
    const Bytes keyframer = chunk(0xB000, chunk(0xB002, Bytes{}.zeros(20)));
    const Bytes matrix = chunk(0x4160, Bytes{}.zeros(48));
    const Bytes mapping = mappingCoords({{0, 0}, {1, 1}});
    const Bytes editorBody =
        chunk(0x3D3E, Bytes{}.u32le(3)) + material("red", rgbBytes(255, 0, 0)) +
        object("box", mapping + vertexList(cubePoints()) + matrix + faceList(cubeTriangles())) +
        object("lamp", light());
    const ViewerDocument doc = load(
        chunk(0x4D4D, chunk(0x0002, Bytes{}.u32le(3)) + chunk(0x3D3D, editorBody) + keyframer));
    EXPECT_EQ(doc.captionText, "scene.3ds 12 faces 8 vertices");
}

TEST(Load3ds, verticesWithoutFacesLoadAndDrawNothing) {
    const ViewerDocument doc = load(file3ds(object("cloud", vertexList(cubePoints()))));
    EXPECT_EQ(doc.captionText, "scene.3ds 0 faces 8 vertices");
    EXPECT_EQ(doc.mesh.edgeCount, 0u);
}

TEST(Load3ds, needsVerticesThatSpanAVolume) {
    EXPECT_EQ(loadError(Load3DSBytes, file3ds(object("lamp", light())), "a.3ds"),
              "Object vertex count or face count is zero !!!");
    EXPECT_EQ(loadError(Load3DSBytes, file3ds({}), "a.3ds"),
              "Object vertex count or face count is zero !!!");
    EXPECT_EQ(loadError(Load3DSBytes,
                        file3ds(object("dot", vertexList({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}) +
                                                  faceList({{0, 1, 2}}))),
                        "a.3ds"),
              "Object bounding volume is zero !!!");
}

TEST(Load3ds, rejectsFilesWithoutTheMainChunk) {
    EXPECT_EQ(loadError(Load3DSBytes, Bytes{}, "a.3ds"), "Load3DS: 3ds 파일이 아닌가 봅니다.\n");
    EXPECT_EQ(loadError(Load3DSBytes, chunk(0x3D3D, cube()), "a.3ds"),
              "Load3DS: 3ds 파일이 아닌가 봅니다.\n");
}

TEST(Load3ds, rejectsChunkLengthsBelowTheHeaderOrBeyondTheParent) {
    Bytes shortChild = file3ds(cube());
    shortChild.data[8] = 5; // the editor chunk's length (bytes 8..11) becomes 5
    shortChild.data[9] = shortChild.data[10] = shortChild.data[11] = 0;
    EXPECT_EQ(
        loadError(Load3DSBytes, shortChild, "a.3ds"),
        "Load3DS: (a.3ds) chunk 0x3D3D at byte 6 has length 5, less than its 6-byte header\n");

    Bytes skipped = chunk(0x4D4D, Bytes{}.u16le(0x0002).u32le(0) + chunk(0x3D3D, cube()));
    EXPECT_EQ(
        loadError(Load3DSBytes, skipped, "a.3ds"),
        "Load3DS: (a.3ds) chunk 0x0002 at byte 6 has length 0, less than its 6-byte header\n");

    Bytes longMain = file3ds(cube());
    longMain.data[2] += 1;
    EXPECT_EQ(loadError(Load3DSBytes, longMain, "a.3ds"),
              "Load3DS: (a.3ds) chunk 0x4D4D at byte 0 runs past the end of its parent chunk\n");

    // A vertex list one byte longer than the mesh chunk that holds it.
    Bytes overrun = file3ds(object("o", vertexList(cubePoints())));
    overrun.data[6 + 6 + 8 + 6 + 2] += 1;
    EXPECT_EQ(loadError(Load3DSBytes, overrun, "a.3ds"),
              "Load3DS: (a.3ds) chunk 0x4110 at byte 26 runs past the end of its parent chunk\n");
}

TEST(Load3ds, rejectsListsLongerThanTheirChunk) {
    Bytes vertices = file3ds(object("o", vertexList(cubePoints())));
    vertices.data[32] = 9; // count 9 where the chunk holds 8
    EXPECT_EQ(loadError(Load3DSBytes, vertices, "a.3ds"),
              "Load3DS: (a.3ds) vertex list at byte 26 announces 9 records but holds only 8\n");
    Bytes noCount = file3ds(object("o", chunk(0x4110, {})));
    EXPECT_EQ(loadError(Load3DSBytes, noCount, "a.3ds"),
              "Load3DS: (a.3ds) vertex list at byte 26 has no count\n");
    Bytes faces = file3ds(object("o", vertexList(cubePoints()) + faceList({{0, 1, 2}})));
    faces.data[26 + 104 + 6] = 2;
    EXPECT_EQ(loadError(Load3DSBytes, faces, "a.3ds"),
              "Load3DS: (a.3ds) face list at byte 130 announces 2 records but holds only 1\n");
}

TEST(Load3ds, rejectsVertexNumbersOutsideTheirObject) {
    // Index 8 of the first object would land on the second object's first vertex.
    const Bytes file = file3ds(object("a", vertexList(cubePoints()) + faceList({{0, 1, 8}})) +
                               object("b", vertexList(cubePoints())));
    EXPECT_EQ(loadError(Load3DSBytes, file, "a.3ds"),
              "Load3DS: (a.3ds) face 0 uses vertex 8 of an object with 8 vertices\n");
}

TEST(Load3ds, rejectsObjectNamesWithoutTerminator) {
    Bytes longName;
    longName.str(std::string(256, 'n'), false).append(chunk(0x4100, vertexList(cubePoints())));
    EXPECT_EQ(loadError(Load3DSBytes, file3ds(chunk(0x4000, longName)), "a.3ds"),
              "Load3DS: (a.3ds) object name at byte 18 has no terminating NUL within 256 bytes\n");
    EXPECT_EQ(loadError(Load3DSBytes, file3ds(chunk(0x4000, Bytes{}.str("abc", false))), "a.3ds"),
              "Load3DS: (a.3ds) object name at byte 18 runs past the end of its chunk\n");
    // 255 characters and the NUL fit.
    EXPECT_EQ(load(file3ds(cube(std::string(255, 'n')))).mesh.faceCount, 12);
}

TEST(Load3ds, failsCleanlyAtEveryTruncation) {
    const Bytes file = file3ds(object("a", vertexList(cubePoints()) + faceList({{0, 1, 2}})) +
                               object("b", vertexList(cubePoints()) + faceList({{3, 4, 5}})));
    expectEveryTruncationFails(Load3DSBytes, file, "cut.3ds");
}
