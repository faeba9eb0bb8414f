// Layouts of the engine's side files, shared by the converter's writers and the
// inspector: the motion key and block (.mot and .cam) and the light record
// (.kzl). Little-endian, IEEE-754 single floats, no padding.
//
//   .mot: int32 lastFrame, int32 motionCount, motionCount x MotionBlock
//   .cam: [camera MotionBlock] parent section, target section; a section is a
//         MotionBlock (key count >= 1) or an int32 <= 0 standing for "absent";
//         a present target block is followed by three floats (target point)
//   .kzl: int32 lightCount, lightCount x Light (48 bytes)
#pragma once

#include "byte_reader.h"
#include "byte_writer.h"

#include <cstdint>

namespace kzo {

inline constexpr std::size_t kMotionKeySize = 40;
inline constexpr std::size_t kLightRecordSize = 48;

struct MotionKey {
    std::int32_t frame = 0;
    float position[3] = {};                 // multiplied by the scale factor when written
    float heading = 0, pitch = 0, bank = 0; // degrees
    float scale[3] = {1, 1, 1};
};

// A MotionBlock on disk is an int32 key count followed by that many keys.

enum LightType : std::int32_t { kDistantLight = 0, kPointLight = 1, kSpotLight = 2 };

// The 48-byte light record; the converter's scene model uses this same record.
struct Light {
    std::int32_t type = kDistantLight;
    float position[3] = {};
    float direction[3] = {}; // unit vector from the scene towards the light
    std::uint8_t color[3] = {};
    float intensity = 1.0f;
    float range = -1.0f; // negative: unlimited
    float coneCos = 0.0f;
    float edgeCos = 0.0f;
};

void writeMotionKey(ByteWriter& out, const MotionKey& key);
MotionKey readMotionKey(ByteReader& in);

// The pad byte after the colour is written as 0.
void writeLight(ByteWriter& out, const Light& light);
Light readLight(ByteReader& in);

const char* lightTypeName(std::int32_t type); // nullptr for unknown types

} // namespace kzo
