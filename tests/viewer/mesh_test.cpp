#include "tests/viewer/viewer_test_support.h"
#include "viewer/edge_sharing.h"
#include "viewer/file_title.h"
#include "viewer/normalize_mesh.h"
#include "viewer/viewer_error.h"
#include "viewer/viewer_mesh.h"

#include <gtest/gtest.h>

#include <cstdint>
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
    EXPECT_THROW(trackedArray<MeshEdge>(arena, SIZE_MAX / 4), FatalError);
}

TEST(ViewerMeshTest, movingHandsOverTheMemory) {
    ViewerMesh a;
    giveVertices(a, 3);
    FacePlacement placement = startFaces(a, 2, 6);
    // Two faces running opposite ways along 0-1 share one edge.
    std::uint32_t* c = addFace(a, placement, 0, 3);
    c[0] = 0, c[1] = 1, c[2] = 2;
    c = addFace(a, placement, 1, 3);
    c[0] = 1, c[1] = 0, c[2] = 2;
    a.faceCount = 2;
    shareEdges(a);
    EXPECT_EQ(a.edgeCount, 3u);
    EXPECT_EQ(a.cornerEdges[3], a.cornerEdges[0]);
    EXPECT_EQ(a.edges[0].v0, 0u);
    EXPECT_EQ(a.edges[0].v1, 1u);

    MeshVertex* vertices = a.vertexArray;
    ViewerMesh b(std::move(a));
    EXPECT_EQ(b.vertexArray, vertices);
    EXPECT_EQ(b.edgeCount, 3u);
    EXPECT_EQ(a.vertexArray, nullptr);
    EXPECT_EQ(a.edges, nullptr);
    EXPECT_EQ(a.arena.bytesHeld, 0u);
    resetMesh(b);
    EXPECT_EQ(b.arena.bytesHeld, 0u);
    EXPECT_EQ(b.edgeCount, 0u);
}

// Random faces over few vertices, with repeated corners, so that edges are
// shared in both directions and loops (an edge from a vertex to itself), which
// the list walk matches against any pair that includes their vertex, occur;
// and fans of more faces than one bucket sorts by hand. Every face is placed
// as the loaders place them. Meshes with loops, or with a vertex of very many
// edges, are shared by another method than the others: both are here.
TEST(ShareEdgesTest, matchesTheListWalkOnRandomMeshes) {
    std::mt19937 random(12345);
    for (int round = 0; round < 60; ++round) {
        const std::int32_t vertexCount = 2 + round;
        constexpr int kFaces = 300;
        const bool withLoops = round % 3 != 2;
        ViewerMesh mesh;
        giveVertices(mesh, vertexCount);
        FacePlacement placement = startFaces(mesh, kFaces, 4 * kFaces);
        std::uniform_int_distribution<std::uint32_t> pick(0, std::uint32_t(vertexCount - 1));
        for (int face = 0; face < kFaces; ++face) {
            const std::uint32_t n = 3 + face % 2;
            std::uint32_t* corners = addFace(mesh, placement, face, n);
            for (std::uint32_t j = 0; j < n; ++j) {
                corners[j] = pick(random);
                if (!withLoops && j > 0 && corners[j] == corners[j - 1]) {
                    corners[j] = (corners[j] + 1) % std::uint32_t(vertexCount);
                }
            }
            if (!withLoops && corners[n - 1] == corners[0]) {
                corners[0] = (corners[0] + 1) % std::uint32_t(vertexCount);
                if (corners[0] == corners[1]) {
                    corners[0] = (corners[0] + 1) % std::uint32_t(vertexCount);
                }
            }
        }
        mesh.faceCount = kFaces;
        shareEdges(mesh);
        SCOPED_TRACE("round " + std::to_string(round));
        kzotest::expectFaceEdgesConsistent(mesh);
    }
    // A closed fan round one hub: the hub's edges outgrow the lists part of
    // the way through, and the edges made so far are made again otherwise.
    constexpr std::uint32_t kRim = 3000;
    ViewerMesh fan;
    giveVertices(fan, kRim + 1);
    FacePlacement placement = startFaces(fan, kRim, 3 * kRim);
    for (std::uint32_t i = 1; i <= kRim; ++i) {
        std::uint32_t* corners = addFace(fan, placement, std::int32_t(i - 1), 3);
        corners[0] = 0;
        corners[1] = i;
        corners[2] = i % kRim + 1;
    }
    fan.faceCount = std::int32_t(kRim);
    shareEdges(fan);
    SCOPED_TRACE("fan");
    kzotest::expectFaceEdgesConsistent(fan);
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
