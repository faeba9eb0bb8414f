#include "tests/tools/engine_file_bytes.h"
#include "tests/tools/mini_json.h"
#include "tools/dump_render.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

using namespace kzotest;
using namespace kzo::dump;

namespace {

Json jsonOf(FileKind kind, const Bytes& file, std::string_view path = "x") {
    const std::string text = renderFile(kind, file.data, OutputMode::json, path);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1) << "one line per document";
    return parseJson(text);
}

} // namespace

TEST(DumpJson, kzoDocumentHoldsEveryRecordAsStored) {
    KzoDraft draft = twoObjects();
    draft.shadingType = 4;
    draft.shading.u8(255).u8(128).u8(0).u8(0).u8(1).u8(2).u8(3).u8(3);
    draft.faces[1].corners = 4;
    const Json j = jsonOf(FileKind::kzo, kzoBytes(draft), "dir/a \"b\".kzo");

    EXPECT_EQ(j["file"].text, "dir/a \"b\".kzo");
    EXPECT_EQ(j["kind"].text, "kzo");
    EXPECT_EQ(j["fileSize"].asInt(), 28 + 128 + 24 + 48 + 88 + 32 + 8);
    EXPECT_EQ(j["header"]["versionText"].text, "1.0");
    EXPECT_EQ(j["header"]["pivotCount"].asInt(), 2);
    EXPECT_EQ(j["header"]["shadingName"].text, "precalculated color flat shading");
    EXPECT_EQ(j["images"][0]["name"].text, "wood.bmp");
    EXPECT_TRUE(j["images"][0]["terminated"].boolean);

    const Json& textured = j["materials"][1];
    EXPECT_EQ(textured["imageIndex"].asInt(), 0);
    EXPECT_EQ(textured["flags"].asInt(), 0xCE);
    ASSERT_EQ(textured["flagNames"].items.size(), 5u);
    EXPECT_EQ(textured["flagNames"][0].text, "always");
    EXPECT_EQ(textured["flagNames"][4].text, "textured80");
    EXPECT_EQ(textured["firstFace"].asInt(), 1);

    EXPECT_EQ(j["vertices"][2][1].asFloat(), 1.0f);
    EXPECT_EQ(j["faces"][1]["cornerCount"].asInt(), 4);
    EXPECT_EQ(j["faces"][1]["vertexIndex"][1].asInt(), 2);
    EXPECT_EQ(j["faces"][0]["u"][1].asFloat(), 255.0f);
    EXPECT_TRUE(j["pivots"][0]["parent"].isNull());
    EXPECT_EQ(j["pivots"][1]["parent"].asInt(), 0);
    EXPECT_EQ(j["pivots"][1]["firstVertex"].asInt(), 2);
    EXPECT_EQ(j["pivots"][0]["pivotPoint"][0].asFloat(), 0.5f);
    EXPECT_EQ(j["faceColors"][0]["green"].asInt(), 128);
    EXPECT_EQ(j["faceColors"][1]["blueAgain"].asInt(), 3);
    EXPECT_EQ(j["trailingBytes"].asInt(), 0);
}

TEST(DumpJson, floatsReadBackBitForBit) {
    const float values[] = {0.1f,
                            -0.0f,
                            1.0f / 3.0f,
                            16777217.0f,
                            std::numeric_limits<float>::max(),
                            std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::min(),
                            -123456.789f,
                            std::bit_cast<float>(0x3F7FFFFFu)};
    KzoDraft draft = twoTriangles();
    draft.shadingType = 1;
    for (float v : values) {
        draft.vertices.push_back({v, -v, v * 0.5f});
        draft.shading.f32le(v).f32le(v).f32le(v);
    }
    draft.vertices.resize(sizeof values / sizeof values[0]);
    const Json j = jsonOf(FileKind::kzo, kzoBytes(draft));
    for (std::size_t i = 0; i < draft.vertices.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            const Json& number = j["vertices"][i][c];
            EXPECT_EQ(std::bit_cast<std::uint32_t>(number.asFloat()),
                      std::bit_cast<std::uint32_t>(draft.vertices[i][c]))
                << number.text;
            EXPECT_LE(number.text.size(), 16u) << "no more digits than a float needs";
        }
        EXPECT_EQ(std::bit_cast<std::uint32_t>(j["vertexNormals"][i][0].asFloat()),
                  std::bit_cast<std::uint32_t>(values[i]));
    }
}

TEST(DumpJson, nonFiniteFloatsAndOddNamesStayValidJson) {
    KzoDraft draft = twoObjects();
    draft.vertices[0] = {std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    std::string name = "\xB8\xF0\xB5\xA8 \"q\" \\ \x01";
    draft.images[0] = imageRecord(name);
    const Json j = jsonOf(FileKind::kzo, kzoBytes(draft));
    EXPECT_EQ(j["vertices"][0][0].text, "nan");
    EXPECT_EQ(j["vertices"][0][1].text, "inf");
    EXPECT_EQ(j["vertices"][0][2].text, "-inf");
    EXPECT_EQ(j["images"][0]["name"].text, name) << "every byte recoverable";
}

TEST(DumpJson, sideFilesHoldTheirBlocksAndLights) {
    const Bytes mot =
        motBytes(60, {{KeyDraft{.frame = 5, .position = {2, 4, 6}, .rotation = {90, -45, 1.5f}}}});
    const Json m = jsonOf(FileKind::mot, mot);
    EXPECT_EQ(m["lastFrame"].asInt(), 60);
    EXPECT_EQ(m["motionCount"].asInt(), 1);
    const Json& key = m["blocks"][0]["keys"][0];
    EXPECT_EQ(key["frame"].asInt(), 5);
    EXPECT_EQ(key["position"][2].asFloat(), 6.0f);
    EXPECT_EQ(key["pitch"].asFloat(), -45.0f);
    EXPECT_EQ(key["bank"].asFloat(), 1.5f);
    EXPECT_EQ(key["scale"][0].asFloat(), 1.0f);

    Bytes cam = blockBytes({KeyDraft{.frame = 3}}).i32le(-1).i32le(0);
    const Json c = jsonOf(FileKind::cam, cam);
    EXPECT_EQ(c["camera"]["keys"][0]["frame"].asInt(), 3);
    EXPECT_TRUE(c["parent"]["block"].isNull());
    EXPECT_EQ(c["parent"]["number"].asInt(), -1);
    EXPECT_EQ(c["target"]["number"].asInt(), 0);
    EXPECT_TRUE(c["targetPoint"].isNull());

    const Json l =
        jsonOf(FileKind::kzl,
               kzlBytes({LightDraft{.type = 1, .color = {255, 128, 0}}, LightDraft{.type = 7}}));
    EXPECT_EQ(l["lightCount"].asInt(), 2);
    EXPECT_EQ(l["lights"][0]["typeName"].text, "point");
    EXPECT_EQ(l["lights"][0]["color"][1].asInt(), 128);
    EXPECT_EQ(l["lights"][0]["range"].asFloat(), -1.0f);
    EXPECT_TRUE(l["lights"][1]["typeName"].isNull());
}
