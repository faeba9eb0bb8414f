// A scene model with collected messages, for tests of the scene import and
// of the side files.
#pragma once

#include "converter/encode/camera_file.h"
#include "converter/encode/motion_file.h"
#include "converter/import/import_lws_scene.h"
#include "converter/model/scene_model.h"
#include "converter/pipeline/convert_file.h"
#include "format/byte_reader.h"
#include "tests/converter/kzo_expect.h"
#include "tests/support/bytes.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace kzotest {

struct SceneFixture {
    std::unique_ptr<kzo::SceneModel> owned = std::make_unique<kzo::SceneModel>();
    kzo::SceneModel& model = *owned;
    kzo::ConversionSettings settings;
    std::vector<std::string> messages;
    std::vector<kzo::OutputFile> outputs;

    SceneFixture() {
        model.sink = [this](const std::string& line) { messages.push_back(line); };
    }

    // The scene parsed, its objects without geometry.
    kzo::SceneDescription parse(const kzo::SceneText& text) const {
        return kzo::parseSceneText(text, model.sink, [](const kzo::SceneObject&, std::size_t) {});
    }

    // One side file, as the pipeline encodes it.
    void writeMot(const kzo::SceneText& text, const std::string& path) {
        outputs.push_back({path, kzo::encodeMotionFile(parse(text), settings, model.sink)});
    }
    void writeCam(const kzo::SceneDescription& scene, const std::string& path) {
        outputs.push_back({path, kzo::encodeCameraFile(scene, settings, path, model.sink)});
    }
    void writeCam(const kzo::SceneText& text, const std::string& path) {
        writeCam(parse(text), path);
    }
    // The side files the settings ask for, kzoPath with its extension replaced.
    void writeSideFiles(const kzo::SceneDescription& scene, const std::string& kzoPath) {
        for (kzo::OutputFile& file : kzo::encodeSideFiles(scene, settings, kzoPath, model.sink)) {
            outputs.push_back(std::move(file));
        }
    }

    // Converts the scene file at path from the import to the encoded outputs,
    // as convertFile does before writing them.
    void convertScene(const std::string& path, const std::string& kzoPath) {
        outputs.clear();
        kzo::resetSceneModel(model);
        const kzo::ImportedInput imported = kzo::importLwsScene(model, path);
        kzo::prepareModel(model, settings, path);
        kzo::processGeometry(model, settings);
        outputs = kzo::encodeOutputs(model, imported, settings, path, kzoPath);
    }

    // The bytes of the one output with this path, which must be a well-formed
    // engine file.
    const std::vector<std::uint8_t>& output(const std::string& path) const {
        for (const auto& f : outputs) {
            if (f.path == path) {
                expectWellFormedEngineFile(f.path, f.bytes);
                return f.bytes;
            }
        }
        ADD_FAILURE() << "no output " << path;
        static const std::vector<std::uint8_t> none;
        return none;
    }
    bool hasOutput(const std::string& path) const {
        for (const auto& f : outputs) {
            if (f.path == path) {
                return true;
            }
        }
        return false;
    }
};

// One MotionKey as a file holds it: the frame, then position, heading, pitch,
// bank and scale.
inline Bytes keyBytes(std::int32_t frame, std::initializer_list<float> nine) {
    Bytes b;
    b.i32le(frame);
    for (float v : nine) {
        b.f32le(v);
    }
    return b;
}

// Reads one MotionKey's ten fields back as frame and nine floats.
struct ReadKey {
    std::int32_t frame;
    float v[9];
};
inline ReadKey readKey(kzo::ByteReader& in) {
    ReadKey k{};
    k.frame = in.i32le();
    for (float& f : k.v) {
        f = in.f32le();
    }
    return k;
}

} // namespace kzotest
