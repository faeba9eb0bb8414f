// Scenes of glTF files written here: the object tree, the keys of the first
// animation, the camera and the lights, as the engine's scene takes them.
#include "modelimport/module/read_model_file.h"
#include "modelimport/module/scene_mapping.h"
#include "tests/converter/temp_dir.h"
#include "tests/modelimport/gltf_scene.h"
#include "tests/modelimport/library_scene.h"

#include <gtest/gtest.h>

#include <assimp/camera.h>
#include <assimp/texture.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

namespace {

using kzo::ImportedModel;
using kzo::MotionKey;
using kzotest::GltfScene;
using kzotest::triangle;

ImportedModel readScene(const std::string& text, bool hierarchy = true, int fps = 0,
                        const char* name = "scene.gltf") {
    kzotest::TempDir dir;
    const std::string path = dir / name;
    std::ofstream(path, std::ios::binary) << text;
    kzo::ModelReadOptions options;
    options.hierarchy = hierarchy;
    options.framesPerSecond = fps;
    return kzo::readModelWithLibrary(path, options);
}

// A turn about a unit axis as glTF writes it: x, y, z, w.
std::string turn(double degrees, double x, double y, double z) {
    const double half = degrees * std::numbers::pi / 360.0;
    const double s = std::sin(half);
    return "[" + std::to_string(x * s) + "," + std::to_string(y * s) + "," + std::to_string(z * s) +
           "," + std::to_string(std::cos(half)) + "]";
}

std::vector<float> turnValues(double degrees, double x, double y, double z) {
    const double half = degrees * std::numbers::pi / 360.0;
    const double s = std::sin(half);
    return {float(x * s), float(y * s), float(z * s), float(std::cos(half))};
}

void expectKey(const MotionKey& key, int frame, std::array<float, 3> position,
               std::array<float, 3> hpb, std::array<float, 3> scale = {1, 1, 1},
               const std::string& what = "") {
    EXPECT_EQ(key.frame, frame) << what;
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(key.position[i], position[i], 1e-4) << what << " position " << i;
        EXPECT_NEAR(key.scale[i], scale[i], 1e-4) << what << " scale " << i;
    }
    EXPECT_NEAR(key.heading, hpb[0], 1e-3) << what << " heading";
    EXPECT_NEAR(key.pitch, hpb[1], 1e-3) << what << " pitch";
    EXPECT_NEAR(key.bank, hpb[2], 1e-3) << what << " bank";
}

// The engine's placement of a point by a key, written out as its pivots are
// built: p · scale · Rz(bank) · Rx(pitch) · Ry(heading) + position, in row
// vectors.
std::array<double, 3> placeByKey(const MotionKey& key, std::array<double, 3> p) {
    const double r = std::numbers::pi / 180.0;
    for (int i = 0; i < 3; ++i) {
        p[i] *= key.scale[i];
    }
    const double b = key.bank * r, a = key.pitch * r, h = key.heading * r;
    p = {p[0] * std::cos(b) - p[1] * std::sin(b), p[0] * std::sin(b) + p[1] * std::cos(b), p[2]};
    p = {p[0], p[1] * std::cos(a) - p[2] * std::sin(a), p[1] * std::sin(a) + p[2] * std::cos(a)};
    p = {p[0] * std::cos(h) + p[2] * std::sin(h), p[1], -p[0] * std::sin(h) + p[2] * std::cos(h)};
    return {p[0] + key.position[0], p[1] + key.position[1], p[2] + key.position[2]};
}

// Each vertex of a hierarchy carried through its object's first key and its
// parents'.
std::vector<std::array<double, 3>> bakedPositions(const ImportedModel& model) {
    std::vector<std::array<double, 3>> out;
    for (std::size_t v = 0; v < model.vertexCount(); ++v) {
        std::array<double, 3> p = {model.positions[3 * v], model.positions[3 * v + 1],
                                   model.positions[3 * v + 2]};
        for (std::int32_t o = static_cast<std::int32_t>(model.vertexObjects[v]); o >= 0;
             o = model.objects[static_cast<std::size_t>(o)].parent) {
            p = placeByKey(model.objects[static_cast<std::size_t>(o)].keys.front(), p);
        }
        out.push_back(p);
    }
    return out;
}

