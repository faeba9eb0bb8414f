#include "tests/tools/engine_file_bytes.h"
#include "tools/dump_parse.h"
#include "tools/dump_render.h"
#include "tools/file_kind.h"

#include <gtest/gtest.h>

using namespace kzotest;
using namespace kzo::dump;

namespace {

std::string textOf(FileKind kind, const Bytes& file, OutputMode mode = OutputMode::text) {
    return renderFile(kind, file.data, mode, "x");
}

void expectLine(const std::string& text, const std::string& line) {
    EXPECT_NE(text.find("\n" + line + "\n"), std::string::npos)
        << "missing line \"" << line << "\" in\n"
        << text;
}

} // namespace

TEST(DumpText, kzoTextShowsEveryRecordReadably) {
    KzoDraft draft = twoObjects();
    draft.shadingType = 3;
    draft.shading.u8(1).u8(2).u8(3).u8(3).zeros(8).zeros(12);
    draft.materials[0].flags = 0x0103; // a bit without a name
    const std::string text = "\n" + textOf(FileKind::kzo, kzoBytes(draft));
    expectLine(text, "  version 1.0 (16)");
    expectLine(text, "  shading 3 precalculated color goroud shading");
    expectLine(text, "  0 \"wood.bmp\"");
    expectLine(text, "  0 colour 128 128 128, transparency 128, image -1, "
                     "flags 0x0103 transparent always 0x0100, faces 1 from face 0");
    expectLine(text, "  1 colour 128 128 128, transparency 128, image 0, "
                     "flags 0x00CE always shaded textured textured40 textured80, faces 1 from "
                     "face 1");
    expectLine(text, "  2 (1, 1, 0)");
    expectLine(text, "  1 corners 3, vertices 1 2 3, u 255 255 0, v 0 255 255");
    expectLine(text, "  1 point (0, 1, 0), parent 0, vertices 2 from vertex 2");
    expectLine(text, "  0 point (0.5, 0, 0), parent none, vertices 2 from vertex 0");
    expectLine(text, "  0 red 1 2 3 3, green 0 0 0 0, blue 0 0 0 0");
}

TEST(DumpText, summaryUsesTheConvertersLines) {
    KzoDraft draft = twoTriangles();
    draft.shadingType = 1;
    const std::string summary = textOf(FileKind::kzo, kzoBytes(draft), OutputMode::summary);
    EXPECT_EQ(summary, "============================\n"
                       "version: 1.0\n"
                       "0 images\n"
                       "1 materials\n"
                       "4 vertices\n"
                       "2 faces\n"
                       "0 pivots\n"
                       "realtime groud shading\n"
                       "============================\n");
    // Only the header is needed: a body that is missing still has a summary.
    Bytes headerOnly = kzoBytes(draft);
    headerOnly.data.resize(28);
    EXPECT_EQ(textOf(FileKind::kzo, headerOnly, OutputMode::summary), summary);
}

TEST(DumpText, sideFileTextNamesSectionsAndLightTypes) {
    const std::string mot = "\n" + textOf(FileKind::mot, motBytes(60, {{KeyDraft{.frame = 0}}}));
    expectLine(mot, "last frame 60");
    expectLine(mot, "block 0: 1 key");
    expectLine(mot, "    frame 0: position (0, 0, 0), heading 0, pitch 0, bank 0, scale (1, 1, 1)");

    const std::string cam = "\n" + textOf(FileKind::cam, Bytes{}.i32le(-1).i32le(-1));
    expectLine(cam, "camera: none");
    expectLine(cam, "parent: none (-1)");
    expectLine(cam, "target: none (-1)");

    const std::string kzl =
        "\n" + textOf(FileKind::kzl, kzlBytes({LightDraft{.type = 2, .direction = {-0.0f, 0, -1}},
                                               LightDraft{.type = 3}}));
    expectLine(kzl, "light 0: type 2 spot");
    expectLine(kzl, "  direction (-0, 0, -1)");
    expectLine(kzl, "light 1: type 3 unknown");
    expectLine(kzl, "  range -1");
}

TEST(DumpText, unreadableBytesRaiseAnErrorWithTheirOffset) {
    Bytes file = kzoBytes(twoTriangles());
    file.data.resize(100);
    try {
        textOf(FileKind::kzo, file);
        FAIL() << "no error";
    } catch (const DumpError& e) {
        EXPECT_EQ(e.offset, 88u);
        EXPECT_NE(std::string(e.what()).find("face records"), std::string::npos) << e.what();
    }
}

TEST(FileKinds, decidedByTheLastThreeCharactersInAnyCase) {
    EXPECT_EQ(fileKindFromPath("a/b.kzo"), FileKind::kzo);
    EXPECT_EQ(fileKindFromPath("SCENE.MOT"), FileKind::mot);
    EXPECT_EQ(fileKindFromPath("cameracam"), FileKind::cam);
    EXPECT_EQ(fileKindFromPath("x.Kzl"), FileKind::kzl);
    EXPECT_FALSE(fileKindFromPath("x.kzo.bak"));
    EXPECT_FALSE(fileKindFromPath("zo"));
    EXPECT_EQ(fileKindFromName("cam"), FileKind::cam);
    EXPECT_FALSE(fileKindFromName("CAM")); // --kind takes the names as written
}
