// The converter's side of a model file's scene, fed with records built here
// as the model import module would hand them over: the scene becomes the
// files a LightWave scene of the same objects gives, its limits are errors
// naming them, its embedded textures are outputs of their own.
#include "converter/import/embedded_textures.h"
#include "converter/import/import_lws_scene.h"
#include "converter/import/import_model_file.h"
#include "converter/pipeline/convert_file.h"
#include "tests/converter/collecting_converter.h"
#include "tests/converter/kzo_expect.h"
#include "tests/converter/scene/same_scene.h"
#include "tests/converter/temp_dir.h"
#include "tools/dump_parse.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kzo;
using namespace kzotest;

namespace {

kzo::MotionKey motionKey(const Key& k) {
    kzo::MotionKey m;
    m.frame = k.frameNumber;
    for (int c = 0; c < 3; ++c) {
        m.position[c] = k.v[c];
        m.scale[c] = k.v[6 + c];
    }
    m.heading = k.v[3];
    m.pitch = k.v[4];
    m.bank = k.v[5];
    return m;
}

// The record of a model file holding the scene, as the module would give it.
// Its lights are the records
// the LightWave scene's lights give (the module hands them over finished);
// with hierarchy each object's vertices are in its own space, interleaved
// across the objects so that their order has to be mended; without it they
// are placed at the objects' first keys, object after object.
kzo::ImportedModel asImportedModel(const SameScene& s, bool hierarchy) {
    const kzo::SceneDescription lightWave = kzo::parseSceneText(
        sceneOf(sceneInVersion(s.outline, 1)), {}, [](const kzo::SceneObject&, std::size_t) {});
    kzo::ImportedModel m;
    std::vector<std::vector<std::uint32_t>> vertexOf(s.geometry.size());
    std::vector<std::array<float, 3>> offset(s.geometry.size());
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        const SpecObject& placed = s.outline.objects[i];
        kzo::ImportedObject& object = m.objects.emplace_back();
        object.name = s.geometry[i].name;
        object.parent = placed.parent - 1;
        for (const Key& k : placed.keys) {
            object.keys.push_back(motionKey(k));
        }
        for (int c = 0; c < 3; ++c) {
            offset[i][c] = placed.keys.front().v[c] +
                           (object.parent >= 0 ? offset[std::size_t(object.parent)][c] : 0.0f);
        }
    }
    auto addVertex = [&](std::size_t object, std::size_t k) {
        vertexOf[object].push_back(static_cast<std::uint32_t>(m.vertexCount()));
        for (int c = 0; c < 3; ++c) {
            m.positions.push_back(s.geometry[object].points[k][c] +
                                  (hierarchy ? 0.0f : offset[object][c]));
        }
        if (hierarchy) {
            m.vertexObjects.push_back(static_cast<std::uint32_t>(object));
        }
    };
    if (hierarchy) {
        // Vertex k of every object in turn: base 0, arm 0, hand 0, base 1, ...
        std::size_t most = 0;
        for (const SameSceneObject& object : s.geometry) {
            most = std::max(most, object.points.size());
        }
        for (std::size_t k = 0; k < most; ++k) {
            for (std::size_t i = 0; i < s.geometry.size(); ++i) {
                if (k < s.geometry[i].points.size()) {
                    addVertex(i, k);
                }
            }
        }
    } else {
        for (std::size_t i = 0; i < s.geometry.size(); ++i) {
            for (std::size_t k = 0; k < s.geometry[i].points.size(); ++k) {
                addVertex(i, k);
            }
        }
    }
    for (std::size_t i = 0; i < s.geometry.size(); ++i) {
        for (const Tri& t : s.geometry[i].faces) {
            for (std::uint16_t corner : t) {
                m.triangles.push_back(vertexOf[i][corner]);
            }
            m.cornerUvs.insert(m.cornerUvs.end(), 6, 0.0f);
            m.faceMaterials.push_back(-1);
        }
    }
    m.hasCamera = true;
    for (const Key& k : s.outline.cameraKeys) {
        m.camera.keys.push_back(motionKey(k));
    }
    m.lights = lightWave.lights;
    for (int c = 0; c < 3; ++c) {
        m.ambientColor[c] = lightWave.ambientColor[c];
    }
    m.lastFrame = s.outline.lastFrame;
    return m;
}

