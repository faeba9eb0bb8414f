#include "converter/model/precalculate_colors.h"

#include "converter/model/indirect_light.h"
#include "converter/model/mark_lit_vertices.h"
#include "converter/model/parallel_light_marking.h"
#include "raytrace/ray_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace kzo {

namespace {

constexpr float kOneThird = 1.0f / 3.0f;
constexpr float kModulation = 0.00390625f; // 1/256

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

bool finite3(const float (&v)[3]) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// NaN becomes 0 so that the conversion to a byte is always defined.
float clampChannel(float value) {
    if (!(value >= 0.0f)) {
        return 0.0f;
    }
    return value > 255.0f ? 255.0f : value;
}

// An ambient value that is NaN or infinite adds nothing.
float ambientChannel(const SceneModel& model, int channel) {
    const float value = model.ambientColor[channel];
    return std::isfinite(value) ? value : 0.0f;
}

bool isUntextured(const Material& material) {
    return (material.flags & kMaterialTextured) == 0 || material.imageIndex < 0;
}

// The value stored for one channel: modulated by the material colour when the
// material is untextured, then truncated toward zero.
std::uint8_t channelByte(float value, bool untextured, std::uint8_t materialByte) {
    if (untextured) {
        value = value * static_cast<float>(materialByte) * kModulation;
    }
    return static_cast<std::uint8_t>(static_cast<int>(value));
}

// The light's factor for a face: how much of its colour the face receives.
// Returns 0 for a point or spot light standing exactly at the face's center,
// which gives no direction.
float lightFactor(const Light& light, const Face& face) {
    const float* n = face.normal;
    if (light.type == kDistantLight) {
        const float* d = light.direction;
        return light.intensity * (n[0] * d[0] + n[1] * d[1] + n[2] * d[2]);
    }
    const float dx = light.position[0] - face.center[0];
    const float dy = light.position[1] - face.center[1];
    const float dz = light.position[2] - face.center[2];
    const float dist = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (dist == 0.0f) {
        return 0.0f;
    }
    const float lx = dx / dist;
    const float ly = dy / dist;
    const float lz = dz / dist;
    float f = n[0] * lx + n[1] * ly + n[2] * lz;
    if (light.type == kSpotLight) {
        const float* d = light.direction;
        const float s = lx * d[0] + ly * d[1] + lz * d[2];
        if (s < light.coneCos) {
            if (s > light.edgeCos) {
                f = f * (s - light.edgeCos) / (light.coneCos - light.edgeCos);
            } else {
                f = 0.0f;
            }
        }
    }
    if (light.range >= 0.0f) {
        if (light.range >= dist) {
            f = f * (light.range - dist) / light.range;
        } else {
            f = 0.0f;
        }
    }
    return f * light.intensity;
}

// Without indirect light, the mean plus the ambient colour; with it, the ambient
// colour times the vertex's share, and its bounce.
void storeGouraudColors(SceneModel& model, const IndirectLight* indirect) {
    for (int i = 0; i < model.faceCount; ++i) {
        const Face& face = model.faces[at(i)];
        for (int k = 0; k < 3; ++k) {
            Vertex& v = model.vertices[face.vertexIndex[k]];
            v.colorSum[0] += face.lightSum[k];
            v.colorSum[1] += face.lightSum[3 + k];
            v.colorSum[2] += face.lightSum[6 + k];
            ++v.counter;
        }
    }
    for (int i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[at(i)];
        for (int c = 0; c < 3; ++c) {
            const float mean = v.counter > 0 ? v.colorSum[c] / static_cast<float>(v.counter) : 0.0f;
            if (indirect == nullptr) {
                v.colorSum[c] = clampChannel(mean + ambientChannel(model, c));
            } else {
                v.colorSum[c] =
                    clampChannel(mean + ambientChannel(model, c) * indirect->ambientShare[at(i)] +
                                 indirect->bounce[3 * at(i) + at(c)]);
            }
        }
    }
    for (int i = 0; i < model.faceCount; ++i) {
        Face& face = model.faces[at(i)];
        const Material& material = faceMaterial(model, face);
        const bool untextured = isUntextured(material);
        for (int k = 0; k < 3; ++k) {
            const float* sum = model.vertices[face.vertexIndex[k]].colorSum;
            face.colorR[k] = channelByte(sum[0], untextured, material.red);
            face.colorG[k] = channelByte(sum[1], untextured, material.green);
            face.colorB[k] = channelByte(sum[2], untextured, material.blue);
        }
    }
}

// The mean over the face's three vertices of one per-vertex value.
float cornerMean(const std::vector<float>& values, const Face& face, std::size_t stride,
                 std::size_t offset) {
    const float* v = values.data() + offset;
    return (v[stride * face.vertexIndex[0]] + v[stride * face.vertexIndex[1]] +
            v[stride * face.vertexIndex[2]]) *
           kOneThird;
}

void storeFlatColors(SceneModel& model, const IndirectLight* indirect) {
    for (int i = 0; i < model.faceCount; ++i) {
        Face& face = model.faces[at(i)];
        const Material& material = faceMaterial(model, face);
        const bool untextured = isUntextured(material);
        const std::uint8_t materialBytes[3] = {material.red, material.green, material.blue};
        std::uint8_t color[3];
        for (int c = 0; c < 3; ++c) {
            const float* sums = face.lightSum + 3 * c;
            const float mean = (sums[0] + sums[1] + sums[2]) * kOneThird;
            float value = 0.0f;
            if (indirect == nullptr) {
                value = clampChannel(mean + ambientChannel(model, c));
            } else {
                const float share = cornerMean(indirect->ambientShare, face, 1, 0);
                const float bounce = cornerMean(indirect->bounce, face, 3, at(c));
                value = clampChannel(mean + ambientChannel(model, c) * share + bounce);
            }
            color[c] = channelByte(value, untextured, materialBytes[c]);
        }
        for (int k = 0; k < 3; ++k) {
            face.colorR[k] = color[0];
            face.colorG[k] = color[1];
            face.colorB[k] = color[2];
        }
    }
}

void storeColorsWith(SceneModel& model, const ConversionSettings& settings,
                     const IndirectLight* indirect) {
    for (int i = 0; i < model.vertexCount; ++i) {
        Vertex& v = model.vertices[at(i)];
        v.colorSum[0] = v.colorSum[1] = v.colorSum[2] = 0.0f;
        v.counter = 0;
    }
    if (settings.shadingType == kPrecalcGouraud) {
        storeGouraudColors(model, indirect);
    } else {
        storeFlatColors(model, indirect);
    }
}

// One line for a file whose colours are not lit although indirect light was
// asked for.
void reportIdleIndirectLight(const SceneModel& model, const ConversionSettings& settings) {
    const IndirectLightOptions& options = settings.indirectLight;
    if (!castsRays(options)) {
        return;
    }
    const char* what = options.occlusion == 0 ? "the bounce has"
                       : options.bounce == 0  ? "ambient occlusion has"
                                              : "ambient occlusion and the bounce have";
    const std::int32_t type = settings.shadingType;
    const char* why = type != kPrecalcGouraud && type != kPrecalcFlat
                          ? "only precalculated shading (types 3 and 4) bakes colours"
                      : settings.animation != 0
                          ? "an animated hierarchy (--animation) bakes no colours"
                          : "the file has no lights";
    printMessage(model.sink, "%s no effect: %s", what, why);
}

} // namespace

