#include "converter/encode/dependency_file.h"

#include <gtest/gtest.h>

using namespace kzo;

TEST(DependencyFile, escapesWhatMakeWouldReadOtherwise) {
    EXPECT_EQ(escapeForMake("out/my scene.kzo"), "out/my\\ scene.kzo");
    EXPECT_EQ(escapeForMake("a#1$b"), "a\\#1$$b");
    EXPECT_EQ(escapeForMake("shots/12:30.kzo"), "shots/12\\:30.kzo");
    EXPECT_EQ(escapeForMake("dir\\ x"), "dir\\\\\\ x");
    EXPECT_EQ(escapeForMake("plain/path.3ds"), "plain/path.3ds");
}

TEST(DependencyFile, listsOutputsAsTargetsAndEveryFileReadOnce) {
    EXPECT_EQ(makeDependencyRule({"out/s.kzo", "out/s.mot"},
                                 {"scenes/s.lws", "scenes/Objects/a b.3ds", "scenes/box.3ds",
                                  "scenes/Objects/a b.3ds"}),
              "out/s.kzo out/s.mot: \\\n"
              "  scenes/s.lws \\\n"
              "  scenes/Objects/a\\ b.3ds \\\n"
              "  scenes/box.3ds\n"
              "\n"
              "scenes/Objects/a\\ b.3ds:\n"
              "\n"
              "scenes/box.3ds:\n");
}
