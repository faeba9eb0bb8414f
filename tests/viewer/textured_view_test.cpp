// Textured materials in the shaded views, from the command line down: a quad
// mapped with a 2 x 2 checker in every image format the viewer reads, found
// where the user expects it, and drawn untextured with one line of warning
// when it cannot be.
#include "viewer/view_session.h"

#include "tests/support/model_formats.h"
#include "tests/viewer/image_files.h"
#include "tests/viewer/scene_files.h"
#include "viewer/first_frame.h"
#include "viewer/loaders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

using namespace kzotest;
using namespace kzoview;
namespace fs = std::filesystem;

namespace {

fs::path scratchDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = fs::temp_directory_path() / ("kzoview_textures_" + std::string(test->name()) + "_" +
                                            std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Red and green above, blue and white below.
const Picture kChecker{2, 2, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}};

// A square facing the eye, -1..1 in x and y, mapped with the whole image:
// its lower left corner at u, v = 0, 0 (texel units of a 256-texel map). On
// a 40-pixel square it covers 5..35, and the middles of its quarters, u and
// v at 0.25 or 0.75, are the pixels 12 and 27 across and down.
SceneKzo mappedSquare(const std::string& imageName, std::int32_t shadingType) {
    SceneKzo kzo;
    kzo.images = {imageName};
    kzo.vertices = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    kzo.faces = {{0, 1, 2, 3}};
    kzo.faceUvs = {{{0, 0}, {255, 0}, {255, 255}, {0, 255}}};
    SceneMaterial m{200, 100, 50, 0, false, 1};
    m.image = 0;
    kzo.materials = {m};
    kzo.shadingType = shadingType;
    if (shadingType == kzo::kPrecalcFlat) {
        kzo.shadingData = {255, 128, 64, 64}; // the light the converter baked
    }
    return kzo;
}

struct Shot {
    RasterImage image;
    std::vector<std::string> warnings;
};

Shot snapshot(const std::string& file, std::vector<std::string> options) {
    options.insert(options.begin(), {"--snapshot", "out.png", "--size", "40x40"});
    options.push_back(file);
    const ViewCommand command = parseViewCommand(options);
    ViewerDocument doc;
    LoadObjectFile(command.file, doc);
    ViewSession session;
    Shot shot;
    session.warn = [&shot](const std::string& line) { shot.warnings.push_back(line); };
    EXPECT_EQ(openSession(session, doc.mesh, command, &doc.surfaces), "");
    shot.image = renderSnapshot(session, 40, 40);
    return shot;
}

::testing::AssertionResult near(std::uint32_t pixel, int r, int g, int b, int tolerance) {
    const int got[3] = {int(pixel >> 16 & 0xFF), int(pixel >> 8 & 0xFF), int(pixel & 0xFF)};
    const int want[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        if (std::abs(got[c] - want[c]) > tolerance) {
            return ::testing::AssertionFailure() << got[0] << "," << got[1] << "," << got[2]
                                                 << " is not " << r << "," << g << "," << b;
        }
    }
    return ::testing::AssertionSuccess();
}

// The checker's texel, each channel times light / 255, where the quarter's
// middle lies on screen.
void expectChecker(const RasterImage& image, const Picture& texture, const int light[3],
                   int tolerance) {
    const int across[2] = {12, 27};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            const Rgba& t = texture.at(x, y);
            const auto times = [](int c, int l) { return (c * l + 127) / 255; };
            EXPECT_TRUE(near(image.at(across[x], across[y]), times(t.r, light[0]),
                             times(t.g, light[1]), times(t.b, light[2]), tolerance))
                << "texel " << x << "," << y;
        }
    }
}

Picture greyOf(const Picture& p) {
    Picture grey = p;
    for (Rgba& t : grey.texels) {
        t.g = t.b = t.r;
    }
    return grey;
}

} // namespace

