// A LightWave object file (.lwo: LWO2, LWOB or the layered LWLO) as plain
// arrays: what the converter and the viewer take from it.
//
// Everything is as the file states it: LightWave's own axes, corners in the
// file's order (clockwise seen from the visible side), point indices local to
// their layer. References between chunks (polygon to surface, surface to
// image, corner to texture coordinates) are already followed.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace kzo {

// A four-character IFF id as one big-endian number ("FACE" is 0x46414345).
constexpr std::uint32_t iffId(const char (&text)[5]) {
    return (std::uint32_t(std::uint8_t(text[0])) << 24) |
           (std::uint32_t(std::uint8_t(text[1])) << 16) |
           (std::uint32_t(std::uint8_t(text[2])) << 8) | std::uint32_t(std::uint8_t(text[3]));
}

// The id as text, with '?' for bytes that are not printable.
std::string iffIdText(std::uint32_t id);

// Polygon types of LWO2's POLS chunk; LWOB and LWLO polygons are all faces.
inline constexpr std::uint32_t kPolygonFace = iffId("FACE");
inline constexpr std::uint32_t kPolygonPatch = iffId("PTCH");
inline constexpr std::uint32_t kPolygonSubdivision = iffId("SUBD");

struct LwoPoint {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Texture coordinates of one polygon corner; mapped is false (and u, v are 0)
// when the corner's map gives the point none.
struct LwoUv {
    float u = 0.0f;
    float v = 0.0f;
    bool mapped = false;
};

struct LwoPolygon {
    std::uint32_t type = kPolygonFace;
    std::uint32_t firstCorner = 0; // into LwoLayer::corners
    std::uint32_t cornerCount = 0; // may be below 3; the consumer decides
    std::int32_t surface = -1;     // into LwoObject::surfaces; -1 when it names none there
};

struct LwoLayer {
    // The number LightWave's interface and scenes give the layer, from 1: an
    // LWO2 layer chunk counts from 0, an LWLO one from 1; an LWOB file, and
    // data before any layer chunk, is layer 1.
    std::int32_t number = 1;
    std::string name;
    LwoPoint pivot;
    std::vector<LwoPoint> points;
    std::vector<LwoPolygon> polygons;
    std::vector<std::uint32_t> corners; // point indices, every one below points.size()
    std::vector<LwoUv> cornerUvs;       // one per corner
};

// LightWave's default surface colour, 200 of 255 in each channel.
inline constexpr float kLwoDefaultColor = 200.0f / 255.0f;

struct LwoSurface {
    std::string name;
    std::array<float, 3> color{kLwoDefaultColor, kLwoDefaultColor, kLwoDefaultColor}; // 0..1
    float transparency = 0.0f;                                                        // 0..1
    // The file path of the first colour image texture, as written; empty when
    // there is none.
    std::string imagePath;
};

struct LwoObject {
    std::uint32_t formType = 0; // LWO2, LWOB or LWLO
    std::vector<LwoLayer> layers;
    std::vector<LwoSurface> surfaces;
};

// A file the readers refuse. what() names the fault and where it lies (byte
// offsets from the start of the file); the caller adds the file's name.
class LwoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace kzo
