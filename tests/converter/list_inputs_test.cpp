// kzomaker --list-inputs: the files a conversion would read, found without
// converting, for builds that must declare them before they convert.
#include "converter/app/command_line.h"
#include "converter/encode/dependency_file.h"
#include "tests/converter/scene/build_lws.h"
#include "tests/converter/scene/scene_files.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/build_lwo2.h"
#include "tests/support/model_formats.h"
#include "tests/support/run_kzomaker.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kzo;
using namespace kzotest;

namespace {

// Runs in dir, as a build runs the converter in its tree, with relative paths.
CliRun kzomakerIn(const TempDir& dir, const std::vector<std::string>& args) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    CliRun r = kzomaker(args);
    std::filesystem::current_path(before);
    return r;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string readText(const std::string& path) {
    const auto bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Every file below dir with its size, to see that nothing was written.
std::vector<std::string> treeOf(const TempDir& dir) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
        files.push_back(entry.path().string() + " " +
                        (entry.is_regular_file() ? std::to_string(entry.file_size()) : "dir"));
    }
    std::sort(files.begin(), files.end());
    return files;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    writeBytes(path, bytes);
}

void writeText(const std::string& path, const std::string& text) {
    writeFile(path, {text.begin(), text.end()});
}

// scenes/shot.lws names its objects in the ways scenes do: a .lwo with a
// .3ds twin beside it (the twin is read), a Windows path whose trailing
// components and letter case find the .lwo alone, and the first object once
// more; models/ holds an OBJ with its material library and a glTF file with
// its buffer; plain.3ds stands alone.
void writeInputs(const TempDir& dir) {
    writeText(dir / "scenes/shot.lws",
              (lws({"LWSC", "1", "LoadObject Objects\\twin.lwo"}) +
               envelope("ObjectMotion", {key(0, 0, 0)}) +
               lws({"LoadObject C:\\LW\\Objects\\BOX.LWO"}) +
               envelope("ObjectMotion", {key(2, 0, 0)}) + lws({"LoadObject Objects\\twin.lwo"}) +
               envelope("ObjectMotion", {key(4, 0, 0)}))
                  .text);
    writeFile(dir / "scenes/Objects/twin.3ds",
              triangle3ds("twin", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}).data);
    const Bytes lwo = lwo2File(layr(0, "") + pnts({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}) +
                               pols2("FACE", {{0, 1, 2}}));
    writeFile(dir / "scenes/Objects/twin.lwo", lwo.data);
    writeFile(dir / "scenes/Objects/box.lwo", lwo.data);
    const TestModel model = roofAndWall();
    writeText(dir / "models/car.obj", asObj(model, "car.mtl"));
    writeText(dir / "models/car.mtl", asMtl(model));
    const GltfFiles gltf = asGltf(model, "tank.bin");
    writeText(dir / "models/tank.gltf", gltf.json);
    writeFile(dir / "models/tank.bin", gltf.bin.data);
    writeBytes(dir / "plain.3ds", triangle3ds("p", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}).data);
}

const std::vector<std::string> kInputs = {"scenes/shot.lws", "models/car.obj", "models/tank.gltf",
                                          "plain.3ds"};

} // namespace

// The list is what the dependency file of the conversion names as its
// prerequisites, file for file, paths as given (relative or whole); listing
// writes nothing.
TEST(ListInputs, namesWhatTheConversionReadsAndWritesNothing) {
    TempDir dir;
    writeInputs(dir);
    const std::vector<std::string> before = treeOf(dir);
    std::vector<std::string> args = {"--list-inputs", "--animation", "--light"};
    args.insert(args.end(), kInputs.begin(), kInputs.end());
    const CliRun listed = kzomakerIn(dir, args);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(linesOf(listed.out), (std::vector<std::string>{
                                       "scenes/shot.lws", "scenes/Objects/twin.3ds",
                                       "scenes/Objects/box.lwo", "models/car.obj", "models/car.mtl",
                                       "models/tank.gltf", "models/tank.bin", "plain.3ds"}));
    EXPECT_EQ(treeOf(dir), before);

    std::filesystem::create_directories(dir.path() / "out");
    for (const std::string& input : kInputs) {
        const CliRun one = kzomakerIn(dir, {"--list-inputs", input});
        EXPECT_EQ(one.status, 0) << one.err;
        const CliRun converted = kzomakerIn(dir, {"-q", "--deps", "-o", "out", input});
        ASSERT_EQ(converted.status, 0) << converted.err;
        const std::string name = std::filesystem::path(input).stem().string();
        EXPECT_EQ(readText(dir / ("out/" + name + ".kzo.d")),
                  makeDependencyRule({"out/" + name + ".kzo"}, linesOf(one.out)))
            << input;
    }

    const CliRun whole = kzomaker({"--list-inputs", dir / "scenes/shot.lws"});
    EXPECT_EQ(linesOf(whole.out),
              (std::vector<std::string>{dir / "scenes/shot.lws", dir / "scenes/Objects/twin.3ds",
                                        dir / "scenes/Objects/box.lwo"}));
}

// A file that cannot be found fails as its conversion would, with the same
// error line, and lists none of its files; the other files are still listed.
TEST(ListInputs, aFileThatCannotBeFoundIsTheConversionsError) {
    TempDir dir;
    writeInputs(dir);
    writeText(dir / "scenes/broken.lws",
              (lws({"LoadObject Objects\\twin.lwo", "LoadObject Objects\\gone.lwo"}) +
               envelope("ObjectMotion", {key(0, 0, 0)}))
                  .text);
    writeText(dir / "models/lost.obj", "mtllib lost.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    writeText(dir / "notes.txt", "no model");

    const CliRun listed = kzomakerIn(
        dir, {"--list-inputs", "scenes/broken.lws", "plain.3ds", "absent.3ds", "notes.txt"});
    EXPECT_EQ(listed.status, 1);
    EXPECT_EQ(listed.out, "plain.3ds\n");
    EXPECT_EQ(listed.err, "ERROR: cannot open 'Objects\\gone.3ds'\n"
                          "ERROR: cannot open 'absent.3ds'\n"
                          "'notes.txt' is not lws or 3ds file\n");
    const CliRun converted = kzomakerIn(dir, {"-q", "scenes/broken.lws", "absent.3ds"});
    EXPECT_EQ(converted.err,
              "ERROR: cannot open 'Objects\\gone.3ds'\nERROR: cannot open 'absent.3ds'\n");

    // One path a line cannot hold a name with a line break.
    writeBytes(dir / "two\nlines.3ds", triangle3ds("p", {0, 0, 0}, {1, 0, 0}, {0, 0, 1}).data);
    const CliRun broken = kzomakerIn(dir, {"--list-inputs", "two\nlines.3ds", "plain.3ds"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, "plain.3ds\n");
    EXPECT_EQ(broken.err, "ERROR: 'two\nlines.3ds' reads 'two\nlines.3ds', whose name holds a "
                          "line break: it cannot be listed one per line\n");

    // A material library the model names but that does not exist is not read
    // by the conversion either: the model is listed without it.
    const CliRun model = kzomakerIn(dir, {"--list-inputs", "models/lost.obj"});
    EXPECT_EQ(model.status, 0) << model.err;
    EXPECT_EQ(model.out, "models/lost.obj\n");
}
