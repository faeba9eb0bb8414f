#include "kzo_format.h"

namespace kzo {

const char* shadingTypeName(std::int32_t shadingType) {
    switch (shadingType) {
    case kNoShading:
        return "no shading";
    case kRealtimeGouraud:
        return "realtime groud shading";
    case kRealtimeFlat:
        return "realtime flat shading";
    case kPrecalcGouraud:
        return "precalculated color goroud shading";
    case kPrecalcFlat:
        return "precalculated color flat shading";
    default:
        return nullptr;
    }
}

std::uint64_t kzoShadingDataSize(std::int32_t shadingType, std::int64_t vertexCount,
                                 std::int64_t faceCount) {
    const auto v = static_cast<std::uint64_t>(vertexCount < 0 ? 0 : vertexCount);
    const auto f = static_cast<std::uint64_t>(faceCount < 0 ? 0 : faceCount);
    switch (shadingType) {
    case kRealtimeGouraud:
        return 12 * v;
    case kRealtimeFlat:
    case kPrecalcGouraud:
        return 12 * f;
    case kPrecalcFlat:
        return 4 * f;
    default:
        return 0;
    }
}

std::optional<std::uint64_t> kzoExpectedFileSize(const KzoHeader& h) {
    if (h.imageCount < 0 || h.materialCount < 0 || h.vertexCount < 0 || h.faceCount < 0 ||
        h.pivotCount < 0) {
        return std::nullopt;
    }
    return kKzoHeaderSize + kKzoImageRecordSize * std::uint64_t(h.imageCount) +
           kKzoMaterialRecordSize * std::uint64_t(h.materialCount) +
           kKzoVertexRecordSize * std::uint64_t(h.vertexCount) +
           kKzoFaceRecordSize * std::uint64_t(h.faceCount) +
           kKzoPivotRecordSize * std::uint64_t(h.pivotCount) +
           kzoShadingDataSize(h.shadingType, h.vertexCount, h.faceCount);
}

void writeKzoHeader(ByteWriter& out, const KzoHeader& h) {
    out.i32le(h.version);
    out.i32le(h.imageCount);
    out.i32le(h.materialCount);
    out.i32le(h.vertexCount);
    out.i32le(h.faceCount);
    out.i32le(h.pivotCount);
    out.i32le(h.shadingType);
}

void writeKzoMaterial(ByteWriter& out, const KzoMaterialRecord& m) {
    out.u8(m.red);
    out.u8(m.green);
    out.u8(m.blue);
    out.u8(m.transparency);
    out.i16le(m.imageIndex);
    out.u16le(m.flags);
    out.i32le(m.materialFaceCount);
}

void writeKzoVertex(ByteWriter& out, const KzoVertexRecord& v) {
    out.f32le(v.x);
    out.f32le(v.y);
    out.f32le(v.z);
}

void writeKzoFace(ByteWriter& out, const KzoFaceRecord& f) {
    out.i32le(f.cornerCount);
    for (std::uint16_t index : f.vertexIndex) {
        out.u16le(index);
    }
    for (float u : f.u) {
        out.f32le(u);
    }
    for (float v : f.v) {
        out.f32le(v);
    }
}

void writeKzoPivot(ByteWriter& out, const KzoPivotRecord& p) {
    for (float c : p.pivotPoint) {
        out.f32le(c);
    }
    out.u16le(p.parent);
    out.u16le(p.pivotVertexCount);
}

KzoHeader readKzoHeader(ByteReader& in) {
    KzoHeader h;
    h.version = in.i32le();
    h.imageCount = in.i32le();
    h.materialCount = in.i32le();
    h.vertexCount = in.i32le();
    h.faceCount = in.i32le();
    h.pivotCount = in.i32le();
    h.shadingType = in.i32le();
    return h;
}

KzoMaterialRecord readKzoMaterial(ByteReader& in) {
    KzoMaterialRecord m;
    m.red = in.u8();
    m.green = in.u8();
    m.blue = in.u8();
    m.transparency = in.u8();
    m.imageIndex = in.i16le();
    m.flags = in.u16le();
    m.materialFaceCount = in.i32le();
    return m;
}

KzoVertexRecord readKzoVertex(ByteReader& in) {
    KzoVertexRecord v;
    v.x = in.f32le();
    v.y = in.f32le();
    v.z = in.f32le();
    return v;
}

KzoFaceRecord readKzoFace(ByteReader& in) {
    KzoFaceRecord f;
    f.cornerCount = in.i32le();
    for (auto& index : f.vertexIndex) {
        index = in.u16le();
    }
    for (auto& u : f.u) {
        u = in.f32le();
    }
    for (auto& v : f.v) {
        v = in.f32le();
    }
    return f;
}

KzoPivotRecord readKzoPivot(ByteReader& in) {
    KzoPivotRecord p;
    for (auto& c : p.pivotPoint) {
        c = in.f32le();
    }
    p.parent = in.u16le();
    p.pivotVertexCount = in.u16le();
    return p;
}

} // namespace kzo
