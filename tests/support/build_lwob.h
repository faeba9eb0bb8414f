// LightWave object (IFF "FORM" / "LWOB") builders; every number is big-endian.
#pragma once

#include "tests/support/bytes.h"

#include <array>
#include <string>
#include <vector>

namespace kzotest {

inline Bytes iffChunk(const std::string& id, const Bytes& body) {
    Bytes b;
    b.str(id, false).u32be(static_cast<std::uint32_t>(body.size())).append(body);
    return b;
}

// "FORM", the length of everything after the 8-byte header, the form type,
// chunks.
inline Bytes formFile(const std::string& type, const Bytes& chunks) {
    Bytes body;
    body.str(type, false).append(chunks);
    Bytes b;
    b.str("FORM", false).u32be(static_cast<std::uint32_t>(body.size())).append(body);
    return b;
}

inline Bytes lwobFile(const Bytes& chunks) {
    return formFile("LWOB", chunks);
}

inline Bytes pnts(const std::vector<std::array<float, 3>>& points) {
    Bytes b;
    for (const auto& p : points) {
        b.f32be(p[0]).f32be(p[1]).f32be(p[2]);
    }
    return iffChunk("PNTS", b);
}

// Each polygon: corner count, indices, surface number 1.
inline Bytes pols(const std::vector<std::vector<std::uint16_t>>& polygons) {
    Bytes b;
    for (const auto& poly : polygons) {
        b.u16be(static_cast<std::uint16_t>(poly.size()));
        for (auto i : poly) {
            b.u16be(i);
        }
        b.i16be(1);
    }
    return iffChunk("POLS", b);
}

} // namespace kzotest
