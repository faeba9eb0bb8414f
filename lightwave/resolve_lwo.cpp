// Following the references between the chunks of an object once all are read:
// polygon tag -> surface, surface texture -> clip, corner -> texture map.
#include "lightwave/lwo_read_state.h"

#include <algorithm>
#include <unordered_map>

namespace kzo {
namespace {

void resolveSurfaces(LwoRead& read) {
    // The first surface of a name is the one its tag means.
    std::unordered_map<std::string, std::int32_t> surfaceNamed;
    for (std::size_t i = 0; i < read.object.surfaces.size(); ++i) {
        surfaceNamed.emplace(read.object.surfaces[i].name, static_cast<std::int32_t>(i));
    }
    std::vector<std::int32_t> surfaceOfTag(read.tags.size(), -1);
    for (std::size_t t = 0; t < read.tags.size(); ++t) {
        if (const auto found = surfaceNamed.find(read.tags[t]); found != surfaceNamed.end()) {
            surfaceOfTag[t] = found->second;
        }
    }
    for (LwoLayer& layer : read.object.layers) {
        for (LwoPolygon& polygon : layer.polygons) {
            const std::int32_t tag = polygon.surface;
            polygon.surface =
                tag >= 0 && std::size_t(tag) < surfaceOfTag.size() ? surfaceOfTag[tag] : -1;
        }
    }
}

void resolveImages(LwoRead& read) {
    for (std::size_t i = 0; i < read.object.surfaces.size(); ++i) {
        const SurfaceTexture& texture = read.textures[i];
        if (!texture.hasImage) {
            continue;
        }
        for (const Clip& clip : read.clips) {
            if (clip.index == texture.clip) {
                read.object.surfaces[i].imagePath = clip.path;
                break;
            }
        }
    }
}

// A map's entries sorted for look-up; of entries for the same point (or
// polygon corner) the last in the file counts.
void sortForLookup(UvMapData& map) {
    std::stable_sort(map.points.begin(), map.points.end(),
                     [](const PointUv& a, const PointUv& b) { return a.point < b.point; });
    std::stable_sort(map.corners.begin(), map.corners.end(),
                     [](const CornerUv& a, const CornerUv& b) {
                         return a.polygon != b.polygon ? a.polygon < b.polygon : a.point < b.point;
                     });
}

LwoUv lookUp(const UvMapData& map, std::uint32_t polygon, std::uint32_t point) {
    const auto corner = std::upper_bound(
        map.corners.begin(), map.corners.end(), std::pair{polygon, point},
        [](const std::pair<std::uint32_t, std::uint32_t>& key, const CornerUv& c) {
            return key.first != c.polygon ? key.first < c.polygon : key.second < c.point;
        });
    if (corner != map.corners.begin()) {
        const CornerUv& c = *std::prev(corner);
        if (c.polygon == polygon && c.point == point) {
            return {c.u, c.v, true};
        }
    }
    const auto entry =
        std::upper_bound(map.points.begin(), map.points.end(), point,
                         [](std::uint32_t key, const PointUv& p) { return key < p.point; });
    if (entry != map.points.begin() && std::prev(entry)->point == point) {
        return {std::prev(entry)->u, std::prev(entry)->v, true};
    }
    return {};
}

// The map a polygon's corners take: the one its surface's colour texture
// names, else the layer's first texture map.
const UvMapData* mapOfPolygon(const LwoRead& read, const LayerRead& layer,
                              const LwoPolygon& polygon) {
    if (layer.uvMaps.empty()) {
        return nullptr;
    }
    if (polygon.surface >= 0) {
        const std::string& wanted = read.textures[std::size_t(polygon.surface)].uvMapName;
        for (const UvMapData& map : layer.uvMaps) {
            if (!wanted.empty() && map.name == wanted) {
                return &map;
            }
        }
    }
    return &layer.uvMaps.front();
}

void resolveUvs(LwoRead& read) {
    for (std::size_t l = 0; l < read.object.layers.size(); ++l) {
        LwoLayer& layer = read.object.layers[l];
        LayerRead& state = read.layers[l];
        for (UvMapData& map : state.uvMaps) {
            sortForLookup(map);
        }
        layer.cornerUvs.assign(layer.corners.size(), LwoUv{});
        for (std::uint32_t p = 0; p < layer.polygons.size(); ++p) {
            const LwoPolygon& polygon = layer.polygons[p];
            const UvMapData* map = mapOfPolygon(read, state, polygon);
            for (std::uint32_t c = 0; map && c < polygon.cornerCount; ++c) {
                const std::uint32_t corner = polygon.firstCorner + c;
                layer.cornerUvs[corner] = lookUp(*map, p, layer.corners[corner]);
            }
        }
    }
}

} // namespace

void resolveReferences(LwoRead& read) {
    resolveSurfaces(read);
    resolveImages(read);
    resolveUvs(read);
}

} // namespace kzo
