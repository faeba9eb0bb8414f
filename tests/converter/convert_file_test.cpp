#include "converter/pipeline/convert_file.h"
#include "tests/converter/collecting_converter.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/temp_dir.h"
#include "tests/converter/two_triangles.h"
#include "tests/support/build_lwo2.h"
#include "tests/support/build_lwob.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kzo;
using namespace kzotest;

namespace {

std::vector<std::string> summary(const std::string& output, int materials, int vertices, int faces,
                                 const char* shading) {
    return {"'" + output + "' Writing...",
            "============================",
            "version: 1.0",
            "0 images",
            std::to_string(materials) + " materials",
            std::to_string(vertices) + " vertices",
            std::to_string(faces) + " faces",
            "0 pivots",
            shading,
            "============================"};
}

} // namespace

TEST(ConvertFile, threeDsFileBecomesTheExactKzoBytesForEachRealtimeShading) {
    const char* shadingNames[] = {"no shading", "realtime groud shading", "realtime flat shading"};
    const Bytes shadingData[] = {{}, twoTrianglesVertexNormals(), twoTrianglesFaceNormals()};
    for (std::int32_t shading = 0; shading <= 2; ++shading) {
        SCOPED_TRACE(shading);
        TempDir dir;
        writeBytes(dir / "SHIP.3DS", twoTriangles3ds().data);
        Converter c;
        c.settings.shadingType = shading;
        std::string output;
        EXPECT_EQ(c.convert(dir / "SHIP.3DS", dir.path().string(), &output),
                  ConversionOutcome::converted);
        EXPECT_EQ(output, dir / "SHIP.kzo");

        std::vector<std::string> expected = {"'" + (dir / "SHIP.3DS") + "' Converting..."};
        for (const auto& line : summary(output, 1, 4, 2, shadingNames[shading])) {
            expected.push_back(line);
        }
        expected.push_back("'" + (dir / "SHIP.3DS") + "' Converting...OK");
        EXPECT_EQ(c.lines, expected);

        const auto bytes = readBytes(output);
        expectWellFormedKzo(bytes);
        const std::uint16_t flags = shading == 0 ? 0x0002 : 0x0006;
        EXPECT_EQ(bytes, (kzoHeader(0, 1, 4, 2, 0, shading) + twoTrianglesKzoBody(flags) +
                          shadingData[shading])
                             .data);
        EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"SHIP.3DS", "SHIP.kzo"}));
    }
}

TEST(ConvertFile, nameDecidesThePathByItsLastThreeCharacters) {
    TempDir dir;
    writeBytes(dir / "my3ds", twoTriangles3ds().data);
    writeBytes(dir / "x.3dS", twoTriangles3ds().data);
    writeBytes(dir / "notes.txt", twoTriangles3ds().data);
    Converter c;
    std::string output;
    EXPECT_EQ(c.convert(dir / "my3ds", dir.path().string(), &output), ConversionOutcome::converted);
    EXPECT_EQ(output, dir / "mykzo");
    expectWellFormedKzo(readBytes(dir / "mykzo"));
    EXPECT_EQ(c.convert(dir / "x.3dS", dir.path().string(), &output), ConversionOutcome::converted);
    EXPECT_EQ(output, dir / "x.kzo");

    c.lines.clear();
    EXPECT_EQ(c.convert(dir / "notes.txt", dir.path().string()), ConversionOutcome::rejected);
    EXPECT_EQ(c.lines,
              (std::vector<std::string>{"'" + (dir / "notes.txt") + "' Converting...",
                                        "'" + (dir / "notes.txt") + "' is not lws or 3ds file"}));
    EXPECT_EQ(listDirectory(dir.path()),
              (std::vector<std::string>{"my3ds", "mykzo", "notes.txt", "x.3dS", "x.kzo"}));
}

// A LightWave object given on its own converts as the one object of a scene
// would: LightWave's axes kept, its quad a fan of two triangles. It has no
// side files to give, and says so when they are asked for.
TEST(ConvertFile, lightWaveObjectConvertsAsAModelOfItsOwn) {
    TempDir dir;
    writeBytes(dir / "box.v2.LWO",
               lwo2File(layr(0, "front") + pnts({{0, 0, 2}, {1, 0, 2}, {1, 1, 2}, {0, 1, 2}}) +
                        pols2("FACE", {{0, 1, 2, 3}}))
                   .data);
    Converter c;
    c.settings.animation = 1;
    std::string output;
    EXPECT_EQ(c.convert(dir / "box.v2.LWO", dir.path().string(), &output),
              ConversionOutcome::converted);
    EXPECT_EQ(output, dir / "box.v2.kzo");
    EXPECT_EQ(c.lines[1], "'" + (dir / "box.v2.LWO") +
                              "' is a LightWave object, not a scene: it has no .mot, .cam or .kzl "
                              "files (the scene that loads it has)");
    const dump::KzoDump kzo = dump::parseKzo(readBytes(dir / "box.v2.kzo"));
    EXPECT_EQ(kzo.header.vertexCount, 4);
    EXPECT_EQ(kzo.header.faceCount, 2);
    for (const KzoVertexRecord& v : kzo.vertices) {
        EXPECT_EQ(v.z, 2.0f);
    }
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"box.v2.LWO", "box.v2.kzo"}));
}

