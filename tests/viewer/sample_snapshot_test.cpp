// The bundled sample scene converted by the kzomaker program, baked and
// animated, and the textured sample with its images, drawn as kzoview
// --snapshot draws them: the pictures must match the stored ones pixel for
// pixel. When the drawing changes on purpose, make
// them again with the commands in tests/viewer/data/README.
#include "viewer/loaders.h"
#include "viewer/view_session.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace {

fs::path scratchDirectory() {
    auto dir =
        fs::temp_directory_path() / ("kzoview_sample_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void convert(const fs::path& into, const std::string& options,
             const std::string& sample = "robot.lws") {
    fs::create_directories(into);
    const std::string command = std::string("\"") + KZOMAKER_PATH + "\" -q " + options +
                                " --output-dir \"" + into.string() + "\" \"" + SAMPLES_DIR + "/" +
                                sample + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The picture's pixels as 0xFFRRGGBB, row after row.
std::vector<std::uint32_t> readPng(const fs::path& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.string().c_str()) == 0) {
        ADD_FAILURE() << "cannot read " << path << ": " << image.message;
        return {};
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr);
    width = int(image.width);
    height = int(image.height);
    std::vector<std::uint32_t> pixels;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        pixels.push_back(0xFF000000u | std::uint32_t(rgb[i]) << 16 |
                         std::uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    }
    return pixels;
}

void expectPicture(const fs::path& file, const std::vector<std::string>& options,
                   const std::string& stored) {
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> want = readPng(fs::path(STORED_DIR) / stored, width, height);
    std::vector<std::string> args = {"--snapshot", "out.png"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(file.string());
    const kzoview::ViewCommand command = kzoview::parseViewCommand(args);
    kzoview::ViewerDocument doc;
    kzoview::LoadObjectFile(command.file, doc);
    kzoview::ViewSession session;
    ASSERT_EQ(kzoview::openSession(session, doc.mesh, command), "");
    const kzoview::RasterImage got = kzoview::renderSnapshot(session, width, height);
    EXPECT_EQ(got.pixels, want) << stored;
}

} // namespace

TEST(SampleSnapshot, theBakedAndThePlayedSampleLookAsStored) {
    const fs::path dir = scratchDirectory();
    convert(dir / "baked", "--shading 3 --light");
    convert(dir / "played", "--shading 1 --animation --camera --light");
    expectPicture(dir / "baked" / "robot.kzo", {"--shaded"}, "robot_baked.png");
    expectPicture(dir / "played" / "robot.kzo", {"--shaded", "--frame", "30", "--lights"},
                  "robot_frame30.png");
    fs::remove_all(dir);
}

TEST(SampleSnapshot, theTexturedSampleLooksAsStoredWithTheImagesBesideIt) {
    const fs::path dir = scratchDirectory();
    convert(dir, "--shading 1", "textured.3ds");
    expectPicture(dir / "textured.kzo", {"--shaded", "--textures", SAMPLES_DIR}, "textured.png");
    fs::remove_all(dir);
}
