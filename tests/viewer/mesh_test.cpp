#include "tests/viewer/literal_edges.h"
#include "viewer/file_title.h"
#include "viewer/normalize_mesh.h"
#include "viewer/viewer_error.h"
#include "viewer/viewer_mesh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

using namespace kzoview;

namespace {

void giveVertices(ViewerMesh& mesh, std::int32_t count) {
    mesh.vertexArray = trackedArray<MeshVertex>(mesh.arena, std::size_t(count));
    mesh.vertexCount = count;
}

std::string errorOf(ViewerMesh& mesh) {
    try {
        NormalizeMesh(mesh);
    } catch (const FatalError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(TrackedArena, handsOutAlignedDistinctAreasAndReleasesThemAllAtOnce) {
    TrackedArena arena;
    std::vector<std::byte*> areas;
    for (std::size_t size : {0u, 1u, 7u, 16u, 5000u, 3u, 2u << 20, 40u}) {
        auto* area = static_cast<std::byte*>(trackedAlloc(arena, size));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(area) % alignof(std::max_align_t), 0u);
        std::fill(area, area + size, std::byte{0xAB}); // ASan checks each area is whole
        for (std::byte* other : areas) {
            EXPECT_NE(area, other);
        }
        areas.push_back(area);
    }
    EXPECT_GT(arena.bytesHeld, std::size_t{2} << 20);
    freeAllTracked(arena);
    EXPECT_EQ(arena.bytesHeld, 0u);
    EXPECT_EQ(arena.head, nullptr);
    EXPECT_NE(trackedAlloc(arena, 8), nullptr); // usable again
}

TEST(TrackedArena, refusedMemoryIsTheMemoryError) {
    TrackedArena arena;
    arena.byteLimit = 100000;
    EXPECT_NO_THROW(trackedAlloc(arena, 1000));
    try {
        trackedAlloc(arena, 200000);
        FAIL();
    } catch (const FatalError& e) {
        EXPECT_STREQ(e.what(), "memory allocation error!!");
    }
    EXPECT_THROW(trackedArray<MeshFace>(arena, SIZE_MAX / 8), FatalError);
}

TEST(ViewerMeshTest, movingHandsOverTheMemory) {
    ViewerMesh a;
    giveVertices(a, 3);
    FindOrAddEdge(a, &a.vertexArray[0], &a.vertexArray[1]);
    MeshVertex* vertices = a.vertexArray;
    ViewerMesh b(std::move(a));
    EXPECT_EQ(b.vertexArray, vertices);
    EXPECT_EQ(a.vertexArray, nullptr);
    EXPECT_EQ(a.arena.bytesHeld, 0u);
    EXPECT_EQ(FindOrAddEdge(b, &vertices[1], &vertices[0]), b.edgeList);
    resetMesh(b);
    EXPECT_EQ(b.arena.bytesHeld, 0u);
    EXPECT_EQ(b.edgeList, nullptr);
}

TEST(FindOrAddEdgeTest, facesRunningOppositeWaysShareOneEdge) {
    ViewerMesh mesh;
    giveVertices(mesh, 3);
    MeshVertex* v = mesh.vertexArray;
    MeshEdge* ab = FindOrAddEdge(mesh, &v[0], &v[1]);
    EXPECT_EQ(ab->v0, &v[0]);
    EXPECT_EQ(ab->v1, &v[1]);
    EXPECT_EQ(FindOrAddEdge(mesh, &v[1], &v[0]), ab);
    MeshEdge* bc = FindOrAddEdge(mesh, &v[1], &v[2]);
    EXPECT_EQ(mesh.edgeList, bc);
    EXPECT_EQ(bc->next, ab);
}

// Random faces over few vertices, with repeated corners, so that edges are
// shared in both directions and loops (an edge from a vertex to itself), which
// the list walk matches against any pair that includes their vertex, occur.
TEST(FindOrAddEdgeTest, matchesTheListWalkOnRandomMeshes) {
    std::mt19937 random(12345);
    for (int round = 0; round < 40; ++round) {
        const std::int32_t vertexCount = 2 + round;
        ViewerMesh fast, literal;
        giveVertices(fast, vertexCount);
        giveVertices(literal, vertexCount);
        std::map<const MeshEdge*, int> fastNumber, literalNumber; // creation order
        std::uniform_int_distribution<int> pick(0, vertexCount - 1);
        for (int face = 0; face < 300; ++face) {
            const int n = 3 + face % 2;
            std::vector<int> corners;
            for (int j = 0; j < n; ++j) {
                corners.push_back(pick(random));
            }
            for (int j = 0; j < n; ++j) {
                const int a = corners[j];
                const int b = corners[(j + 1) % n];
                MeshEdge* f = FindOrAddEdge(fast, &fast.vertexArray[a], &fast.vertexArray[b]);
                MeshEdge* l = kzotest::findOrAddEdgeLiteral(literal, &literal.vertexArray[a],
                                                            &literal.vertexArray[b]);
                fastNumber.try_emplace(f, int(fastNumber.size()));
                literalNumber.try_emplace(l, int(literalNumber.size()));
                ASSERT_EQ(fastNumber[f], literalNumber[l]) << "round " << round << " face " << face;
            }
        }
        const MeshEdge* f = fast.edgeList;
        const MeshEdge* l = literal.edgeList;
        for (; f != nullptr && l != nullptr; f = f->next, l = l->next) {
            ASSERT_EQ(f->v0 - fast.vertexArray, l->v0 - literal.vertexArray);
            ASSERT_EQ(f->v1 - fast.vertexArray, l->v1 - literal.vertexArray);
        }
        EXPECT_EQ(f, nullptr);
        EXPECT_EQ(l, nullptr);
    }
}

TEST(NormalizeMeshTest, flatMeshTakesItsDistanceFromTheOtherAxes) {
    ViewerMesh mesh;
    giveVertices(mesh, 3);
    mesh.vertexArray[0] = {-2, 1, 7};
    mesh.vertexArray[1] = {4, 1, 7};
    mesh.vertexArray[2] = {0, 2, 7};
    NormalizeMesh(mesh);
    EXPECT_EQ(mesh.viewDistance, 12.0f);
    EXPECT_EQ(mesh.vertexArray[0].x, -3.0f);
    EXPECT_EQ(mesh.vertexArray[0].y, -0.5f);
    EXPECT_EQ(mesh.vertexArray[0].z, 0.0f);
}

TEST(NormalizeMeshTest, refusesMeshesWithoutVolumeOrVertices) {
    ViewerMesh empty;
    EXPECT_EQ(errorOf(empty), "Object vertex count or face count is zero !!!");
    ViewerMesh point;
    giveVertices(point, 2);
    point.faceCount = 1;
    EXPECT_EQ(errorOf(point), "Object bounding volume is zero !!!");
    EXPECT_EQ(point.vertexCount, 0);
    EXPECT_EQ(point.faceCount, 0);
}

TEST(FileTitleTest, cutsAtTheLastSlashBackslashOrColon) {
    EXPECT_EQ(FileTitle("C:\\objects\\ship.kzo"), "ship.kzo");
    EXPECT_EQ(FileTitle("C:ship.kzo"), "ship.kzo");
    EXPECT_EQ(FileTitle("objects/ship.kzo"), "ship.kzo");
    EXPECT_EQ(FileTitle("/srv/a:b\\c/ship.kzo"), "ship.kzo");
    EXPECT_EQ(FileTitle("ship.kzo"), "ship.kzo");
    EXPECT_EQ(FileTitle("dir/"), "");
}

TEST(CaptionTest, holdsAtMost255BytesAndNeverSplitsACharacter) {
    EXPECT_EQ(cutCaption(std::string(300, 'a')), std::string(255, 'a'));
    EXPECT_EQ(cutCaption(std::string(255, 'a')), std::string(255, 'a'));
    // "배" is three bytes; at 254..256 it straddles the limit and goes whole.
    const std::string text = std::string(254, 'a') + "배 3 faces";
    EXPECT_EQ(cutCaption(text), std::string(254, 'a'));
}