TEST(ConvertFile, missingInputIsAnErrorAndTheNextFileStillConverts) {
    TempDir dir;
    writeBytes(dir / "good.3ds", twoTriangles3ds().data);
    Converter c;
    EXPECT_EQ(c.convert(dir / "gone.3ds", dir.path().string()), ConversionOutcome::failed);
    EXPECT_EQ(c.lines,
              (std::vector<std::string>{"'" + (dir / "gone.3ds") + "' Converting...",
                                        "ERROR: cannot open '" + (dir / "gone.3ds") + "'"}));
    EXPECT_EQ(c.convert(dir / "good.3ds", dir.path().string()), ConversionOutcome::converted);
    EXPECT_EQ(c.lines.back(), "'" + (dir / "good.3ds") + "' Converting...OK");
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"good.3ds", "good.kzo"}));

    // A device is not read without end, a FIFO not waited on.
    std::filesystem::create_symlink("/dev/zero", dir / "zero.3ds");
    ASSERT_EQ(::mkfifo((dir / "fifo.lws").c_str(), 0600), 0);
    for (const char* name : {"zero.3ds", "fifo.lws"}) {
        EXPECT_EQ(c.convert(dir / name, dir.path().string()), ConversionOutcome::failed);
        EXPECT_EQ(c.lines.back(), "ERROR: cannot open '" + (dir / name) + "': not a regular file");
    }
    for (const char* name : {"folder.3ds", "folder.lws", "folder.lwo", "folder.obj"}) {
        std::filesystem::create_directory(dir / name);
        EXPECT_EQ(c.convert(dir / name, dir.path().string()), ConversionOutcome::failed);
        EXPECT_EQ(c.lines.back(), "ERROR: cannot open '" + (dir / name) + "': it is a directory");
    }
}