TEST(TexturedView, aCheckerInEveryImageFormatShowsItsTexelsTimesTheBakedLight) {
    const fs::path dir = scratchDirectory();
    struct Format {
        std::string file;
        Bytes bytes;
        Picture shows;
        int tolerance;
    };
    const std::vector<Format> formats = {
        {"checker.png", pngFile(kChecker), kChecker, 0},
        {"checker.jpg", jpegFile(kChecker), kChecker, 6},
        {"checker.tga", tgaFile(kChecker, {24, false, false}), kChecker, 0},
        {"checker_rle.tga", tgaFile(kChecker, {32, true, true}), kChecker, 0},
        {"checker_grey.tga", tgaFile(kChecker, {8, true, false}), greyOf(kChecker), 0},
        {"checker.bmp", bmpFile(kChecker), kChecker, 0},
    };
    const int baked[3] = {255, 128, 64};
    const int white[3] = {255, 255, 255};
    for (const Format& f : formats) {
        SCOPED_TRACE(f.file);
        writeBytes(dir / f.file, f.bytes.data);
        // Named with a folder of another system and in capitals, as old
        // scenes name their maps; found beside the file in its own case.
        std::string upper = f.file;
        for (char& c : upper) {
            c = char(std::toupper(static_cast<unsigned char>(c)));
        }
        const std::string kzo = (dir / "square.kzo").string();
        writeBytes(kzo, kzoBytes(mappedSquare("C:\\MAPS\\" + upper, kzo::kPrecalcFlat)));
        const Shot lit = snapshot(kzo, {"--shaded"});
        EXPECT_TRUE(lit.warnings.empty()) << lit.warnings.front();
        expectChecker(lit.image, f.shows, baked, f.tolerance);

        // Without shading data the texels alone: the material's own colour
        // does not tint a textured material.
        writeBytes(kzo, kzoBytes(mappedSquare(f.file, kzo::kNoShading)));
        expectChecker(snapshot(kzo, {"--shaded"}).image, f.shows, white, f.tolerance);
    }
}

TEST(TexturedView, aTextureIsLookedForBesideTheFileThenInEachTexturesDirectoryInOrder) {
    const fs::path dir = scratchDirectory();
    fs::create_directories(dir / "model");
    fs::create_directories(dir / "first");
    fs::create_directories(dir / "second");
    const std::string kzo = (dir / "model" / "square.kzo").string();
    writeBytes(kzo, kzoBytes(mappedSquare("checker.tga", kzo::kPrecalcFlat)));
    Picture other = kChecker;
    std::swap(other.texels[0], other.texels[3]);
    writeBytes(dir / "second" / "checker.tga", tgaFile(kChecker, {}).data);
    const int baked[3] = {255, 128, 64};

    const std::string first = (dir / "first").string();
    const std::string second = (dir / "second").string();
    const Shot found = snapshot(kzo, {"--shaded", "--textures", first, "--textures", second});
    EXPECT_TRUE(found.warnings.empty());
    expectChecker(found.image, kChecker, baked, 0);

    writeBytes(dir / "first" / "CHECKER.TGA", tgaFile(other, {}).data);
    expectChecker(snapshot(kzo, {"--shaded", "--textures", first, "--textures", second}).image,
                  other, baked, 0);
    writeBytes(dir / "model" / "checker.tga", tgaFile(kChecker, {}).data);
    expectChecker(snapshot(kzo, {"--shaded", "--textures", first}).image, kChecker, baked, 0);
}

TEST(TexturedView, aTextureThatCannotBeShownIsOneLineAndItsMaterialIsDrawnUntextured) {
    const fs::path dir = scratchDirectory();
    const std::string kzo = (dir / "square.kzo").string();
    writeBytes(kzo, kzoBytes(mappedSquare("maps/checker.tga", kzo::kPrecalcFlat)));
    // Untextured, the baked light alone.
    const Shot plain = snapshot(kzo, {"--shaded", "--no-textures"});
    EXPECT_TRUE(plain.warnings.empty());
    EXPECT_EQ(plain.image.at(20, 20), 0xFFFF8040u);

    const Shot missing = snapshot(kzo, {"--shaded"});
    EXPECT_EQ(missing.warnings, std::vector<std::string>{"texture 'maps/checker.tga' not found "
                                                         "beside '" +
                                                         kzo + "' or in --textures"});
    EXPECT_EQ(missing.image.pixels, plain.image.pixels);

    struct Broken {
        Bytes bytes;
        std::string says;
    };
    Bytes huge = tgaFile(kChecker, {24, true, false});
    huge.data[12] = huge.data[14] = 0x60; // 60000 x 60000
    huge.data[13] = huge.data[15] = 0xEA;
    Bytes cut = tgaFile(kChecker, {24, true, false});
    cut.data.resize(cut.size() - 2);
    const std::vector<Broken> broken = {
        {huge, "claims 60000 x 60000 pixels, more than the viewer takes"},
        {cut, "is truncated"},
        {Bytes().str("not an image"), "is no PNG, JPEG, TGA or BMP image"},
    };
    for (const Broken& b : broken) {
        writeBytes(dir / "checker.tga", b.bytes.data);
        const Shot shot = snapshot(kzo, {"--shaded"});
        ASSERT_EQ(shot.warnings.size(), 1u);
        EXPECT_EQ(shot.warnings[0].rfind("texture 'maps/checker.tga': '" +
                                             (dir / "checker.tga").string() + "' " + b.says,
                                         0),
                  0u)
            << shot.warnings[0];
        EXPECT_EQ(shot.image.pixels, plain.image.pixels);
    }
}

