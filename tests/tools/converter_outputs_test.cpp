// kzomaker's command line converts files with every option; the kzodump
// program then checks each file written: all must pass.
#include "converter/app/command_line.h"
#include "tests/converter/scene/scene_files.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace kzotest;
namespace fs = std::filesystem;

namespace {

// Two triangles of a box side, as a 3DS file.
void writeBox(const SceneFiles& files) {
    files.write(
        "box.3ds",
        file3ds(editor(object("box", vertexList({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 1}}) +
                                         faceList({{0, 1, 2}, {0, 2, 3}})))));
}

int kzodumpCheck(const fs::path& directory, std::string& report) {
    std::string command = std::string(KZODUMP_PATH) + " --check";
    for (const auto& entry : fs::directory_iterator(directory)) {
        command += " '" + entry.path().string() + "'";
    }
    const fs::path log = directory.parent_path() / "check.log";
    const int raw = std::system((command + " >'" + log.string() + "' 2>&1").c_str());
    std::ostringstream text;
    text << std::ifstream(log).rdbuf();
    report = text.str();
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

// Converts the inputs with the options into a fresh out/ folder, then runs
// kzodump --check on everything written there.
void convertAndCheck(const SceneFiles& files, std::vector<std::string> args,
                     std::ptrdiff_t expectedFiles) {
    const fs::path out = files.root / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    args.insert(args.begin(), {"-o", out.string()});
    std::ostringstream messages, errors;
    ASSERT_EQ(kzo::runCommandLine(args, messages, errors), 0) << messages.str() << errors.str();
    std::string report;
    EXPECT_EQ(kzodumpCheck(out, report), 0) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), expectedFiles) << report;
}

const char* const kShadings[] = {"none", "gouraud", "flat", "precalc-gouraud", "precalc-flat"};

} // namespace

TEST(ConverterOutputs, every3dsConversionPassesKzodumpCheck) {
    const SceneFiles files;
    writeBox(files);
    for (const char* shading : kShadings) {
        SCOPED_TRACE(shading);
        convertAndCheck(files, {"--shading", shading, "--scale", "2", files.path("box.3ds")}, 1);
    }
}