// Input that is no model, or a model or scene without a single triangle, is an
// error and writes nothing, whichever importer read it.
TEST(ConvertFile, inputWithoutGeometryIsAnErrorAndWritesNothing) {
    TempDir dir;
    const Bytes jpeg = Bytes().u8(0xFF).u8(0xD8).u8(0xFF).u8(0xE0).str("JFIF", true);
    const Bytes noTriangles =
        file3ds(object("points", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}})));
    writeBytes(dir / "empty.3ds", {});
    writeBytes(dir / "photo.3ds", jpeg.data);
    writeBytes(dir / "points.3ds", noTriangles.data);
    writeBytes(dir / "empty.lws", {});
    writeBytes(dir / "binary.lws", jpeg.data);
    const std::string emptyScene =
        (lws({"LastFrame 1", "AddNullObject Pivot"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
         lws({"AddLight", "LightType 1"}) + envelope("CameraMotion", {key(0, 0, -5)}))
            .text;
    writeBytes(dir / "lights.lws", {emptyScene.begin(), emptyScene.end()});
    writeBytes(dir / "lights.kzo", {'o', 'l', 'd'});
    const std::vector<std::string> inputs = listDirectory(dir.path());

    const std::string notA3ds = "' is not a 3D Studio file: it does not start with the main chunk";
    const std::string noGeometry = "' holds no geometry: not one triangle";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty.3ds", notA3ds},    {"photo.3ds", notA3ds},     {"points.3ds", noGeometry},
        {"empty.lws", noGeometry}, {"binary.lws", noGeometry}, {"lights.lws", noGeometry}};
    for (const auto& [name, fault] : cases) {
        Converter c;
        c.settings.animation = c.settings.cameraFile = c.settings.lightFile = 1;
        c.settings.dependencyFile = 1;
        EXPECT_EQ(c.convert(dir / name, dir.path().string()), ConversionOutcome::failed) << name;
        EXPECT_EQ(c.lines.back(), "ERROR: '" + (dir / name) + fault) << name;
    }
    EXPECT_EQ(listDirectory(dir.path()), inputs);
    EXPECT_EQ(readBytes(dir / "lights.kzo"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST(ConvertFile, unwritableOutputIsAnErrorWithoutOkLine) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    Converter c;
    const std::string missingDirectory = dir / "no/such";
    EXPECT_EQ(c.convert(dir / "a.3ds", missingDirectory), ConversionOutcome::failed);
    EXPECT_EQ(c.lines.back(),
              "ERROR: cannot write '" + missingDirectory + "/a.kzo': No such file or directory");
    EXPECT_EQ(c.lines.size(), 12u); // Converting, Writing, the summary, ERROR: no OK line
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds"}));

    // Something that cannot be replaced stands where the output goes.
    std::filesystem::create_directories(dir.path() / "a.kzo" / "keep");
    c.lines.clear();
    EXPECT_EQ(c.convert(dir / "a.3ds", dir.path().string()), ConversionOutcome::failed);
    EXPECT_EQ(c.lines.back(), "ERROR: cannot write '" + (dir / "a.kzo") + "': Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a.kzo" / "keep"));
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds", "a.kzo"}));
}

TEST(ConvertFile, damagedInputKeepsTheOlderOutput) {
    TempDir dir;
    Bytes damaged = twoTriangles3ds();
    damaged.data.resize(damaged.size() - 5);
    writeBytes(dir / "a.3ds", damaged.data);
    writeBytes(dir / "a.kzo", {1, 2, 3});
    Converter c;
    EXPECT_EQ(c.convert(dir / "a.3ds", dir.path().string()), ConversionOutcome::failed);
    EXPECT_EQ(c.lines.back().rfind("ERROR: ", 0), 0u) << c.lines.back();
    EXPECT_EQ(readBytes(dir / "a.kzo"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds", "a.kzo"}));
}

TEST(ConvertFile, facesWithoutMaterialGetTheDefaultMaterialAndNothingOfTheFileBefore) {
    TempDir dir;
    // First a file with two materials and a texture, then one whose triangle no
    // material list names.
    const Bytes textured =
        material("skin", rgbBytes(10, 20, 30) + textureMap("skin.bmp")) +
        material("red", rgbBytes(255, 0, 0)) +
        object("a", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}}) +
                        faceList({{0, 1, 2}, {1, 2, 3}}, faceMaterialList("skin", {0, 1})));
    writeBytes(dir / "first.3ds", file3ds(textured).data);
    writeBytes(
        dir / "second.3ds",
        file3ds(object("b", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) + faceList({{0, 1, 2}})))
            .data);
    Converter c;
    ASSERT_EQ(c.convert(dir / "first.3ds", dir.path().string()), ConversionOutcome::converted);
    ASSERT_EQ(c.convert(dir / "second.3ds", dir.path().string()), ConversionOutcome::converted);

    Bytes expected = kzoHeader(0, 1, 3, 1, 0, 0);
    expected.u8(128).u8(128).u8(128).u8(128).i16le(-1).u16le(0x0002).i32le(1);
    expected.f32le(0).f32le(0).f32le(0).f32le(1).f32le(0).f32le(0).f32le(0).f32le(0).f32le(1);
    expected.append(kzoFace(0, 1, 2, {0, 0, 0}, {0, 0, 0}));
    const auto bytes = readBytes(dir / "second.kzo");
    expectWellFormedKzo(bytes);
    EXPECT_EQ(bytes, expected.data);
    expectWellFormedKzo(readBytes(dir / "first.kzo"));
}

// Every output is encoded before the first is written: when the last one
// cannot be encoded (a light value that is no number), no file is written,
// though the KZO, motion and camera files encoded fine, and older outputs stay
// as they were.
TEST(ConvertFile, aSceneWritesAllItsFilesOrNone) {
    TempDir dir;
    writeBytes(dir / "box.3ds", twoTriangles3ds().data);
    const std::string scene =
        (lws({"LastFrame 1", "LoadObject box.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)}) +
         lws({"AddLight", "LgtIntensity nan"}) + envelope("CameraMotion", {key(0, 0, -5)}))
            .text;
    writeBytes(dir / "s.lws", {scene.begin(), scene.end()});
    writeBytes(dir / "s.kzo", {'o', 'l', 'd'});
    writeBytes(dir / "s.mot", {'o', 'l', 'd'});
    Converter c;
    c.settings.animation = 1;
    c.settings.cameraFile = 1;
    c.settings.lightFile = 1;
    EXPECT_EQ(c.convert(dir / "s.lws", dir.path().string()), ConversionOutcome::failed);
    ASSERT_EQ(c.lines.size(), 14u);
    EXPECT_EQ(c.lines[1], "'" + (dir / "s.kzo") + "' Writing...");
    EXPECT_EQ(c.lines[11], "'" + (dir / "s.cam") + "' Writing...");
    EXPECT_EQ(c.lines[12], "'" + (dir / "s.kzl") + "' Writing...");
    EXPECT_EQ(c.lines[13], "ERROR: '" + (dir / "s.lws") +
                               "': light 0 holds a value that is not a finite number");
    EXPECT_EQ(listDirectory(dir.path()),
              (std::vector<std::string>{"box.3ds", "s.kzo", "s.lws", "s.mot"}));
    EXPECT_EQ(readBytes(dir / "s.kzo"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(readBytes(dir / "s.mot"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}
