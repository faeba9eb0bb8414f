#include "converter/app/command_line.h"
#include "converter/app/command_line_options.h"
#include "converter/app/scale_factor.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/temp_dir.h"
#include "tests/converter/two_triangles.h"
#include "tests/support/run_kzomaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <thread>

using namespace kzo;
using namespace kzotest;

namespace {

std::string converting(const std::string& input) {
    return "'" + input + "' Converting...\n";
}

// The stdout lines of a good two-triangle conversion without shading.
std::string converted(const std::string& input, const std::string& output) {
    return converting(input) + "'" + output +
           "' Writing...\n============================\nversion: 1.0\n0 images\n"
           "1 materials\n4 vertices\n2 faces\n0 pivots\nno shading\n"
           "============================\n'" +
           input + "' Converting...OK\n";
}

} // namespace

TEST(CommandLine, convertsEveryFileIntoTheOutputDirectoryInListOrder) {
    TempDir in, out;
    writeBytes(in / "SHIP.3DS", twoTriangles3ds().data);
    writeBytes(in / "my3ds", twoTriangles3ds().data);
    const CliRun r = kzomaker({"-o", out.path().string(), in / "SHIP.3DS", in / "my3ds"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, converted(in / "SHIP.3DS", out / "SHIP.kzo") +
                         converted(in / "my3ds", out / "mykzo") +
                         "2 files: 2 converted, 0 failed, 0 rejected\n");
    EXPECT_EQ(listDirectory(out.path()), (std::vector<std::string>{"SHIP.kzo", "mykzo"}));
    const auto bytes = readBytes(out / "SHIP.kzo");
    expectWellFormedKzo(bytes);
    EXPECT_EQ(bytes, (kzoHeader(0, 1, 4, 2, 0, 0) + twoTrianglesKzoBody()).data);
}

TEST(CommandLine, failedOrRejectedFilesGiveStatusOneAndTheRestStillConvert) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    writeBytes(dir / "b.txt", twoTriangles3ds().data);
    const CliRun r = kzomaker(
        {"--output-dir=" + dir.path().string(), dir / "gone.3ds", dir / "b.txt", dir / "a.3ds"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: cannot open '" + (dir / "gone.3ds") + "'\n'" + (dir / "b.txt") +
                         "' is not lws or 3ds file\n");
    EXPECT_EQ(r.out, converting(dir / "gone.3ds") + converting(dir / "b.txt") +
                         converted(dir / "a.3ds", dir / "a.kzo") +
                         "3 files: 1 converted, 1 failed, 1 rejected\n");
}

// The reason a file fails or is rejected reaches standard error whatever -q
// says, and only the reasons do.
TEST(CommandLine, quietPrintsOnlyTheReasonsFilesFailedOrWereRejected) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    CliRun r = kzomaker(
        {"-q", "-o", dir.path().string(), dir / "a.3ds", dir / "gone.3ds", dir / "shape.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ERROR: cannot open '" + (dir / "gone.3ds") + "'\n'" + (dir / "shape.xyz") +
                         "' is not lws or 3ds file\n");

    r = kzomaker({"-q", "shape.xyz"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "'shape.xyz' is not lws or 3ds file\n");
}

// After two or more files, one closing line counts them (not with -q, not for
// a single file).
TEST(CommandLine, aRunOfSeveralFilesEndsWithItsCounts) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    writeBytes(dir / "b.3ds", twoTriangles3ds().data);
    const std::string out = dir.path().string();
    auto lastLine = [](const std::string& text) {
        const std::size_t start = text.rfind('\n', text.size() - 2);
        return text.substr(start == std::string::npos ? 0 : start + 1);
    };
    for (const char* jobs : {"1", "3"}) {
        const CliRun r = kzomaker({"-j", jobs, "-o", out, dir / "a.3ds", dir / "b.3ds",
                                   dir / "gone.3ds", dir / "c.kzl", dir / "a.3ds"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(lastLine(r.out), "5 files: 2 converted, 1 failed, 2 rejected\n") << jobs;
    }
    EXPECT_EQ(kzomaker({"-o", out, dir / "a.3ds"}).out, converted(dir / "a.3ds", dir / "a.kzo"));
    const CliRun quiet = kzomaker({"-q", "-o", out, dir / "a.3ds", dir / "b.3ds"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
}

// Inputs that would write the same file: the later one is refused before
// anything is converted, with an error naming both inputs and the output; the
// earlier one's outputs are written, whatever the number of jobs.
TEST(CommandLine, inputsThatWouldWriteTheSameOutputAreRefused) {
    TempDir a, b, out;
    writeBytes(a / "x.3ds", twoTriangles3ds().data);
    writeBytes(b / "x.3ds", file3ds(object("one", vertexList({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                                                      faceList({{0, 1, 2}})))
                                .data);
    const std::string scene =
        (lws({"LastFrame 1", "LoadObject x.lwo"}) + envelope("ObjectMotion", {key(0, 0, 0)})).text;
    writeBytes(a / "x.lws", {scene.begin(), scene.end()});
    auto refusal = [&out](const std::string& later, const std::string& earlier,
                          const std::string& output) {
        return "ERROR: '" + later + "' is not converted: '" + earlier + "' writes '" +
               (out / output) + "' too\n";
    };
    for (const char* jobs : {"1", "2"}) {
        const CliRun r =
            kzomaker({"-j", jobs, "--deps", "-o", out.path().string(), a / "x.3ds", b / "x.3ds"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, refusal(b / "x.3ds", a / "x.3ds", "x.kzo"));
        EXPECT_EQ(readBytes(out / "x.kzo"),
                  (kzoHeader(0, 1, 4, 2, 0, 0) + twoTrianglesKzoBody()).data);
    }

    // A scene and models of one name (whatever their importer's naming rule),
    // and one file named twice: every later one refused, the lines of the
    // first still complete.
    const CliRun r = kzomaker({"--animation", "-o", out.path().string(), a / "x.lws", a / "x.3ds",
                               a / "x.lws", b / "x.3ds", b / "x.obj"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, refusal(a / "x.3ds", a / "x.lws", "x.kzo") +
                         refusal(a / "x.lws", a / "x.lws", "x.kzo") +
                         refusal(b / "x.3ds", a / "x.lws", "x.kzo") +
                         refusal(b / "x.obj", a / "x.lws", "x.kzo"));
    EXPECT_NE(r.out.find("'" + (a / "x.lws") + "' Converting...OK\n"), std::string::npos);
    EXPECT_EQ(listDirectory(out.path()), (std::vector<std::string>{"x.kzo", "x.kzo.d", "x.mot"}));
}

TEST(CommandLine, parallelJobsPrintTheSameLinesAndWriteTheSameFiles) {
    TempDir in, serial, parallel;
    std::vector<std::string> files;
    for (int i = 0; i < 7; ++i) {
        const std::string name = "f" + std::to_string(i) + (i == 3 ? ".txt" : ".3ds");
        if (i != 5) {
            writeBytes(in / name, twoTriangles3ds().data);
        }
        files.push_back(in / name);
    }
    auto args = [&files](const TempDir& out, const char* jobs) {
        std::vector<std::string> a = {"--shading", "gouraud", "-j",
                                      jobs,        "-o",      out.path().string()};
        a.insert(a.end(), files.begin(), files.end());
        return a;
    };
    const CliRun one = kzomaker(args(serial, "1"));
    const CliRun four = kzomaker(args(parallel, "4"));
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(four.status, 1);
    std::string expectedOut = one.out;
    for (std::size_t at; (at = expectedOut.find(serial.path().string())) != std::string::npos;) {
        expectedOut.replace(at, serial.path().string().size(), parallel.path().string());
    }
    EXPECT_EQ(four.out, expectedOut);
    EXPECT_EQ(four.err, one.err);
    ASSERT_EQ(listDirectory(parallel.path()), listDirectory(serial.path()));
    for (const auto& name : listDirectory(serial.path())) {
        EXPECT_EQ(readBytes(parallel / name), readBytes(serial / name)) << name;
        expectWellFormedKzo(readBytes(parallel / name));
    }
    EXPECT_EQ(listDirectory(serial.path()).size(), 5u);
}

TEST(CommandLine, optionsReachTheWrittenFile) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    const CliRun r = kzomaker({"-s", "2", "--shading=2", "--animation", "--camera", "--light", "-o",
                               dir.path().string(), dir / "a.3ds"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto bytes = readBytes(dir / "a.kzo");
    expectWellFormedKzo(bytes);
    ByteReader reader(bytes);
    const KzoHeader h = readKzoHeader(reader);
    EXPECT_EQ(h.shadingType, 2);
    reader.seek(28 + 12 + 2 * 12);
    const KzoVertexRecord v = readKzoVertex(reader);
    EXPECT_EQ(v.x, 2.0f);
    EXPECT_EQ(v.z, 2.0f);
    // A 3DS file gets no side files, whatever the options say.
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds", "a.kzo"}));

    for (const char* name : {"none", "gouraud", "flat", "precalc-gouraud", "precalc-flat"}) {
        const CliRun named =
            kzomaker({"--shading", name, "-q", "-o", dir.path().string(), dir / "a.3ds"});
        ASSERT_EQ(named.status, 0) << name;
        const auto written = readBytes(dir / "a.kzo");
        ByteReader again(written);
        EXPECT_EQ(readKzoHeader(again).shadingType, *parseShadingText(name));
    }
}

// The shadow test and the threads reach the settings; without --threads the
// cores are shared among the files converted at once.
TEST(CommandLine, shadowOptionsReachTheSettings) {
    const ShadowOptions given =
        parseCommandLine({"--shadow-test=relative", "--threads", "3", "a.3ds"})
            .options.settings.shadows;
    EXPECT_EQ(given.test, ShadowTest::relative);
    EXPECT_EQ(given.threads, 3);
    const unsigned cores = std::thread::hardware_concurrency();
    const ShadowOptions shared =
        parseCommandLine({"-j", "2", "a.3ds", "b.3ds", "c.3ds"}).options.settings.shadows;
    EXPECT_EQ(shared.test, ShadowTest::classic);
    EXPECT_EQ(shared.threads, shadowThreadsPerWorker(cores, 2));
    // One file: one worker, whatever -j says.
    EXPECT_EQ(parseCommandLine({"-j", "8", "a.3ds"}).options.settings.shadows.threads,
              shadowThreadsPerWorker(cores, 1));
    EXPECT_EQ(shadowThreadsPerWorker(8, 3), 2);
    EXPECT_EQ(shadowThreadsPerWorker(2, 4), 1);
    EXPECT_EQ(shadowThreadsPerWorker(0, 1), 1);
}

// The frame rate of model files that state none: a whole number of frames a
// second from 1 to 1000, 0 (the default of 30) without the option.
TEST(CommandLine, framesPerSecondIsAWholeNumberFromOneToAThousand) {
    EXPECT_EQ(parseCommandLine({"a.gltf"}).options.settings.framesPerSecond, 0);
    for (const int fps : {1, 24, 1000}) {
        const ParsedCommandLine parsed =
            parseCommandLine({"--fps=" + std::to_string(fps), "a.gltf"});
        EXPECT_FALSE(parsed.error);
        EXPECT_EQ(parsed.options.settings.framesPerSecond, fps);
    }
    for (const char* bad : {"0", "1001", "-5", "24.5", "30fps", ""}) {
        const ParsedCommandLine parsed = parseCommandLine({"--fps", bad, "a.gltf"});
        ASSERT_TRUE(parsed.error) << bad;
        EXPECT_NE(parsed.error->message.find("--fps needs a whole number from 1 to 1000, not '" +
                                             std::string(bad) + "'"),
                  std::string::npos)
            << parsed.error->message;
    }
}

TEST(CommandLine, usageErrorsGiveStatusTwoAndConvertNothing) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    const std::string out = dir.path().string();
    const std::string file = dir / "a.3ds";
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus", file},
        {"-s", "abc", file},
        {"-s", "2.5cm", file},
        {"--scale", "nan", file},
        {"--shading", "phong", file},
        {"--shading", "5", file},
        {"-j", "0", file},
        {"-j", "two", file},
        {"--shadow-test", "exact", file},
        {"--threads", "0", file},
        {"--fps", "0", file},
        {"--fps", "1001", file},
        {"--fps", "24.5", file},
        {file, "-o"},
        {"-s"},
        {"--gui", file}, // with -o: the window sets its options itself
    };
    for (auto args : bad) {
        args.insert(args.begin(), {"-o", out});
        const CliRun r = kzomaker(args);
        EXPECT_EQ(r.status, 2) << args[2];
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("kzomaker: "), std::string::npos) << r.err;
    }
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds"}));

    const CliRun none = kzomaker({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("Usage: kzomaker"), std::string::npos);
}

TEST(CommandLine, guiAsksForTheWindowWithTheFilesListed) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--gui", "a.lws", "b.3ds"}, {"a.lws", "--gui", "--", "b.3ds"}}) {
        const ParsedCommandLine parsed = parseCommandLine(args);
        ASSERT_FALSE(parsed.error) << parsed.error->message;
        EXPECT_TRUE(parsed.options.window);
        EXPECT_EQ(parsed.options.files, (std::vector<std::string>{"a.lws", "b.3ds"}));
    }
    EXPECT_FALSE(parseCommandLine({"a.lws"}).options.window);
    const ParsedCommandLine withOption = parseCommandLine({"--gui", "--light", "a.lws"});
    ASSERT_TRUE(withOption.error);
    EXPECT_NE(withOption.error->message.find("--gui"), std::string::npos);
}

TEST(CommandLine, scaleOutsideTheRangeAfterRoundingToFloatIsRefused) {
    TempDir dir;
    writeBytes(dir / "a.3ds", twoTriangles3ds().data);
    for (const char* scale : {"100001", "-1e6", "100000.004", "1e400"}) {
        const CliRun r = kzomaker({"-s", scale, "-o", dir.path().string(), dir / "a.3ds"});
        EXPECT_EQ(r.status, 2) << scale;
        EXPECT_EQ(r.err, "kzomaker: scalefactor is out of range(100000,-100000)\n");
    }
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"a.3ds"}));
    // 100000.003 rounds to exactly 100000.
    for (const char* scale : {"100000", "-100000", "100000.003", "0", "-0.5", "1e-400"}) {
        const CliRun r = kzomaker({"-q", "-s", scale, "-o", dir.path().string(), dir / "a.3ds"});
        EXPECT_EQ(r.status, 0) << scale << r.err;
    }
}

TEST(CommandLine, scaleTextIsAWholeDecimalNumber) {
    EXPECT_EQ(parseScaleText("2.5", nullptr), 2.5f);
    EXPECT_EQ(parseScaleText("+3", nullptr), 3.0f);
    EXPECT_EQ(parseScaleText(".5", nullptr), 0.5f);
    EXPECT_EQ(parseScaleText("5.", nullptr), 5.0f);
    EXPECT_EQ(parseScaleText("-1.5E2", nullptr), -150.0f);
    EXPECT_EQ(parseScaleText("0.000000000000000000000000000000000000000000000001", nullptr), 0.0f);
    for (const char* text :
         {"", "e5", ".", "-", "1e", "1.5.2", " 1", "1 ", "inf", "0x10", "2.5cm"}) {
        EXPECT_FALSE(parseScaleText(text, nullptr).has_value()) << text;
    }
    bool tooLarge = false;
    EXPECT_FALSE(parseScaleText("1e39", &tooLarge).has_value());
    EXPECT_TRUE(tooLarge);
}

// "exactly as the Convert button": the text is rounded once, straight to a
// float, on the command line as in the main form. 1 + 2^-24 lies halfway
// between 1 and the next float; this text lies a hair above it, so it rounds
// up, while a detour through double would land on the halfway value and then
// tie down to 1.
TEST(CommandLine, scaleTextIsRoundedOnceToFloatAsTheMainFormRoundsIt) {
    const char* const aboveHalfway = "1.0000000596046447753906251";
    const float up = std::nextafter(1.0f, 2.0f);
    EXPECT_EQ(static_cast<float>(std::stod(aboveHalfway)), 1.0f);
    EXPECT_EQ(parseScaleText(aboveHalfway, nullptr), up);
    EXPECT_EQ(parseScaleFactor(aboveHalfway), up);
    // Exactly halfway ties to even, 1.
    EXPECT_EQ(parseScaleText("1.000000059604644775390625", nullptr), 1.0f);
}

TEST(CommandLine, followsTheToolChainsCommandLineConvention) {
    CliRun r = kzomaker({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kUsageText);
    r = kzomaker({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, kVersionText);

    // Grouped short options, attached values, and a file whose name starts
    // with '-' after "--".
    TempDir dir;
    writeBytes(dir / "-ship.3ds", twoTriangles3ds().data);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    r = kzomaker({"-qj2", "-s2", "--shading=gouraud", "--", "-ship.3ds"});
    std::filesystem::current_path(before);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::uint8_t> shipBytes = readBytes(dir / "-ship.kzo");
    ByteReader reader(shipBytes);
    EXPECT_EQ(readKzoHeader(reader).shadingType, 1);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"-x", "a.3ds"}, {"--animation=1", "a.3ds"}, {"--jobs"}, {"-ship.3ds"}}) {
        r = kzomaker(bad);
        EXPECT_EQ(r.status, 2) << bad[0];
        EXPECT_NE(r.err.find("Try 'kzomaker --help'."), std::string::npos) << r.err;
    }
}
