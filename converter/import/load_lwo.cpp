#include "converter/import/load_lwo.h"

#include "converter/import/import_input.h"
#include "converter/import/material_table.h"
#include "converter/import/weld_vertex.h"
#include "converter/model/paths.h"
#include "converter/model/scene_model.h"
#include "format/file_io.h"
#include "lightwave/read_lwo.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kzo {
namespace {

struct LwoImport {
    SceneModel& model;
    const LwoObject& object;
    const std::string& path;
    std::uint8_t pivotIndex;
};

// value limited to 0..1; not a number gives 0.
double unitInterval(float value) {
    return value > 0.0f ? std::min(static_cast<double>(value), 1.0) : 0.0;
}

// A colour channel (0..1) as a byte, rounded: LightWave stores byte colours
// divided by 255, and rounding gives those bytes back.
std::uint8_t colourByte(float value) {
    return static_cast<std::uint8_t>(std::floor(unitInterval(value) * 255.0 + 0.5));
}

// A transparency (0..1) as a byte the way the 3DS reader takes its float
// percentages: times 255, truncated.
std::uint8_t transparencyByte(float value) {
    return static_cast<std::uint8_t>(unitInterval(value) * 255.0);
}

std::int16_t materialOfSurface(const LwoImport& in, const LwoSurface& surface) {
    SceneModel& model = in.model;
    Material material;
    material.red = colourByte(surface.color[0]);
    material.green = colourByte(surface.color[1]);
    material.blue = colourByte(surface.color[2]);
    material.transparency = static_cast<std::uint8_t>(model.defaultTransparency & 0xFF);
    if (const std::uint8_t transparency = transparencyByte(surface.transparency);
        transparency > 0) {
        material.transparency = transparency;
        material.flags |= kMaterialTransparent;
    }
    if (!surface.imagePath.empty()) {
        material.imageIndex = storeImageName(model, fileTitle(surface.imagePath), in.path);
        material.flags |= kMaterialTextured | kMaterialTextured40 | kMaterialTextured80;
    }
    return storeMaterial(model, material, in.path);
}

bool becomesFaces(const LwoPolygon& polygon) {
    return polygon.type == kPolygonFace && polygon.cornerCount >= 3;
}

// The material of every surface that a face of the layers uses, in the order
// of the surfaces; -1 for the others.
std::vector<std::int16_t> surfaceMaterials(const LwoImport& in,
                                           const std::vector<const LwoLayer*>& layers) {
    std::vector<bool> used(in.object.surfaces.size(), false);
    for (const LwoLayer* layer : layers) {
        for (const LwoPolygon& polygon : layer->polygons) {
            if (becomesFaces(polygon) && polygon.surface >= 0) {
                used[static_cast<std::size_t>(polygon.surface)] = true;
            }
        }
    }
    std::vector<std::int16_t> materials(used.size(), -1);
    for (std::size_t s = 0; s < used.size(); ++s) {
        if (used[s]) {
            materials[s] = materialOfSurface(in, in.object.surfaces[s]);
        }
    }
    return materials;
}

// The table index of every point of the layer, welded.
std::vector<std::uint16_t> weldPoints(const LwoImport& in, const LwoLayer& layer) {
    SceneModel& model = in.model;
    std::vector<std::uint16_t> remap;
    remap.reserve(layer.points.size());
    for (const LwoPoint& p : layer.points) {
        const std::int32_t index = weldVertex(model, p.x, p.y, p.z);
        if (index == model.vertexCount) {
            if (model.vertexCount >= kMaxVertices) {
                fatalError(model.sink, "'%s' has more than %d vertices", in.path.c_str(),
                           kMaxVertices);
            }
            Vertex vertex;
            vertex.x = p.x;
            vertex.y = p.y;
            vertex.z = p.z;
            vertex.pivotIndex = in.pivotIndex;
            model.vertices[static_cast<std::size_t>(index)] = vertex;
            model.vertexCount += 1;
        }
        remap.push_back(static_cast<std::uint16_t>(index));
    }
    return remap;
}

void setCorner(Face& face, int k, const LwoLayer& layer, std::uint32_t corner,
               const std::vector<std::uint16_t>& remap) {
    face.vertexIndex[k] = remap[layer.corners[corner]];
    // Texel units of a 256-texel map, as the 3DS reader stores them.
    const LwoUv& uv = layer.cornerUvs[corner];
    face.texU[k] = static_cast<float>(static_cast<double>(uv.u) * 255.0);
    face.texV[k] = static_cast<float>(static_cast<double>(uv.v) * 255.0);
}

void addFaces(const LwoImport& in, const LwoLayer& layer, const std::vector<std::uint16_t>& remap,
              const std::vector<std::int16_t>& materials) {
    SceneModel& model = in.model;
    for (const LwoPolygon& polygon : layer.polygons) {
        if (!becomesFaces(polygon)) {
            continue;
        }
        const std::uint32_t c0 = polygon.firstCorner;
        for (std::uint32_t i = 1; i + 1 < polygon.cornerCount; ++i) {
            if (model.faceCount >= kMaxFaces) {
                fatalError(model.sink, "'%s' has more than %d faces", in.path.c_str(), kMaxFaces);
            }
            Face face; // corners white
            setCorner(face, 0, layer, c0, remap);
            setCorner(face, 1, layer, c0 + i, remap);
            setCorner(face, 2, layer, c0 + i + 1, remap);
            face.materialIndex =
                polygon.surface >= 0 ? materials[static_cast<std::size_t>(polygon.surface)] : -1;
            model.faces[static_cast<std::size_t>(model.faceCount++)] = face;
        }
    }
}

// One warning per kind of polygon that does not become faces.
void warnOfSkippedPolygons(const LwoImport& in, const std::vector<const LwoLayer*>& layers) {
    std::vector<std::pair<std::uint32_t, std::size_t>> skipped; // type, count
    std::size_t tooSmall = 0;
    for (const LwoLayer* layer : layers) {
        for (const LwoPolygon& polygon : layer->polygons) {
            if (polygon.type == kPolygonFace) {
                tooSmall += polygon.cornerCount < 3 ? 1 : 0;
                continue;
            }
            auto kind = skipped.begin();
            while (kind != skipped.end() && kind->first != polygon.type) {
                ++kind;
            }
            if (kind == skipped.end()) {
                skipped.emplace_back(polygon.type, 1);
            } else {
                kind->second += 1;
            }
        }
    }
    const auto polygons = [](std::size_t count) { return count == 1 ? "polygon" : "polygons"; };
    for (const auto& [type, count] : skipped) {
        printMessage(in.model.sink, "WARNING: '%s' skips %zu %s of type %s", in.path.c_str(), count,
                     polygons(count), iffIdText(type).c_str());
    }
    if (tooSmall > 0) {
        printMessage(in.model.sink, "WARNING: '%s' skips %zu %s of fewer than 3 corners",
                     in.path.c_str(), tooSmall, polygons(tooSmall));
    }
}

} // namespace