const Material& faceMaterial(const SceneModel& model, const Face& face) {
    static const Material defaultMaterial;
    if (face.materialIndex < 0 || face.materialIndex >= model.materialCount) {
        return defaultMaterial;
    }
    return model.materials[at(face.materialIndex)];
}

bool colorsAreLit(const SceneModel& model, const ConversionSettings& settings) {
    const int type = settings.shadingType;
    return model.lightCount > 0 && (type == kPrecalcGouraud || type == kPrecalcFlat) &&
           settings.animation == 0;
}

void setWhiteColors(SceneModel& model) {
    for (int i = 0; i < model.faceCount; ++i) {
        Face& face = model.faces[at(i)];
        for (int k = 0; k < 3; ++k) {
            face.colorR[k] = face.colorG[k] = face.colorB[k] = 255;
        }
    }
}

void prepareFacesForLighting(SceneModel& model) {
    for (int i = 0; i < model.faceCount; ++i) {
        Face& face = model.faces[at(i)];
        const Vertex& p0 = model.vertices[face.vertexIndex[0]];
        const Vertex& p1 = model.vertices[face.vertexIndex[1]];
        const Vertex& p2 = model.vertices[face.vertexIndex[2]];
        face.center[0] = (p0.x + p1.x + p2.x) * kOneThird;
        face.center[1] = (p0.y + p1.y + p2.y) * kOneThird;
        face.center[2] = (p0.z + p1.z + p2.z) * kOneThird;
        float largest = 0.0f;
        for (const Vertex* p : {&p0, &p1, &p2}) {
            const float dx = p->x - face.center[0];
            const float dy = p->y - face.center[1];
            const float dz = p->z - face.center[2];
            const float squared = dx * dx + dy * dy + dz * dz;
            if (squared > largest) {
                largest = squared;
            }
        }
        face.radiusSquared = largest;
        for (float& sum : face.lightSum) {
            sum = 0.0f;
        }
    }
}

