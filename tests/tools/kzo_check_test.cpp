#include "tests/tools/engine_file_bytes.h"
#include "tools/dump_check.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kzotest;
using kzo::dump::checkKzo;
using kzo::dump::Problem;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Offsets in twoTriangles(): header 0, material 28, vertices 40, faces 88,
// end 176. twoObjects() adds one image (28) and a second material (168), so its
// pivots start at 316.
constexpr std::size_t kMaterial = 28, kVertices = 40, kFaces = 88, kPivots = 316;

Problem problemOf(const KzoDraft& draft) {
    const Bytes file = kzoBytes(draft);
    const auto problem = checkKzo(file.data);
    if (!problem) {
        ADD_FAILURE() << "the file passed";
        return {};
    }
    return *problem;
}

void expectProblem(const KzoDraft& draft, std::size_t offset, const std::string& words) {
    const Problem p = problemOf(draft);
    EXPECT_EQ(p.offset, offset) << p.description;
    EXPECT_NE(p.description.find(words), std::string::npos) << p.description;
}

} // namespace

TEST(KzoCheck, passesWellFormedFilesOfEveryShadingType) {
    KzoDraft plain = twoTriangles();
    EXPECT_EQ(kzoBytes(plain).size(), 176u);
    EXPECT_FALSE(checkKzo(kzoBytes(plain).data));

    KzoDraft gouraud = twoObjects();
    gouraud.shadingType = 1;
    for (int v = 0; v < 4; ++v) {
        gouraud.shading.f32le(0).f32le(0).f32le(1);
    }
    KzoDraft flat = twoObjects();
    flat.shadingType = 2;
    flat.shading = twoFaceNormals();
    KzoDraft corners = twoObjects();
    corners.shadingType = 3;
    corners.shading.zeros(24);
    KzoDraft flatColour = twoObjects();
    flatColour.shadingType = 4;
    flatColour.shading.u8(255).u8(128).u8(0).u8(0).u8(1).u8(2).u8(3).u8(3);
    for (const KzoDraft& draft : {gouraud, flat, corners, flatColour}) {
        const auto problem = checkKzo(kzoBytes(draft).data);
        EXPECT_FALSE(problem) << "shading " << draft.shadingType << ": " << problem->description;
    }
}

TEST(KzoCheck, passesEmptyMeshAndQuadFaces) {
    EXPECT_FALSE(checkKzo(kzoBytes(KzoDraft{}).data));
    KzoDraft quad = twoTriangles();
    quad.faces[0].corners = 4;
    quad.faces[0].index = {0, 1, 2, 3};
    EXPECT_FALSE(checkKzo(kzoBytes(quad).data));
}

TEST(KzoCheck, rejectsHeaderFaults) {
    KzoDraft version = twoTriangles();
    version.version = 17;
    expectProblem(version, 0, "version is 17");

    KzoDraft negative = twoTriangles();
    negative.counts = std::array<std::int32_t, 5>{0, 1, 4, 2, -1};
    expectProblem(negative, 20, "pivot count is negative");

    KzoDraft shading = twoTriangles();
    shading.shadingType = 5;
    expectProblem(shading, 24, "unknown shading type 5");
}

TEST(KzoCheck, rejectsSizeThatDiffersFromTheCounts) {
    Bytes shortFile = kzoBytes(twoTriangles());
    shortFile.data.pop_back();
    auto problem = checkKzo(shortFile.data);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->offset, 175u);
    EXPECT_NE(problem->description.find("make it 176"), std::string::npos);

    KzoDraft missingNormals = twoTriangles();
    missingNormals.shadingType = 2; // announces 24 bytes of normals that are not there
    expectProblem(missingNormals, 176, "176 bytes");

    Bytes longFile = kzoBytes(twoTriangles());
    longFile.u8(0);
    problem = checkKzo(longFile.data);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->offset, 176u);
}

TEST(KzoCheck, rejectsFileShorterThanItsHeader) {
    const std::vector<std::uint8_t> bytes(27, 0);
    const auto problem = checkKzo(bytes);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->description.find("header"), std::string::npos);
}

TEST(KzoCheck, rejectsImageNameWithoutTerminator) {
    KzoDraft draft = twoObjects();
    draft.images[0] = Bytes{};
    draft.images[0].str(std::string(128, 'a'), false);
    expectProblem(draft, 28, "no terminating NUL");
}

TEST(KzoCheck, rejectsMaterialFaults) {
    KzoDraft image = twoObjects();
    image.materials[1].imageIndex = 1; // one image only
    expectProblem(image, 168 + 4, "image index 1");

    KzoDraft belowMinusOne = twoTriangles();
    belowMinusOne.materials[0].imageIndex = -2;
    expectProblem(belowMinusOne, kMaterial + 4, "image index -2");

    KzoDraft negativeRun = twoTriangles();
    negativeRun.materials = {KzoMaterialDraft{.faceRun = 3}, KzoMaterialDraft{.faceRun = -1}};
    expectProblem(negativeRun, kMaterial + 8, "reach face 3, past the face count 2");

    KzoDraft shortRuns = twoTriangles();
    shortRuns.materials[0].faceRun = 1;
    expectProblem(shortRuns, kVertices, "cover 1 of 2 faces");

    KzoDraft noMaterial = twoTriangles();
    noMaterial.materials.clear();
    expectProblem(noMaterial, kVertices - 12, "cover 0 of 2 faces");
}

