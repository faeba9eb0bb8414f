// Which side the viewer shows, on a model whose front is known: a triangle
// that 3D Studio's front view sees wound counter-clockwise, so its outside
// faces that view. Converted by the kzomaker program, it must face the
// viewer's eye, be lit fully by the head light along the converter's own
// normal, and show nothing when wound the other way.
#include "tests/support/build_3ds.h"
#include "viewer/loaders.h"
#include "viewer/view_session.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace kzotest;

namespace {

std::string convertTriangle(const std::filesystem::path& dir, const std::string& name,
                            const Tri& corners) {
    // The front view looks along +y with x to the right and z up.
    const std::vector<Vec3> points = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    const Bytes bytes = file3ds(object("tri", vertexList(points) + faceList({corners})));
    std::ofstream(dir / (name + ".3ds"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data.data()),
               static_cast<std::streamsize>(bytes.size()));
    const std::string command = std::string("\"") + KZOMAKER_PATH +
                                "\" -q --shading 2 --output-dir \"" + dir.string() + "\" \"" +
                                (dir / (name + ".3ds")).string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return (dir / (name + ".kzo")).string();
}

struct Views {
    kzoview::RasterImage shaded, wire;
};

Views views(const std::string& file) {
    Views v;
    for (const bool shaded : {true, false}) {
        kzoview::ViewCommand command;
        command.file = file;
        command.shaded = shaded;
        kzoview::ViewerDocument doc;
        kzoview::LoadObjectFile(file, doc);
        kzoview::ViewSession session;
        EXPECT_EQ(kzoview::openSession(session, doc.mesh, command), "");
        (shaded ? v.shaded : v.wire) = kzoview::renderSnapshot(session, 60, 60);
    }
    return v;
}

int count(const kzoview::RasterImage& image, std::uint32_t color) {
    return int(std::count(image.pixels.begin(), image.pixels.end(), color));
}

} // namespace

TEST(FrontFace, aConvertedTriangleShowsItsFrontLitAndHidesItsBack) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("kzoview_front_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);

    const Views front = views(convertTriangle(dir, "front", {0, 1, 2}));
    // The default material's grey, undimmed: the normal points at the eye.
    const std::uint32_t grey128 = 0xFF808080u;
    EXPECT_GT(count(front.shaded, grey128), 100);
    EXPECT_EQ(count(front.shaded, kzoview::kBlack) + count(front.shaded, grey128),
              int(front.shaded.pixels.size()));
    EXPECT_GT(count(front.wire, kzoview::kWhite), 0);

    const Views back = views(convertTriangle(dir, "back", {0, 2, 1}));
    EXPECT_EQ(count(back.shaded, kzoview::kBlack), int(back.shaded.pixels.size()));
    EXPECT_EQ(count(back.wire, kzoview::kWhite), 0);
    EXPECT_GT(count(back.wire, kzoview::kGrey), 0);
    std::filesystem::remove_all(dir);
}
