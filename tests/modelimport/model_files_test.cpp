// Small OBJ and glTF models written here, read through the import library.
#include "modelimport/model_import.h"
#include "modelimport/module/read_model_file.h"
#include "tests/converter/temp_dir.h"
#include "tests/modelimport/imported_model_expect.h"
#include "tests/support/bytes.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using kzo::ImportedModel;
using kzotest::floatBits;

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A quad and a triangle of two materials, a point, a line, a degenerate
// triangle, and a second vertex at an earlier vertex's position.
const char* const kBoxObj = R"(mtllib box.mtl
v 0 0 0
v 1 0 0
v 1 1 0
v 0 1 0
v 0 0 1
v 1 0 0
vt 0 0
vt 1 0
vt 1 1
vt 0 1
usemtl red
f 1/1 2/2 3/3 4/4
usemtl glass
f 1/1 3/3 5/1
f 6/2 3/3 5/4
p 1
l 1 2
f 1 1 2
)";

const char* const kBoxMtl = R"(newmtl red
Kd 1 0 0
map_Kd textures/red.png
newmtl glass
Kd 0.5 0.5 1
d 0.5
)";

TEST(ModelFilesTest, objQuadsMaterialsAndLeftOutPrimitives) {
    kzotest::TempDir dir;
    writeText(dir / "box.obj", kBoxObj);
    writeText(dir / "box.mtl", kBoxMtl);
    const ImportedModel model = kzo::readModelWithLibrary(dir / "box.obj");

    // z turns round; 0 stays +0.0.
    EXPECT_EQ(floatBits(model.positions),
              floatBits({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, -1}));
    // The quad becomes two triangles of the same turn; vertex 6 is vertex 2.
    EXPECT_EQ(model.triangles, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 0, 2, 4, 1, 2, 4}));
    EXPECT_EQ(floatBits(model.cornerUvs),
              floatBits({0,      0, 1, 0, 1, 1, /**/ 0, 0, 1, 1, 0, 1,
                         /**/ 0, 0, 1, 1, 0, 0, /**/ 1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(model.faceMaterials, (std::vector<std::int32_t>{0, 0, 1, 1}));
    // The engine loads textures by their file name alone.
    kzotest::expectMaterials(model, {{255, 0, 0, 0, "red.png"}, {127, 127, 255, 127, ""}});
    EXPECT_EQ(model.dropped.points, 1u);
    EXPECT_EQ(model.dropped.lines, 1u);
    EXPECT_EQ(model.dropped.degenerateTriangles, 1u);
    EXPECT_EQ(model.warnings,
              (std::vector<std::string>{"left out 1 point, 1 line and 1 degenerate triangle"}));
}

// One triangle (0,0,0) (1,0,0) (0,1,0) with texture coordinates counted from
// the top, used by four nodes under a root moved by (3,0,0): turned a quarter
// about z by a matrix, moved by (0,0,5), mirrored in x, and plain. The mesh
// under the plain node has no material; the mirrored one's texture is
// embedded.
const char* const kNodesGltf = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],
"nodes":[{"name":"root","children":[1,2,3,4],"translation":[3,0,0]},
 {"name":"turned","mesh":0,"matrix":[0,1,0,0, -1,0,0,0, 0,0,1,0, 0,0,0,1]},
 {"name":"copy","mesh":0,"translation":[0,0,5]},
 {"name":"mirrored","mesh":1,"scale":[-1,1,1]},
 {"name":"plain","mesh":2}],
"meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":0}]},
 {"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"material":1}]},
 {"primitives":[{"attributes":{"POSITION":0}}]}],
"materials":[{"pbrMetallicRoughness":{"baseColorFactor":[0,1,0,1],"baseColorTexture":{"index":0}}},
 {"pbrMetallicRoughness":{"baseColorFactor":[1,1,1,0.5],"baseColorTexture":{"index":1}},
  "alphaMode":"BLEND"}],
"textures":[{"source":0},{"source":1}],
"images":[{"uri":"leaf.png"},{"bufferView":2,"mimeType":"image/png"}],
"buffers":[{"uri":"nodes.bin","byteLength":76}],
"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24},
 {"buffer":0,"byteOffset":60,"byteLength":16}],
"accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},
 {"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"}]})";

kzotest::Bytes nodesBin() {
    kzotest::Bytes bin;
    for (float v : {0, 0, 0, 1, 0, 0, 0, 1, 0, /* uv */ 0, 0, 1, 0, 0, 1}) {
        bin.f32le(v);
    }
    bin.u8(0x89).str("PNG\r\n\x1a\n", false).zeros(8);
    return bin;
}

TEST(ModelFilesTest, gltfNodesInstancesMirrorsAndDefaultMaterial) {
    kzotest::TempDir dir;
    writeText(dir / "nodes.gltf", kNodesGltf);
    kzotest::writeBytes(dir / "nodes.bin", nodesBin().data);
    const ImportedModel model = kzo::readModelWithLibrary(dir / "nodes.gltf");

    // The root's move applies after each node's own transform.
    EXPECT_EQ(floatBits(model.positions),
              floatBits({3, 0, 0, 3, 1, 0, 2, 0, 0, 3, 0, -5, 4, 0, -5, 3, 1, -5, 4, 0, 0}));
    // The mirrored copy lies on the turned one with its corners reordered, so
    // its front stays in front.
    EXPECT_EQ(model.triangles, (std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5, 0, 1, 2, 0, 6, 1}));
    // v counts from the bottom, as in 3DS files.
    EXPECT_EQ(floatBits(model.cornerUvs),
              floatBits({0,      1, 1, 1, 0, 0, /**/ 0, 1, 1, 1, 0, 0,
                         /**/ 0, 1, 0, 0, 1, 1, /**/ 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(model.faceMaterials, (std::vector<std::int32_t>{0, 0, 1, -1}));
    kzotest::expectMaterials(model, {{0, 255, 0, 0, "leaf.png"}, {255, 255, 255, 127, ""}});
    // The mirrored node's texture lies in the buffer: its bytes, as stored.
    EXPECT_EQ(model.materials[0].embeddedImage, -1);
    EXPECT_EQ(model.materials[1].embeddedImage, 0);
    ASSERT_EQ(model.embeddedImages.size(), 1u);
    EXPECT_EQ(model.embeddedImages[0].extension, "png");
    const std::vector<std::uint8_t> bin = nodesBin().data;
    EXPECT_EQ(model.embeddedImages[0].bytes,
              std::vector<std::uint8_t>(bin.begin() + 60, bin.end()));
    EXPECT_EQ(model.warnings, std::vector<std::string>{});
}

TEST(ModelFilesTest, moduleReadsWhatTheLibraryReadsAndWordsFailures) {
    kzotest::TempDir dir;
    writeText(dir / "box.obj", kBoxObj);
    writeText(dir / "box.mtl", kBoxMtl);
    EXPECT_TRUE(kzo::modelExtensionSupported("GLTF"));
    EXPECT_TRUE(kzo::modelExtensionSupported("obj"));
    EXPECT_FALSE(kzo::modelExtensionSupported("kzo"));

    const ImportedModel direct = kzo::readModelWithLibrary(dir / "box.obj");
    const ImportedModel viaModule = kzo::readModelFile(dir / "box.obj");
    EXPECT_EQ(floatBits(viaModule.positions), floatBits(direct.positions));
    EXPECT_EQ(viaModule.triangles, direct.triangles);
    EXPECT_EQ(viaModule.warnings, direct.warnings);

    auto failure = [](const std::string& path) {
        try {
            kzo::readModelFile(path);
        } catch (const kzo::ModelImportError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure(dir / "missing.gltf"), "cannot open the file");
    EXPECT_EQ(failure(dir.path().string()), "is not a regular file");
    writeText(dir / "broken.gltf", "{\"asset\":");
    const std::string broken = failure(dir / "broken.gltf");
    EXPECT_NE(broken, "no error");
    EXPECT_FALSE(broken.empty());
    // A buffer the model names but that is missing.
    writeText(dir / "nodes.gltf", kNodesGltf);
    EXPECT_NE(failure(dir / "nodes.gltf"), "no error");
}

} // namespace
