// A .3ds file written here, converted by the kzomaker program, and the .kzo it
// writes loaded from disk: the two programs share nothing but that file.
#include "tests/support/build_3ds.h"
#include "tests/viewer/viewer_test_support.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace kzotest;

namespace {

std::filesystem::path scratchDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir =
        std::filesystem::temp_directory_path() / ("kzoview_roundtrip_" + std::string(test->name()) +
                                                  "_" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data.data()),
               static_cast<std::streamsize>(bytes.size()));
}

float halfExtent(const kzoview::ViewerMesh& mesh, float kzoview::MeshVertex::*axis) {
    float largest = 0;
    for (int i = 0; i < mesh.vertexCount; ++i) {
        largest = std::max(largest, std::fabs(mesh.vertexArray[i].*axis));
    }
    return largest;
}

} // namespace

TEST(KzomakerRoundTrip, convertedBoxLoadsWithItsFacesVerticesAndEdges) {
    const std::filesystem::path dir = scratchDirectory();
    // A 1 x 2 x 4 box, two triangles per side.
    const std::vector<Vec3> corners = {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {0, 2, 0},
                                       {0, 0, 4}, {1, 0, 4}, {1, 2, 4}, {0, 2, 4}};
    const std::vector<Tri> triangles = {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7},
                                        {0, 1, 5}, {0, 5, 4}, {1, 2, 6}, {1, 6, 5},
                                        {2, 3, 7}, {2, 7, 6}, {3, 0, 4}, {3, 4, 7}};
    writeFile(dir / "box.3ds", file3ds(object("box", vertexList(corners) + faceList(triangles))));

    const std::string command = std::string("\"") + KZOMAKER_PATH +
                                "\" -q --shading 2 --output-dir \"" + dir.string() + "\" \"" +
                                (dir / "box.3ds").string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile((dir / "box.kzo").string(), doc);
    EXPECT_EQ(doc.captionText, "box.kzo 12 faces 8 vertices type 2");
    EXPECT_EQ(edgeCount(doc.mesh), 18u);
    expectFaceEdgesConsistent(doc.mesh);
    // The converter turns 3DS z-up into y-up: the 4-unit side stands along y.
    EXPECT_EQ(halfExtent(doc.mesh, &kzoview::MeshVertex::x), 0.5f);
    EXPECT_EQ(halfExtent(doc.mesh, &kzoview::MeshVertex::y), 2.0f);
    EXPECT_EQ(halfExtent(doc.mesh, &kzoview::MeshVertex::z), 1.0f);
    EXPECT_EQ(doc.mesh.viewDistance, 8.0f);
    std::filesystem::remove_all(dir);
}
