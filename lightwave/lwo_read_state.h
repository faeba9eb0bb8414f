// What the LightWave object readers collect before the references between
// chunks can be followed: surfaces, images and texture maps usually come
// after the polygons that use them.
#pragma once

#include "lightwave/iff_chunks.h"
#include "lightwave/lwo_object.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kzo {

struct PointUv {
    std::uint32_t point = 0; // in the layer
    float u = 0.0f;
    float v = 0.0f;
};

// A per-polygon override of a point's coordinates (seams).
struct CornerUv {
    std::uint32_t polygon = 0; // in the layer
    std::uint32_t point = 0;
    float u = 0.0f;
    float v = 0.0f;
};

struct UvMapData {
    std::string name;
    std::vector<PointUv> points;
    std::vector<CornerUv> corners;
};

// Index bases of a layer: LWO2 indices count from the layer's latest PNTS and
// POLS chunks.
struct LayerRead {
    std::uint32_t pointBase = 0;
    std::uint32_t pointCount = 0;
    std::uint32_t polygonBase = 0;
    std::uint32_t polygonCount = 0;
    std::vector<UvMapData> uvMaps; // texture maps in the order first named
};

// A surface's first colour image texture, before its clip is looked up.
struct SurfaceTexture {
    bool hasImage = false;
    std::uint32_t clip = 0;
    std::string uvMapName;
    std::string ordinal; // LWO2's texture blocks apply in the order of these strings
};

struct Clip {
    std::uint32_t index = 0;
    std::string path;
};

// While reading, LwoPolygon::surface holds the index of the polygon's tag
// (LWO2 TAGS, LWOB SRFS) or -1.
struct LwoRead {
    LwoObject object;
    std::vector<LayerRead> layers; // beside object.layers
    std::vector<std::string> tags;
    std::vector<SurfaceTexture> textures; // beside object.surfaces
    std::vector<Clip> clips;

    void addLayer(std::int32_t number);
    // The layer the next geometry belongs to; data before any layer chunk
    // starts layer 1.
    std::size_t currentLayer();
};

// Shared chunk handlers of both object formats.
void readPoints(LwoRead& read, IffChunk& chunk);
// The layer-wide index of a point (polygon) the chunk names at byte at;
// fails unless it is below the count of the layer's latest PNTS (POLS).
std::uint32_t checkedPoint(const LayerRead& layer, std::uint32_t index, const IffChunk& chunk,
                           std::size_t at);
std::uint32_t checkedPolygon(const LayerRead& layer, std::uint32_t index, const IffChunk& chunk,
                             std::size_t at);

void readLwo2Chunks(LwoRead& read, IffChunk& form);
void readLwo2Surface(LwoRead& read, IffChunk& chunk);
void readLwo2Clip(LwoRead& read, IffChunk& chunk);
void readLwobChunks(LwoRead& read, IffChunk& form);

// Follows polygon tags to surfaces, surface textures to clips, and gives every
// corner its texture coordinates.
void resolveReferences(LwoRead& read);

} // namespace kzo
