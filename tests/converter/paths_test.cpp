#include "converter/model/paths.h"

#include <gtest/gtest.h>

using namespace kzo;

TEST(Paths, everySeparatorEndsTheDirectory) {
    EXPECT_EQ(fileTitle("C:\\data\\SHIP.3DS"), "SHIP.3DS");
    EXPECT_EQ(fileTitle("C:ship.kzo"), "ship.kzo");
    EXPECT_EQ(fileTitle("/home/u/scene.lws"), "scene.lws");
    EXPECT_EQ(fileTitle("plain.3ds"), "plain.3ds");
    EXPECT_EQ(fileTitle("dir/"), "");
}

TEST(Paths, directoryPartKeepsColonAndRoot) {
    EXPECT_EQ(directoryPart("C:\\scenes\\a.lws"), "C:\\scenes");
    EXPECT_EQ(directoryPart("C:a.lws"), "C:");
    EXPECT_EQ(directoryPart("/a.lws"), "/");
    EXPECT_EQ(directoryPart("/x/y/a.lws"), "/x/y");
    EXPECT_EQ(directoryPart("a.lws"), "");
}

TEST(Paths, exportPrefixAddsOneSlash) {
    EXPECT_EQ(exportPrefix("/out"), "/out/");
    EXPECT_EQ(exportPrefix("/out/"), "/out/");
    EXPECT_EQ(exportPrefix("C:\\"), "C:\\");
    EXPECT_EQ(exportPrefix("/"), "/");
}

TEST(Paths, replaceExtensionReplacesTheLastThreeCharacters) {
    EXPECT_EQ(replaceExtension("/out/SHIP.3DS", "kzo"), "/out/SHIP.kzo");
    EXPECT_EQ(replaceExtension("/out/my3ds", "kzo"), "/out/mykzo");
    EXPECT_EQ(replaceExtension("/out/scene.kzo", "mot"), "/out/scene.mot");
}
