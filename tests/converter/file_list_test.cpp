#include "converter/app/convert_list.h"
#include "converter/app/file_list.h"
#include "converter/model/messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace kzo;
using Paths = std::vector<std::string>;

TEST(FileList, appendsOnlyPathsNotYetListedInChosenOrder) {
    Paths list = {"/a/x.lws"};
    const Paths appended =
        appendNewPaths(list, {"/b/y.3ds", "/a/x.lws", "/b/y.3ds", "/A/X.LWS", "/a/x.lws "});
    EXPECT_EQ(appended, (Paths{"/b/y.3ds", "/A/X.LWS", "/a/x.lws "}));
    EXPECT_EQ(list, (Paths{"/a/x.lws", "/b/y.3ds", "/A/X.LWS", "/a/x.lws "}));
}

TEST(FileList, removesSelectedEntriesKeepingTheRestInOrder) {
    Paths list = {"1", "2", "3", "4", "5"};
    removeSelected(list, {false, true, true, false, false});
    EXPECT_EQ(list, (Paths{"1", "4", "5"}));

    Paths adjacentAtEnds = {"1", "2", "3", "4"};
    removeSelected(adjacentAtEnds, {true, true, false, true, true});
    EXPECT_EQ(adjacentAtEnds, (Paths{"3"}));

    Paths shortFlags = {"1", "2", "3"};
    removeSelected(shortFlags, {true});
    EXPECT_EQ(shortFlags, (Paths{"2", "3"}));
}

TEST(ConversionRun, outputPathIsExportPrefixAndFileTitle) {
    EXPECT_EQ(outputPathFor("/out", "/data/SHIP.3DS"), "/out/SHIP.3DS");
    EXPECT_EQ(outputPathFor("/out/", "/data/ship.lws"), "/out/ship.lws");
    EXPECT_EQ(outputPathFor("/", "/data/ship.lws"), "/ship.lws");
    EXPECT_EQ(outputPathFor("C:\\", "C:\\data\\ship.3ds"), "C:\\ship.3ds");
    EXPECT_EQ(outputPathFor("/out", "C:\\data\\my3ds"), "/out/my3ds");
}

TEST(ConversionRun, convertsInListOrderAndMakesEachFilesDirectoryCurrent) {
    const auto base = std::filesystem::temp_directory_path() /
                      ("kzomaker_run_test_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(base / "one");
    std::filesystem::create_directories(base / "two");
    const std::filesystem::path before = std::filesystem::current_path();

    SceneModel model;
    std::vector<std::string> seen;
    const FileConverter convert = [&](SceneModel&, const std::string& input, std::string& output,
                                      const ConversionSettings&) {
        seen.push_back(input + " -> " + output + " in " +
                       std::filesystem::current_path().filename().string());
    };
    ListRunHooks hooks;
    hooks.beforeFile = [&](std::size_t i, const std::string& input) {
        seen.push_back("start " + std::to_string(i) + " " + input);
    };
    hooks.afterFile = [&](std::size_t i) { seen.push_back("done " + std::to_string(i)); };
    const std::string one = (base / "one" / "a.lws").string();
    const std::string two = (base / "two" / "b.3ds").string();
    EXPECT_EQ(convertFileList(model, {two, one, "nodir.3ds"}, "/out", ConversionSettings{}, convert,
                              hooks),
              3u);

    EXPECT_EQ(seen, (std::vector<std::string>{
                        "start 0 " + two, two + " -> /out/b.3ds in two", "done 0", "start 1 " + one,
                        one + " -> /out/a.lws in one", "done 1", "start 2 nodir.3ds",
                        "nodir.3ds -> /out/nodir.3ds in one", "done 2"}));
    std::filesystem::current_path(before);
    std::filesystem::remove_all(base);
}

// Cancelling is asked before each file, never inside one: the file under way
// ends as it would have, and a line says how many files the run left.
TEST(ConversionRun, aCancelledRunStopsBetweenFilesAndSaysSo) {
    SceneModel model;
    std::vector<std::string> lines;
    model.sink = [&](const std::string& line) { lines.push_back(line); };
    bool cancel = false;
    const FileConverter convert = [&](SceneModel& m, const std::string& input, std::string&,
                                      const ConversionSettings&) {
        printMessage(m.sink, "'%s' Converting...OK", input.c_str());
        cancel = input == "/b.3ds"; // asked for while the second file converts
    };
    ListRunHooks hooks;
    hooks.cancelled = [&] { return cancel; };
    EXPECT_EQ(convertFileList(model, {"/a.3ds", "/b.3ds", "/c.3ds", "/d.3ds"}, "/out",
                              ConversionSettings{}, convert, hooks),
              2u);
    EXPECT_EQ(lines,
              (std::vector<std::string>{"'/a.3ds' Converting...OK", "'/b.3ds' Converting...OK",
                                        "Run cancelled: 2 of 4 files not converted"}));

    // Asked for during the last file, there is nothing left to cancel.
    lines.clear();
    cancel = false;
    EXPECT_EQ(
        convertFileList(model, {"/a.3ds", "/b.3ds"}, "/out", ConversionSettings{}, convert, hooks),
        2u);
    EXPECT_EQ(lines.back(), "'/b.3ds' Converting...OK");
}
