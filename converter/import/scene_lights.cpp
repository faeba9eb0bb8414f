#include "converter/import/light_file.h"

#include "format/byte_writer.h"

#include <cmath>

namespace kzo {
namespace {

constexpr double kPi = 3.141592;

double radians(float degrees) {
    return static_cast<double>(degrees) * kPi / 180.0;
}

int countLights(const SceneText& scene) {
    int count = 0;
    for (std::string_view line : scene.lines) {
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
void applyLightLine(std::string_view line, LineCursor& cursor, Light* light, Ambient& ambient) {
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
            // Heading, pitch and bank wait in direction until finishLight.
            float v[6] = {light->position[0],  light->position[1],  light->position[2],
                          light->direction[0], light->direction[1], light->direction[2]};
            scanFloats(key, v, 6);
            for (int i = 0; i < 3; ++i) {
                light->position[i] = v[i];
                light->direction[i] = v[i + 3];
            }
        }
        return;
    }
    if (light == nullptr) {
        return;
    }
    if (startsWithKeyword(line, "LightType")) {
        scanAfter(line, "LightType").scan(light->type);
    } else if (startsWithKeyword(line, "LightColor")) {
        std::int32_t rgb[3] = {light->color[0], light->color[1], light->color[2]};
        LineScanner s = scanAfter(line, "LightColor");
        for (std::int32_t& c : rgb) {
            s.scan(c);
        }
        for (int i = 0; i < 3; ++i) {
            light->color[i] = static_cast<std::uint8_t>(rgb[i] & 0xFF);
        }
    } else if (startsWithKeyword(line, "LgtIntensity")) {
        scanAfter(line, "LgtIntensity").scan(light->intensity);
    } else if (startsWithKeyword(line, "LightRange")) {
        scanAfter(line, "LightRange").scan(light->range);
    } else if (startsWithKeyword(line, "ConeAngle")) {
        scanAfter(line, "ConeAngle").scan(light->coneCos);
    } else if (startsWithKeyword(line, "EdgeAngle")) {
        scanAfter(line, "EdgeAngle").scan(light->edgeCos);
    }
}

// direction holds heading, pitch, bank and coneCos, edgeCos hold the angles in
// degrees until here.
void finishLight(Light& light) {
    const double h = radians(light.direction[0]);
    const double p = radians(light.direction[1]);
    light.direction[0] = static_cast<float>(-std::sin(h) * std::cos(p));
    light.direction[1] = static_cast<float>(std::sin(p));
    light.direction[2] = static_cast<float>(-std::cos(h) * std::cos(p));
    const float coneAngle = light.coneCos;
    float edgeAngle = light.edgeCos;
    if (coneAngle >= edgeAngle) {
        edgeAngle = coneAngle + 1.0f;
    }
    light.coneCos = static_cast<float>(std::cos(radians(coneAngle)));
    light.edgeCos = static_cast<float>(std::cos(radians(edgeAngle)));
}

bool isFinite(const Light& light) {
    const float values[10] = {light.position[0],  light.position[1],  light.position[2],
                              light.direction[0], light.direction[1], light.direction[2],
                              light.intensity,    light.range,        light.coneCos,
                              light.edgeCos};
    for (float v : values) {
        if (!std::isfinite(v)) {
            return false;
        }
    }
    return true;
}

} // namespace

void readLights(SceneModel& model, const SceneText& scene) {
    const int count = countLights(scene);
    if (count == 0) {
        return;
    }
    if (count > kMaxLights) {
        fatalError(model.sink, "'%s' has %d lights; the light table holds %d", scene.path.c_str(),
                   count, kMaxLights);
    }
    model.lightCount = count;
    for (int i = 0; i < count; ++i) {
        model.lights[static_cast<std::size_t>(i)] = Light{};
    }
    Ambient ambient;
    int current = -1;
    LineCursor cursor = startOf(scene);
    std::string_view line;
    while (cursor.read(line)) {
        // The count pass saw every AddLight line, so current stays below count.
        if (startsWithKeyword(line, "AddLight")) {
            ++current;
            continue;
        }
        Light* light = current >= 0 ? &model.lights[static_cast<std::size_t>(current)] : nullptr;
        applyLightLine(line, cursor, light, ambient);
    }
    for (int i = 0; i < 3; ++i) {
        model.ambientColor[i] = ambient.color[i] * ambient.intensity;
    }
    for (int i = 0; i < count; ++i) {
        finishLight(model.lights[static_cast<std::size_t>(i)]);
    }
}

void writeKzlFile(SceneModel& model, const std::string& path) {
    if (model.settings.lightFile == 0 || model.lightCount <= 0) {
        return;
    }
    printMessage(model.sink, "'%s' Writing...", path.c_str());
    for (int i = 0; i < model.lightCount; ++i) {
        if (!isFinite(model.lights[static_cast<std::size_t>(i)])) {
            fatalError(model.sink,
                       "cannot write '%s': light %d holds a value that is not a finite number",
                       path.c_str(), i);
        }
    }
    ByteWriter out;
    out.reserve(4 + kLightRecordSize * static_cast<std::size_t>(model.lightCount));
    out.i32le(model.lightCount);
    for (int i = 0; i < model.lightCount; ++i) {
        writeLight(out, model.lights[static_cast<std::size_t>(i)]);
    }
    model.pendingOutputs.push_back(OutputFile{path, out.take()});
}

} // namespace kzo
