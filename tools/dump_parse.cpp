#include "tools/dump_parse.h"

#include <string>

namespace kzo::dump {
namespace {

// Throws unless n more bytes remain; `what` names the records for the message.
void requireBytes(const ByteReader& in, std::uint64_t n, const std::string& what) {
    if (n > in.remaining()) {
        throw DumpError(in.position(), "the file ends inside " + what + ": " + std::to_string(n) +
                                           " bytes needed, " + std::to_string(in.remaining()) +
                                           " left");
    }
}

std::int32_t readCount(ByteReader& in, const std::string& what) {
    const std::size_t at = in.position();
    requireBytes(in, 4, what);
    const std::int32_t n = in.i32le();
    if (n < 0) {
        throw DumpError(at, what + " is negative (" + std::to_string(n) + ")");
    }
    return n;
}

// Reads n records of recordSize bytes each after checking they are all there.
template <typename Record, typename ReadOne>
std::vector<Record> readRecords(ByteReader& in, std::int32_t n, std::size_t recordSize,
                                const std::string& what, ReadOne readOne) {
    requireBytes(in, std::uint64_t(n) * recordSize,
                 std::to_string(n) + " " + what + " of " + std::to_string(recordSize) + " bytes");
    std::vector<Record> records;
    records.reserve(std::size_t(n));
    for (std::int32_t i = 0; i < n; ++i) {
        records.push_back(readOne(in));
    }
    return records;
}

MotionBlockDump readBlockKeys(ByteReader& in, std::size_t offset, std::int32_t keyCount,
                              const std::string& what) {
    MotionBlockDump block;
    block.offset = offset;
    block.keys = readRecords<MotionKey>(in, keyCount, kMotionKeySize, "motion keys of " + what,
                                        readMotionKey);
    return block;
}

MotionBlockDump readBlock(ByteReader& in, const std::string& what) {
    const std::size_t at = in.position();
    const std::int32_t n = readCount(in, "the key count of " + what);
    return readBlockKeys(in, at, n, what);
}

std::array<float, 3> readFloat3(ByteReader& in) {
    std::array<float, 3> v{};
    for (float& c : v) {
        c = in.f32le();
    }
    return v;
}

KzoImage readImage(ByteReader& in) {
    const std::size_t start = in.position();
    KzoImage image;
    image.name = in.cString(kKzoImageRecordSize, &image.terminated);
    in.seek(start + kKzoImageRecordSize);
    return image;
}

CornerColors readCornerColors(ByteReader& in) {
    CornerColors c;
    for (auto& v : c.red) {
        v = in.u8();
    }
    for (auto& v : c.green) {
        v = in.u8();
    }
    for (auto& v : c.blue) {
        v = in.u8();
    }
    return c;
}

FlatColor readFlatColor(ByteReader& in) {
    FlatColor c;
    c.red = in.u8();
    c.green = in.u8();
    c.blue = in.u8();
    c.blueAgain = in.u8();
    return c;
}

void readShading(ByteReader& in, KzoDump& dump) {
    const KzoHeader& h = dump.header;
    switch (h.shadingType) {
    case kRealtimeGouraud:
        dump.normals =
            readRecords<std::array<float, 3>>(in, h.vertexCount, 12, "vertex normals", readFloat3);
        break;
    case kRealtimeFlat:
        dump.normals =
            readRecords<std::array<float, 3>>(in, h.faceCount, 12, "face normals", readFloat3);
        break;
    case kPrecalcGouraud:
        dump.cornerColors =
            readRecords<CornerColors>(in, h.faceCount, 12, "corner colours", readCornerColors);
        break;
    case kPrecalcFlat:
        dump.flatColors = readRecords<FlatColor>(in, h.faceCount, 4, "face colours", readFlatColor);
        break;
    default:
        break;
    }
}

} // namespace

KzoLayout kzoLayout(const KzoHeader& h) {
    KzoLayout l;
    l.images = kKzoHeaderSize;
    l.materials = l.images + kKzoImageRecordSize * std::uint64_t(h.imageCount);
    l.vertices = l.materials + kKzoMaterialRecordSize * std::uint64_t(h.materialCount);
    l.faces = l.vertices + kKzoVertexRecordSize * std::uint64_t(h.vertexCount);
    l.pivots = l.faces + kKzoFaceRecordSize * std::uint64_t(h.faceCount);
    l.shading = l.pivots + kKzoPivotRecordSize * std::uint64_t(h.pivotCount);
    l.end = l.shading + kzoShadingDataSize(h.shadingType, h.vertexCount, h.faceCount);
    return l;
}

KzoHeader parseKzoHeader(std::span<const std::uint8_t> bytes) {
    ByteReader in(bytes);
    requireBytes(in, kKzoHeaderSize, "the 28-byte header");
    const KzoHeader h = readKzoHeader(in);
    static const char* const kCountNames[] = {"the image count", "the material count",
                                              "the vertex count", "the face count",
                                              "the pivot count"};
    const std::int32_t counts[] = {h.imageCount, h.materialCount, h.vertexCount, h.faceCount,
                                   h.pivotCount};
    for (int i = 0; i < 5; ++i) {
        if (counts[i] < 0) {
            throw DumpError(std::size_t(4 + 4 * i), std::string(kCountNames[i]) + " is negative (" +
                                                        std::to_string(counts[i]) + ")");
        }
    }
    return h;
}

KzoDump parseKzo(std::span<const std::uint8_t> bytes) {
    KzoDump dump;
    dump.fileSize = bytes.size();
    dump.header = parseKzoHeader(bytes);
    ByteReader in(bytes);
    in.seek(kKzoHeaderSize);
    const KzoHeader& h = dump.header;
    dump.images =
        readRecords<KzoImage>(in, h.imageCount, kKzoImageRecordSize, "image records", readImage);
    dump.materials = readRecords<KzoMaterialRecord>(in, h.materialCount, kKzoMaterialRecordSize,
                                                    "material records", readKzoMaterial);
    dump.vertices = readRecords<KzoVertexRecord>(in, h.vertexCount, kKzoVertexRecordSize,
                                                 "vertex records", readKzoVertex);
    dump.faces = readRecords<KzoFaceRecord>(in, h.faceCount, kKzoFaceRecordSize, "face records",
                                            readKzoFace);
    dump.pivots = readRecords<KzoPivotRecord>(in, h.pivotCount, kKzoPivotRecordSize,
                                              "pivot records", readKzoPivot);
    readShading(in, dump);
    dump.trailingBytes = in.remaining();
    return dump;
}

MotDump parseMot(std::span<const std::uint8_t> bytes) {
    MotDump dump;
    dump.fileSize = bytes.size();
    ByteReader in(bytes);
    requireBytes(in, 8, "the 8-byte header");
    dump.lastFrame = in.i32le();
    dump.motionCount = readCount(in, "the block count");
    // Every block takes at least its 4-byte key count.
    requireBytes(in, std::uint64_t(dump.motionCount) * 4,
                 std::to_string(dump.motionCount) + " motion blocks");
    dump.blocks.reserve(std::size_t(dump.motionCount));
    for (std::int32_t i = 0; i < dump.motionCount; ++i) {
        dump.blocks.push_back(readBlock(in, "block " + std::to_string(i)));
    }
    dump.trailingBytes = in.remaining();
    return dump;
}

namespace {

CamSection readCamSection(ByteReader& in, const std::string& what) {
    CamSection section;
    section.offset = in.position();
    requireBytes(in, 4, "the " + what + " section");
    section.number = in.i32le();
    if (section.number >= 1) {
        section.block = readBlockKeys(in, section.offset, section.number, "the " + what + " block");
    }
    return section;
}

} // namespace

CamDump parseCam(std::span<const std::uint8_t> bytes) {
    CamDump dump;
    dump.fileSize = bytes.size();
    ByteReader in(bytes);
    requireBytes(in, 4, "the first section");
    const std::int32_t first = in.i32le();
    in.seek(0);
    // Without camera motion the file is just the two absent sections (two int32
    // of 0 or below); anything else starts with the camera's block, which may
    // hold no keys.
    const bool noCamera = bytes.size() == 8 && first <= 0;
    if (!noCamera) {
        dump.camera = readBlock(in, "the camera block");
    }
    dump.parent = readCamSection(in, "parent");
    dump.target = readCamSection(in, "target");
    if (dump.target.block) {
        requireBytes(in, 12, "the target point");
        dump.targetPoint = readFloat3(in);
    }
    dump.trailingBytes = in.remaining();
    return dump;
}

KzlDump parseKzl(std::span<const std::uint8_t> bytes) {
    KzlDump dump;
    dump.fileSize = bytes.size();
    ByteReader in(bytes);
    dump.lightCount = readCount(in, "the light count");
    dump.lights =
        readRecords<Light>(in, dump.lightCount, kLightRecordSize, "light records", readLight);
    dump.trailingBytes = in.remaining();
    return dump;
}

} // namespace kzo::dump
