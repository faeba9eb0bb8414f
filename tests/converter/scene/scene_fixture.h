// A scene model with collected messages, for tests of the scene import.
#pragma once

#include "converter/model/scene_model.h"
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
    std::vector<std::string> messages;

    SceneFixture() {
        model.sink = [this](const std::string& line) { messages.push_back(line); };
    }

    // The bytes of the one pending output with this path, which must be a
    // well-formed engine file.
    const std::vector<std::uint8_t>& output(const std::string& path) const {
        for (const auto& f : model.pendingOutputs) {
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
        for (const auto& f : model.pendingOutputs) {
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
