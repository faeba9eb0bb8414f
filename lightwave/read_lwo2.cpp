// The chunks of an LWO2 form: layers with their points, polygons, polygon
// tags and texture maps; the tag strings; clips and surfaces (lwo2_surfaces).
#include "lightwave/lwo_read_state.h"

namespace kzo {
namespace {

constexpr std::uint16_t kCornerCountMask = 0x03FF; // the upper 6 bits are flags

void readLayer(LwoRead& read, IffChunk& chunk) {
    const std::uint16_t number = chunk.data.u16be();
    chunk.data.u16be(); // flags: hidden layers are still part of the object
    LwoPoint pivot;
    pivot.x = chunk.data.f32be();
    pivot.y = chunk.data.f32be();
    pivot.z = chunk.data.f32be();
    std::string name = readString(chunk);
    read.addLayer(std::int32_t(number) + 1);
    read.object.layers.back().pivot = pivot;
    read.object.layers.back().name = std::move(name);
}

void readPolygons(LwoRead& read, IffChunk& chunk) {
    const std::size_t layerIndex = read.currentLayer();
    LwoLayer& layer = read.object.layers[layerIndex];
    LayerRead& state = read.layers[layerIndex];
    const std::uint32_t type = readId(chunk.data);
    state.polygonBase = static_cast<std::uint32_t>(layer.polygons.size());
    // Every polygon takes at least two bytes, so the loop ends.
    while (!chunk.data.atEnd()) {
        LwoPolygon polygon;
        polygon.type = type;
        polygon.firstCorner = static_cast<std::uint32_t>(layer.corners.size());
        polygon.cornerCount = chunk.data.u16be() & kCornerCountMask;
        for (std::uint32_t i = 0; i < polygon.cornerCount; ++i) {
            const std::size_t at = chunk.at();
            layer.corners.push_back(checkedPoint(state, readIndex(chunk.data), chunk, at));
        }
        layer.polygons.push_back(polygon);
    }
    state.polygonCount = static_cast<std::uint32_t>(layer.polygons.size()) - state.polygonBase;
}

void readPolygonTags(LwoRead& read, IffChunk& chunk) {
    if (readId(chunk.data) != iffId("SURF")) {
        return; // parts and smoothing groups
    }
    const std::size_t layerIndex = read.currentLayer();
    LwoLayer& layer = read.object.layers[layerIndex];
    while (!chunk.data.atEnd()) {
        const std::size_t at = chunk.at();
        const std::uint32_t polygon =
            checkedPolygon(read.layers[layerIndex], readIndex(chunk.data), chunk, at);
        layer.polygons[polygon].surface = chunk.data.u16be();
    }
}

// The texture map of that name in the layer, made when it is new.
UvMapData& uvMapNamed(LayerRead& layer, const std::string& name) {
    for (UvMapData& map : layer.uvMaps) {
        if (map.name == name) {
            return map;
        }
    }
    UvMapData& map = layer.uvMaps.emplace_back();
    map.name = name;
    return map;
}

// VMAP and VMAD: only texture maps of at least two values per entry matter;
// further values are passed over.
void readVertexMap(LwoRead& read, IffChunk& chunk, bool perPolygon) {
    const std::uint32_t type = readId(chunk.data);
    const std::uint16_t dimension = chunk.data.u16be();
    const std::string name = readString(chunk);
    if (type != iffId("TXUV") || dimension < 2) {
        return;
    }
    const std::size_t layerIndex = read.currentLayer();
    LayerRead& layer = read.layers[layerIndex];
    UvMapData& map = uvMapNamed(layer, name);
    while (!chunk.data.atEnd()) {
        std::size_t at = chunk.at();
        const std::uint32_t point = checkedPoint(layer, readIndex(chunk.data), chunk, at);
        std::uint32_t polygon = 0;
        if (perPolygon) {
            at = chunk.at();
            polygon = checkedPolygon(layer, readIndex(chunk.data), chunk, at);
        }
        const float u = chunk.data.f32be();
        const float v = chunk.data.f32be();
        chunk.data.skip(std::size_t(dimension - 2) * 4);
        if (perPolygon) {
            map.corners.push_back({polygon, point, u, v});
        } else {
            map.points.push_back({point, u, v});
        }
    }
}

void readTags(LwoRead& read, IffChunk& chunk) {
    while (!chunk.data.atEnd()) {
        read.tags.push_back(readString(chunk));
    }
}

} // namespace

void readLwo2Chunks(LwoRead& read, IffChunk& form) {
    forEachChunk(form, [&](IffChunk& chunk) {
        switch (chunk.id) {
        case iffId("LAYR"):
            readLayer(read, chunk);
            break;
        case iffId("PNTS"):
            readPoints(read, chunk);
            break;
        case iffId("POLS"):
            readPolygons(read, chunk);
            break;
        case iffId("PTAG"):
            readPolygonTags(read, chunk);
            break;
        case iffId("VMAP"):
            readVertexMap(read, chunk, false);
            break;
        case iffId("VMAD"):
            readVertexMap(read, chunk, true);
            break;
        case iffId("TAGS"):
            readTags(read, chunk);
            break;
        case iffId("CLIP"):
            readLwo2Clip(read, chunk);
            break;
        case iffId("SURF"):
            readLwo2Surface(read, chunk);
            break;
        default:
            break;
        }
    });
}

} // namespace kzo
