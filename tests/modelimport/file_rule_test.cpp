// The files a model names are read only from its own folder and below, or
// below a search path: a glTF buffer and an OBJ material library that lead
// out of it are refused, by name, before anything of them is read.
#include "modelimport/module/read_model_file.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/bytes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// One triangle whose positions lie in the buffer at uri.
std::string triangleGltf(const std::string& uri) {
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",
 "min":[0,0,0],"max":[1,1,0]}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36}],
"buffers":[{"byteLength":36,"uri":")" +
           uri + R"("}]})";
}

void writeTriangleBuffer(const fs::path& path) {
    kzotest::Bytes bin;
    for (float v : {0, 0, 0, 1, 0, 0, 0, 1, 0}) {
        bin.f32le(v);
    }
    fs::create_directories(path.parent_path());
    kzotest::writeBytes(path.string(), bin.data);
}

std::string failure(const fs::path& model, const std::vector<std::string>& searchPaths = {}) {
    kzo::ModelReadOptions options;
    options.searchPaths = searchPaths;
    try {
        kzo::readModelWithLibrary(model.string(), options);
    } catch (const kzo::ModelReadError& e) {
        return e.what();
    }
    return "read";
}

std::string refusal(const std::string& reference) {
    return "names '" + reference +
           "' outside its folder: the files a model names are read only from its folder or below "
           "a --search-path directory";
}

TEST(FileRuleTest, filesOutsideTheModelsFolderAreRefusedUnlessASearchPathAdmitsThem) {
    kzotest::TempDir root;
    const fs::path models = root.path() / "models";
    writeTriangleBuffer(models / "buffers" / "tri.bin");
    writeTriangleBuffer(root.path() / "secret.bin");
    writeTriangleBuffer(root.path() / "shared" / "tri.bin");

    // Below its folder: read, and listed among the files read.
    writeText(models / "below.gltf", triangleGltf("buffers/tri.bin"));
    const kzo::ImportedModel below = kzo::readModelWithLibrary((models / "below.gltf").string());
    EXPECT_EQ(below.faceCount(), 1u);
    EXPECT_EQ(below.filesRead.back(), (models / "buffers/tri.bin").string());

    // Up and out, however it is spelt.
    writeText(models / "up.gltf", triangleGltf("../secret.bin"));
    EXPECT_EQ(failure(models / "up.gltf"), refusal("../secret.bin"));
    writeText(models / "around.gltf", triangleGltf("buffers/../../shared/tri.bin"));
    EXPECT_EQ(failure(models / "around.gltf"), refusal("buffers/../../shared/tri.bin"));
    EXPECT_EQ(failure(models / "around.gltf", {(root.path() / "elsewhere").string()}),
              refusal("buffers/../../shared/tri.bin"));

    // A search path admits what lies below it, and nothing beside it.
    EXPECT_EQ(failure(models / "around.gltf", {(root.path() / "shared").string()}), "read");
    EXPECT_EQ(failure(models / "up.gltf", {(root.path() / "shared").string()}),
              refusal("../secret.bin"));

    // The library would go on without a material library it cannot open.
    writeText(root.path() / "x.mtl", "newmtl red\nKd 1 0 0\n");
    writeText(models / "up.obj", "mtllib ../x.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\n"
                                 "f 1 2 3\n");
    EXPECT_EQ(failure(models / "up.obj"), refusal("../x.mtl"));
    EXPECT_EQ(failure(models / "up.obj", {root.path().string()}), "read");
}

TEST(FileRuleTest, aLinkInTheFolderCountsWhereItLeads) {
    kzotest::TempDir root;
    const fs::path models = root.path() / "models";
    writeTriangleBuffer(root.path() / "secret.bin");
    writeTriangleBuffer(models / "real.bin");
    fs::create_symlink(root.path() / "secret.bin", models / "out.bin");
    fs::create_symlink("real.bin", models / "in.bin");
    fs::create_directory_symlink(root.path(), models / "up");

    writeText(models / "out.gltf", triangleGltf("out.bin"));
    EXPECT_EQ(failure(models / "out.gltf"), refusal("out.bin"));
    writeText(models / "through.gltf", triangleGltf("up/secret.bin"));
    EXPECT_EQ(failure(models / "through.gltf"), refusal("up/secret.bin"));
    writeText(models / "in.gltf", triangleGltf("in.bin"));
    EXPECT_EQ(failure(models / "in.gltf"), "read");

    // The model itself may be a link to anywhere: what it names is looked for
    // beside the link.
    fs::create_directories(root.path() / "other");
    writeText(root.path() / "other" / "linked.gltf", triangleGltf("real.bin"));
    fs::create_symlink(root.path() / "other" / "linked.gltf", models / "linked.gltf");
    EXPECT_EQ(failure(models / "linked.gltf"), "read");
}

// A build's sandbox: the source tree copied as folders of links, each file a
// link to its source. The model is read as if in its source tree: what it
// names beside it or, through a search path of the copy, below that path's
// place in the tree, and a link in the copy that leads out of them is
// refused as anywhere.
TEST(FileRuleTest, aSandboxOfLinksReadsAsTheTreeItsLinksLeadInto) {
    kzotest::TempDir root;
    const fs::path source = root.path() / "source";
    const fs::path sandbox = root.path() / "sandbox" / "execroot";
    writeTriangleBuffer(source / "models" / "beside.bin");
    writeTriangleBuffer(source / "shared" / "tri.bin");
    writeTriangleBuffer(root.path() / "secret.bin");
    writeText(source / "models" / "beside.gltf", triangleGltf("beside.bin"));
    writeText(source / "models" / "shared.gltf", triangleGltf("../shared/tri.bin"));
    writeText(source / "models" / "secret.gltf", triangleGltf("secret.bin"));
    fs::create_directories(sandbox / "models");
    fs::create_directories(sandbox / "shared");
    for (const char* file : {"beside.gltf", "shared.gltf", "secret.gltf", "beside.bin"}) {
        fs::create_symlink(source / "models" / file, sandbox / "models" / file);
    }
    fs::create_symlink(source / "shared" / "tri.bin", sandbox / "shared" / "tri.bin");
    fs::create_symlink(root.path() / "secret.bin", sandbox / "models" / "secret.bin");
    const std::string searchPath = (sandbox / "shared").string();

    EXPECT_EQ(failure(sandbox / "models" / "beside.gltf"), "read");
    EXPECT_EQ(failure(sandbox / "models" / "shared.gltf"), refusal("../shared/tri.bin"));
    EXPECT_EQ(failure(sandbox / "models" / "shared.gltf", {searchPath}), "read");
    EXPECT_EQ(failure(sandbox / "models" / "secret.gltf", {searchPath}), refusal("secret.bin"));
    // A search path outside the copy stands for itself alone.
    EXPECT_EQ(failure(sandbox / "models" / "shared.gltf", {(root.path() / "elsewhere").string()}),
              refusal("../shared/tri.bin"));
    // Named from the copy's root, as a build names them.
    const fs::path before = fs::current_path();
    fs::current_path(sandbox);
    const std::string relative = failure("models/shared.gltf", {"shared"});
    fs::current_path(before);
    EXPECT_EQ(relative, "read");
}

} // namespace