struct RecordConversion {
    std::vector<std::string> lines;
    std::vector<OutputFile> outputs;
    bool failed = false;
};

// The record converted as convertFile converts a model file it has read.
RecordConversion convertRecord(ImportedModel record, const ConversionSettings& settings,
                               const std::string& kzoPath = "out/scene.kzo") {
    RecordConversion r;
    auto model = std::make_unique<SceneModel>();
    model->sink = [&r](const std::string& line) { r.lines.push_back(line); };
    resetSceneModel(*model);
    try {
        const ImportedInput imported =
            importModelRecord(*model, std::move(record), "scene.gltf", kzoPath, settings);
        requireGeometry(*model, "scene.gltf");
        prepareModel(*model, settings, "scene.gltf");
        processGeometry(*model, settings);
        r.outputs = encodeOutputs(*model, imported, settings, "scene.gltf", kzoPath);
    } catch (const FatalErrorSignal&) {
        r.failed = true;
    }
    return r;
}

const std::vector<std::uint8_t>* outputEndingIn(const RecordConversion& r, const std::string& end) {
    for (const OutputFile& file : r.outputs) {
        if (file.path.ends_with(end)) {
            return &file.bytes;
        }
    }
    return nullptr;
}

std::string lastLine(const RecordConversion& r) {
    return r.lines.empty() ? std::string() : r.lines.back();
}

ImportedModel oneTriangle() {
    ImportedModel m;
    m.positions = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    m.triangles = {0, 1, 2};
    m.cornerUvs.assign(6, 0.0f);
    m.faceMaterials = {-1};
    m.objects.push_back({"triangle", -1, {MotionKey{}}});
    return m;
}

} // namespace

// The main promise: a model file's scene and the LightWave scene of the same
// objects, keys, camera and lights give the same bytes in every file, with
// the hierarchy kept (pivots with their parents, pivot point 0, each object's
// vertices in one run however the record ordered them, one .mot block per
// object and the camera's last, a camera of no parent and no target) and
// baked with the scene's lights and ambient colour, shadows cast.
TEST(ModelScene, aModelsSceneGivesTheFilesOfTheSameLightWaveScene) {
    const SameScene scene = sameScene();
    TempDir dir;
    const LightWaveFiles lightWave = asLightWave(scene);
    writeBytes(dir / "scene.lws", {lightWave.scene.begin(), lightWave.scene.end()});
    for (const auto& [name, bytes] : lightWave.objects) {
        writeBytes(dir / name, bytes.data);
    }
    for (const bool animated : {true, false}) {
        for (const std::int32_t shading : {kRealtimeGouraud, kPrecalcGouraud, kPrecalcFlat}) {
            SCOPED_TRACE(std::string(animated ? "animated" : "baked") + ", shading " +
                         std::to_string(shading));
            Converter c;
            c.settings.animation = animated ? 1 : 0;
            c.settings.cameraFile = c.settings.lightFile = 1;
            c.settings.shadingType = shading;
            ASSERT_EQ(c.convert(dir / "scene.lws", dir.path().string()),
                      ConversionOutcome::converted);
            const RecordConversion model =
                convertRecord(asImportedModel(scene, animated), c.settings);
            ASSERT_FALSE(model.failed) << lastLine(model);
            for (const char* kind : {".kzo", ".mot", ".cam", ".kzl"}) {
                const auto* bytes = outputEndingIn(model, kind);
                if (!animated && std::string(kind) == ".mot") {
                    EXPECT_EQ(bytes, nullptr);
                    continue;
                }
                ASSERT_NE(bytes, nullptr) << kind;
                EXPECT_EQ(*bytes, readBytes(dir / (std::string("scene") + kind))) << kind;
                expectWellFormedEngineFile(kind, *bytes);
            }
            const dump::KzoDump kzo = dump::parseKzo(*outputEndingIn(model, ".kzo"));
            EXPECT_EQ(kzo.header.pivotCount, animated ? 3 : 0);
            if (!animated && shading == kPrecalcGouraud) {
                // The lights reached the colours: not every corner is white.
                bool lit = false;
                for (const auto& corners : kzo.cornerColors) {
                    lit = lit || corners.red[0] != 255 || corners.blue[1] != 255;
                }
                EXPECT_TRUE(lit);
            }
        }
    }
}

