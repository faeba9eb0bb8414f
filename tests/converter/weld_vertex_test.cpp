// The hashed welder against the literal scan: the same files give the same
// tables, bit for bit.
#include "tests/converter/load_3ds_fixture.h"
#include "tests/converter/reference_weld.h"

#include <bit>
#include <limits>
#include <random>

namespace kzotest {
namespace {

// Coordinates drawn from a small pool, so that many vertices are equal, some
// only as floats (0.0 and -0.0), and some never (NaN).
float poolCoordinate(std::mt19937& random) {
    static const float pool[] = {0.0f,
                                 -0.0f,
                                 1.0f,
                                 -1.0f,
                                 0.5f,
                                 1e-40f, // subnormal
                                 3.0e38f,
                                 std::numeric_limits<float>::quiet_NaN(),
                                 std::numeric_limits<float>::infinity()};
    return pool[std::uniform_int_distribution<int>(0, std::size(pool) - 1)(random)];
}

Bytes randomObject(std::mt19937& random, int index) {
    const int vertexCount = std::uniform_int_distribution<int>(1, 300)(random);
    std::vector<Vec3> points;
    for (int i = 0; i < vertexCount; ++i) {
        points.push_back({poolCoordinate(random), poolCoordinate(random), poolCoordinate(random)});
    }
    std::uniform_int_distribution<int> corner(0, vertexCount - 1);
    std::vector<Tri> faces;
    for (int i = 0; i < vertexCount; ++i) {
        faces.push_back({std::uint16_t(corner(random)), std::uint16_t(corner(random)),
                         std::uint16_t(corner(random))});
    }
    return object("o" + std::to_string(index), vertexList(points) + faceList(faces));
}

Bytes randomFile(std::mt19937& random) {
    Bytes objects;
    const int count = std::uniform_int_distribution<int>(1, 4)(random);
    for (int i = 0; i < count; ++i) {
        objects.append(randomObject(random, i));
    }
    return file3ds(objects);
}

void expectSameTables(const kzo::SceneModel& fast, const kzo::SceneModel& reference) {
    ASSERT_EQ(fast.vertexCount, reference.vertexCount);
    for (int i = 0; i < fast.vertexCount; ++i) {
        const kzo::Vertex& a = fast.vertices[std::size_t(i)];
        const kzo::Vertex& b = reference.vertices[std::size_t(i)];
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a.x), std::bit_cast<std::uint32_t>(b.x)) << i;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a.y), std::bit_cast<std::uint32_t>(b.y)) << i;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(a.z), std::bit_cast<std::uint32_t>(b.z)) << i;
        ASSERT_EQ(a.pivotIndex, b.pivotIndex) << i;
    }
    ASSERT_EQ(fast.faceCount, reference.faceCount);
    for (int i = 0; i < fast.faceCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(fast.faces[std::size_t(i)].vertexIndex[k],
                      reference.faces[std::size_t(i)].vertexIndex[k])
                << i;
        }
    }
}

TEST(WeldVertex, hashedWeldingEqualsTheLiteralScanOnRandomScenes) {
    std::mt19937 random(20240607);
    kzo::SceneModel fast;
    kzo::SceneModel reference;
    for (int scene = 0; scene < 40; ++scene) {
        SCOPED_TRACE(scene);
        kzo::resetSceneModel(fast);
        kzo::resetSceneModel(reference);
        // Several files into one scene, each object with a pivot of its own.
        const int files = std::uniform_int_distribution<int>(1, 3)(random);
        for (int f = 0; f < files; ++f) {
            const Bytes file = randomFile(random);
            fast.pivotCount = reference.pivotCount = f;
            kzo::load3dsBuffer(fast, file.data, "r.3ds");
            kzo::load3dsBuffer(reference, file.data, "r.3ds", referenceWeldVertex);
        }
        expectSameTables(fast, reference);
    }
}

TEST(WeldVertex, indexFollowsTheModelAfterAnAbandonedFile) {
    kzo::SceneModel fast;
    kzo::SceneModel reference;
    kzo::resetSceneModel(fast);
    kzo::resetSceneModel(reference);
    // The second object's face list is cut short: the file is abandoned after
    // its vertices were welded.
    Bytes damaged =
        file3ds(object("a", vertexList({{1, 2, 3}, {4, 5, 6}})) +
                object("b", vertexList({{7, 8, 9}, {1, 2, 3}}) + chunk(0x4120, Bytes().u16le(5))));
    EXPECT_THROW(kzo::load3dsBuffer(fast, damaged.data, "d.3ds"), kzo::FatalErrorSignal);

    // After a reset the same positions are new again; without a reset the
    // index must describe what the table holds.
    const Bytes file =
        file3ds(object("c", vertexList({{7, 8, 9}, {4, 5, 6}, {7, 8, 9}}) + faceList({{0, 1, 2}})));
    kzo::resetSceneModel(fast);
    kzo::load3dsBuffer(fast, file.data, "c.3ds");
    kzo::load3dsBuffer(reference, file.data, "c.3ds", referenceWeldVertex);
    expectSameTables(fast, reference);

    fast.vertexCount = 1; // a caller that trimmed the table
    reference.vertexCount = 1;
    kzo::load3dsBuffer(fast, file.data, "c.3ds");
    kzo::load3dsBuffer(reference, file.data, "c.3ds", referenceWeldVertex);
    expectSameTables(fast, reference);
}

} // namespace
} // namespace kzotest
