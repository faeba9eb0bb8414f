// The chunks of the older LWOB form and its layered variant LWLO: points,
// surface names, polygons (with detail polygons passed over), surfaces, and
// LWLO's layers.
#include "lightwave/lwo_read_state.h"

namespace kzo {
namespace {

void readLayer(LwoRead& read, IffChunk& chunk) {
    const std::uint16_t number = chunk.data.u16be();
    chunk.data.u16be(); // flags
    std::string name = readString(chunk);
    read.addLayer(number);
    read.object.layers.back().name = std::move(name);
}

void readSurfaceNames(LwoRead& read, IffChunk& chunk) {
    while (!chunk.data.atEnd()) {
        read.tags.push_back(readString(chunk));
    }
}

// Detail polygons were drawn on top of their polygon; they are obsolete and
// left out, but their records must be passed over whole.
void skipDetailPolygons(IffChunk& chunk) {
    const std::uint16_t count = chunk.data.u16be();
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t corners = chunk.data.u16be();
        chunk.data.skip(std::size_t(corners) * 2 + 2);
    }
}

void readPolygons(LwoRead& read, IffChunk& chunk) {
    const std::size_t layerIndex = read.currentLayer();
    LwoLayer& layer = read.object.layers[layerIndex];
    const LayerRead& state = read.layers[layerIndex];
    // Every polygon takes at least four bytes, so the loop ends.
    while (!chunk.data.atEnd()) {
        LwoPolygon polygon;
        polygon.firstCorner = static_cast<std::uint32_t>(layer.corners.size());
        polygon.cornerCount = chunk.data.u16be();
        for (std::uint32_t i = 0; i < polygon.cornerCount; ++i) {
            const std::size_t at = chunk.at();
            layer.corners.push_back(checkedPoint(state, chunk.data.u16be(), chunk, at));
        }
        // Surfaces count from 1; a negative number announces detail polygons.
        const std::int32_t surface = chunk.data.i16be();
        if (surface < 0) {
            skipDetailPolygons(chunk);
        }
        polygon.surface = (surface < 0 ? -surface : surface) - 1;
        layer.polygons.push_back(polygon);
    }
}

bool isTextureStart(std::uint32_t id) {
    switch (id) {
    case iffId("CTEX"):
    case iffId("DTEX"):
    case iffId("STEX"):
    case iffId("RTEX"):
    case iffId("TTEX"):
    case iffId("LTEX"):
    case iffId("BTEX"):
        return true;
    default:
        return false;
    }
}

// Colours are bytes, transparency a fraction of 256 or, when VTRN is there,
// a float. A texture's subchunks follow the one that starts it; the image of
// the first colour texture that has one is the surface's image.
void readSurface(LwoRead& read, IffChunk& chunk) {
    LwoSurface surface;
    surface.name = readString(chunk);
    bool inColourTexture = false;
    bool floatTransparency = false;
    forEachSubchunk(chunk, [&](IffChunk& sub) {
        if (isTextureStart(sub.id)) {
            inColourTexture = sub.id == iffId("CTEX");
            return;
        }
        switch (sub.id) {
        case iffId("COLR"):
            for (float& c : surface.color) {
                c = float(sub.data.u8()) / 255.0f;
            }
            break;
        case iffId("TRAN"):
            if (!floatTransparency) {
                surface.transparency = float(sub.data.i16be()) / 256.0f;
            }
            break;
        case iffId("VTRN"):
            surface.transparency = sub.data.f32be();
            floatTransparency = true;
            break;
        case iffId("TIMG"):
            if (inColourTexture && surface.imagePath.empty()) {
                std::string path = readString(sub);
                // LightWave writes this for a texture whose image was not chosen.
                if (path != "(none)") {
                    surface.imagePath = std::move(path);
                }
            }
            break;
        default:
            break;
        }
    });
    read.textures.emplace_back();
    read.object.surfaces.push_back(std::move(surface));
}

} // namespace

void readLwobChunks(LwoRead& read, IffChunk& form) {
    forEachChunk(form, [&](IffChunk& chunk) {
        switch (chunk.id) {
        case iffId("LAYR"):
            if (read.object.formType == iffId("LWLO")) {
                readLayer(read, chunk);
            }
            break;
        case iffId("PNTS"):
            readPoints(read, chunk);
            break;
        case iffId("SRFS"):
            readSurfaceNames(read, chunk);
            break;
        case iffId("POLS"):
            readPolygons(read, chunk);
            break;
        case iffId("SURF"):
            readSurface(read, chunk);
            break;
        default:
            break;
        }
    });
}

} // namespace kzo
