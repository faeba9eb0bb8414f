// Scenes of model files through the whole program: a glTF scene written here
// and the LightWave scene of the same objects, keys, camera and lights give
// the same side files and the same baked light; the frame rate of a file that
// states none; a texture the file holds inside itself.
#include "converter/app/command_line.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/scene/same_scene.h"
#include "tests/converter/temp_dir.h"
#include "tests/support/run_kzomaker.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

using namespace kzo;
using namespace kzotest;

namespace {

void writeText(const std::string& path, const std::string& text) {
    writeBytes(path, {text.begin(), text.end()});
}

// The lights of sameScene() in glTF's units. The model spans x and z from -2
// to 2 and y from 0 to 2.5 at rest: its centre is (0, 1.25, 0) and half its
// diagonal is sqrt(9.5625), nearer than which no light is taken; both the
// point and the spot light are nearer. So 9.5625 cd give the 1 lux of the
// directional light, and the brightest light is intensity 1.
constexpr float kNearestSquared = 9.5625f;
const std::vector<float> kCandela = {1.0f, kNearestSquared, 0.5f * kNearestSquared};

struct SceneFiles {
    TempDir in;
    std::string lws, gltf;
    explicit SceneFiles(const SameScene& scene) {
        const LightWaveFiles lightWave = asLightWave(scene);
        lws = in / "scene.lws";
        gltf = in / "scene.gltf";
        writeText(lws, lightWave.scene);
        for (const auto& [name, bytes] : lightWave.objects) {
            writeBytes(in / name, bytes.data);
        }
        writeText(gltf, asGltf(scene, kCandela));
    }
};

// Converts into a directory of its own and returns the outputs' bytes by
// extension.
std::map<std::string, std::vector<std::uint8_t>> convert(const std::string& input,
                                                         std::vector<std::string> options) {
    TempDir out;
    options.insert(options.end(), {"-q", "-o", out.path().string(), input});
    const CliRun r = kzomaker(options);
    EXPECT_EQ(r.status, 0) << input << ": " << r.err;
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (const std::string& name : listDirectory(out.path())) {
        files[name.substr(name.rfind('.'))] = readBytes(out / name);
        expectWellFormedEngineFile(name, files[name.substr(name.rfind('.'))]);
    }
    return files;
}

void expectNear(const float* a, const float* b, int count, const std::string& what) {
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR(a[i], b[i], 1e-4) << what << " value " << i;
    }
}

void expectSameKeys(const std::vector<MotionKey>& a, const std::vector<MotionKey>& b,
                    const std::string& what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    for (std::size_t k = 0; k < a.size(); ++k) {
        const std::string key = what + " key " + std::to_string(k);
        EXPECT_EQ(a[k].frame, b[k].frame) << key;
        expectNear(a[k].position, b[k].position, 3, key + " position");
        const float turnA[3] = {a[k].heading, a[k].pitch, a[k].bank};
        const float turnB[3] = {b[k].heading, b[k].pitch, b[k].bank};
        expectNear(turnA, turnB, 3, key + " heading, pitch, bank");
        expectNear(a[k].scale, b[k].scale, 3, key + " scale");
    }
}

} // namespace

