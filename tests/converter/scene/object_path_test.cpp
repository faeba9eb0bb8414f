#include "converter/import/object_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace kzo;
namespace fs = std::filesystem;

namespace {

// A scene directory with a few object files:
//   scene/objects/box.3ds   scene/Ship.3DS   scene/old/Ball.3ds
struct SceneDir : ::testing::Test {
    fs::path root;
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("kzo_object_path_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
                std::to_string(std::random_device{}()));
        fs::remove_all(root);
        fs::create_directories(root / "scene" / "objects");
        fs::create_directories(root / "scene" / "old");
        touch(root / "scene" / "objects" / "box.3ds");
        touch(root / "scene" / "Ship.3DS");
        touch(root / "scene" / "old" / "Ball.3ds");
    }
    void TearDown() override { fs::remove_all(root); }
    static void touch(const fs::path& p) { std::ofstream(p) << "x"; }
    std::string dir() const { return (root / "scene").string(); }
    std::string in(const std::string& rel) const { return (root / "scene" / rel).string(); }
};

} // namespace

TEST_F(SceneDir, relativePathsResolveAgainstTheSceneDirectory) {
    EXPECT_EQ(findObjectGeometry(dir(), "objects\\box.lwo"), in("objects/box.3ds"));
    EXPECT_EQ(findObjectGeometry(dir(), "objects/box.lwo"), in("objects/box.3ds"));
}

TEST_F(SceneDir, trailingComponentsOfAForeignPathAreTried) {
    EXPECT_EQ(findObjectGeometry(dir(), "C:\\LW\\Objects\\box.lwo"), in("objects/box.3ds"));
    EXPECT_EQ(findObjectGeometry(dir(), "D:\\elsewhere\\Ship.lwo"), in("Ship.3DS"));
    EXPECT_EQ(findObjectGeometry(dir(), "/no/such/dir/objects/box.lwo"), in("objects/box.3ds"));
}

TEST_F(SceneDir, namesDifferingOnlyInCaseAreAccepted) {
    EXPECT_EQ(findObjectGeometry(dir(), "Objects\\BOX.LWO"), in("objects/box.3ds"));
    EXPECT_EQ(findObjectGeometry(dir(), "ship.lwo"), in("Ship.3DS"));
}

TEST_F(SceneDir, extensionlessNamesGetDot3dsAppended) {
    EXPECT_EQ(findObjectGeometry(dir(), "Old\\Ball"), in("old/Ball.3ds"));
}

TEST_F(SceneDir, absolutePathsAreTriedAsTheyStand) {
    EXPECT_EQ(findObjectGeometry("/nowhere", in("objects/box.lwo")), in("objects/box.3ds"));
}

TEST_F(SceneDir, missingObjectsGiveAnEmptyPath) {
    EXPECT_EQ(findObjectGeometry(dir(), "objects\\sphere.lwo"), "");
    EXPECT_EQ(findObjectGeometry(dir(), "objects"), ""); // a directory is no object
    EXPECT_EQ(findObjectGeometry(dir(), ""), "");
    EXPECT_EQ(objectGeometryName("Objects\\box.lwo"), "Objects\\box.3ds");
}

TEST_F(SceneDir, lightWaveObjectsAreFoundUnderTheirOwnNameBySameSearch) {
    touch(root / "scene" / "objects" / "Cone.LWO");
    touch(root / "scene" / "objects" / "Old");
    EXPECT_EQ(findObjectFile(dir(), "C:\\LW\\Objects\\cone.lwo"), in("objects/Cone.LWO"));
    EXPECT_EQ(findObjectFile(dir(), "objects\\cone"), in("objects/Cone.LWO"));
    EXPECT_EQ(findObjectFile(dir(), "objects\\old"), in("objects/Old"));
    EXPECT_EQ(findObjectFile(dir(), "objects\\box.lwo"), "");
}