bool lightAddsLight(const Light& light) {
    if (!std::isfinite(light.intensity)) {
        return false;
    }
    switch (light.type) {
    case kDistantLight:
        return finite3(light.direction);
    case kPointLight:
        return finite3(light.position) && std::isfinite(light.range);
    case kSpotLight:
        return finite3(light.position) && finite3(light.direction) && std::isfinite(light.range) &&
               std::isfinite(light.coneCos) && std::isfinite(light.edgeCos);
    default:
        return false;
    }
}

namespace {

// Adds the light's share to faces [first, end), at the corners whose vertex
// isLit says the light reaches. A face whose corners it all misses gets
// nothing whatever its factor, so the factor is left uncomputed.
template <class IsLit>
void applyLightToFaces(SceneModel& model, int lightIndex, int first, int end, IsLit&& isLit) {
    const Light& light = model.lights[at(lightIndex)];
    const float color[3] = {static_cast<float>(light.color[0]), static_cast<float>(light.color[1]),
                            static_cast<float>(light.color[2])};
    for (int i = first; i < end; ++i) {
        Face& face = model.faces[at(i)];
        const bool lit[3] = {isLit(face.vertexIndex[0]), isLit(face.vertexIndex[1]),
                             isLit(face.vertexIndex[2])};
        if (!lit[0] && !lit[1] && !lit[2]) {
            continue;
        }
        const float f = lightFactor(light, face);
        // Written so that a NaN factor adds nothing either.
        if (!(f > 0.0f)) {
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            if (!lit[k]) {
                continue;
            }
            face.lightSum[k] += color[0] * f;
            face.lightSum[3 + k] += color[1] * f;
            face.lightSum[6 + k] += color[2] * f;
        }
    }
}

// Every light that adds light, in index order, to each face: blocks of faces
// on threads threads, as every face's sums take the lights in the same order
// on any of them.
void applyMarkedLights(SceneModel& model, const LightMarks& marks, int threads) {
    auto applyBlock = [&model, &marks](int first, int end) {
        for (int i = 0; i < model.lightCount; ++i) {
            if (!lightAddsLight(model.lights[at(i)])) {
                continue;
            }
            const std::uint64_t* row = marks.bits.data() + at(i) * marks.wordsPerLight;
            applyLightToFaces(model, i, first, end, [row](std::uint16_t vertex) {
                return ((row[vertex / 64] >> (vertex % 64)) & 1) != 0;
            });
        }
    };
    const int faces = model.faceCount;
    auto blockStart = [faces, threads](int t) {
        return static_cast<int>(static_cast<std::int64_t>(faces) * t / threads);
    };
    std::vector<std::jthread> helpers;
    helpers.reserve(at(threads - 1));
    for (int t = 1; t < threads; ++t) {
        helpers.emplace_back(applyBlock, blockStart(t), blockStart(t + 1));
    }
    applyBlock(0, blockStart(1));
}

} // namespace