TEST(SceneImportTest, meshNodesBecomeObjectsDepthFirstWithFoldedTransforms) {
    GltfScene s;
    const int twoParts = s.mesh({triangle(0), {{1, 0, 0}, {2, 0, 0}, {1, 1, 0}}});
    const int shared = s.mesh({triangle(5)});
    // top (no mesh) -> a (two primitives) -> turned (no mesh) -> c (shared)
    //               -> b (shared)
    s.node(R"({"name":"top","children":[1,4],"translation":[1,0,0]})");
    s.node(R"({"name":"a","mesh":)" + std::to_string(twoParts) +
           R"(,"children":[2],"translation":[0,2,0]})");
    s.node(R"({"name":"turned","children":[3],"translation":[0,0,3],"rotation":)" +
           turn(90, 0, 1, 0) + "}");
    s.node(R"({"name":"c","mesh":)" + std::to_string(shared) + R"(,"scale":[2,2,2]})");
    s.node(R"({"name":"b","mesh":)" + std::to_string(shared) + "}");
    s.roots = {0};
    const ImportedModel model = readScene(s.json());

    ASSERT_EQ(model.objects.size(), 3u);
    EXPECT_EQ(model.objects[0].name, "a");
    EXPECT_EQ(model.objects[1].name, "c");
    EXPECT_EQ(model.objects[2].name, "b");
    EXPECT_EQ(model.objects[0].parent, -1);
    EXPECT_EQ(model.objects[1].parent, 0);
    EXPECT_EQ(model.objects[2].parent, -1);
    // The root's move is folded into a and b, the turned node into c.
    expectKey(model.objects[0].keys.at(0), 0, {1, 2, 0}, {0, 0, 0}, {1, 1, 1}, "a");
    expectKey(model.objects[1].keys.at(0), 0, {0, 0, -3}, {-90, 0, 0}, {2, 2, 2}, "c");
    expectKey(model.objects[2].keys.at(0), 0, {1, 0, 0}, {0, 0, 0}, {1, 1, 1}, "b");

    // Each object in its own space: a's two parts share the corner (1,0,0),
    // c and b hold the shared mesh once each.
    EXPECT_EQ(model.vertexCount(), 5u + 3u + 3u);
    EXPECT_EQ(model.vertexObjects, (std::vector<std::uint32_t>{0, 0, 0, 0, 0, 1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(std::vector<float>(model.positions.begin() + 15, model.positions.begin() + 24),
              (std::vector<float>{5, 0, 0, 6, 0, 0, 5, 1, 0}));

    // The first keys put every vertex where the baked reading puts it.
    const ImportedModel baked = readScene(s.json(), false);
    EXPECT_TRUE(baked.vertexObjects.empty());
    ASSERT_EQ(baked.objects.size(), 3u);
    EXPECT_EQ(baked.objects[1].parent, 0);
    const auto placed = bakedPositions(model);
    ASSERT_EQ(model.faceCount(), baked.faceCount());
    for (std::size_t c = 0; c < model.triangles.size(); ++c) {
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(placed[model.triangles[c]][i], baked.positions[3 * baked.triangles[c] + i],
                        1e-5)
                << "corner " << c;
        }
    }
}

TEST(SceneImportTest, axesTurnPositionsAndEachRotationAxis) {
    GltfScene s;
    const int m = s.mesh({triangle()});
    for (const char* rotation : {"[1,0,0]", "[0,1,0]", "[0,0,1]"}) {
        const double* axis = nullptr;
        static const double kAxes[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        axis = kAxes[rotation[1] == '1' ? 0 : rotation[3] == '1' ? 1 : 2];
        s.roots.push_back(s.node(R"({"mesh":)" + std::to_string(m) +
                                 R"(,"translation":[1,2,3],"rotation":)" +
                                 turn(30, axis[0], axis[1], axis[2]) + "}"));
    }
    s.roots.push_back(
        s.node(R"({"mesh":)" + std::to_string(m) + R"(,"rotation":)" + turn(107, 1, 0, 0) + "}"));
    const ImportedModel model = readScene(s.json());
    ASSERT_EQ(model.objects.size(), 4u);
    // (x, y, z) is (x, y, -z); a turn about x or y is the same turn negated,
    // about z the same.
    expectKey(model.objects[0].keys.at(0), 0, {1, 2, -3}, {0, -30, 0}, {1, 1, 1}, "about x");
    expectKey(model.objects[1].keys.at(0), 0, {1, 2, -3}, {-30, 0, 0}, {1, 1, 1}, "about y");
    expectKey(model.objects[2].keys.at(0), 0, {1, 2, -3}, {0, 0, 30}, {1, 1, 1}, "about z");
    // Of the two angle sets of a turn the one nearer to no turn: not heading
    // 180, pitch 73, bank 180.
    expectKey(model.objects[3].keys.at(0), 0, {0, 0, 0}, {0, -107, 0}, {1, 1, 1}, "107 about x");
    EXPECT_EQ(model.lastFrame, 0);
    EXPECT_EQ(model.framesPerSecond, 30.0);
}

std::vector<int> framesOf(const std::vector<MotionKey>& keys) {
    std::vector<int> frames;
    for (const MotionKey& k : keys) {
        frames.push_back(k.frame);
    }
    return frames;
}

std::vector<int> everyFrame(int first, int last) {
    std::vector<int> frames;
    for (int f = first; f <= last; ++f) {
        frames.push_back(f);
    }
    return frames;
}

TEST(SceneImportTest, keysWhereLinearKeysHoldTheCurveAndEveryFrameElsewhere) {
    GltfScene s;
    const int m = s.mesh({triangle()});
    for (int i = 0; i < 7; ++i) {
        s.roots.push_back(s.node(R"({"mesh":)" + std::to_string(m) + "}"));
    }
    s.channel(0, "translation", {0, 1, 2}, {0, 0, 0, 3, 0, 0, 3, 6, 0});
    // A quarter turn about y, then on round to 350 degrees in two more keys.
    s.channel(1, "rotation", {0, 1, 2, 3}, [] {
        std::vector<float> v;
        for (double a : {0.0, 90.0, 175.0, 350.0}) {
            const auto q = turnValues(a, 0, 1, 0);
            v.insert(v.end(), q.begin(), q.end());
        }
        return v;
    }());
    s.channel(2, "translation", {0, 1, 2}, {0, 0, 0, 5, 0, 0, 5, 0, 7}, "STEP");
    // in-tangent, value, out-tangent per key.
    s.channel(3, "translation", {0, 1}, {0, 0, 0, 0, 0, 0, 3, 0, 0, /**/ 3, 0, 0, 1, 0, 0, 0, 0, 0},
              "CUBICSPLINE");
    // A turn about x, then about y: the axis changes between the keys.
    s.channel(4, "rotation", {0, 1, 2}, [] {
        std::vector<float> v = turnValues(0, 1, 0, 0);
        const auto a = turnValues(90, 1, 0, 0), b = turnValues(90, 0, 1, 0);
        v.insert(v.end(), a.begin(), a.end());
        v.insert(v.end(), b.begin(), b.end());
        return v;
    }());
    // A key between frames.
    s.channel(5, "scale", {0, 0.51f}, {1, 1, 1, 2, 2, 2});
    const ImportedModel model = readScene(s.json());
    ASSERT_EQ(model.objects.size(), 7u);
    const auto& o = model.objects;

    EXPECT_EQ(framesOf(o[0].keys), (std::vector<int>{0, 30, 60}));
    expectKey(o[0].keys[2], 60, {3, 6, 0}, {0, 0, 0});
    // Slerps about one axis: heading goes on continuously past 180.
    EXPECT_EQ(framesOf(o[1].keys), (std::vector<int>{0, 30, 60, 90}));
    expectKey(o[1].keys[1], 30, {0, 0, 0}, {-90, 0, 0});
    expectKey(o[1].keys[3], 90, {0, 0, 0}, {-350, 0, 0});
    // Each change held until the frame before it.
    EXPECT_EQ(framesOf(o[2].keys), (std::vector<int>{0, 29, 30, 59, 60}));
    expectKey(o[2].keys[1], 29, {0, 0, 0}, {0, 0, 0});
    expectKey(o[2].keys[2], 30, {5, 0, 0}, {0, 0, 0});
    expectKey(o[2].keys[4], 60, {5, 0, -7}, {0, 0, 0});
    // The spline at every frame, by the Hermite basis with tangents 3 at both
    // ends: 0.5 at u = 1/2, 13/27 at u = 1/3.
    EXPECT_EQ(framesOf(o[3].keys), everyFrame(0, 30));
    expectKey(o[3].keys[15], 15, {0.5f, 0, 0}, {0, 0, 0});
    expectKey(o[3].keys[10], 10, {13.0f / 27.0f, 0, 0}, {0, 0, 0});
    EXPECT_EQ(framesOf(o[4].keys), everyFrame(0, 60));
    EXPECT_EQ(framesOf(o[5].keys), everyFrame(0, 16));
    // Never moved: one key at frame 0.
    EXPECT_EQ(framesOf(o[6].keys), (std::vector<int>{0}));
    EXPECT_EQ(model.lastFrame, 90);
}

TEST(SceneImportTest, firstCameraKeyedInSceneSpaceLookingAlongPlusZ) {
    GltfScene s;
    s.cameras = {R"({"type":"perspective","perspective":{"yfov":0.8,"znear":0.1}})",
                 R"({"type":"perspective","perspective":{"yfov":0.5,"znear":0.1}})"};
    // The camera sits under a node that lifts it; turned by 15 degrees about
    // y it looks along -z turned towards -x, which in the engine's axes is
    // +z turned towards -x: heading -15.
    s.node(R"({"name":"rig","children":[1],"translation":[0,10,0]})");
    s.node(R"({"name":"eye","camera":0,"translation":[1,2,3],"rotation":)" + turn(15, 0, 1, 0) +
           "}");
    s.node(R"({"name":"spare","camera":1})");
    s.roots = {0, 2};
    s.channel(0, "translation", {0, 1}, {0, 10, 0, 0, 20, 0});
    const ImportedModel model = readScene(s.json());
    ASSERT_TRUE(model.hasCamera);
    EXPECT_EQ(model.camera.name, "eye");
    ASSERT_EQ(framesOf(model.camera.keys), (std::vector<int>{0, 30}));
    expectKey(model.camera.keys[0], 0, {1, 12, -3}, {-15, 0, 0}, {1, 1, 1}, "camera");
    expectKey(model.camera.keys[1], 30, {1, 22, -3}, {-15, 0, 0}, {1, 1, 1}, "camera");
    EXPECT_EQ(model.lastFrame, 30);
    EXPECT_EQ(model.warnings, (std::vector<std::string>{
                                  "camera 'spare' left out: only the first, 'eye', is converted"}));

    // A camera of its own axes (FBX's look along +x) and position: looking
    // along +x is a heading of 90 in the engine.
    auto* camera = new aiCamera;
    camera->mName = aiString("side");
    camera->mLookAt = aiVector3D(1, 0, 0);
    camera->mPosition = aiVector3D(0, 0, 4);
    auto scene = kzotest::libraryScene({}, {}, kzotest::libraryNode("side", {}));
    scene->mNumCameras = 1;
    scene->mCameras = new aiCamera* [1] { camera };
    kzo::ModelReadOptions keyed;
    keyed.motion = true;
    const ImportedModel side =
        kzo::mapScene(*scene, kzo::SceneFacts{}, kzo::MappingLimits{}, keyed);
    ASSERT_TRUE(side.hasCamera);
    expectKey(side.camera.keys.at(0), 0, {0, 0, -4}, {90, 0, 0}, {1, 1, 1}, "side");

    // An ASE camera looks along its node's -z, whatever the library says:
    // this one at (-10, 0, 5) in the file's z-up axes looks along +x and 45
    // degrees down, its node's y (its up) leaning towards +x.
    const ImportedModel ase = readScene(R"(*3DSMAX_ASCIIEXPORT 200
*CAMERAOBJECT {
  *NODE_NAME "eye"
  *CAMERA_TYPE Free
  *NODE_TM {
    *NODE_NAME "eye"
    *TM_ROW0 0 -1 0
    *TM_ROW1 0.70710678 0 0.70710678
    *TM_ROW2 -0.70710678 0 0.70710678
    *TM_ROW3 -10 0 5
  }
  *CAMERA_SETTINGS {
    *CAMERA_FOV 0.7854
  }
}
)",
                                        true, 0, "eye.ase");
    ASSERT_TRUE(ase.hasCamera);
    expectKey(ase.camera.keys.at(0), 0, {-10, 5, 0}, {90, 45, 0}, {1, 1, 1}, "ase");
}

TEST(SceneImportTest, lightsOfEachKindWithDirectionColourIntensityAndCone) {
    GltfScene s;
    // A unit model at the origin: the distances below are from its centre.
    s.mesh({{{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}}, {{1, 1, 0}, {-1, 1, 0}, {1, -1, 0}}});
    s.lights = {
        R"({"type":"directional","color":[1,0.5,0.25],"intensity":4})",
        R"({"type":"point","color":[0,1,0],"intensity":100})",
        R"({"type":"spot","intensity":2,"range":12,"spot":{"innerConeAngle":0.2,"outerConeAngle":0.5}})",
        R"({"type":"spot","intensity":2,"spot":{"innerConeAngle":0.5,"outerConeAngle":0.5}})"};
    s.roots.push_back(s.node(R"({"mesh":0})"));
    // Shining straight down.
    s.roots.push_back(s.node(R"({"name":"sun","rotation":)" + turn(-90, 1, 0, 0) +
                             R"(,"extensions":{"KHR_lights_punctual":{"light":0}}})"));
    s.roots.push_back(s.node(
        R"({"name":"bulb","translation":[0,0,10],"extensions":{"KHR_lights_punctual":{"light":1}}})"));
    s.roots.push_back(s.node(
        R"({"name":"spot","translation":[0,1,0],"extensions":{"KHR_lights_punctual":{"light":2}}})"));
    s.roots.push_back(s.node(
        R"({"name":"flat","translation":[0,0,-2],"extensions":{"KHR_lights_punctual":{"light":3}}})"));
    const ImportedModel model = readScene(s.json(), false);
    ASSERT_EQ(model.lights.size(), 4u);
    const kzo::Light& sun = model.lights[0];
    const kzo::Light& bulb = model.lights[1];
    const kzo::Light& spot = model.lights[2];
    const kzo::Light& flat = model.lights[3];
    EXPECT_EQ(sun.type, kzo::kDistantLight);
    EXPECT_NEAR(sun.direction[0], 0, 1e-6);
    EXPECT_NEAR(sun.direction[1], 1, 1e-6);
    EXPECT_NEAR(sun.direction[2], 0, 1e-6);
    EXPECT_EQ((std::array<int, 3>{sun.color[0], sun.color[1], sun.color[2]}),
              (std::array<int, 3>{255, 128, 64}));
    EXPECT_EQ(sun.range, -1.0f);

    EXPECT_EQ(bulb.type, kzo::kPointLight);
    EXPECT_EQ((std::array<float, 3>{bulb.position[0], bulb.position[1], bulb.position[2]}),
              (std::array<float, 3>{0, 0, -10}));
    EXPECT_EQ((std::array<int, 3>{bulb.color[0], bulb.color[1], bulb.color[2]}),
              (std::array<int, 3>{0, 255, 0}));

    // A glTF light shines along its node's -z: the engine's direction, towards
    // the light, is the node's +z in the engine's axes.
    EXPECT_EQ(spot.type, kzo::kSpotLight);
    EXPECT_EQ((std::array<float, 3>{spot.direction[0], spot.direction[1], spot.direction[2]}),
              (std::array<float, 3>{0, 0, -1}));
    EXPECT_EQ(spot.range, 12.0f);
    EXPECT_FLOAT_EQ(spot.coneCos, static_cast<float>(std::cos(0.2)));
    EXPECT_FLOAT_EQ(spot.edgeCos, static_cast<float>(std::cos(0.5)));
    // An edge no wider than the cone is one degree wider.
    EXPECT_FLOAT_EQ(flat.edgeCos, static_cast<float>(std::cos(0.5 + std::numbers::pi / 180)));

    // Illuminance at the model (centre 0, half diagonal sqrt 2): the sun 4 lux,
    // the bulb 100 cd at 10, the spots 2 cd at 1 and at 2, both taken no
    // nearer than sqrt 2; the brightest gives 1.
    EXPECT_FLOAT_EQ(sun.intensity, 1.0f);
    EXPECT_FLOAT_EQ(bulb.intensity, 0.25f);
    EXPECT_FLOAT_EQ(spot.intensity, 0.25f);
    EXPECT_FLOAT_EQ(flat.intensity, 0.125f);
    EXPECT_EQ(
        (std::array<float, 3>{model.ambientColor[0], model.ambientColor[1], model.ambientColor[2]}),
        (std::array<float, 3>{0, 0, 0}));
}

TEST(SceneImportTest, whatTheEngineCannotCarryIsNamedOncePerFile) {
    GltfScene s;
    const int positions = s.accessor({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3", 3, true);
    const int uvs = s.accessor({0, 0, 1, 0, 0, 1}, "VEC2", 2);
    const int colours = s.accessor({1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1}, "VEC4", 4);
    const int moved = s.accessor({0, 0, 1, 0, 0, 1, 0, 0, 1}, "VEC3", 3, true);
    kzotest::Bytes joints;
    joints.zeros(12);
    const int jointIndices = s.accessorOf(joints, 5121, 3, "VEC4");
    const int weights = s.accessor({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4", 4);
    const int inverseBind =
        s.accessor({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "MAT4", 16);
    const std::string p = std::to_string(positions);
    s.meshes = {R"({"primitives":[{"attributes":{"POSITION":)" + p + R"(,"TEXCOORD_0":)" +
                    std::to_string(uvs) + R"(,"TEXCOORD_1":)" + std::to_string(uvs) + "}}]}",
                R"({"primitives":[{"attributes":{"POSITION":)" + p + R"(,"COLOR_0":)" +
                    std::to_string(colours) + R"(},"targets":[{"POSITION":)" +
                    std::to_string(moved) + "}]}],\"weights\":[0]}",
                R"({"primitives":[{"attributes":{"POSITION":)" + p + R"(,"JOINTS_0":)" +
                    std::to_string(jointIndices) + R"(,"WEIGHTS_0":)" + std::to_string(weights) +
                    "}}]}"};
    s.roots.push_back(s.node(R"({"name":"two uvs","mesh":0})"));
    s.roots.push_back(s.node(R"({"name":"morphed","mesh":1})"));
    s.roots.push_back(s.node(R"({"name":"skinned","mesh":2,"skin":0})"));
    s.roots.push_back(s.node(R"({"name":"bone"})"));
    s.channel(0, "translation", {0, 1}, {0, 0, 0, 1, 0, 0});
    const int times = s.accessor({0, 1}, "SCALAR", 1, true);
    const int amounts = s.accessor({0, 1}, "SCALAR", 1);
    s.samplers.push_back(R"({"input":)" + std::to_string(times) + R"(,"output":)" +
                         std::to_string(amounts) + "}");
    s.channels.push_back(R"({"sampler":1,"target":{"node":1,"path":"weights"}})");
    s.moreAnimations = {
        R"({"name":"walk","samplers":[{"input":)" + std::to_string(times) + R"(,"output":)" +
            std::to_string(amounts) +
            R"(}],"channels":[{"sampler":0,"target":{"node":1,"path":"weights"}}]})",
        R"({"name":"run","samplers":[{"input":)" + std::to_string(times) + R"(,"output":)" +
            std::to_string(amounts) +
            R"(}],"channels":[{"sampler":0,"target":{"node":1,"path":"weights"}}]})"};
    const std::string skins =
        R"(,"skins":[{"joints":[3],"inverseBindMatrices":)" + std::to_string(inverseBind) + "}]";
    const ImportedModel model = readScene(s.json(skins));
    EXPECT_EQ(model.warnings,
              (std::vector<std::string>{
                  "1 skinned mesh converted in its bind pose",
                  "morph targets of 1 mesh left out",
                  "a second texture coordinate set of 1 mesh left out",
                  "vertex colours of 1 mesh left out",
                  "animations 'walk' and 'run' left out: only the first, 'first', is converted",
                  "the animation of meshes and morph weights is left out",
              }));
    ASSERT_EQ(model.objects.size(), 3u);
    EXPECT_EQ(framesOf(model.objects[0].keys), (std::vector<int>{0, 30}));
}

// A text FBX without geometry that declares its time mode and ambient colour.
std::string fbxSettings(int timeMode, double customRate) {
    return "; FBX 7.4.0 project file\n"
           "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n}\n"
           "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
           "\t\tP: \"TimeMode\", \"enum\", \"\", \"\"," +
           std::to_string(timeMode) +
           "\n\t\tP: \"CustomFrameRate\", \"double\", \"Number\", \"\"," +
           std::to_string(customRate) +
           "\n\t\tP: \"AmbientColor\", \"ColorRGB\", \"Color\", \"\",0.2,0.4,1\n\t}\n}\n"
           "Objects:  {\n\tGeometry: 100, \"Geometry::tri\", \"Mesh\" {\n\t\tVertices: *9 {\n"
           "\t\t\ta: 0,0,0,1,0,0,0,1,0\n\t\t}\n\t\tPolygonVertexIndex: *3 {\n\t\t\ta: 0,1,-3\n"
           "\t\t}\n\t}\n\tModel: 200, \"Model::tri\", \"Mesh\" {\n\t\tVersion: 232\n\t}\n}\n"
           "Connections:  {\n\tC: \"OO\",100,200\n\tC: \"OO\",200,0\n}\n";
}

TEST(SceneImportTest, framesAtTheFilesOwnRateElseTheAskedOneElseThirty) {
    GltfScene s;
    s.mesh({triangle()});
    s.roots.push_back(s.node(R"({"mesh":0})"));
    s.channel(0, "translation", {0, 2}, {0, 0, 0, 1, 0, 0});
    // glTF states no rate.
    const ImportedModel asked = readScene(s.json(), true, 24);
    EXPECT_EQ(asked.framesPerSecond, 24.0);
    EXPECT_EQ(framesOf(asked.objects.at(0).keys), (std::vector<int>{0, 48}));
    EXPECT_EQ(asked.lastFrame, 48);
    EXPECT_EQ(readScene(s.json()).lastFrame, 60);

    // FBX does: 24 frames a second (mode 11), or its custom rate (mode 14);
    // mode 0 states none.
    EXPECT_EQ(readScene(fbxSettings(11, -1), true, 60, "s.fbx").framesPerSecond, 24.0);
    EXPECT_EQ(readScene(fbxSettings(14, 12.5), true, 60, "s.fbx").framesPerSecond, 12.5);
    EXPECT_EQ(readScene(fbxSettings(0, -1), true, 60, "s.fbx").framesPerSecond, 60.0);
    // And it has an ambient colour.
    const ImportedModel fbx = readScene(fbxSettings(11, -1), false, 0, "s.fbx");
    EXPECT_NEAR(fbx.ambientColor[0], 51, 1e-3);
    EXPECT_NEAR(fbx.ambientColor[1], 102, 1e-3);
    EXPECT_NEAR(fbx.ambientColor[2], 255, 1e-3);
}

TEST(SceneImportTest, textureNamesWithoutFoldersAndEscapes) {
    GltfScene s;
    s.mesh({triangle()}, R"(,"material":0)");
    s.mesh({triangle(2)}, R"(,"material":1)");
    s.roots.push_back(s.node(R"({"mesh":0})"));
    s.roots.push_back(s.node(R"({"mesh":1})"));
    const std::string images =
        R"(,"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}},)"
        R"({"pbrMetallicRoughness":{"baseColorTexture":{"index":1}}}],)"
        R"("textures":[{"source":0},{"source":1}],)"
        R"("images":[{"uri":"tex/sub%20dir/albedo.png"},{"uri":"my%20wood.jpg"}])";
    const ImportedModel model = readScene(s.json(images), false);
    ASSERT_EQ(model.materials.size(), 2u);
    EXPECT_EQ(model.materials[0].imageName, "albedo.png");
    EXPECT_EQ(model.materials[1].imageName, "my wood.jpg");
    EXPECT_TRUE(model.embeddedImages.empty());

    // A Windows path of another format, whose % is no escape.
    kzotest::TempDir dir;
    std::ofstream(dir / "m.obj", std::ios::binary)
        << "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl wood\nf 1 2 3\n";
    std::ofstream(dir / "m.mtl", std::ios::binary)
        << "newmtl wood\nmap_Kd D:\\art\\50%25wood.jpg\n";
    const ImportedModel obj = kzo::readModelWithLibrary(dir / "m.obj");
    ASSERT_EQ(obj.materials.size(), 1u);
    EXPECT_EQ(obj.materials[0].imageName, "50%25wood.jpg");
}

TEST(SceneImportTest, embeddedTexturesAsImageFilesOfTheirOwn) {
    using namespace kzotest;
    // Raw texels (2 x 1, blue green red alpha) and a compressed file, named
    // "*0", by the stored file's name, and "*1"; "*7" names nothing.
    auto* raw = new aiTexture;
    raw->mWidth = 2;
    raw->mHeight = 1;
    raw->pcData = new aiTexel[2]{{1, 2, 3, 4}, {5, 6, 7, 8}};
    auto* packed = new aiTexture;
    const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 9};
    packed->mWidth = sizeof jpeg;
    packed->mHeight = 0;
    packed->pcData = reinterpret_cast<aiTexel*>(new std::uint8_t[sizeof jpeg]);
    std::memcpy(packed->pcData, jpeg, sizeof jpeg);
    packed->mFilename = aiString("C:\\maps\\skin.JPG");
    const std::vector<aiVector3D> corners = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    std::vector<aiMesh*> meshes;
    for (unsigned m = 0; m < 4; ++m) {
        meshes.push_back(libraryMesh(corners, {{0, 1, 2}}, m));
    }
    auto scene =
        libraryScene(meshes,
                     {libraryMaterial(1, 1, 1, 1, "*0"), libraryMaterial(1, 1, 1, 1, "skin.JPG"),
                      libraryMaterial(1, 1, 1, 1, "*1"), libraryMaterial(1, 1, 1, 1, "*7")},
                     libraryNode("all", {0, 1, 2, 3}));
    scene->mNumTextures = 2;
    scene->mTextures = new aiTexture* [2] { raw, packed };
    const ImportedModel model = kzo::mapScene(*scene, kzo::SceneFacts{}, kzo::MappingLimits{});

    ASSERT_EQ(model.materials.size(), 4u);
    EXPECT_EQ(model.materials[0].embeddedImage, 0);
    EXPECT_EQ(model.materials[1].embeddedImage, 1);
    EXPECT_EQ(model.materials[2].embeddedImage, 1);
    EXPECT_EQ(model.materials[3].embeddedImage, -1);
    for (const kzo::ImportedMaterial& m : model.materials) {
        EXPECT_EQ(m.imageName, "");
    }
    ASSERT_EQ(model.embeddedImages.size(), 2u);
    EXPECT_EQ(model.embeddedImages[0].extension, "tga");
    EXPECT_EQ(model.embeddedImages[0].bytes,
              (std::vector<std::uint8_t>{0, 0, 2, 0,  0,    0, 0, 0, 0, 0, 0, 0, 2,
                                         0, 1, 0, 32, 0x28, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(model.embeddedImages[1].extension, "jpg");
    EXPECT_EQ(model.embeddedImages[1].bytes, std::vector<std::uint8_t>(jpeg, jpeg + sizeof jpeg));
    EXPECT_EQ(model.warnings, (std::vector<std::string>{
                                  "texture '*7' names no texture of the model file: no image"}));
}

} // namespace