void loadLwoBuffer(SceneModel& model, std::span<const std::uint8_t> bytes,
                   const std::string& pathForMessages, std::int32_t layer,
                   std::uint8_t pivotIndex) {
    LwoObject object;
    try {
        object = readLwoObject(bytes);
    } catch (const LwoError& e) {
        fatalError(model.sink, "'%s' is damaged: %s", pathForMessages.c_str(), e.what());
    }
    const LwoImport in{model, object, pathForMessages, pivotIndex};
    std::vector<const LwoLayer*> layers;
    for (const LwoLayer& l : object.layers) {
        // The first layer of a number is the one a scene means.
        if (layer == kAllLayers || (l.number == layer && layers.empty())) {
            layers.push_back(&l);
        }
    }
    if (layers.empty() && layer != kAllLayers) {
        fatalError(model.sink, "'%s' has no layer %d", pathForMessages.c_str(), int(layer));
    }
    warnOfSkippedPolygons(in, layers);
    const std::vector<std::int16_t> materials = surfaceMaterials(in, layers);
    for (const LwoLayer* l : layers) {
        addFaces(in, *l, weldPoints(in, *l), materials);
    }
}

void loadLwoFile(SceneModel& model, const std::string& path, std::int32_t layer,
                 std::uint8_t pivotIndex) {
    const std::vector<std::uint8_t> bytes = readInputFile(model.sink, path);
    loadLwoBuffer(model, bytes, path, layer, pivotIndex);
}

} // namespace kzo
