// The indexed shadow marking against the literal one on scenes spelled by the
// bytes: small grids of coordinates (so that vertices meet edges and lights
// meet vertices), raw floats when allowed (NaN, infinities, huge values), all
// light types with and without range, the classic or the relative test. The
// counters after every light and the colour bytes (the latter marked on two
// threads) must be identical, and nothing may crash. With flag bit 3 the
// scene is baked once more with ambient occlusion on one and on two threads,
// which must agree, and with the bounce as well, which may only brighten.
//
// Layout: vertex count - 3, face count - 1, light count - 1, flags (bit 0:
// flat colour, bit 1: raw floats, bit 2: relative test, bit 3: occlusion and
// bounce), then per vertex three coordinates, per
// face three vertex numbers, per light: type (bit 7: stand on a vertex),
// position or vertex number, direction, range, intensity, cone, edge, colour.
// A coordinate is one byte c, (c % 33 - 16) / 2, or with raw floats and c =
// 255 the four bytes of a float. Missing bytes read as 0.
#include "converter/model/compute_normals.h"
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/precalculate_colors.h"
#include "converter/model/scene_model.h"
#include "tests/converter/literal_mark_lit_vertices.h"

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool rawFloats = false;

    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    float coordinate() {
        const std::uint8_t c = byte();
        if (rawFloats && c == 255) {
            std::uint32_t bits = 0;
            for (int i = 0; i < 4; ++i) {
                bits |= static_cast<std::uint32_t>(byte()) << (8 * i);
            }
            return std::bit_cast<float>(bits);
        }
        return static_cast<float>(c % 33 - 16) * 0.5f;
    }
};

kzo::ConversionSettings buildScene(Input& in, kzo::SceneModel& model) {
    kzo::resetSceneModel(model);
    kzo::ConversionSettings settings;
    const int vertices = 3 + in.byte() % 60;
    const int faces = 1 + in.byte() % 60;
    const int lights = 1 + in.byte() % 4;
    const std::uint8_t flags = in.byte();
    in.rawFloats = (flags & 2) != 0;
    settings.shadingType = (flags & 1) != 0 ? kzo::kPrecalcFlat : kzo::kPrecalcGouraud;
    for (int i = 0; i < vertices; ++i) {
        kzo::Vertex& v = model.vertices[static_cast<std::size_t>(i)];
        v = kzo::Vertex{};
        v.x = in.coordinate();
        v.y = in.coordinate();
        v.z = in.coordinate();
    }
    model.vertexCount = vertices;
    for (int i = 0; i < faces; ++i) {
        kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        f = kzo::Face{};
        for (std::uint16_t& corner : f.vertexIndex) {
            corner = static_cast<std::uint16_t>(in.byte() % vertices);
        }
        f.materialIndex = -1;
    }
    model.faceCount = faces;
    for (int i = 0; i < lights; ++i) {
        kzo::Light& l = model.lights[static_cast<std::size_t>(i)];
        l = kzo::Light{};
        const std::uint8_t type = in.byte();
        l.type = type % 4;
        if ((type & 0x80) != 0) {
            const kzo::Vertex& v = model.vertices[in.byte() % static_cast<unsigned>(vertices)];
            l.position[0] = v.x;
            l.position[1] = v.y;
            l.position[2] = v.z;
        } else {
            for (float& p : l.position) {
                p = in.coordinate();
            }
        }
        float d[3];
        for (float& c : d) {
            c = (static_cast<float>(in.byte()) - 128.0f) / 127.0f;
        }
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int a = 0; a < 3; ++a) {
            l.direction[a] = length > 0 ? d[a] / length : 0.0f;
        }
        const std::uint8_t range = in.byte();
        l.range = range == 0 ? -1.0f : static_cast<float>(range - 1) * 0.25f;
        l.intensity = static_cast<float>(in.byte()) / 128.0f;
        l.coneCos = static_cast<float>(in.byte()) / 255.0f;
        l.edgeCos = l.coneCos - static_cast<float>(in.byte()) / 510.0f;
        for (std::uint8_t& c : l.color) {
            c = in.byte();
        }
    }
    model.lightCount = lights;
    model.ambientColor[0] = model.ambientColor[1] = model.ambientColor[2] = 10.0f;
    kzo::computeNormals(model);
    settings.shadows.test = (flags & 4) != 0 ? kzo::ShadowTest::relative : kzo::ShadowTest::classic;
    return settings;
}

std::vector<std::uint8_t> colours(const kzo::SceneModel& model) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < model.faceCount; ++i) {
        const kzo::Face& f = model.faces[static_cast<std::size_t>(i)];
        out.insert(out.end(), std::begin(f.colorR), std::end(f.colorR));
        out.insert(out.end(), std::begin(f.colorG), std::end(f.colorG));
        out.insert(out.end(), std::begin(f.colorB), std::end(f.colorB));
    }
    return out;
}

// Few rays, so that a run stays quick; the checks hold for any number.
void checkIndirectLight(kzo::SceneModel& model, kzo::ConversionSettings settings) {
    settings.indirectLight.occlusion = 1;
    settings.indirectLight.rays = 8;
    settings.shadows.threads = 1;
    kzo::precalculateColors(model, settings);
    const std::vector<std::uint8_t> occluded = colours(model);
    settings.shadows.threads = 2;
    kzo::precalculateColors(model, settings);
    if (colours(model) != occluded) {
        std::abort();
    }
    settings.indirectLight.bounce = 1;
    kzo::precalculateColors(model, settings);
    const std::vector<std::uint8_t> bounced = colours(model);
    for (std::size_t i = 0; i < bounced.size(); ++i) {
        if (bounced[i] < occluded[i]) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kzo::SceneModel model;
    Input in{data, size};
    kzo::ConversionSettings settings = buildScene(in, model);
    const std::uint8_t flags = size > 3 ? data[3] : 0;
    const kzo::ShadowTest test = settings.shadows.test;

    kzo::prepareFacesForLighting(model);
    kzo::ShadowIndex index;
    kzo::buildShadowIndex(model, index, test);
    std::vector<std::int32_t> fast(static_cast<std::size_t>(model.vertexCount));
    for (int light = 0; light < model.lightCount; ++light) {
        kzo::markLitVertices(model, light, index);
        for (int v = 0; v < model.vertexCount; ++v) {
            fast[static_cast<std::size_t>(v)] = model.vertices[static_cast<std::size_t>(v)].counter;
        }
        kzotest::literalMarkLitVertices(model, light, test);
        for (int v = 0; v < model.vertexCount; ++v) {
            if (fast[static_cast<std::size_t>(v)] !=
                model.vertices[static_cast<std::size_t>(v)].counter) {
                std::abort();
            }
        }
    }

    settings.shadows.threads = 2;
    kzo::precalculateColors(model, settings);
    const std::vector<std::uint8_t> fastColours = colours(model);
    kzotest::literalPrecalculateColors(model, settings);
    if (fastColours != colours(model)) {
        std::abort();
    }
    if ((flags & 8) != 0) {
        checkIndirectLight(model, settings);
    }
    return 0;
}