// What a side file asked for has nothing to hold: the .cam says the camera is
// absent, as a LightWave scene without one gives it, no .kzl is written, and a
// line says each; the .mot holds the object's rest key.
TEST(ModelScene, aModelWithoutCameraOrLightsSaysSoAndWritesWhatItHas) {
    ConversionSettings settings;
    settings.animation = settings.cameraFile = settings.lightFile = 1;
    const RecordConversion r = convertRecord(oneTriangle(), settings);
    ASSERT_FALSE(r.failed) << lastLine(r);
    EXPECT_EQ(r.lines[0], "'scene.gltf' has no camera: its .cam file holds none");
    EXPECT_EQ(r.lines[1], "'scene.gltf' has no lights: no .kzl file is written");
    EXPECT_EQ(*outputEndingIn(r, ".cam"),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(outputEndingIn(r, ".kzl"), nullptr);
    Bytes mot; // last frame 0, one block of one key: frame 0, position 0, turn 0, scale 1
    mot.i32le(0).i32le(1).i32le(1).i32le(0);
    for (float v : {0, 0, 0, 0, 0, 0, 1, 1, 1}) {
        mot.f32le(v);
    }
    EXPECT_EQ(*outputEndingIn(r, ".mot"), mot.data);
}

// Each limit of the tables, and each index of the record that leads nowhere,
// is an error naming the file and the fault; the objects of a model converted
// without its hierarchy take no pivot and so meet no pivot limit.
TEST(ModelScene, limitsOfTheTablesAreErrorsNamingThem) {
    ConversionSettings animated;
    animated.animation = 1;
    auto failure = [](ImportedModel record, const ConversionSettings& settings) {
        const RecordConversion r = convertRecord(std::move(record), settings);
        EXPECT_TRUE(r.failed);
        return lastLine(r);
    };
    auto withObjects = [](std::size_t count, std::uint32_t owner) {
        ImportedModel m = oneTriangle();
        m.objects.resize(count, m.objects[0]);
        m.vertexObjects.assign(3, owner);
        return m;
    };
    EXPECT_EQ(failure(withObjects(1001, 0), animated),
              "ERROR: 'scene.gltf' has 1001 objects; the pivot table holds 1000");
    EXPECT_EQ(failure(withObjects(300, 256), animated),
              "ERROR: 'scene.gltf': object 257 has geometry, but only the first 256 objects can");
    EXPECT_FALSE(convertRecord(withObjects(300, 255), animated).failed);
    ImportedModel baked = withObjects(1001, 0);
    baked.vertexObjects.clear();
    EXPECT_FALSE(convertRecord(baked, ConversionSettings{}).failed);

    ImportedModel lights = oneTriangle();
    lights.lights.resize(2001);
    EXPECT_EQ(failure(lights, ConversionSettings{}),
              "ERROR: 'scene.gltf' has 2001 lights; the light table holds 2000");
    lights.lights.resize(2000);
    EXPECT_FALSE(convertRecord(lights, ConversionSettings{}).failed);

    ImportedModel strayVertex = withObjects(2, 0);
    strayVertex.vertexObjects[1] = 2;
    EXPECT_EQ(failure(strayVertex, animated),
              "ERROR: 'scene.gltf': the import gave vertex 1 object 2 of 2");
    ImportedModel laterParent = withObjects(2, 0);
    laterParent.objects[0].parent = 1;
    EXPECT_EQ(failure(laterParent, animated),
              "ERROR: 'scene.gltf': the import gave object 0 the parent 1");
    ImportedModel backwards = withObjects(2, 0);
    backwards.objects[1].keys.push_back(backwards.objects[1].keys[0]);
    EXPECT_EQ(failure(backwards, animated),
              "ERROR: 'scene.gltf': the import gave object 1 a key at frame 0 after frame 0");

    // A key the scale factor carries beyond the floats names its frame.
    ImportedModel far = oneTriangle();
    far.objects[0].keys.push_back(far.objects[0].keys[0]);
    far.objects[0].keys[1].frame = 7;
    far.objects[0].keys[1].position[0] = 1e38f;
    far.vertexObjects.assign(3, 0);
    animated.scaleFactor = 100;
    EXPECT_EQ(failure(far, animated),
              "ERROR: 'scene.gltf': the key at frame 7 is not a finite number at scale 100");
}

// An embedded texture that a material uses is written beside the KZO file as
// NAME_texN with its own extension and bytes, stored under that name, and
// named in the dependency file; one no material uses is not written. A name
// that the image record cannot hold, and a type that would name no image
// file, are errors saying so.
TEST(ModelScene, embeddedTexturesAreWrittenBesideTheKzoFileUnderTheNameItStores) {
    ImportedModel m = oneTriangle();
    m.embeddedImages = {{"jpg", {1, 2, 3}}, {"png", {0x89, 'P', 'N', 'G'}}};
    m.materials.resize(3);
    m.materials[0].embeddedImage = 1;
    m.materials[1].imageName = "wood.jpg";
    m.materials[2].embeddedImage = 1;
    m.materials[2].red = 7;
    m.faceMaterials = {2};
    ConversionSettings settings;
    settings.dependencyFile = 1;
    const RecordConversion r = convertRecord(m, settings, "out/tank.v2.kzo");
    ASSERT_FALSE(r.failed) << lastLine(r);
    std::vector<std::string> paths;
    for (const OutputFile& file : r.outputs) {
        paths.push_back(file.path);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{"out/tank.v2.kzo", "out/tank.v2_tex1.png",
                                               "out/tank.v2.kzo.d"}));
    EXPECT_EQ(r.outputs[1].bytes, m.embeddedImages[1].bytes);
    const dump::KzoDump kzo = dump::parseKzo(r.outputs[0].bytes);
    ASSERT_EQ(kzo.images.size(), 2u);
    EXPECT_EQ(kzo.images[0].name, "tank.v2_tex1.png");
    EXPECT_EQ(kzo.images[1].name, "wood.jpg");
    EXPECT_EQ(kzo.materials[2].imageIndex, 0);
    const std::string rule(r.outputs[2].bytes.begin(), r.outputs[2].bytes.end());
    EXPECT_TRUE(rule.starts_with("out/tank.v2.kzo out/tank.v2_tex1.png: \\\n")) << rule;

    ImportedModel longName = oneTriangle();
    longName.materials.resize(1);
    longName.materials[0].imageName = std::string(127, 'n');
    EXPECT_FALSE(convertRecord(longName, {}).failed);
    longName.materials[0].imageName += 'n';
    RecordConversion refused = convertRecord(longName, {});
    EXPECT_EQ(lastLine(refused), "ERROR: 'scene.gltf': texture name '" +
                                     longName.materials[0].imageName +
                                     "' is longer than 127 characters");
    ImportedModel longKzo = oneTriangle();
    longKzo.embeddedImages = {{"png", {1}}};
    longKzo.materials.resize(1);
    longKzo.materials[0].embeddedImage = 0;
    const std::string stem(120, 's');
    refused = convertRecord(longKzo, {}, "out/" + stem + ".kzo");
    EXPECT_EQ(lastLine(refused), "ERROR: 'scene.gltf': texture name '" + stem +
                                     "_tex0.png' is longer than 127 characters");
    for (const char* type : {"kzo", "", "p/g", "PNG"}) {
        longKzo.embeddedImages[0].extension = type;
        refused = convertRecord(longKzo, {});
        EXPECT_EQ(lastLine(refused),
                  std::string("ERROR: 'scene.gltf': embedded texture 0 is of the "
                              "type '") +
                      type + "', which names no image file");
    }
}