void applyLight(SceneModel& model, int lightIndex) {
    applyLightToFaces(model, lightIndex, 0, model.faceCount, [&model](std::uint16_t vertex) {
        return model.vertices[vertex].counter != 0;
    });
}

void storeColors(SceneModel& model, const ConversionSettings& settings) {
    storeColorsWith(model, settings, nullptr);
}

void storeColors(SceneModel& model, const ConversionSettings& settings,
                 const IndirectLight& indirect) {
    storeColorsWith(model, settings, &indirect);
}

namespace {

// Every light that adds light, marked and applied in index order: on the
// calling thread, or on the options' threads when there are more than one.
void markAndApplyLights(SceneModel& model, const ShadowOptions& options) {
    int lights = 0;
    for (int i = 0; i < model.lightCount; ++i) {
        lights += lightAddsLight(model.lights[at(i)]) ? 1 : 0;
    }
    const int threads = std::max(1, std::min(options.threads, lights));
    if (model.shadowIndexes.size() < static_cast<std::size_t>(threads)) {
        model.shadowIndexes.resize(static_cast<std::size_t>(threads));
    }
    if (threads > 1) {
        LightMarks marks;
        markLightsOnThreads(model, options.test, model.shadowIndexes, threads, marks);
        applyMarkedLights(model, marks, threads);
    } else {
        ShadowIndex& index = model.shadowIndexes.front();
        buildShadowIndex(model, index, options.test);
        for (int i = 0; i < model.lightCount; ++i) {
            if (lightAddsLight(model.lights[at(i)])) {
                markLitVertices(model, i, index);
                applyLight(model, i);
            }
        }
    }
}

// The lights marked and applied while, with more than one thread, a thread
// of its own builds the rays' target: the build reads only positions,
// corners and normals, which the lights leave alone, and keeps a core busy
// where the lights leave one idle.
RayTarget applyLightsBesideRayTarget(SceneModel& model, const ConversionSettings& settings) {
    if (settings.shadows.threads <= 1) {
        markAndApplyLights(model, settings.shadows);
        return buildRayTarget(model, settings.indirectLight);
    }
    std::optional<RayTarget> target;
    std::exception_ptr failure;
    {
        std::jthread builder;
        try {
            builder = std::jthread([&model, &settings, &target, &failure] {
                try {
                    target = buildRayTarget(model, settings.indirectLight);
                } catch (...) {
                    failure = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
            // No thread to spare: the target is built afterwards.
        }
        markAndApplyLights(model, settings.shadows);
    } // the builder joins here
    if (failure) {
        std::rethrow_exception(failure);
    }
    return target ? std::move(*target) : buildRayTarget(model, settings.indirectLight);
}

} // namespace

void precalculateColors(SceneModel& model, const ConversionSettings& settings) {
    if (!colorsAreLit(model, settings)) {
        reportIdleIndirectLight(model, settings);
        setWhiteColors(model);
        return;
    }
    prepareFacesForLighting(model);
    const ShadowOptions& options = settings.shadows;
    if (options.test == ShadowTest::classic) {
        const std::int32_t tooSmall = facesTooSmallToCast(model);
        if (tooSmall > model.faceCount / 10.0) {
            printMessage(model.sink,
                         "%d of %d faces are too small to cast shadows at this scene's unit (see "
                         "--shadow-test)",
                         tooSmall, model.faceCount);
        }
    }
    if (!castsRays(settings.indirectLight)) {
        markAndApplyLights(model, options);
        storeColors(model, settings);
        return;
    }
    IndirectLight indirect;
    try {
        const RayTarget target = applyLightsBesideRayTarget(model, settings);
        gatherIndirectLight(model, settings, target, indirect);
    } catch (const RayTraceError& e) {
        fatalError(model.sink, "cannot cast the rays of ambient occlusion and the bounce: %s",
                   e.what());
    }
    storeColors(model, settings, indirect);
}

} // namespace kzo
