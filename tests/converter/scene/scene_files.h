// A temporary directory holding a scene and the .3ds files of its objects,
// written by the test itself.
#pragma once

#include "tests/support/build_3ds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace kzotest {

struct SceneFiles {
    std::filesystem::path root;

    // The name is unique per run: the same test may run at once in another
    // build tree (a sanitizer build beside the plain one).
    SceneFiles() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::filesystem::temp_directory_path() /
               ("kzo_scene_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
                std::to_string(std::random_device{}()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    ~SceneFiles() { std::filesystem::remove_all(root); }

    std::string path(const std::string& relative) const { return (root / relative).string(); }

    std::string write(const std::string& relative, const std::string& text) const {
        const auto p = root / relative;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p.string();
    }
    std::string write(const std::string& relative, const Bytes& bytes) const {
        return write(relative, std::string(bytes.data.begin(), bytes.data.end()));
    }
};

// A .3ds file of one object holding one triangle: the corners (x, y, z) in the
// file's axes, which the reader turns into (x, z, y).
inline Bytes triangle3ds(const std::string& name, Vec3 a, Vec3 b, Vec3 c) {
    return file3ds(editor(object(name, vertexList({a, b, c}) + faceList({{0, 1, 2}}))));
}

} // namespace kzotest
