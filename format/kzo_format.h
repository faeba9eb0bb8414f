// The KZO object file (.kzo), version 1.0: the one layout that the converter's
// writers, the viewer's loader, the inspector, the tests and the fuzzers share.
//
// Little-endian, IEEE-754 single floats, no padding. Sections in order:
// header, images, materials, vertices, faces, pivots (only when pivotCount > 0),
// shading data (depends on the shading type).
#pragma once

#include "byte_reader.h"
#include "byte_writer.h"

#include <cstdint>
#include <optional>

namespace kzo {

inline constexpr std::int32_t kKzoVersion = 16; // major = v / 16, minor = v % 16

inline constexpr std::size_t kKzoHeaderSize = 28;
inline constexpr std::size_t kKzoImageRecordSize = 128;
inline constexpr std::size_t kKzoMaterialRecordSize = 12;
inline constexpr std::size_t kKzoVertexRecordSize = 12;
inline constexpr std::size_t kKzoFaceRecordSize = 44;
inline constexpr std::size_t kKzoPivotRecordSize = 16;
inline constexpr int kKzoFaceSlots = 4;
inline constexpr std::uint16_t kKzoNoParent = 65535;

// ShadingType, stored in the header; numbered as the converter's options.
enum ShadingType : std::int32_t {
    kNoShading = 0,
    kRealtimeGouraud = 1, // one unit normal per vertex
    kRealtimeFlat = 2,    // one unit normal per face
    kPrecalcGouraud = 3,  // a colour per face corner
    kPrecalcFlat = 4,     // one colour per face
};

// Material flag bits.
inline constexpr std::uint16_t kMaterialTransparent = 0x0001;
inline constexpr std::uint16_t kMaterialAlways = 0x0002;
inline constexpr std::uint16_t kMaterialShaded = 0x0004;
inline constexpr std::uint16_t kMaterialTextured = 0x0008;
inline constexpr std::uint16_t kMaterialTextured40 = 0x0040;
inline constexpr std::uint16_t kMaterialTextured80 = 0x0080;

struct KzoHeader {
    std::int32_t version = kKzoVersion;
    std::int32_t imageCount = 0;
    std::int32_t materialCount = 0;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0;
    std::int32_t pivotCount = 0;
    std::int32_t shadingType = kNoShading;
};

// 12-byte material record; the first eight bytes are the scene model's Material.
struct KzoMaterialRecord {
    std::uint8_t red = 0, green = 0, blue = 0, transparency = 0;
    std::int16_t imageIndex = -1;
    std::uint16_t flags = 0;
    std::int32_t materialFaceCount = 0;
};

struct KzoVertexRecord {
    float x = 0, y = 0, z = 0;
};

struct KzoFaceRecord {
    std::int32_t cornerCount = 3;
    std::uint16_t vertexIndex[kKzoFaceSlots] = {};
    float u[kKzoFaceSlots] = {};
    float v[kKzoFaceSlots] = {};
};

struct KzoPivotRecord {
    float pivotPoint[3] = {};
    std::uint16_t parent = kKzoNoParent;
    std::uint16_t pivotVertexCount = 0;
};

// Name of a shading type as the converter's summary prints it; nullptr for
// values outside 0..4.
const char* shadingTypeName(std::int32_t shadingType);

// Bytes of shading data for the type and counts (0 for type 0 and unknown types).
std::uint64_t kzoShadingDataSize(std::int32_t shadingType, std::int64_t vertexCount,
                                 std::int64_t faceCount);
// Total file size the header announces; nullopt when a count is negative.
std::optional<std::uint64_t> kzoExpectedFileSize(const KzoHeader& header);

void writeKzoHeader(ByteWriter& out, const KzoHeader& header);
void writeKzoMaterial(ByteWriter& out, const KzoMaterialRecord& material);
void writeKzoVertex(ByteWriter& out, const KzoVertexRecord& vertex);
void writeKzoFace(ByteWriter& out, const KzoFaceRecord& face);
void writeKzoPivot(ByteWriter& out, const KzoPivotRecord& pivot);

// Readers throw OutOfData when the buffer ends inside the record.
KzoHeader readKzoHeader(ByteReader& in);
KzoMaterialRecord readKzoMaterial(ByteReader& in);
KzoVertexRecord readKzoVertex(ByteReader& in);
KzoFaceRecord readKzoFace(ByteReader& in);
KzoPivotRecord readKzoPivot(ByteReader& in);

} // namespace kzo
