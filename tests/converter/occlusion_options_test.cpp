// --occlusion, --bounce and their rays from the command line to the file.
#include "converter/app/command_line.h"
#include "converter/app/command_line_options.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_files.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/run_kzomaker.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kzo;
using namespace kzotest;

namespace {

// A lit scene of one object: a floor triangle and a wall triangle standing on
// its edge, so that the rays of the corners in the crease meet the other.
void writeCreaseScene(const TempDir& dir) {
    std::filesystem::create_directories(dir.path() / "Objects");
    const Bytes crease =
        file3ds(editor(object("crease", vertexList({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}, {0, 0, 2}}) +
                                            faceList({{0, 1, 2}, {0, 3, 1}}))));
    writeBytes(dir / "Objects/crease.3ds", crease.data);
    const std::string text =
        (lws({"LastFrame 1", "LoadObject Objects\\crease.lwo"}) +
         envelope("ObjectMotion", {key(0, 0, 0)}) +
         lws({"AmbientColor 255 255 255", "AmbIntensity 0.5", "AddLight", "LightType 0"}) +
         envelope("LightMotion", {key(0, 5, -5).hpb(0, 45, 0)}))
            .text;
    writeBytes(dir / "crease.lws", {text.begin(), text.end()});
}

} // namespace

TEST(OcclusionOptions, reachTheSettingsAndRefuseBadValues) {
    const IndirectLightOptions defaults =
        parseCommandLine({"a.lws"}).options.settings.indirectLight;
    EXPECT_EQ(defaults.occlusion, 0);
    EXPECT_EQ(defaults.bounce, 0);
    EXPECT_EQ(defaults.rays, 64);
    EXPECT_EQ(defaults.distance, 0.0f);
    const IndirectLightOptions given =
        parseCommandLine({"--occlusion", "--bounce", "--occlusion-rays=4096",
                          "--occlusion-distance", "2.5", "a.lws"})
            .options.settings.indirectLight;
    EXPECT_EQ(given.occlusion, 1);
    EXPECT_EQ(given.bounce, 1);
    EXPECT_EQ(given.rays, 4096);
    EXPECT_EQ(given.distance, 2.5f);
    EXPECT_EQ(parseCommandLine({"--bounce", "--occlusion-rays", "1", "a.lws"})
                  .options.settings.indirectLight.rays,
              1);

    const std::vector<std::vector<std::string>> bad = {
        {"--occlusion", "--occlusion-rays", "0"},
        {"--occlusion", "--occlusion-rays", "4097"},
        {"--occlusion", "--occlusion-rays", "8.5"},
        {"--occlusion", "--occlusion-distance", "0"},
        {"--occlusion", "--occlusion-distance", "-1"},
        {"--occlusion", "--occlusion-distance", "nan"},
        {"--occlusion", "--occlusion-distance", "1e60"},
        {"--occlusion", "--occlusion-distance", "2m"},
        {"--occlusion-rays", "16"}, // nothing casts them
        {"--occlusion-distance", "1"},
    };
    for (std::vector<std::string> args : bad) {
        args.push_back("a.lws");
        const ParsedCommandLine parsed = parseCommandLine(args);
        ASSERT_TRUE(parsed.error) << args[1];
        EXPECT_NE(parsed.error->message.find("--occlusion"), std::string::npos)
            << parsed.error->message;
    }
    EXPECT_EQ(kzomaker({"--occlusion-rays", "16", "a.lws"}).status, kExitUsage);
}

TEST(OcclusionOptions, changeTheBakedColoursOnlyWhereColoursAreBaked) {
    TempDir in, plain, occluded;
    writeCreaseScene(in);
    const std::string scene = in / "crease.lws";
    for (const char* shading : {"3", "4"}) {
        ASSERT_EQ(kzomaker({"-q", "--shading", shading, "-o", plain.path().string(), scene}).status,
                  0);
        const CliRun r = kzomaker({"-q", "--threads", "1", "--shading", shading, "--occlusion",
                                   "--bounce", "-o", occluded.path().string(), scene});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(readBytes(occluded / "crease.kzo"), readBytes(plain / "crease.kzo")) << shading;
    }

    // Two files at a time, each on two threads, give the bytes of one file on
    // one thread (the last one written above, shading type 4).
    std::filesystem::copy_file(in / "crease.lws", in / "again.lws");
    TempDir together;
    const CliRun both =
        kzomaker({"-q", "-j", "2", "--threads", "2", "--shading", "4", "--occlusion", "--bounce",
                  "-o", together.path().string(), scene, in / "again.lws"});
    ASSERT_EQ(both.status, 0) << both.err;
    for (const char* name : {"crease.kzo", "again.kzo"}) {
        EXPECT_EQ(readBytes(together / name), readBytes(occluded / "crease.kzo")) << name;
    }

    // Real-time shading stores no colours: the file is the same, and a line
    // says why the options did nothing.
    ASSERT_EQ(kzomaker({"-q", "--shading", "1", "-o", plain.path().string(), scene}).status, 0);
    const CliRun r =
        kzomaker({"--shading", "1", "--occlusion", "-o", occluded.path().string(), scene});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nambient occlusion has no effect: only precalculated shading (types 3 "
                         "and 4) bakes colours\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readBytes(occluded / "crease.kzo"), readBytes(plain / "crease.kzo"));
}
