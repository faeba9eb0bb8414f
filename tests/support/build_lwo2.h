// LightWave LWO2 object builders (IFF "FORM" / "LWO2"); every number is
// big-endian, odd chunks and strings are padded as the format wants.
#pragma once

#include "tests/support/build_lwob.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kzotest {

// A chunk with a 32-bit size, or a subchunk with a 16-bit one, followed by
// the pad byte an odd size needs.
inline Bytes lwoChunk(const std::string& id, const Bytes& body) {
    Bytes b;
    b.str(id, false).u32be(static_cast<std::uint32_t>(body.size())).append(body);
    return body.size() % 2 ? b.u8(0) : b;
}
inline Bytes subchunk(const std::string& id, const Bytes& body) {
    Bytes b;
    b.str(id, false).u16be(static_cast<std::uint16_t>(body.size())).append(body);
    return body.size() % 2 ? b.u8(0) : b;
}

inline Bytes lwo2File(const Bytes& chunks) {
    return formFile("LWO2", chunks);
}

// A NUL-terminated string padded to an even length.
inline Bytes s0(const std::string& text) {
    Bytes b;
    b.str(text);
    return b.size() % 2 ? b.u8(0) : b;
}

// The variable-length index; long forces the four-byte form.
inline Bytes vx(std::uint32_t index, bool longForm = false) {
    Bytes b;
    if (index < 0xFF00 && !longForm) {
        return b.u16be(static_cast<std::uint16_t>(index));
    }
    return b.u32be(index | 0xFF000000u);
}

inline Bytes layr(std::uint16_t number, const std::string& name,
                  std::array<float, 3> pivot = {0, 0, 0}) {
    Bytes b;
    b.u16be(number).u16be(0).f32be(pivot[0]).f32be(pivot[1]).f32be(pivot[2]).append(s0(name));
    return lwoChunk("LAYR", b);
}

inline Bytes pols2(const std::string& type, const std::vector<std::vector<std::uint32_t>>& polys) {
    Bytes b;
    b.str(type, false);
    for (const auto& poly : polys) {
        b.u16be(static_cast<std::uint16_t>(poly.size()));
        for (std::uint32_t i : poly) {
            b.append(vx(i));
        }
    }
    return lwoChunk("POLS", b);
}

inline Bytes tags(const std::vector<std::string>& names) {
    Bytes b;
    for (const auto& n : names) {
        b.append(s0(n));
    }
    return lwoChunk("TAGS", b);
}

// PTAG SURF: polygon number and tag number pairs.
inline Bytes ptagSurf(const std::vector<std::array<std::uint16_t, 2>>& pairs) {
    Bytes b;
    b.str("SURF", false);
    for (const auto& p : pairs) {
        b.append(vx(p[0])).u16be(p[1]);
    }
    return lwoChunk("PTAG", b);
}

struct MapEntry {
    std::uint32_t point;
    std::uint32_t polygon; // VMAD only
    float u;
    float v;
};

// A TXUV map: VMAP (per point) or VMAD (per polygon corner).
inline Bytes txuv(const std::string& name, const std::vector<MapEntry>& entries,
                  bool perPolygon = false) {
    Bytes b;
    b.str("TXUV", false).u16be(2).append(s0(name));
    for (const auto& e : entries) {
        b.append(vx(e.point));
        if (perPolygon) {
            b.append(vx(e.polygon));
        }
        b.f32be(e.u).f32be(e.v);
    }
    return lwoChunk(perPolygon ? "VMAD" : "VMAP", b);
}

inline Bytes clipStill(std::uint32_t index, const std::string& path) {
    Bytes b;
    b.u32be(index).append(subchunk("STIL", s0(path)));
    return lwoChunk("CLIP", b);
}

inline Bytes colr(float r, float g, float b) {
    Bytes c;
    c.f32be(r).f32be(g).f32be(b).u16be(0);
    return subchunk("COLR", c);
}

// A texture block: header (type, ordinal, channel, enable flag), then the
// image's clip and the texture map's name when given.
inline Bytes blok(const std::string& type, const std::string& ordinal, const std::string& channel,
                  std::uint32_t clip, const std::string& map = "", bool enabled = true) {
    Bytes header = s0(ordinal);
    header.append(subchunk("CHAN", Bytes().str(channel, false)));
    header.append(subchunk("ENAB", Bytes().u16be(enabled ? 1 : 0)));
    Bytes b = subchunk(type, header);
    b.append(subchunk("PROJ", Bytes().u16be(5)));
    b.append(subchunk("IMAG", vx(clip)));
    if (!map.empty()) {
        b.append(subchunk("VMAP", s0(map)));
    }
    return subchunk("BLOK", b);
}

inline Bytes surf2(const std::string& name, const Bytes& subchunks,
                   const std::string& source = "") {
    Bytes b = s0(name);
    b.append(s0(source)).append(subchunks);
    return lwoChunk("SURF", b);
}

} // namespace kzotest