// The issue's acceptance: the same scene written by LightWave and as glTF
// converts to the same .mot (one block per object, the camera's last), .cam
// (the camera's block, no parent, no target) and .kzl (type, position,
// direction, colour, intensity, range and cone of each light), every value
// within 1e-4; the KZO file has the same hierarchy.
TEST(ModelFileScene, aGltfSceneAndTheSameLightWaveSceneGiveTheSameSideFiles) {
    const SceneFiles files(sameScene());
    const std::vector<std::string> options = {"--animation", "--camera", "--light"};
    auto lightWave = convert(files.lws, options);
    auto gltf = convert(files.gltf, options);
    ASSERT_EQ(gltf.count(".mot") + gltf.count(".cam") + gltf.count(".kzl"), 3u);

    const dump::MotDump motA = dump::parseMot(lightWave[".mot"]);
    const dump::MotDump motB = dump::parseMot(gltf[".mot"]);
    EXPECT_EQ(motB.lastFrame, motA.lastFrame);
    ASSERT_EQ(motB.blocks.size(), 4u);
    ASSERT_EQ(motA.blocks.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        expectSameKeys(motB.blocks[i].keys, motA.blocks[i].keys, "block " + std::to_string(i));
    }

    const dump::CamDump camA = dump::parseCam(lightWave[".cam"]);
    const dump::CamDump camB = dump::parseCam(gltf[".cam"]);
    ASSERT_TRUE(camA.camera && camB.camera);
    expectSameKeys(camB.camera->keys, camA.camera->keys, "camera");
    EXPECT_EQ(gltf[".cam"].size(), lightWave[".cam"].size());
    EXPECT_EQ(std::vector<std::uint8_t>(gltf[".cam"].end() - 8, gltf[".cam"].end()),
              std::vector<std::uint8_t>(8, 0xFF));

    const dump::KzlDump kzlA = dump::parseKzl(lightWave[".kzl"]);
    const dump::KzlDump kzlB = dump::parseKzl(gltf[".kzl"]);
    ASSERT_EQ(kzlB.lights.size(), 3u);
    ASSERT_EQ(kzlA.lights.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Light& a = kzlA.lights[i];
        const Light& b = kzlB.lights[i];
        const std::string what = "light " + std::to_string(i);
        EXPECT_EQ(b.type, a.type) << what;
        EXPECT_EQ((std::array<int, 3>{b.color[0], b.color[1], b.color[2]}),
                  (std::array<int, 3>{a.color[0], a.color[1], a.color[2]}))
            << what;
        expectNear(b.position, a.position, 3, what + " position");
        expectNear(b.direction, a.direction, 3, what + " direction");
        const float restA[4] = {a.intensity, a.range, a.coneCos, a.edgeCos};
        const float restB[4] = {b.intensity, b.range, b.coneCos, b.edgeCos};
        expectNear(restB, restA, 4, what + " intensity, range, cone, edge");
    }

    const dump::KzoDump kzoA = dump::parseKzo(lightWave[".kzo"]);
    const dump::KzoDump kzoB = dump::parseKzo(gltf[".kzo"]);
    ASSERT_EQ(kzoB.pivots.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kzoB.pivots[i].parent, kzoA.pivots[i].parent) << "pivot " << i;
        EXPECT_EQ(kzoB.pivots[i].pivotVertexCount, kzoA.pivots[i].pivotVertexCount)
            << "pivot " << i;
    }
}

// Without --animation the file's lights light the precalculated colours as
// the LightWave scene's lights do, cast shadows included; the file states no
// ambient light, and neither does this LightWave scene. A colour may differ
// by one where the values differ in their last bits.
TEST(ModelFileScene, aGltfScenesLightsBakeTheColoursAsTheSameLightWaveScenesDo) {
    SameScene scene = sameScene();
    scene.outline.ambient = {0, 0, 0};
    const SceneFiles files(scene);
    for (const char* shading : {"precalc-gouraud", "precalc-flat"}) {
        SCOPED_TRACE(shading);
        auto lightWave = convert(files.lws, {"--shading", shading});
        auto gltf = convert(files.gltf, {"--shading", shading});
        const dump::KzoDump a = dump::parseKzo(lightWave[".kzo"]);
        const dump::KzoDump b = dump::parseKzo(gltf[".kzo"]);
        std::vector<int> colourA, colourB;
        for (const dump::KzoDump* kzo : {&a, &b}) {
            std::vector<int>& out = kzo == &a ? colourA : colourB;
            for (const auto& c : kzo->cornerColors) {
                out.insert(out.end(), {c.red[0], c.red[1], c.red[2], c.green[0], c.green[1],
                                       c.green[2], c.blue[0], c.blue[1], c.blue[2]});
            }
            for (const auto& c : kzo->flatColors) {
                out.insert(out.end(), {c.red, c.green, c.blue});
            }
        }
        ASSERT_EQ(colourB.size(), colourA.size());
        ASSERT_FALSE(colourA.empty());
        int lit = 0;
        for (std::size_t i = 0; i < colourA.size(); ++i) {
            EXPECT_NEAR(colourB[i], colourA[i], 1) << "channel " << i;
            lit += colourA[i] != 255 ? 1 : 0;
        }
        EXPECT_GT(lit, 0) << "the lights left every corner white";
    }
}

// A file that states no frame rate has its keys at 30 frames a second, or
// at --fps; a LightWave scene keeps its own.
TEST(ModelFileScene, framesPerSecondPlacesTheKeysOfFilesThatStateNone) {
    const SceneFiles files(sameScene());
    auto at24 = convert(files.gltf, {"--animation", "--fps", "24"});
    const dump::MotDump mot = dump::parseMot(at24[".mot"]);
    EXPECT_EQ(mot.lastFrame, 24);
    ASSERT_EQ(mot.blocks.size(), 4u); // the camera's last, as in every scene
    ASSERT_EQ(mot.blocks[2].keys.size(), 2u);
    EXPECT_EQ(mot.blocks[0].keys.back().frame, 24); // 1 s
    EXPECT_EQ(mot.blocks[2].keys.back().frame, 12); // 0.5 s
    EXPECT_EQ(convert(files.lws, {"--animation", "--fps", "24"})[".mot"],
              convert(files.lws, {"--animation"})[".mot"]);
}