TEST(TexturedView, theThumbnailOfATexturedFileIsShadedUnlessTexturesAreOff) {
    const fs::path dir = scratchDirectory();
    const std::string kzo = (dir / "square.kzo").string();
    writeBytes(kzo, kzoBytes(mappedSquare("checker.png", kzo::kNoShading)));
    writeBytes(dir / "checker.png", pngFile(kChecker).data);
    const int white[3] = {255, 255, 255};
    expectChecker(snapshot(kzo, {"--auto-shaded"}).image, kChecker, white, 0);

    ViewerDocument doc;
    LoadObjectFile(kzo, doc);
    const RasterImage wireframe = renderFirstFrame(doc.mesh, 40, 40);
    EXPECT_EQ(snapshot(kzo, {"--auto-shaded", "--no-textures"}).image.pixels, wireframe.pixels);
    fs::remove(dir / "checker.png");
    EXPECT_EQ(snapshot(kzo, {"--auto-shaded"}).image.pixels, wireframe.pixels);
}

TEST(TexturedView, aTexelsAlphaMultipliesTheMaterialsOpacity) {
    const fs::path dir = scratchDirectory();
    // The mapped square in front of a larger blue one (z = 1).
    SceneKzo kzo = mappedSquare("glass.tga", kzo::kNoShading);
    kzo.vertices.insert(kzo.vertices.end(), {{-2, -2, 1}, {2, -2, 1}, {0, 2, 1}});
    kzo.faces.push_back({4, 5, 6});
    kzo.materials.push_back({0, 0, 255, 0, false, 1});
    const Picture glass{1, 1, {{255, 255, 255, 128}}};
    writeBytes(dir / "glass.tga", tgaFile(glass, {32, false, false}).data);
    const std::string file = (dir / "glass.kzo").string();
    writeBytes(file, kzoBytes(kzo));
    const auto over = [](int a, int b, int alpha) {
        return (a * alpha + b * (255 - alpha) + 127) / 255;
    };
    EXPECT_TRUE(near(snapshot(file, {"--shaded"}).image.at(20, 20), over(255, 0, 128),
                     over(255, 0, 128), 255, 0));

    kzo.materials[0].transparent = true;
    kzo.materials[0].transparency = 128; // 127 of 255 solid
    writeBytes(file, kzoBytes(kzo));
    const int alpha = (128 * 127 + 127) / 255;
    EXPECT_TRUE(near(snapshot(file, {"--shaded"}).image.at(20, 20), over(255, 0, alpha),
                     over(255, 0, alpha), 255, 0));
}

TEST(TexturedView, aModelOfAnotherFormatOpenedDirectlyShowsItsTexture) {
    const fs::path dir = scratchDirectory();
    // The mapped square standing in 3D Studio's space (z up), which the
    // import turns to face the eye, under the head light face on.
    TestModel model;
    model.materials = {{"tiles", 0.2f, 0.4f, 0.6f, 0, "checker.png"}};
    model.objects = {{"square",
                      {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}},
                      {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                      {{0, 1, 2}, {0, 2, 3}},
                      "tiles"}};
    writeBytes(dir / "checker.png", pngFile(kChecker).data);
    std::ofstream(dir / "square.obj") << asObj(model, "square.mtl");
    std::ofstream(dir / "square.mtl") << asMtl(model);
    const GltfFiles gltf = asGltf(model, "square.bin");
    std::ofstream(dir / "square.gltf") << gltf.json;
    writeBytes(dir / "square.bin", gltf.bin.data);
    const int white[3] = {255, 255, 255};
    for (const char* file : {"square.obj", "square.gltf"}) {
        SCOPED_TRACE(file);
        const Shot shot = snapshot((dir / file).string(), {"--shaded"});
        EXPECT_TRUE(shot.warnings.empty());
        expectChecker(shot.image, kChecker, white, 1);
        // Untextured, it is the grey of every model of another format.
        EXPECT_EQ(snapshot((dir / file).string(), {"--shaded", "--no-textures"}).image.at(20, 20),
                  0xFFC8C8C8u);
        expectChecker(snapshot((dir / file).string(), {"--auto-shaded"}).image, kChecker, white, 1);
    }
}
