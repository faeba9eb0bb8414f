#include "lightwave/read_lwo.h"

#include "lightwave/lwo_read_state.h"

namespace kzo {

void LwoRead::addLayer(std::int32_t number) {
    object.layers.emplace_back().number = number;
    layers.emplace_back();
}

std::size_t LwoRead::currentLayer() {
    if (object.layers.empty()) {
        addLayer(1);
    }
    return object.layers.size() - 1;
}

void readPoints(LwoRead& read, IffChunk& chunk) {
    const std::size_t layerIndex = read.currentLayer();
    std::vector<LwoPoint>& points = read.object.layers[layerIndex].points;
    LayerRead& layer = read.layers[layerIndex];
    // Bytes beyond the last whole point are not a point.
    const std::size_t count = chunk.data.size() / 12;
    if (count > std::uint32_t(-1) - points.size()) {
        lwoFault("%s takes the layer beyond 2^32 points", chunkName(chunk).c_str());
    }
    layer.pointBase = static_cast<std::uint32_t>(points.size());
    layer.pointCount = static_cast<std::uint32_t>(count);
    points.reserve(points.size() + count);
    for (std::size_t i = 0; i < count; ++i) {
        LwoPoint& p = points.emplace_back();
        p.x = chunk.data.f32be();
        p.y = chunk.data.f32be();
        p.z = chunk.data.f32be();
    }
}

namespace {

std::uint32_t checkedIndex(std::uint32_t index, std::uint32_t base, std::uint32_t count,
                           const char* what, const IffChunk& chunk, std::size_t at) {
    if (index >= count) {
        lwoFault("%s names %s %u at byte %zu, but the layer's %ss are %u", chunkName(chunk).c_str(),
                 what, unsigned(index), at, what, unsigned(count));
    }
    return base + index;
}

} // namespace

std::uint32_t checkedPoint(const LayerRead& layer, std::uint32_t index, const IffChunk& chunk,
                           std::size_t at) {
    return checkedIndex(index, layer.pointBase, layer.pointCount, "point", chunk, at);
}

std::uint32_t checkedPolygon(const LayerRead& layer, std::uint32_t index, const IffChunk& chunk,
                             std::size_t at) {
    return checkedIndex(index, layer.polygonBase, layer.polygonCount, "polygon", chunk, at);
}

LwoObject readLwoObject(std::span<const std::uint8_t> bytes) {
    IffChunk form = openForm(bytes);
    LwoRead read;
    read.object.formType = form.id;
    switch (form.id) {
    case iffId("LWO2"):
        readLwo2Chunks(read, form);
        break;
    case iffId("LWOB"):
    case iffId("LWLO"):
        readLwobChunks(read, form);
        break;
    default:
        lwoFault("the form type '%s' is not LWO2, LWOB or LWLO", iffIdText(form.id).c_str());
    }
    resolveReferences(read);
    return std::move(read.object);
}

} // namespace kzo
