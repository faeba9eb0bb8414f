#include "converter/import/scene_lights.h"

#include "converter/model/angles.h"

#include <cmath>

namespace kzo {
namespace {

int countLights(const SceneText& text) {
    int count = 0;
    for (std::string_view line : text.lines) {
        if (startsWithKeyword(line, "AddLight")) {
            ++count;
        }
    }
    return count;
}

struct Ambient {
    float color[3] = {255.0f, 255.0f, 255.0f};
    float intensity = 1.0f;
};

// Applies one line to the current light (nullptr before the first AddLight) or
// to the ambient light. LightMotion consumes the three lines behind it.
void applyLightLine(std::string_view line, LineCursor& cursor, LightKeywords* light,
                    Ambient& ambient) {
    if (startsWithKeyword(line, "AmbientColor")) {
        LineScanner s = scanAfter(line, "AmbientColor");
        for (float& c : ambient.color) {
            s.scan(c);
        }
        return;
    }
    if (startsWithKeyword(line, "AmbIntensity")) {
        scanAfter(line, "AmbIntensity").scan(ambient.intensity);
        return;
    }
    if (startsWithKeyword(line, "LightMotion")) {
        std::string_view skipped;
        cursor.read(skipped); // channel count
        cursor.read(skipped); // key count
        std::string_view key;
        if (cursor.read(key) && light != nullptr) {
            Light& r = light->record;
            float* const channels[6] = {&r.position[0],  &r.position[1], &r.position[2],
                                        &light->heading, &light->pitch,  &light->bank};
            LineScanner s(key);
            for (float* c : channels) {
                s.scan(*c);
            }
        }
        return;
    }
    if (light == nullptr) {
        return;
    }
    Light& r = light->record;
    if (startsWithKeyword(line, "LightType")) {
        scanAfter(line, "LightType").scan(r.type);
    } else if (startsWithKeyword(line, "LightColor")) {
        std::int32_t rgb[3] = {r.color[0], r.color[1], r.color[2]};
        LineScanner s = scanAfter(line, "LightColor");
        for (std::int32_t& c : rgb) {
            s.scan(c);
        }
        for (int i = 0; i < 3; ++i) {
            r.color[i] = static_cast<std::uint8_t>(rgb[i] & 0xFF);
        }
    } else if (startsWithKeyword(line, "LgtIntensity")) {
        scanAfter(line, "LgtIntensity").scan(r.intensity);
    } else if (startsWithKeyword(line, "LightRange")) {
        scanAfter(line, "LightRange").scan(r.range);
    } else if (startsWithKeyword(line, "ConeAngle")) {
        scanAfter(line, "ConeAngle").scan(light->coneAngle);
    } else if (startsWithKeyword(line, "EdgeAngle")) {
        scanAfter(line, "EdgeAngle").scan(light->edgeAngle);
    }
}

} // namespace

Light finishLight(const LightKeywords& light) {
    Light r = light.record;
    const double h = lightRadians(light.heading);
    const double p = lightRadians(light.pitch);
    r.direction[0] = static_cast<float>(-std::sin(h) * std::cos(p));
    r.direction[1] = static_cast<float>(std::sin(p));
    r.direction[2] = static_cast<float>(-std::cos(h) * std::cos(p));
    float edgeAngle = light.edgeAngle;
    if (light.coneAngle >= edgeAngle) {
        edgeAngle = light.coneAngle + 1.0f;
    }
    r.coneCos = static_cast<float>(std::cos(lightRadians(light.coneAngle)));
    r.edgeCos = static_cast<float>(std::cos(lightRadians(edgeAngle)));
    return r;
}

void readSceneLights(const SceneText& text, const MessageSink& sink, SceneDescription& scene) {
    const int count = countLights(text);
    if (count == 0) {
        return;
    }
    if (count > kMaxLights) {
        fatalError(sink, "'%s' has %d lights; the light table holds %d", text.path.c_str(), count,
                   kMaxLights);
    }
    std::vector<LightKeywords> lights(static_cast<std::size_t>(count));
    Ambient ambient;
    int current = -1;
    LineCursor cursor = startOf(text);
    std::string_view line;
    while (cursor.read(line)) {
        // The count pass saw every AddLight line, so current stays below count.
        if (startsWithKeyword(line, "AddLight")) {
            ++current;
            continue;
        }
        LightKeywords* light = current >= 0 ? &lights[static_cast<std::size_t>(current)] : nullptr;
        applyLightLine(line, cursor, light, ambient);
    }
    for (int i = 0; i < 3; ++i) {
        scene.ambientColor[i] = ambient.color[i] * ambient.intensity;
    }
    scene.lights.clear();
    for (const LightKeywords& light : lights) {
        scene.lights.push_back(finishLight(light));
    }
}

} // namespace kzo
