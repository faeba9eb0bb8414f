#include "side_formats.h"

namespace kzo {

void writeMotionKey(ByteWriter& out, const MotionKey& k) {
    out.i32le(k.frame);
    for (float c : k.position) {
        out.f32le(c);
    }
    out.f32le(k.heading);
    out.f32le(k.pitch);
    out.f32le(k.bank);
    for (float s : k.scale) {
        out.f32le(s);
    }
}

MotionKey readMotionKey(ByteReader& in) {
    MotionKey k;
    k.frame = in.i32le();
    for (auto& c : k.position) {
        c = in.f32le();
    }
    k.heading = in.f32le();
    k.pitch = in.f32le();
    k.bank = in.f32le();
    for (auto& s : k.scale) {
        s = in.f32le();
    }
    return k;
}

void writeLight(ByteWriter& out, const Light& l) {
    out.i32le(l.type);
    for (float c : l.position) {
        out.f32le(c);
    }
    for (float c : l.direction) {
        out.f32le(c);
    }
    for (std::uint8_t c : l.color) {
        out.u8(c);
    }
    out.u8(0);
    out.f32le(l.intensity);
    out.f32le(l.range);
    out.f32le(l.coneCos);
    out.f32le(l.edgeCos);
}

Light readLight(ByteReader& in) {
    Light l;
    l.type = in.i32le();
    for (auto& c : l.position) {
        c = in.f32le();
    }
    for (auto& c : l.direction) {
        c = in.f32le();
    }
    for (auto& c : l.color) {
        c = in.u8();
    }
    in.u8(); // pad
    l.intensity = in.f32le();
    l.range = in.f32le();
    l.coneCos = in.f32le();
    l.edgeCos = in.f32le();
    return l;
}

const char* lightTypeName(std::int32_t type) {
    switch (type) {
    case kDistantLight:
        return "distant";
    case kPointLight:
        return "point";
    case kSpotLight:
        return "spot";
    default:
        return nullptr;
    }
}

} // namespace kzo