TEST(KzoCheck, rejectsNegativeFaceRunEvenWhenTheSumFits) {
    KzoDraft draft = twoTriangles();
    draft.materials = {KzoMaterialDraft{.faceRun = -1}, KzoMaterialDraft{.faceRun = 3}};
    expectProblem(draft, kMaterial + 8, "negative");
}

TEST(KzoCheck, rejectsNonFiniteFloatsWhereverTheyStand) {
    KzoDraft vertex = twoTriangles();
    vertex.vertices[2][1] = kNaN;
    expectProblem(vertex, kVertices + 2 * 12 + 4, "vertex 2 y is not finite (nan)");

    KzoDraft u = twoTriangles();
    u.faces[1].u[3] = kInf; // even an unused slot
    expectProblem(u, kFaces + 44 + 12 + 12, "face 1: u[3]");

    KzoDraft v = twoTriangles();
    v.faces[0].v[0] = -kInf;
    expectProblem(v, kFaces + 28, "-inf");

    KzoDraft pivot = twoObjects();
    pivot.pivots[1].point[2] = kNaN;
    expectProblem(pivot, kPivots + 16 + 8, "pivot 1: pivot point z");

    KzoDraft normal = twoTriangles();
    normal.shadingType = 2;
    normal.shading = twoFaceNormals();
    normal.shading.data[12] = 0xFF; // face 1's x becomes a NaN pattern
    normal.shading.data[13] = 0xFF;
    normal.shading.data[14] = 0xC0;
    normal.shading.data[15] = 0x7F;
    expectProblem(normal, 176 + 12, "face normal 1 x");
}

TEST(KzoCheck, rejectsFaultyFaces) {
    KzoDraft corners = twoTriangles();
    corners.faces[1].corners = 5;
    expectProblem(corners, kFaces + 44, "corner count 5");

    KzoDraft two = twoTriangles();
    two.faces[0].corners = 2;
    expectProblem(two, kFaces, "corner count 2");

    KzoDraft index = twoTriangles();
    index.faces[1].index[2] = 4;
    expectProblem(index, kFaces + 44 + 4 + 4, "vertex index 4 of corner 2");

    KzoDraft quadIndex = twoTriangles();
    quadIndex.faces[0].corners = 4;
    quadIndex.faces[0].index[3] = 65535;
    expectProblem(quadIndex, kFaces + 4 + 6, "corner 3");
}

TEST(KzoCheck, ignoresTheUnusedFourthIndexOfATriangle) {
    KzoDraft draft = twoTriangles();
    draft.faces[0].index[3] = 65535;
    EXPECT_FALSE(checkKzo(kzoBytes(draft).data));
}

TEST(KzoCheck, rejectsFaultyPivots) {
    KzoDraft parent = twoObjects();
    parent.pivots[0].parent = 2;
    expectProblem(parent, kPivots + 12, "parent 2");

    KzoDraft runs = twoObjects();
    runs.pivots[1].vertexRun = 1;
    expectProblem(runs, kPivots + 32, "cover 3 of 4 vertices");

    KzoDraft over = twoObjects();
    over.pivots[0].vertexRun = 5;
    expectProblem(over, kPivots + 14, "reach vertex 5");

    KzoDraft self = twoObjects();
    self.pivots[1].parent = 1;
    expectProblem(self, kPivots + 16 + 12, "pivot 1: its parent chain is a cycle");

    KzoDraft loop = twoObjects();
    loop.pivots[0].parent = 1; // 0 -> 1 -> 0
    expectProblem(loop, kPivots + 12, "pivot 0: its parent chain is a cycle");
}

TEST(KzoCheck, findsCycleBehindALongChainWithoutFalseAlarms) {
    // 0 <- 1 <- 2 <- ... <- 199 is a valid chain; then 200 -> 201 -> 202 -> 200.
    KzoDraft draft = twoTriangles();
    for (int i = 0; i < 203; ++i) {
        draft.pivots.push_back(KzoPivotDraft{.parent = std::uint16_t(i == 0 ? 65535 : i - 1)});
    }
    draft.pivots[0].vertexRun = 4;
    EXPECT_FALSE(checkKzo(kzoBytes(draft).data));
    draft.pivots[200].parent = 201;
    draft.pivots[201].parent = 202;
    draft.pivots[202].parent = 200;
    expectProblem(draft, 176 + 200 * 16 + 12, "pivot 200");
    draft.pivots[202].parent = 199;
    EXPECT_FALSE(checkKzo(kzoBytes(draft).data));
}
