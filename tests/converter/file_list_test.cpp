#include "converter/app/convert_list.h"
#include "converter/app/file_list.h"

#include <gtest/gtest.h>

#include <filesystem>

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
    const auto base = std::filesystem::temp_directory_path() / "kzomaker_run_test";
    std::filesystem::create_directories(base / "one");
    std::filesystem::create_directories(base / "two");
    const std::filesystem::path before = std::filesystem::current_path();

    SceneModel model;
    std::vector<std::string> seen;
    int between = 0;
    const FileConverter convert = [&](SceneModel&, const std::string& input, std::string& output,
                                      const ConversionSettings&) {
        seen.push_back(input + " -> " + output + " in " +
                       std::filesystem::current_path().filename().string());
    };
    const std::string one = (base / "one" / "a.lws").string();
    const std::string two = (base / "two" / "b.3ds").string();
    convertFileList(model, {two, one, "nodir.3ds"}, "/out", ConversionSettings{}, convert,
                    [&] { ++between; });

    EXPECT_EQ(seen, (std::vector<std::string>{two + " -> /out/b.3ds in two",
                                              one + " -> /out/a.lws in one",
                                              "nodir.3ds -> /out/nodir.3ds in one"}));
    EXPECT_EQ(between, 3);
    std::filesystem::current_path(before);
    std::filesystem::remove_all(base);
}
