#include "converter/app/command_line.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_files.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/run_kzomaker.h"

#include <sstream>

using namespace kzo;
using namespace kzotest;

namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string readText(const std::string& path) {
    const auto bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A scene of one object (Objects/box.3ds), a light and a camera aimed at the
// object.
Lws boxScene(const std::string& objectPath = "Objects\\box.lwo") {
    return lws({"LastFrame 20", "LoadObject " + objectPath}) +
           envelope("ObjectMotion", {key(0, 1, 0), key(0, 2, 0).frame(20)}) +
           lws({"AddLight", "LightType 1"}) + envelope("LightMotion", {key(0, 5, -5)}) +
           envelope("CameraMotion", {key(0, 1, -10)}) + lws({"TargetObject 1"});
}

void writeBox(const TempDir& dir) {
    std::filesystem::create_directories(dir.path() / "Objects");
    writeBytes(dir / "Objects/box.3ds", triangle3ds("box", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}).data);
}

} // namespace

TEST(ConvertScene, writesTheKzoAndAllThreeSideFiles) {
    TempDir in, out;
    writeBox(in);
    const std::string scene = in / "scene.lws";
    const std::string text = boxScene().text;
    writeBytes(scene, {text.begin(), text.end()});
    const CliRun r = kzomaker({"--animation", "--camera", "--light", "--shading", "precalc-gouraud",
                               "-o", out.path().string(), scene});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(contains(r.out, "'" + out / "scene.cam" + "' Writing...\n'" + out / "scene.kzl" +
                                    "' Writing...\n'" + scene + "' Converting...OK\n"));
    ASSERT_EQ(listDirectory(out.path()),
              (std::vector<std::string>{"scene.cam", "scene.kzl", "scene.kzo", "scene.mot"}));
    for (const char* name : {"scene.kzo", "scene.mot", "scene.cam", "scene.kzl"}) {
        expectWellFormedEngineFile(out / name, readBytes(out / name));
    }
}

