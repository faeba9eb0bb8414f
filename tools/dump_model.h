// What kzodump reads out of the engine's files: plain structures holding every
// record as stored, plus the byte offsets that the checker and the printers
// need to point at a record.
#pragma once

#include "format/kzo_format.h"
#include "format/side_formats.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kzo::dump {

enum class FileKind { kzo, mot, cam, kzl };

// A structural fault: the bytes cannot be read as the file kind at all.
class DumpError : public std::runtime_error {
public:
    DumpError(std::size_t at, const std::string& message)
        : std::runtime_error(message), offset(at) {}
    std::size_t offset; // byte offset of the fault
};

struct KzoImage {
    std::string name;
    bool terminated = true; // false when no NUL stands within the 128 bytes
};

// Shading type 3: the colour of each of the four corner slots.
struct CornerColors {
    std::uint8_t red[4] = {}, green[4] = {}, blue[4] = {};
};

// Shading type 4: one colour per face; the fourth byte repeats blue.
struct FlatColor {
    std::uint8_t red = 0, green = 0, blue = 0, blueAgain = 0;
};

struct KzoDump {
    std::size_t fileSize = 0;
    KzoHeader header;
    std::vector<KzoImage> images;
    std::vector<KzoMaterialRecord> materials;
    std::vector<KzoVertexRecord> vertices;
    std::vector<KzoFaceRecord> faces;
    std::vector<KzoPivotRecord> pivots;
    std::vector<std::array<float, 3>> normals; // shading types 1 (per vertex) and 2 (per face)
    std::vector<CornerColors> cornerColors;    // shading type 3
    std::vector<FlatColor> flatColors;         // shading type 4
    std::size_t trailingBytes = 0;             // bytes behind the last section
};

struct MotionBlockDump {
    std::size_t offset = 0; // of the block's key count
    std::vector<MotionKey> keys;
};

struct MotDump {
    std::size_t fileSize = 0;
    std::int32_t lastFrame = 0;
    std::int32_t motionCount = 0;
    std::vector<MotionBlockDump> blocks;
    std::size_t trailingBytes = 0;
};

// A parent or target section of a camera file: a motion block when its first
// int32 is 1 or more, otherwise that number alone (the section is absent).
struct CamSection {
    std::size_t offset = 0;
    std::int32_t number = -1;
    std::optional<MotionBlockDump> block;
};

struct CamDump {
    std::size_t fileSize = 0;
    std::optional<MotionBlockDump> camera; // absent when the scene had no camera motion
    CamSection parent;
    CamSection target;
    std::optional<std::array<float, 3>> targetPoint; // present with the target's block
    std::size_t trailingBytes = 0;
};

struct KzlDump {
    std::size_t fileSize = 0;
    std::int32_t lightCount = 0;
    std::vector<Light> lights;
    std::size_t trailingBytes = 0;
};

// Byte offsets of the KZO sections for the header's counts. Counts must not be
// negative; 64-bit so that absurd counts cannot wrap.
struct KzoLayout {
    std::uint64_t images = 0, materials = 0, vertices = 0, faces = 0, pivots = 0, shading = 0,
                  end = 0;
};
KzoLayout kzoLayout(const KzoHeader& header);

} // namespace kzo::dump