namespace {

// A one-triangle glTF file whose material's texture is a 1 x 1 PNG image held
// in the file itself.
std::string texturedTriangle(const std::string& pngBase64) {
    GltfScene g;
    g.mesh({triangle()}, ",\"material\":0");
    g.roots.push_back(g.node(R"({"name":"tri","mesh":0})"));
    return g.json(R"(,"materials":[{"pbrMetallicRoughness":{"baseColorTexture":{"index":0}}}],)"
                  R"("textures":[{"source":0}],"images":[{"uri":"data:image/png;base64,)" +
                  pngBase64 + R"("}])");
}

std::vector<std::uint8_t> fromBase64(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const std::string digits =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const std::size_t value = digits.find(c);
        if (value == std::string::npos) {
            break;
        }
        bits = bits << 6 | std::uint32_t(value);
        if (++count % 4 == 0) {
            out.insert(out.end(),
                       {std::uint8_t(bits >> 16), std::uint8_t(bits >> 8), std::uint8_t(bits)});
        }
    }
    if (count % 4 == 3) {
        out.insert(out.end(), {std::uint8_t(bits >> 10), std::uint8_t(bits >> 2)});
    } else if (count % 4 == 2) {
        out.push_back(std::uint8_t(bits >> 4));
    }
    return out;
}

const std::string kRedPixel =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGP4z8AAAAMBAQDJ/pLvAAAAAElFTkSuQmCC";
const std::string kBluePixel =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1PeAAAADElEQVR4nGNgYPgPAAEDAQAIicLsAAAAAElFTkSuQmCC";

} // namespace

// The texture a file holds inside itself is written beside the KZO file in
// its stored bytes, stored under its file name and named in the dependency
// file; a second input of the same name, whose texture would take the same
// file, is refused naming both, and the first one's texture stays.
TEST(ModelFileScene, anEmbeddedTextureIsWrittenAndNamedAndNoTwoInputsWriteTheSame) {
    TempDir a, b, out;
    writeText(a / "box.gltf", texturedTriangle(kRedPixel));
    writeText(b / "box.gltf", texturedTriangle(kBluePixel));
    const CliRun r =
        kzomaker({"--deps", "-o", out.path().string(), a / "box.gltf", b / "box.gltf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: '" + (b / "box.gltf") + "' is not converted: '" + (a / "box.gltf") +
                         "' writes '" + (out / "box.kzo") + "' too\n");
    EXPECT_EQ(listDirectory(out.path()),
              (std::vector<std::string>{"box.kzo", "box.kzo.d", "box_tex0.png"}));
    EXPECT_EQ(readBytes(out / "box_tex0.png"), fromBase64(kRedPixel));
    const dump::KzoDump kzo = dump::parseKzo(readBytes(out / "box.kzo"));
    ASSERT_EQ(kzo.images.size(), 1u);
    EXPECT_EQ(kzo.images[0].name, "box_tex0.png");
    const auto rule = readBytes(out / "box.kzo.d");
    EXPECT_TRUE(std::string(rule.begin(), rule.end())
                    .starts_with((out / "box.kzo") + " " + (out / "box_tex0.png") + ":"));
}

// A build that cannot know the number of textures beforehand collects them in
// one folder: --texture-dir writes them there under their names, and the KZO
// file, which stores those names, is the same as without the option.
TEST(ModelFileScene, textureDirTakesTheEmbeddedTexturesUnderTheirNames) {
    TempDir in, beside, out, textures;
    writeText(in / "box.gltf", texturedTriangle(kRedPixel));
    ASSERT_EQ(kzomaker({"-o", beside.path().string(), in / "box.gltf"}).status, 0);
    const CliRun r = kzomaker({"--deps", "--texture-dir", textures.path().string(), "-o",
                               out.path().string(), in / "box.gltf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(listDirectory(out.path()), (std::vector<std::string>{"box.kzo", "box.kzo.d"}));
    EXPECT_EQ(listDirectory(textures.path()), (std::vector<std::string>{"box_tex0.png"}));
    EXPECT_EQ(readBytes(textures / "box_tex0.png"), fromBase64(kRedPixel));
    EXPECT_EQ(readBytes(out / "box.kzo"), readBytes(beside / "box.kzo"));
    const auto rule = readBytes(out / "box.kzo.d");
    EXPECT_TRUE(std::string(rule.begin(), rule.end())
                    .starts_with((out / "box.kzo") + " " + (textures / "box_tex0.png") + ":"));
}