TEST(ConvertScene, aMissingObjectConvertsNothingAndTheNextFileStillConverts) {
    TempDir in, out;
    writeBox(in);
    const std::string bad = boxScene("Objects\\gone.lwo").text;
    const std::string good = boxScene().text;
    writeBytes(in / "bad.lws", {bad.begin(), bad.end()});
    writeBytes(in / "good.lws", {good.begin(), good.end()});
    // An older output of the failing scene survives untouched.
    writeBytes(out / "bad.kzo", {'o', 'l', 'd'});
    const CliRun r = kzomaker({"--animation", "--camera", "--light", "-o", out.path().string(),
                               in / "bad.lws", in / "good.lws"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: cannot open 'Objects\\gone.3ds'\n");
    EXPECT_FALSE(contains(r.out, "'" + in / "bad.lws" + "' Converting...OK"));
    EXPECT_TRUE(contains(r.out, "'" + in / "good.lws" + "' Converting...OK"));
    EXPECT_EQ(readText(out / "bad.kzo"), "old");
    EXPECT_EQ(
        listDirectory(out.path()),
        (std::vector<std::string>{"bad.kzo", "good.cam", "good.kzl", "good.kzo", "good.mot"}));
}

TEST(ConvertScene, aSideFileThatCannotBeCreatedLeavesAllFourFilesUnchanged) {
    TempDir in, out;
    writeBox(in);
    const std::string text = boxScene().text;
    writeBytes(in / "scene.lws", {text.begin(), text.end()});
    writeBytes(in / "next.lws", {text.begin(), text.end()});
    writeBytes(out / "scene.kzo", {'o', 'l', 'd'});
    // A directory where the camera file belongs: it cannot be replaced.
    std::filesystem::create_directory(out / "scene.cam");
    const CliRun r = kzomaker({"--animation", "--camera", "--light", "-o", out.path().string(),
                               in / "scene.lws", in / "next.lws"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: cannot write '" + out / "scene.cam" + "': Is a directory\n");
    EXPECT_FALSE(contains(r.out, "'" + in / "scene.lws" + "' Converting...OK"));
    EXPECT_TRUE(contains(r.out, "'" + in / "next.lws" + "' Converting...OK"));
    EXPECT_EQ(readText(out / "scene.kzo"), "old");
    EXPECT_EQ(listDirectory(out.path()),
              (std::vector<std::string>{"next.cam", "next.kzl", "next.kzo", "next.mot", "scene.cam",
                                        "scene.kzo"}));
}

TEST(ConvertScene, anUnreadableSceneIsAnErrorNotASilentSuccess) {
    TempDir in, out;
    const CliRun r = kzomaker({"-o", out.path().string(), in / "absent.lws"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: cannot open '" + in / "absent.lws" + "'\n");
    EXPECT_TRUE(listDirectory(out.path()).empty());
}

TEST(ConvertScene, mixedScenesAndObjectsConvertWithParallelJobs) {
    TempDir in, out;
    writeBox(in);
    std::vector<std::string> args{"-j", "3", "--light", "-o", out.path().string()};
    for (const char* name : {"a.lws", "b.LWS", "c.lws"}) {
        const std::string text = boxScene().text;
        writeBytes(in / name, {text.begin(), text.end()});
        args.push_back(in / name);
    }
    args.push_back(in / "Objects/box.3ds");
    const CliRun r = kzomaker(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listDirectory(out.path()),
              (std::vector<std::string>{"a.kzl", "a.kzo", "b.kzl", "b.kzo", "box.kzo", "c.kzl",
                                        "c.kzo"}));
    // Reported in list order whatever order the workers finished in.
    EXPECT_LT(r.out.find("a.lws' Converting...OK"), r.out.find("b.LWS' Converting...OK"));
    EXPECT_LT(r.out.find("c.lws' Converting...OK"), r.out.find("box.3ds' Converting...OK"));
}

TEST(ConvertScene, depsNamesTheOutputsTheSceneAndEveryObjectItRead) {
    TempDir in, out;
    writeBox(in);
    writeBytes(in / "Objects/second.3ds", triangle3ds("p", {5, 0, 0}, {6, 0, 0}, {5, 0, 1}).data);
    const std::string text = (boxScene() + lws({"LoadObject Objects\\second.lwo"})).text;
    writeBytes(in / "my scene.lws", {text.begin(), text.end()});
    const CliRun r =
        kzomaker({"--deps", "--animation", "-o", out.path().string(), in / "my scene.lws"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto esc = [](std::string s) {
        std::string o;
        for (char c : s) {
            o += c == ' ' ? std::string("\\ ") : std::string(1, c);
        }
        return o;
    };
    const std::string box = in / "Objects/box.3ds";
    const std::string second = in / "Objects/second.3ds";
    EXPECT_EQ(readText(out / "my scene.kzo.d"),
              esc(out / "my scene.kzo") + " " + esc(out / "my scene.mot") + ": \\\n  " +
                  esc(in / "my scene.lws") + " \\\n  " + box + " \\\n  " + second + "\n\n" + box +
                  ":\n\n" + second + ":\n");
}

TEST(ConvertScene, depsOfADirect3dsConversionNameTheFileOnce) {
    TempDir in, out;
    writeBox(in);
    const CliRun r = kzomaker({"--deps", "-o", out.path().string(), in / "Objects/box.3ds"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(out / "box.kzo.d"),
              out / "box.kzo" + ": \\\n  " + in / "Objects/box.3ds" + "\n");
}

// A build that declares a scene's .kzl before converting it needs the file
// whether the scene has lights or not: --empty-light-file writes one holding
// no light, which kzodump accepts and --deps names, and changes nothing else.
TEST(ConvertScene, emptyLightFileGivesASceneWithoutLightsALightFileOfNone) {
    TempDir in, plain, withOption;
    writeBox(in);
    const std::string dark =
        (lws({"LoadObject Objects\\box.lwo"}) + envelope("ObjectMotion", {key(0, 1, 0)})).text;
    const std::string lit = boxScene().text;
    writeBytes(in / "dark.lws", {dark.begin(), dark.end()});
    writeBytes(in / "lit.lws", {lit.begin(), lit.end()});
    const std::vector<std::string> options = {"--light", "--camera", "--shading", "precalc-flat"};
    auto convert = [&](const TempDir& out, std::vector<std::string> args) {
        args.insert(args.end(), options.begin(), options.end());
        args.insert(args.end(),
                    {"--deps", "-o", out.path().string(), in / "dark.lws", in / "lit.lws"});
        const CliRun r = kzomaker(args);
        EXPECT_EQ(r.status, 0) << r.err;
    };
    convert(plain, {});
    convert(withOption, {"--empty-light-file"});

    EXPECT_EQ(listDirectory(plain.path()),
              (std::vector<std::string>{"dark.cam", "dark.kzo", "dark.kzo.d", "lit.cam", "lit.kzl",
                                        "lit.kzo", "lit.kzo.d"}));
    const std::vector<std::uint8_t> none = readBytes(withOption / "dark.kzl");
    EXPECT_EQ(none, (std::vector<std::uint8_t>{0, 0, 0, 0}));
    expectWellFormedEngineFile(withOption / "dark.kzl", none);
    EXPECT_TRUE(contains(readText(withOption / "dark.kzo.d"),
                         withOption / "dark.cam" + " " + withOption / "dark.kzl" + ": \\\n"));
    for (const char* name : {"dark.kzo", "dark.cam", "lit.kzo", "lit.cam", "lit.kzl"}) {
        EXPECT_EQ(readBytes(plain / name), readBytes(withOption / name)) << name;
    }
}
